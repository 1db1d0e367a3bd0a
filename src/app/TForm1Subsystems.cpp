// Where the main window's other windows and the subsystems' controllers are made. The windows are
// created once, in the fixed order below, live until the end and are shown modally through showModal()
// (or the open*() slots); each subsystem adds its window at its place in the order and registers it
// under its class name.
#include "app/TAboutForm.h"
#include "app/TForm1.h"
#include "app/TtsForm.h"
#include "company/Txhdwform.h"
#include "customers/CustomerTreeController.h"
#include "customers/DeliveryListController.h"
#include "data/DataHub.h"
#include "notes/IssueController.h"
#include "notes/NoteListController.h"
#include "printing/TSprnForm.h"
#include "reports/Tlrform.h"
#include "reports/Ttj_Form.h"
#include "stock/TJhForm.h"
#include "stock/TSpForm.h"
#include "stock/TkcbjForm.h"
#include "users/TepassForm.h"
#include "users/TloginForm.h"

#include <QPushButton>

namespace app {

void TForm1::createSubsystems() {
    // 1 TForm1 is this window; creating it opened the connection.
    registerWindow(QStringLiteral("TloginForm"), new users::TloginForm(*hub_, this));  // 2
    // 3, 4 legacy invoice windows: not built.
    registerWindow(QStringLiteral("Txhdwform"), new company::Txhdwform(*hub_, this));  // 5
    // 6, 7 legacy invoice windows: not built.
    auto* spForm = new stock::TSpForm(*hub_, this);  // 8
    registerWindow(QStringLiteral("TSpForm"), spForm);
    // "货品资料" shows 进价; "&M商品" leaves it as the previous opener set it. Both only browse.
    openCatalogHook = [this, spForm](bool withPurchasePrices) {
        if (withPurchasePrices) spForm->setPurchasePriceVisible(true);
        spForm->setMode(stock::TSpForm::kBrowse);
        showModal(spForm);
    };
    // 9 legacy invoice window: not built.
    registerWindow(QStringLiteral("TtsForm"), new TtsForm(*hub_, this));               // 10
    registerWindow(QStringLiteral("TepassForm"), new users::TepassForm(*hub_, this));  // 11
    auto* prnForm = new printing::TSprnForm(*hub_, this);  // 12
    registerWindow(QStringLiteral("TSprnForm"), prnForm);
    registerWindow(QStringLiteral("Ttj_Form"), new reports::Ttj_Form(*hub_, this));  // 13
    registerWindow(QStringLiteral("TAboutForm"), new TAboutForm(this));              // 14
    auto* jhForm = new stock::TJhForm(*hub_, this);                                  // 15
    jhForm->setGoodsPicker(spForm);
    registerWindow(QStringLiteral("TJhForm"), jhForm);
    registerWindow(QStringLiteral("TkcbjForm"), new stock::TkcbjForm(*hub_, this));  // 16
    registerWindow(QStringLiteral("Tlrform"), new reports::Tlrform(*hub_, this));    // 17

    // Controllers of the main window's own controls.
    auto* tree = new customers::CustomerTreeController(trv(), sameLevelButton(), oneLevelDownButton(),
                                                       renameButton(), deleteButton(), *hub_, this);
    loadCustomerTree = [tree] { tree->load(); };
    auto* deliveryList = new customers::DeliveryListController(hgrid(), jedx(), *hub_, this);
    deliveryList->setPicker(spForm, [this](QDialog* w) { return showModal(w); });
    // Note list, status menu and line editing; issuing, whose notes the list shows at once.
    auto* noteList = new notes::NoteListController(
        *hub_,
        {filterEdit(QStringLiteral("locedit")), filterEdit(QStringLiteral("rqedit")),
         filterEdit(QStringLiteral("TqEdit")), filterEdit(QStringLiteral("khedit")),
         filterEdit(QStringLiteral("cpedit")), filterEdit(QStringLiteral("ztedit")),
         filterEdit(QStringLiteral("qhedit")), filterEdit(QStringLiteral("kdedit")),
         filterEdit(QStringLiteral("ywedit")), shdgrid(), cpgrid(), noteOperationsButton(), lineMenu()},
        this);
    auto* issuing = new notes::IssueController(
        *hub_,
        {shdno(), kpdate(), headerEdit(QStringLiteral("custname")), headerEdit(QStringLiteral("shdz")),
         headerEdit(QStringLiteral("lxdh")), headerEdit(QStringLiteral("shcp")),
         headerEdit(QStringLiteral("kdr")), headerEdit(QStringLiteral("ywy")),
         headerEdit(QStringLiteral("fhedit")), headerEdit(QStringLiteral("bz")), jedx(), printNowButton(),
         printLaterButton()},
        this);
    issuing->afterIssue = [noteList] { noteList->reread(); };
    // The print window: step 7 of issuing with print now, and "送货单打印&P" of the note list.
    issuing->printHook = [this, prnForm](const notes::PrintRequest& request) {
        prnForm->printFromEntryTab(request);
        activate();
    };
    connect(listPrintButton(), &QPushButton::clicked, this, [this, prnForm] {
        prnForm->printFromNoteList();
        activate();
    });
}

}  // namespace app
