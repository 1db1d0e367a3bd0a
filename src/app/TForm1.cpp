#include "app/TForm1.h"

#include "app/SystemActions.h"
#include "data/DataHub.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "data/Money.h"
#include "notes/AmountInWords.h"
#include "notes/NoteNumbering.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "ui/LookupButton.h"
#include "users/Rights.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace app {

namespace {

// The header fields and the customer column each shows.
const QList<std::pair<const char*, const char*>> kHeaderFields = {
    {"custname", "客户名称"}, {"shdz", "送货地址"}, {"lxdh", "联系电话"},   {"shcp", "送货车牌"},
    {"kdr", "开单人员"},      {"ywy", "业务员"},    {"fhedit", "发货方式"}, {"bz", "备注"}};

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), hub_(new data::DataHub(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Tarvel送货单打印管理软件 V1.9 专业版"));
    resize(1024, 694);

    buildLayout();
    connectLayout();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1_, &QTimer::timeout, this, &TForm1::tipsTick);

    // Creating the main window connects to the database beside the executable; a failure is shown and
    // start-up goes on (every later action then reports its own error).
    const QString failure = hub_->openDatabaseFile(data::programFile(QStringLiteral("trfp.mdb")));
    if (!failure.isEmpty()) ui::dialogs().error(failure);
}

TForm1::~TForm1() {
    // The windows are children of this one; drop them before the hub they work on goes.
    for (const QPointer<QDialog>& w : std::as_const(windows_)) delete w.data();
    windows_.clear();
    // Closing the datasets signals; this window is half gone by then, its grids are not yet.
    for (data::Dataset* d : hub_->findChildren<data::Dataset*>()) d->disconnect(this);
    delete hub_;
    hub_ = nullptr;
}

void TForm1::connectLayout() {
    connect(jhrkBtn_, &QPushButton::clicked, this, &TForm1::receiptsButtonClicked);
    connect(tjbbBtn_, &QPushButton::clicked, this, &TForm1::reportsButtonClicked);
    connect(xtBtn_, &QPushButton::clicked, this, &TForm1::systemButtonClicked);
    connect(gbBtn_, &QPushButton::clicked, this, &QWidget::close);

    // kp: a date picked by the user writes the date text; kp set from code leaves kpdate alone.
    connect(kp_, &ui::DateButton::chosen, this, [this](const QDate&) { writeDeliveryDateText(); });

    data::Dataset* customer = hub_->sele_qry;
    connect(customer, &data::Dataset::opened, this, &TForm1::showCustomerHeader);
    connect(customer, &data::Dataset::closed, this, &TForm1::showCustomerHeader);
    connect(customer, &data::Dataset::currentRowChanged, this, &TForm1::showCustomerHeader);
    connect(customer, &data::Dataset::fieldChanged, this, &TForm1::showCustomerHeader);
    connect(customer, &data::Dataset::posted, this, &TForm1::showCustomerHeader);

    data::Dataset* list = hub_->seledt_qry;
    for (auto signal : {&data::Dataset::opened, &data::Dataset::closed, &data::Dataset::removed})
        connect(list, signal, this, &TForm1::updateAmountInWords);
    connect(list, &data::Dataset::currentRowChanged, this, &TForm1::updateAmountInWords);
    connect(list, &data::Dataset::posted, this, &TForm1::updateAmountInWords);
    connect(list, &data::Dataset::fieldChanged, this, [this](int, const QString&) { updateAmountInWords(); });
}

// --- windows ---------------------------------------------------------------------------------------

void TForm1::registerWindow(const QString& className, QDialog* window) {
    windows_.insert(className, window);
}

QDialog* TForm1::window(const QString& className) const {
    return windows_.value(className).data();
}

int TForm1::showModal(QDialog* w) {
    if (!w) return QDialog::Rejected;
    const int result = w->exec();
    activate();
    return result;
}

// --- start-up --------------------------------------------------------------------------------------

bool TForm1::startUp() {
    tipsTicks_ = 0;
    // Before anything else is loaded: the login, modally. Leaving it ends the program.
    QDialog* login = window(QStringLiteral("TloginForm"));
    if (!login || login->exec() != QDialog::Accepted) {
        close();
        return false;
    }
    activate();
    afterLogin();
    showMaximized();
    emit startedUp();
    return true;
}

void TForm1::afterLogin() {
    Timer1_->setInterval(data::env().tipsIntervalMs);
    Timer1_->start();
    if (loadCustomerTree) {
        try {
            loadCustomerTree();
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
        }
    }
    kp_->setDate(data::today());
    pgc_->setCurrentIndex(0);
    writeDeliveryDateText();
    proposeNoteNumber();
}

void TForm1::activate() {
    kp_->setDate(data::today());  // kpdate keeps its text
    try {
        hub_->openMissing();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void TForm1::tipsTick() {
    if (++tipsTicks_ < 5) return;
    Timer1_->stop();
    const bool suppressed = hub_->userqry->isOpen() && hub_->userqry->field(QStringLiteral("提示")).toBool();
    if (!suppressed) showModal(window(QStringLiteral("TtsForm")));
}

void TForm1::proposeNoteNumber() {
    try {
        const QString number = notes::NextNoteNumber(hub_->cnn);
        shdno_->setText(number);
        shdno_->setFocus();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void TForm1::writeDeliveryDateText() {
    kpdate_->setText(notes::DeliveryDateText(kp_->date()));
}

void TForm1::updateAmountInWords() {
    data::Money total;
    const data::Dataset* list = hub_->seledt_qry;
    if (list->isOpen())
        for (int r = 0; r < list->count(); ++r)
            total += data::Money::fromVariant(list->value(r, QStringLiteral("金额")));
    jedx_->setText(notes::AmountInWordsText(total));
}

void TForm1::showCustomerHeader() {
    const data::Dataset* customer = hub_->sele_qry;
    const bool onRow = customer->isOpen() && customer->currentRow() >= 0;
    for (const auto& [name, field] : kHeaderFields) {
        QLineEdit* e = headerEdit(QString::fromLatin1(name));
        const QString text = onRow ? customer->text(QString::fromUtf8(field)) : QString();
        if (e && e->text() != text) e->setText(text);  // an unchanged text keeps the cursor where it is
    }
}

QLineEdit* TForm1::headerEdit(const QString& objectName) const {
    return findChild<QLineEdit*>(objectName);
}

QLineEdit* TForm1::filterEdit(const QString& objectName) const {
    return pgc_->widget(1)->findChild<QLineEdit*>(objectName);
}

QAction* TForm1::lineMenuItem(const QString& text) const {
    for (QAction* a : mxxgpop_->actions())
        if (a->text() == text) return a;
    return nullptr;
}

// --- the bar on the tab row and the system menu -------------------------------------------------------

void TForm1::receiptsButtonClicked() {
    if (!users::checkRight(*hub_, users::managementOrFinance())) return;
    ui::dialogs().popup(jhMenu_, QCursor::pos());
}

void TForm1::reportsButtonClicked() {
    if (!users::checkRight(*hub_, users::managementOrFinance())) return;
    ui::dialogs().popup(tjMenu_, QCursor::pos());
}

void TForm1::systemButtonClicked() {
    ui::dialogs().popup(PopupMenu3_, QCursor::pos());
}

void TForm1::openReceipts() {
    showModal(window(QStringLiteral("TJhForm")));
}

void TForm1::openStockAlarm() {
    showModal(window(QStringLiteral("TkcbjForm")));
}

void TForm1::openStatistics() {
    showModal(window(QStringLiteral("Ttj_Form")));
}

void TForm1::openProfit() {
    showModal(window(QStringLiteral("Tlrform")));
}

void TForm1::openHelp() {
    openHelpDocument();
}

void TForm1::openUserAdmin() {
    showModal(window(QStringLiteral("TepassForm")));
}

void TForm1::openCompanyProfile() {
    showModal(window(QStringLiteral("Txhdwform")));
}

void TForm1::openCatalogWithPrices() {
    if (!users::checkRight(*hub_, users::managementOrFinance())) return;
    // The catalog subsystem puts TSpForm into browsing mode with 进价 shown (see createSubsystems).
    if (openCatalogHook) return openCatalogHook(true);
    showModal(window(QStringLiteral("TSpForm")));
}

void TForm1::openCatalog() {
    if (openCatalogHook) return openCatalogHook(false);
    showModal(window(QStringLiteral("TSpForm")));
}

void TForm1::startCalculator() {
    app::startCalculator();
}

void TForm1::openAbout() {
    showModal(window(QStringLiteral("TAboutForm")));
}

}  // namespace app
