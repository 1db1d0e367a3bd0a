#include "stock/TJhForm.h"

#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/DateText.h"
#include "data/Environment.h"
#include "stock/Receipts.h"
#include "stock/TSpForm.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "ui/LookupButton.h"
#include "users/Rights.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace stock {

namespace {

const QString kHint = QStringLiteral("鼠标右键选择弹出菜单功能进行增加进货货品");

ui::GridColumn column(const char* field, int width, const QString& title = {}) {
    ui::GridColumn c;
    c.field = QString::fromUtf8(field);
    c.title = title;
    c.width = width;
    return c;
}

// The line columns of both pages; the entry grid shows the 商品编号 cell button unless posted.
QList<ui::GridColumn> lineColumns(bool ellipsis) {
    QList<ui::GridColumn> cols{
        column("商品编号", 90), column("名称", 140),     column("单位", 50),
        column("数量", 70),     column("进价", 70),      column("折扣", 60, QStringLiteral("折扣(%)")),
        column("金额", 90),     column("规格型号", 100), column("类别", 80),
        column("产地", 80),     column("备注", 120)};
    cols[0].ellipsis = ellipsis;
    cols[2].footerText = QStringLiteral("合计：");
    cols[3].footerSum = true;
    cols[6].footerSum = true;
    for (int i : {3, 4, 5, 6}) {
        cols[i].highlighted = true;
        cols[i].highlightColor = ui::DataGrid::kBandColor;
    }
    for (auto& c : cols) c.sortable = false;  // the lines stay in their entered order
    return cols;
}

QList<ui::GridColumn> receiptColumns() {
    QList<ui::GridColumn> cols{column("日期", 90),      column("单据编号", 120), column("供应商", 160),
                               column("仓库名称", 120), column("工号", 90),      column("状态", 70)};
    for (auto& c : cols) {
        c.readOnly = true;
        c.sortable = false;
    }
    return cols;
}

}  // namespace

TJhForm::TJhForm(data::DataHub& hub, QWidget* parent)
    : QDialog(parent), hub_(hub), book_(new ReceiptBook(hub.cnn, this)) {
    setObjectName(QStringLiteral("TJhForm"));
    setWindowTitle(QStringLiteral(
        "进货入库--过账后不能再修改，自动更新库存，有错误请开新单进行冲帐调整库存，数量可以为负数。"));
    resize(1000, 640);

    // --- the button row ------------------------------------------------------------------------------
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    auto* bar = new QHBoxLayout(top);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, top);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    QPushButton* add = button("addButton", QStringLiteral("增加 &A"));
    QPushButton* copy = button("copyButton", QStringLiteral("复制 &C"));
    copy->setToolTip(QStringLiteral("复制当前记录，生成新的进货记录。"));
    QPushButton* edit = button("editButton", QStringLiteral("修改 &E"));
    QPushButton* save = button("saveButton", QStringLiteral("保存 &S"));
    QPushButton* post = button("postButton", QStringLiteral("过账 &U"));
    QPushButton* del = button("deleteButton", QStringLiteral("删除 &D"));
    QPushButton* close = button("closeButton", QStringLiteral("关闭 &X"));
    bar->addStretch(1);

    jhpc_ = new QTabWidget(this);
    jhpc_->setObjectName(QStringLiteral("jhpc"));

    // --- entry page -------------------------------------------------------------------------------------
    auto* entry = new QWidget(jhpc_);
    entry->setObjectName(QStringLiteral("entryPage"));
    auto* entryLayout = new QVBoxLayout(entry);
    auto* titleRow = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("进货入库"), entry);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont titleFont = title->font();
    // The program's font may be set in pixels (pointSize() is then -1).
    if (titleFont.pixelSize() > 0)
        titleFont.setPixelSize(titleFont.pixelSize() + 8);
    else
        titleFont.setPointSizeF(titleFont.pointSizeF() + 6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    ztlabel_ = new QLabel(entry);
    ztlabel_->setObjectName(QStringLiteral("ztlabel"));
    ztlabel_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    titleRow->addStretch(1);
    titleRow->addWidget(title);
    titleRow->addSpacing(24);
    titleRow->addWidget(ztlabel_);
    titleRow->addStretch(1);
    entryLayout->addLayout(titleRow);

    headerPanel_ = new QWidget(entry);
    headerPanel_->setObjectName(QStringLiteral("headerPanel"));
    auto* header = new QGridLayout(headerPanel_);
    auto lineEdit = [&](const char* name) {
        auto* e = new QLineEdit(headerPanel_);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    jcdno_ = lineEdit("jcdno");
    ckedit_ = lineEdit("ckedit");
    gysedit_ = lineEdit("gysedit");
    rqedit_ = lineEdit("rqedit");
    ghedit_ = lineEdit("ghedit");
    cklookup_ = new ui::LookupButton(ckedit_, book_->ckqry, QStringLiteral("仓库名称"), headerPanel_);
    cklookup_->setObjectName(QStringLiteral("cklookup"));
    gyslookup_ = new ui::LookupButton(gysedit_, book_->gysqry, QStringLiteral("供应商"), headerPanel_);
    gyslookup_->setObjectName(QStringLiteral("gyslookup"));
    rqpicker_ = new ui::DateButton(rqedit_, headerPanel_);
    rqpicker_->setObjectName(QStringLiteral("rqpicker"));
    auto withButton = [&](QLineEdit* e, QWidget* b) {
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(e, 1);
        if (b) box->addWidget(b);
        return box;
    };
    header->addWidget(new QLabel(QStringLiteral("进货编号："), headerPanel_), 0, 0);
    header->addLayout(withButton(jcdno_, nullptr), 0, 1);
    header->addWidget(new QLabel(QStringLiteral("仓库："), headerPanel_), 0, 2);
    header->addLayout(withButton(ckedit_, cklookup_), 0, 3);
    header->addWidget(new QLabel(QStringLiteral("供应商："), headerPanel_), 0, 4);
    header->addLayout(withButton(gysedit_, gyslookup_), 0, 5);
    header->addWidget(new QLabel(QStringLiteral("日期："), headerPanel_), 1, 0);
    header->addLayout(withButton(rqedit_, rqpicker_), 1, 1);
    header->addWidget(new QLabel(QStringLiteral("操作员："), headerPanel_), 1, 2);
    header->addLayout(withButton(ghedit_, nullptr), 1, 3);
    header->setColumnStretch(5, 1);
    entryLayout->addWidget(headerPanel_);

    jhgrid_ = new ui::DataGrid(entry);
    jhgrid_->setObjectName(QStringLiteral("jhgrid"));
    jhgrid_->setColumns(lineColumns(true));
    jhgrid_->setDataset(book_->jhdqry);
    jhgrid_->setFooterVisible(true);
    jhgrid_->setEnterAction(ui::DataGrid::EnterAction::NextColumn);
    jhgrid_->setToolTip(kHint);
    jhgrid_->view()->installEventFilter(this);
    entryLayout->addWidget(jhgrid_, 1);

    jhpop_ = new QMenu(this);
    jhpop_->setObjectName(QStringLiteral("jhpop"));
    auto item = [&](const char* name, const QString& text) {
        QAction* a = jhpop_->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QAction* lineAdd = item("lineAdd", QStringLiteral("增加 &A"));
    QAction* lineEdit_ = item("lineEdit", QStringLiteral("修改 &E"));
    QAction* lineDelete = item("lineDelete", QStringLiteral("删除 &D"));
    jhgrid_->setContextMenu(jhpop_);
    jhpc_->addTab(entry, QStringLiteral("录入进货"));

    // --- browse page -----------------------------------------------------------------------------------
    auto* browse = new QWidget(jhpc_);
    browse->setObjectName(QStringLiteral("browsePage"));
    auto* browseLayout = new QVBoxLayout(browse);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("智能查询："), browse));
    jhloc_ = new QLineEdit(browse);
    jhloc_->setObjectName(QStringLiteral("jhloc"));
    searchRow->addWidget(jhloc_, 1);
    browseLayout->addLayout(searchRow);
    jhmgrid_ = new ui::DataGrid(browse);
    jhmgrid_->setObjectName(QStringLiteral("jhmgrid"));
    jhmgrid_->setColumns(receiptColumns());
    jhmgrid_->setDataset(book_->jhmqry);
    jhmgrid_->setReadOnly(true);
    browseLayout->addWidget(jhmgrid_, 1);
    jhdgrid_ = new ui::DataGrid(browse);
    jhdgrid_->setObjectName(QStringLiteral("jhdgrid"));
    jhdgrid_->setColumns(lineColumns(false));
    jhdgrid_->setDataset(book_->jhdqry);
    jhdgrid_->setReadOnly(true);
    jhdgrid_->setFooterVisible(true);
    browseLayout->addWidget(jhdgrid_, 1);
    jhpc_->addTab(browse, QStringLiteral("进货浏览"));

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->addWidget(new QLabel(statusBar_), 1);
    statusBar_->addWidget(new QLabel(statusBar_), 1);
    statusBar_->addWidget(new QLabel(kHint, statusBar_), 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(jhpc_, 1);
    layout->addWidget(statusBar_);

    // --- wiring ------------------------------------------------------------------------------------------
    connect(add, &QPushButton::clicked, this, &TJhForm::addReceipt);
    connect(copy, &QPushButton::clicked, this, &TJhForm::copyReceipt);
    connect(edit, &QPushButton::clicked, this, &TJhForm::editReceipt);
    connect(save, &QPushButton::clicked, this, &TJhForm::saveReceipt);
    connect(post, &QPushButton::clicked, this, &TJhForm::postReceipt);
    connect(del, &QPushButton::clicked, this, &TJhForm::deleteReceipt);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(lineAdd, &QAction::triggered, this, &TJhForm::addLine);
    connect(lineEdit_, &QAction::triggered, this, &TJhForm::editLine);
    connect(lineDelete, &QAction::triggered, this, &TJhForm::deleteLine);
    connect(jhgrid_, &ui::DataGrid::ellipsisClicked, this, [this](int, const QString&) { openPicker(); });
    connect(jhmgrid_, &ui::DataGrid::activated, this, [this](int row) {
        if (run([&] { book_->jhmqry->setCurrentRow(row); })) jhpc_->setCurrentIndex(0);
    });
    connect(jhloc_, &QLineEdit::textChanged, this,
            [this](const QString& text) { run([&] { book_->search(text); }); });
    connect(rqpicker_, &ui::DateButton::chosen, this, [this](const QDate& d) {
        run([&] {
            if (book_->jhmqry->currentRow() >= 0)
                book_->jhmqry->setField(QStringLiteral("日期"), data::isoDate(d));
        });
    });
    bindEdit(jcdno_, QStringLiteral("单据编号"));
    bindEdit(ckedit_, QStringLiteral("仓库名称"));
    bindEdit(gysedit_, QStringLiteral("供应商"));
    bindEdit(rqedit_, QStringLiteral("日期"));
    bindEdit(ghedit_, QStringLiteral("工号"));
    connect(book_, &ReceiptBook::receiptChanged, this, &TJhForm::receiptChanged);
    connect(book_->jhmqry, &data::Dataset::opened, this, &TJhForm::receiptChanged);
}

TJhForm::~TJhForm() = default;

QAction* TJhForm::lineMenuItem(const QString& objectName) const {
    for (QAction* a : jhpop_->actions())
        if (a->objectName() == objectName) return a;
    return nullptr;
}

bool TJhForm::run(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const Refusal& r) {
        ui::dialogs().warn(r.text());
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
    return false;
}

void TJhForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    run([&] { book_->refillLookups(); });
    rqpicker_->setDate(data::today());
    activate();
}

void TJhForm::activate() {
    run([&] { book_->openMissing(); });
    receiptChanged();
}

bool TJhForm::eventFilter(QObject* watched, QEvent* event) {
    // The receipt row must exist before its lines: entering the lines writes a new or edited header.
    if (watched == jhgrid_->view() && event->type() == QEvent::FocusIn) {
        if (book_->isNew() || book_->jhmqry->isModified()) run([&] { book_->saveHeader(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TJhForm::bindEdit(QLineEdit* edit, const QString& field) {
    boundEdits_.insert(edit, field);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        run([&] {
            if (book_->jhmqry->currentRow() >= 0) book_->jhmqry->setField(field, text);
        });
    });
}

void TJhForm::showHeader() {
    for (auto it = boundEdits_.cbegin(); it != boundEdits_.cend(); ++it) {
        const QString text = book_->jhmqry->text(it.value());
        if (it.key()->text() != text) it.key()->setText(text);
    }
    ztlabel_->setText(book_->jhmqry->text(QStringLiteral("状态")));
}

void TJhForm::receiptChanged() {
    showHeader();
    bool posted = false;
    try {
        posted = book_->isPosted();
    } catch (const data::DbError&) {
        posted = false;  // no database: nothing to protect
    }
    if (int(posted) == postedView_) return;
    postedView_ = int(posted);
    headerPanel_->setEnabled(!posted);
    jhgrid_->setColumns(lineColumns(!posted));
    jhgrid_->setReadOnly(posted);
    book_->jhdqry->setReadOnly(posted);
}

void TJhForm::addReceipt() {
    jhpc_->setCurrentIndex(0);
    if (!run([&] { book_->addReceipt(users::currentUserName(hub_)); })) return;
    run([&] { book_->refillLookups(); });
    jcdno_->setFocus();
}

void TJhForm::copyReceipt() {
    jhpc_->setCurrentIndex(0);
    if (run([&] { book_->copy(users::currentUserName(hub_)); })) ui::dialogs().inform(kCopied);
}

void TJhForm::editReceipt() {
    run([&] {
        if (book_->jhmqry->currentRow() < 0 || book_->isPosted()) return;
        book_->jhmqry->edit();
        if (book_->jhdqry->currentRow() >= 0) book_->jhdqry->edit();
    });
}

void TJhForm::saveReceipt() {
    if (run([&] { book_->save(); })) ui::dialogs().inform(kSaved);
}

void TJhForm::postReceipt() {
    if (run([&] { book_->post(); })) ui::dialogs().inform(kPostedDone);
}

void TJhForm::deleteReceipt() {
    run([&] {
        if (book_->jhmqry->currentRow() < 0) return;
        if (book_->isPosted()) throw Refusal(kPostedNotDeletable);
        if (!ui::dialogs().confirm(kAskDeleteReceipt, QStringLiteral("提示信息"))) return;
        book_->removeReceipt();
    });
}

void TJhForm::setPickerMode() {
    if (!picker_) return;
    picker_->setMode(kPickMode,
                     [this](const QVariantMap& good) { return run([&] { book_->fillLineFromGood(good); }); });
}

void TJhForm::addLine() {
    run([&] {
        if (book_->isPosted()) return;
        book_->addLine();
        setPickerMode();
    });
}

void TJhForm::editLine() {
    run([&] {
        if (book_->isPosted()) return;
        if (book_->jhdqry->currentRow() >= 0) book_->jhdqry->edit();
        setPickerMode();
    });
}

void TJhForm::deleteLine() {
    if (!ui::dialogs().confirm(kAskDeleteLine)) return;
    run([&] { book_->removeLine(); });
}

void TJhForm::openPicker() {
    if (!picker_) return;
    bool posted = true;
    if (!run([&] { posted = book_->jhmqry->currentRow() < 0 || book_->isPosted(); }) || posted) return;
    setPickerMode();
    picker_->setPurchasePriceVisible(true);
    if (showPicker)
        showPicker(picker_);
    else
        picker_->exec();
}

}  // namespace stock
