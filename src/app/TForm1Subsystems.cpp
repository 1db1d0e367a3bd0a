// Where the main window's other windows and the subsystems' controllers are made. The windows are
// created once, in the fixed order below, live until the end and are shown modally through showModal()
// (or the open*() slots); each subsystem adds its window at its place in the order and registers it
// under its class name.
#include "app/TAboutForm.h"
#include "app/TForm1.h"
#include "app/TtsForm.h"
#include "data/DataHub.h"
#include "users/TepassForm.h"
#include "users/TloginForm.h"

namespace app {

void TForm1::createSubsystems() {
    // 1 TForm1 is this window; creating it opened the connection.
    registerWindow(QStringLiteral("TloginForm"), new users::TloginForm(*hub_, this));  // 2
    // 3, 4 legacy invoice windows: not built.
    // 5 Txhdwform (company profile): registerWindow("Txhdwform", ...).
    // 6, 7 legacy invoice windows: not built.
    // 8 TSpForm (goods catalog): registerWindow("TSpForm", ...) and set openCatalogHook.
    // 9 legacy invoice window: not built.
    registerWindow(QStringLiteral("TtsForm"), new TtsForm(*hub_, this));               // 10
    registerWindow(QStringLiteral("TepassForm"), new users::TepassForm(*hub_, this));  // 11
    // 12 TSprnForm (print formats): registerWindow("TSprnForm", ...).
    // 13 Ttj_Form (delivery statistics): registerWindow("Ttj_Form", ...).
    registerWindow(QStringLiteral("TAboutForm"), new TAboutForm(this));  // 14
    // 15 TJhForm (purchase receipts): registerWindow("TJhForm", ...).
    // 16 TkcbjForm (stock alarm): registerWindow("TkcbjForm", ...).
    // 17 Tlrform (profit): registerWindow("Tlrform", ...).

    // Controllers of the main window's own controls.
    // Customer tree: set loadCustomerTree (start-up steps 4 to 6) on trv() and the four tree buttons.
    // Delivery list: hgrid() and its menu PopupMenu1.
    // Issuing: printNowButton(), printLaterButton(); the header fields headerEdit(...).
    // Note list: filterEdit(...), shdgrid(), noteOperationsButton() with editztMENU, listPrintButton().
    // Line editing: cpgrid(), lineMenu().
}

}  // namespace app
