// The widgets of the main window: where each control sits and what it is called. Behaviour lives in
// TForm1.cpp (start-up, activation, routing) and in the subsystems' controllers.
#include "app/TForm1.h"

#include "data/DataHub.h"
#include "notes/AmountInWords.h"
#include "ui/DataGrid.h"
#include "ui/LookupButton.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kLeftPanelWidth = 225;
constexpr int kTabRowBarX = 637;  // from the window's left edge
constexpr int kHeaderHeight = 105;
constexpr int kFilterPanelHeight = 72;
constexpr int kNoteGridHeight = 256;

QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLineEdit* edit(const char* name, QWidget* parent, int width = -1) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (width > 0) e->setMinimumWidth(width);
    return e;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// An edit with its narrow drop-down button, side by side.
QWidget* withButton(QLineEdit* e, QWidget* b, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    e->setParent(box);
    b->setParent(box);
    h->addWidget(e, 1);
    h->addWidget(b);
    return box;
}

ui::LookupButton* lookup(const char* name, QLineEdit* e, data::Dataset* list, const QString& field) {
    auto* b = new ui::LookupButton(e, list, field);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QAction* item(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

ui::GridColumn column(const QString& field, int width, const QString& title = {}) {
    ui::GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    return c;
}

// The delivery list of the selected customer.
QList<ui::GridColumn> deliveryListColumns() {
    QList<ui::GridColumn> cols;
    auto code = column(QStringLiteral("商品编号"), 90, QStringLiteral("货品编号"));
    code.ellipsis = true;
    cols << code << column(QStringLiteral("名称"), 135);
    auto category = column(QStringLiteral("类别"), 60);
    category.readOnly = true;
    cols << category << column(QStringLiteral("规格型号"), 100);
    auto unit = column(QStringLiteral("单位"), 50);
    unit.footerText = QStringLiteral("合计：");
    cols << unit;
    auto quantity = column(QStringLiteral("数量"), 70, QStringLiteral("送货数量"));
    quantity.titleColor = Qt::red;
    quantity.highlighted = true;
    quantity.highlightColor = ui::DataGrid::kBandColor;
    quantity.footerSum = true;
    cols << quantity << column(QStringLiteral("售价"), 70)
         << column(QStringLiteral("折扣"), 70, QStringLiteral("折扣(%)"));
    auto amount = column(QStringLiteral("金额"), 80);
    amount.footerSum = true;
    cols << amount << column(QStringLiteral("产地"), 80) << column(QStringLiteral("备注"), 100);
    for (auto& c : cols) c.sortable = false;  // the list is always in 商品编号 order
    return cols;
}

// The note list: title = field name; every title but 总金额 and 发货方式 sorts.
QList<ui::GridColumn> noteListColumns() {
    const QList<std::pair<const char*, int>> fields = {
        {"日期", 115},     {"送货单号", 100}, {"客户名称", 150}, {"状态", 60},
        {"总金额", 90},    {"签回人员", 80},  {"签回时间", 120}, {"送货车牌", 100},
        {"送货地址", 100}, {"发货方式", 70},  {"联系电话", 100}, {"开单人员", 100},
        {"业务员", 100},   {"录入人员", 100}, {"录入时间", 100}, {"备注", 100}};
    QList<ui::GridColumn> cols;
    for (const auto& [name, width] : fields) {
        auto c = column(QString::fromUtf8(name), width);
        c.readOnly = true;
        if (c.field == QStringLiteral("状态")) c.footerText = QStringLiteral("合计：");
        if (c.field == QStringLiteral("总金额")) {
            c.footerSum = true;
            c.sortable = false;
        }
        if (c.field == QStringLiteral("发货方式")) c.sortable = false;
        cols << c;
    }
    return cols;
}

// The current note's lines.
QList<ui::GridColumn> noteLineColumns() {
    QList<ui::GridColumn> cols;
    cols << column(QStringLiteral("商品编号"), 100, QStringLiteral("货品编号"))
         << column(QStringLiteral("名称"), 150);
    auto unit = column(QStringLiteral("单位"), 60);
    unit.footerText = QStringLiteral("合计：");
    auto quantity = column(QStringLiteral("数量"), 80);
    quantity.footerSum = true;
    cols << unit << quantity << column(QStringLiteral("售价"), 80)
         << column(QStringLiteral("折扣"), 70, QStringLiteral("折扣(%)"));
    auto amount = column(QStringLiteral("金额"), 80);
    amount.footerSum = true;
    cols << amount << column(QStringLiteral("类别"), 80) << column(QStringLiteral("规格型号"), 100)
         << column(QStringLiteral("产地"), 100) << column(QStringLiteral("备注"), 100);
    for (auto& c : cols) c.sortable = false;
    return cols;
}

}  // namespace

void TForm1::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto* h = new QHBoxLayout(central);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    h->addWidget(buildLeftPanel());

    pgc_ = new QTabWidget(central);
    pgc_->setObjectName(QStringLiteral("pgc"));
    pgc_->addTab(buildEntryTab(), QStringLiteral("客户送货清单"));
    pgc_->addTab(buildListTab(), QStringLiteral("客户送货单"));
    h->addWidget(pgc_, 1);
    setCentralWidget(central);

    // The four buttons lie on the tab row, right of the tabs, at a fixed distance from the left edge.
    tabbar_ = buildTabRowBar();
    tabbar_->setParent(central);
    tabbar_->move(kTabRowBarX, 0);
    tabbar_->setFixedHeight(pgc_->tabBar()->sizeHint().height());
    tabbar_->adjustSize();
    tabbar_->raise();

    buildMenus();
}

QWidget* TForm1::buildLeftPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("leftpan"));
    panel->setFixedWidth(kLeftPanelWidth);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);
    trv_ = new QTreeWidget(panel);
    trv_->setObjectName(QStringLiteral("trv"));
    trv_->setHeaderHidden(true);
    v->addWidget(trv_, 1);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    tjBtn_ = button("tjBtn", QStringLiteral("&F同级"), panel);
    cjBtn_ = button("cjBtn", QStringLiteral("&N次级"), panel);
    gmBtn_ = button("gmBtn", QStringLiteral("&C改名"), panel);
    scBtn_ = button("scBtn", QStringLiteral("&L删除"), panel);
    buttons->addWidget(tjBtn_, 0, 0);
    buttons->addWidget(cjBtn_, 0, 1);
    buttons->addWidget(gmBtn_, 1, 0);
    buttons->addWidget(scBtn_, 1, 1);
    v->addLayout(buttons);
    return panel;
}

QWidget* TForm1::buildEntryTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("entrytab"));
    auto* v = new QVBoxLayout(tab);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);
    v->addWidget(buildHeaderPanel());

    hgrid_ = new ui::DataGrid(tab);
    hgrid_->setObjectName(QStringLiteral("hgrid"));
    hgrid_->setDataset(hub_->seledt_qry);
    hgrid_->setColumns(deliveryListColumns());
    hgrid_->setBanded(true);
    hgrid_->setFooterVisible(true);
    hgrid_->setEnterAction(ui::DataGrid::EnterAction::NextRow);
    v->addWidget(hgrid_, 1);

    auto* words = new QHBoxLayout;
    words->addWidget(new QLabel(QStringLiteral("金额(大写)："), tab));
    jedx_ = edit("jedx", tab);
    words->addWidget(jedx_, 1);
    v->addLayout(words);

    // The bottom bar; three buttons lie below its visible edge and answer only to their accelerators.
    auto* bar = new QFrame(tab);
    bar->setObjectName(QStringLiteral("bottompan"));
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setFixedHeight(40);
    prnBtn_ = button("prnBtn", QStringLiteral("送货单打印&P"), bar);
    laterBtn_ = button("laterBtn", QStringLiteral("以后打印&L"), bar);
    prnBtn_->setGeometry(8, 6, 130, 28);
    laterBtn_->setGeometry(146, 6, 110, 28);
    auto* exitBtn = button("exitBtn", QStringLiteral("&X 退出"), bar);
    auto* helpBtn = button("helpBtn", QStringLiteral("&H 帮助"), bar);
    auto* spBtn = button("spBtn", QStringLiteral("&M商品"), bar);
    exitBtn->setGeometry(8, 60, 80, 24);
    helpBtn->setGeometry(96, 60, 80, 24);
    spBtn->setGeometry(184, 60, 80, 24);
    for (QPushButton* b : {exitBtn, helpBtn, spBtn}) b->setFocusPolicy(Qt::NoFocus);
    // "关闭 &X" on the tab row does the same; one owner keeps Alt+X unambiguous.
    exitBtn->setShortcut(QKeySequence());
    connect(exitBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(helpBtn, &QPushButton::clicked, this, &TForm1::systemButtonClicked);
    connect(spBtn, &QPushButton::clicked, this, &TForm1::openCatalog);
    v->addWidget(bar);
    return tab;
}

QWidget* TForm1::buildHeaderPanel() {
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("titlepan"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedHeight(kHeaderHeight);
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(3);

    shdno_ = edit("shdno", panel, 110);
    kpdate_ = edit("kpdate", panel, 110);
    kp_ = new ui::DateButton(kpdate_);
    kp_->setObjectName(QStringLiteral("kp"));
    kp_->setFormatter([](const QDate& d) { return notes::DeliveryDateText(d); });
    auto* fhedit = edit("fhedit", panel);
    auto* custname = edit("custname", panel);
    custname->setReadOnly(true);  // a customer is renamed in the tree
    auto* shcp = edit("shcp", panel);
    auto* ywy = edit("ywy", panel);
    auto* shdz = edit("shdz", panel);
    auto* kdr = edit("kdr", panel);
    auto* lxdh = edit("lxdh", panel);
    auto* bz = edit("bz", panel);

    g->addWidget(caption(QStringLiteral("送货单号："), panel), 0, 0);
    g->addWidget(shdno_, 0, 1);
    g->addWidget(caption(QStringLiteral("送货日期："), panel), 0, 2);
    g->addWidget(withButton(kpdate_, kp_, panel), 0, 3);
    g->addWidget(caption(QStringLiteral("发货方式："), panel), 0, 4);
    g->addWidget(withButton(fhedit, lookup("sfh", fhedit, hub_->sfhqry, QStringLiteral("发货方式")), panel),
                 0, 5);

    g->addWidget(caption(QStringLiteral("客户名称："), panel), 1, 0);
    g->addWidget(custname, 1, 1);
    g->addWidget(caption(QStringLiteral("送货车牌："), panel), 1, 2);
    g->addWidget(withButton(shcp, lookup("cpno", shcp, hub_->cpqry, QStringLiteral("送货车牌")), panel), 1,
                 3);
    g->addWidget(caption(QStringLiteral("业务员："), panel), 1, 4);
    g->addWidget(withButton(ywy, lookup("sywy", ywy, hub_->sywqry, QStringLiteral("业务员")), panel), 1, 5);

    g->addWidget(caption(QStringLiteral("送货地址："), panel), 2, 0);
    g->addWidget(shdz, 2, 1);
    g->addWidget(caption(QStringLiteral("开单人员："), panel), 2, 2);
    g->addWidget(withButton(kdr, lookup("skdr", kdr, hub_->skdqry, QStringLiteral("开单人员")), panel), 2, 3);
    g->addWidget(caption(QStringLiteral("联系电话："), panel), 2, 4);
    g->addWidget(lxdh, 2, 5);

    g->addWidget(caption(QStringLiteral("备  注："), panel), 3, 0);
    g->addWidget(bz, 3, 1, 1, 5);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(3, 1);
    g->setColumnStretch(5, 1);
    return panel;
}

QWidget* TForm1::buildListTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("listtab"));
    auto* v = new QVBoxLayout(tab);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);

    auto* panel = new QFrame(tab);
    panel->setObjectName(QStringLiteral("Panel9"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedHeight(kFilterPanelHeight);
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(6, 4, 6, 4);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(4);

    struct Filter {
        const char* caption;
        const char* edit;
        const char* button;  // nullptr: a plain edit
        data::Dataset* list;
        const char* field;
    };
    const QList<QList<Filter>> rows = {{{"智能查询：", "locedit", nullptr, nullptr, nullptr},
                                        {"日期从：", "rqedit", nullptr, nullptr, nullptr},
                                        {"日期到：", "TqEdit", nullptr, nullptr, nullptr},
                                        {"客户：", "khedit", "skh", hub_->skhqry, "客户名称"},
                                        {"车牌：", "cpedit", "scp", hub_->scpqry, "送货车牌"}},
                                       {{"状态：", "ztedit", "szt", hub_->sztqry, "状态"},
                                        {"签回人：", "qhedit", "sqh", hub_->sqhqry, "签回人员"},
                                        {"开单人：", "kdedit", "skd", hub_->skdqry, "开单人员"},
                                        {"业务员：", "ywedit", "syw", hub_->sywqry, "业务员"}}};
    for (int r = 0; r < rows.size(); ++r) {
        int col = 0;
        for (const Filter& f : rows[r]) {
            g->addWidget(caption(QString::fromUtf8(f.caption), panel), r, col++);
            QLineEdit* e = edit(f.edit, panel, 80);
            if (f.button)
                g->addWidget(withButton(e, lookup(f.button, e, f.list, QString::fromUtf8(f.field)), panel), r,
                             col++);
            else
                g->addWidget(e, r, col++);
        }
    }
    BitBtn6_ = button("BitBtn6", QStringLiteral("送货单操作 &E"), panel);
    BitBtn7_ = button("BitBtn7", QStringLiteral("送货单打印&P"), panel);
    auto* actions = new QHBoxLayout;
    actions->addWidget(BitBtn6_);
    actions->addWidget(BitBtn7_);
    g->addLayout(actions, 1, 8, 1, 2);
    for (int c = 1; c < 10; c += 2) g->setColumnStretch(c, 1);
    v->addWidget(panel);

    shdgrid_ = new ui::DataGrid(tab);
    shdgrid_->setObjectName(QStringLiteral("shdgrid"));
    shdgrid_->setDataset(hub_->shdTqry);
    shdgrid_->setColumns(noteListColumns());
    shdgrid_->setReadOnly(true);
    shdgrid_->setBanded(false);
    shdgrid_->setFooterVisible(true);
    shdgrid_->setToolTip(QStringLiteral("按 每栏标题 可以排序"));
    shdgrid_->setFixedHeight(kNoteGridHeight);
    v->addWidget(shdgrid_);

    cpgrid_ = new ui::DataGrid(tab);
    cpgrid_->setObjectName(QStringLiteral("cpgrid"));
    cpgrid_->setDataset(hub_->shdDqry);
    cpgrid_->setColumns(noteLineColumns());
    cpgrid_->setReadOnly(true);  // opened for editing by the line editing of unprinted notes
    cpgrid_->setBanded(true);
    cpgrid_->setFooterVisible(true);
    v->addWidget(cpgrid_, 1);
    return tab;
}

QWidget* TForm1::buildTabRowBar() {
    auto* bar = new QWidget;
    bar->setObjectName(QStringLiteral("tabbar"));
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 1, 0, 1);
    h->setSpacing(2);
    jhrkBtn_ = button("jhrkBtn", QStringLiteral("进货入库&J"), bar);
    tjbbBtn_ = button("tjbbBtn", QStringLiteral("统计报表 &R"), bar);
    xtBtn_ = button("xtBtn", QStringLiteral("系统 &S"), bar);
    gbBtn_ = button("gbBtn", QStringLiteral("关闭 &X"), bar);
    for (QPushButton* b : {jhrkBtn_, tjbbBtn_, xtBtn_, gbBtn_}) {
        b->setStyleSheet(QStringLiteral("QPushButton { padding: 1px 10px; }"));
        h->addWidget(b);
    }
    return bar;
}

void TForm1::buildMenus() {
    jhMenu_ = new QMenu(this);
    jhMenu_->setObjectName(QStringLiteral("jhMenu"));
    connect(item(jhMenu_, "jhrkItem", QStringLiteral("进货入库")), &QAction::triggered, this,
            &TForm1::openReceipts);
    connect(item(jhMenu_, "kcbjItem", QStringLiteral("库存报警查询")), &QAction::triggered, this,
            &TForm1::openStockAlarm);

    tjMenu_ = new QMenu(this);
    tjMenu_->setObjectName(QStringLiteral("tjMenu"));
    connect(item(tjMenu_, "shdtjItem", QStringLiteral("送货单统计")), &QAction::triggered, this,
            &TForm1::openStatistics);
    connect(item(tjMenu_, "lrtjItem", QStringLiteral("利润统计")), &QAction::triggered, this,
            &TForm1::openProfit);

    PopupMenu3_ = new QMenu(this);
    PopupMenu3_->setObjectName(QStringLiteral("PopupMenu3"));
    connect(item(PopupMenu3_, "helpItem", QStringLiteral("帮助")), &QAction::triggered, this,
            &TForm1::openHelp);
    PopupMenu3_->addSeparator();
    connect(item(PopupMenu3_, "userItem", QStringLiteral("用户管理")), &QAction::triggered, this,
            &TForm1::openUserAdmin);
    connect(item(PopupMenu3_, "companyItem", QStringLiteral("公司资料")), &QAction::triggered, this,
            &TForm1::openCompanyProfile);
    connect(item(PopupMenu3_, "spItem", QStringLiteral("货品资料")), &QAction::triggered, this,
            &TForm1::openCatalogWithPrices);
    item(PopupMenu3_, "cpItem", QStringLiteral("车牌资料"))->setVisible(false);  // kept, never shown
    PopupMenu3_->addSeparator();
    connect(item(PopupMenu3_, "calcItem", QStringLiteral("计算器")), &QAction::triggered, this,
            &TForm1::startCalculator);
    connect(item(PopupMenu3_, "aboutItem", QStringLiteral("关于")), &QAction::triggered, this,
            &TForm1::openAbout);

    // The line menu of cpgrid; the line editing of unprinted notes gives the items their work.
    mxxgpop_ = new QMenu(this);
    mxxgpop_->setObjectName(QStringLiteral("mxxgpop"));
    item(mxxgpop_, "mxAdd", QStringLiteral("增加"));
    item(mxxgpop_, "mxEdit", QStringLiteral("修改"));
    item(mxxgpop_, "mxDelete", QStringLiteral("删除"));
    cpgrid_->setContextMenu(mxxgpop_);
}

}  // namespace app
