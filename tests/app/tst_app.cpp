#include "TestDatabase.h"
#include "app/Application.h"
#include "app/SystemActions.h"
#include "app/TForm1.h"
#include "data/DataHub.h"
#include "data/Environment.h"
#include "ui/DataGrid.h"
#include "ui/LookupButton.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using ui::ScriptedDialogs;

namespace {

template <typename T = QWidget>
T* child(QObject* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

// Runs act on the modal window named name as soon as it is on the screen (modal windows block). The
// watch ends when the returned timer goes.
using ModalWatch = std::unique_ptr<QTimer>;
[[nodiscard]] ModalWatch onModal(const QString& name, std::function<void(QDialog*)> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, [t, name, act] {
        auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w || w->objectName() != name) return;
        t->stop();
        act(w);
    });
    timer->start();
    return timer;
}

ModalWatch loginAs(const QString& user) {
    return onModal(QStringLiteral("TloginForm"), [user](QDialog* w) {
        auto* uid = child<QComboBox>(w, QStringLiteral("UID"));
        uid->setCurrentIndex(uid->findText(user));
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("loginBtn")), Qt::LeftButton);
    });
}

qint64 addUser(TestDatabase& t, const QString& name, const QString& right, int tips) {
    return t.insert(
        QStringLiteral("usertable"),
        {{QStringLiteral("用户"), name}, {QStringLiteral("权限"), right}, {QStringLiteral("提示"), tips}});
}

// The program on a test database: dialogs scripted from before the main window exists.
struct Program {
    TestDatabase t;
    ScriptedDialogs d;
    std::unique_ptr<app::Application> program;
    ModalWatch login;

    Program() {
        t.addDeliveredRows();
        data::env().tipsIntervalMs = 2;
    }
    app::TForm1& form() {
        if (!program) program = std::make_unique<app::Application>();
        return program->mainWindow();
    }
    data::DataHub& hub() { return *form().hub(); }
    bool start(const QString& user = QStringLiteral("系统管理员")) {
        form();
        login = loginAs(user);
        return program->start();
    }
};

}  // namespace

class TestApp : public QObject {
    Q_OBJECT
  private slots:
    void startUpOnAnEmptyCustomerTable();
    void leavingTheLoginEndsTheProgram();
    void missingDatabaseIsShownAndStartUpGoesOn();
    void tipsShownOnceAndSuppressedFromTheNextStart();
    void tipsFlagSetNeverShowsTips();
    void tipsCloseBoxDoesNotSave();
    void activationResetsThePickerButKeepsTheDateText();
    void guardedOperations_data();
    void guardedOperations();
    void systemMenuAndHiddenButtons();
    void layoutOfTheMainWindow();
    void headerAndWordsFollowTheCustomer();
    void calculatorIsTheFirstFound();
    void helpDocumentFromTheCurrentDirectory();
};

void TestApp::startUpOnAnEmptyCustomerTable() {
    Program p;
    p.t.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009100001")},
                                       {QStringLiteral("日期"), QStringLiteral("2009年10月01日")}});
    p.t.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009110003")},
                                       {QStringLiteral("日期"), QStringLiteral("2009年11月02日")}});
    bool treeHookRan = false;
    p.form().loadCustomerTree = [&] { treeHookRan = true; };
    QVERIFY(p.start());
    app::TForm1& f = p.form();
    QVERIFY(f.isVisible());
    QVERIFY(treeHookRan);
    QCOMPARE(f.trv()->topLevelItemCount(), 0);
    QCOMPARE(f.pgc()->currentIndex(), 0);
    QCOMPARE(f.kp()->date(), QDate(2009, 11, 7));
    QCOMPARE(f.kpdate()->text(), QStringLiteral("2009年11月07日"));
    QCOMPARE(f.shdno()->text(), QStringLiteral("2009110001"));
    QCOMPARE(p.t.scalar(QStringLiteral("select 送货单日期 from djno")).toString(), QStringLiteral("200911"));
    QCOMPARE(f.headerEdit(QStringLiteral("custname"))->text(), QString());
    // The note list shows every note, newest first.
    QCOMPARE(p.hub().shdTqry->count(), 2);
    QCOMPARE(p.hub().shdTqry->text(QStringLiteral("送货单号")), QStringLiteral("2009110003"));
    QVERIFY(p.hub().sfhqry->isOpen());
    QVERIFY(f.tipsTimer()->isActive() || f.tipsTicks() >= 5);
    QVERIFY(p.d.messages().isEmpty());
}

void TestApp::leavingTheLoginEndsTheProgram() {
    Program p;
    p.form();
    const ModalWatch watch = onModal(QStringLiteral("TloginForm"), [](QDialog* w) {
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("exitBtn")), Qt::LeftButton);
    });
    QVERIFY(!p.program->start());
    QVERIFY(!p.form().isVisible());
    QVERIFY(!p.form().tipsTimer()->isActive());
    QVERIFY(p.form().shdno()->text().isEmpty());
}

void TestApp::missingDatabaseIsShownAndStartUpGoesOn() {
    Program p;
    QTemporaryDir empty;
    data::env().programDir = [&] { return empty.path(); };
    p.form();
    QCOMPARE(p.d.messages().size(), 1);
    QCOMPARE(p.d.asked.front().icon, ui::Dialogs::Icon::Critical);
    QVERIFY(!p.hub().isConnected());
    const ModalWatch watch = onModal(QStringLiteral("TloginForm"), [&](QDialog* w) {
        QCOMPARE(child<QComboBox>(w, QStringLiteral("UID"))->count(), 0);
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("exitBtn")), Qt::LeftButton);
    });
    QVERIFY(!p.program->start());
}

void TestApp::tipsShownOnceAndSuppressedFromTheNextStart() {
    Program p;
    const qint64 id = addUser(p.t, QStringLiteral("新手"), QStringLiteral("操作"), 0);
    int shown = 0;
    const ModalWatch watch = onModal(QStringLiteral("TtsForm"), [&](QDialog* w) {
        ++shown;
        QCOMPARE(w->windowTitle(), QStringLiteral("说明"));
        auto* box = child<QCheckBox>(w, QStringLiteral("CheckBox1"));
        QCOMPARE(box->text(), QStringLiteral("下次不再提示"));
        QVERIFY(!box->isChecked());
        box->setChecked(true);
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("okBtn")), Qt::LeftButton);
    });
    QVERIFY(p.start(QStringLiteral("新手")));
    QTRY_COMPARE(shown, 1);
    QTRY_VERIFY(!p.form().tipsTimer()->isActive());
    QCOMPARE(p.form().tipsTicks(), 5);
    QCOMPARE(
        p.t.scalar(QStringLiteral("select 提示 from usertable where id = :id"), {{QStringLiteral("id"), id}})
            .toInt(),
        1);
    QTest::qWait(30);
    QCOMPARE(shown, 1);  // the timer stays off
}

void TestApp::tipsFlagSetNeverShowsTips() {
    Program p;  // the delivered user has 提示 set
    bool shown = false;
    const ModalWatch watch = onModal(QStringLiteral("TtsForm"), [&](QDialog* w) {
        shown = true;
        w->reject();
    });
    QVERIFY(p.start());
    QTRY_VERIFY(!p.form().tipsTimer()->isActive());
    QTest::qWait(30);
    QVERIFY(!shown);
}

void TestApp::tipsCloseBoxDoesNotSave() {
    Program p;
    const qint64 id = addUser(p.t, QStringLiteral("新手"), QStringLiteral("操作"), 0);
    bool shown = false;
    const ModalWatch watch = onModal(QStringLiteral("TtsForm"), [&](QDialog* w) {
        shown = true;
        child<QCheckBox>(w, QStringLiteral("CheckBox1"))->setChecked(true);
        w->reject();  // the close box
    });
    QVERIFY(p.start(QStringLiteral("新手")));
    QTRY_VERIFY(shown);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(
        p.t.scalar(QStringLiteral("select 提示 from usertable where id = :id"), {{QStringLiteral("id"), id}})
            .toInt(),
        0);
}

void TestApp::activationResetsThePickerButKeepsTheDateText() {
    Program p;
    QVERIFY(p.start());
    app::TForm1& f = p.form();
    f.kp()->choose(QDate(2009, 12, 24));
    QCOMPARE(f.kpdate()->text(), QStringLiteral("2009年12月24日"));
    p.hub().skhqry->close();
    const int customers = p.hub().sele_qry->count();
    const ModalWatch watch = onModal(QStringLiteral("TAboutForm"), [](QDialog* w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("关于"));
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("okBtn")), Qt::LeftButton);
    });
    p.d.answerPopup(QStringLiteral("关于"));
    QTest::mouseClick(child<QPushButton>(&f, QStringLiteral("xtBtn")), Qt::LeftButton);
    QCOMPARE(f.kp()->date(), QDate(2009, 11, 7));
    QCOMPARE(f.kpdate()->text(), QStringLiteral("2009年12月24日"));
    QVERIFY(p.hub().skhqry->isOpen());  // what was closed is opened again
    QCOMPARE(p.hub().sele_qry->count(), customers);
}

void TestApp::guardedOperations_data() {
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("管理") << QStringLiteral("管理") << true;
    QTest::newRow("财务") << QStringLiteral("财务") << true;
    QTest::newRow("操作") << QStringLiteral("操作") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestApp::guardedOperations() {
    QFETCH(QString, right);
    QFETCH(bool, allowed);
    Program p;
    addUser(p.t, QStringLiteral("某人"), right, 1);
    QVERIFY(p.start(QStringLiteral("某人")));
    app::TForm1& f = p.form();
    const QString refusal = QStringLiteral("您没有权限使用此功能！");
    const QList<std::pair<QString, QString>> buttons = {
        {QStringLiteral("jhrkBtn"), QStringLiteral("进货入库|库存报警查询")},
        {QStringLiteral("tjbbBtn"), QStringLiteral("送货单统计|利润统计")}};
    for (const auto& [name, items] : buttons) {
        p.d.clear();
        QTest::mouseClick(child<QPushButton>(&f, name), Qt::LeftButton);
        QCOMPARE(p.d.asked.size(), size_t(1));
        if (allowed) {
            QCOMPARE(p.d.asked.front().kind, QStringLiteral("popup"));
            QCOMPARE(p.d.asked.front().caption, items);
        } else {
            QCOMPARE(p.d.messages(), QStringList{refusal});
            QCOMPARE(p.d.asked.front().icon, ui::Dialogs::Icon::Warning);
        }
    }
    QList<bool> catalogOpened;  // withPurchasePrices of every opening
    f.openCatalogHook = [&](bool withPrices) { catalogOpened << withPrices; };
    p.d.clear();
    child<QAction>(&f, QStringLiteral("spItem"))->trigger();  // "货品资料"
    QCOMPARE(p.d.messages(), allowed ? QStringList{} : QStringList{refusal});
    QCOMPARE(catalogOpened, allowed ? QList<bool>{true} : QList<bool>{});
    // "&M商品" is open to everyone: the plain catalog.
    p.d.clear();
    catalogOpened.clear();
    QTest::mouseClick(child<QPushButton>(&f, QStringLiteral("spBtn")), Qt::LeftButton);
    QVERIFY(p.d.messages().isEmpty());
    QCOMPARE(catalogOpened, QList<bool>{false});
}

void TestApp::systemMenuAndHiddenButtons() {
    Program p;
    QVERIFY(p.start());
    app::TForm1& f = p.form();
    const QString items = QStringLiteral("帮助|用户管理|公司资料|货品资料|计算器|关于");  // never "车牌资料"
    QTest::mouseClick(child<QPushButton>(&f, QStringLiteral("xtBtn")), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&f, QStringLiteral("helpBtn")), Qt::LeftButton);  // "&H 帮助"
    QCOMPARE(p.d.asked.size(), size_t(2));
    for (const auto& a : p.d.asked) {
        QCOMPARE(a.kind, QStringLiteral("popup"));
        QCOMPARE(a.caption, items);
    }
    // "用户管理" opens the administration window for anyone; closing it runs the activation.
    const ModalWatch watch = onModal(QStringLiteral("TepassForm"), [](QDialog* w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("增加用户、设置权限、密码"));
        QTest::mouseClick(child<QPushButton>(w, QStringLiteral("closeBtn")), Qt::LeftButton);
    });
    p.d.answerPopup(QStringLiteral("用户管理"));
    QTest::mouseClick(child<QPushButton>(&f, QStringLiteral("xtBtn")), Qt::LeftButton);
    QVERIFY(!QApplication::activeModalWidget());

    auto* exitBtn = child<QPushButton>(&f, QStringLiteral("exitBtn"));
    QCOMPARE(exitBtn->text(), QStringLiteral("&X 退出"));
    QVERIFY(exitBtn->y() >=
            child<QWidget>(&f, QStringLiteral("bottompan"))->height());  // below the visible edge
    QTest::mouseClick(exitBtn, Qt::LeftButton);
    QVERIFY(!f.isVisible());
}

void TestApp::layoutOfTheMainWindow() {
    Program p;
    app::TForm1& f = p.form();
    f.resize(1024, 694);
    f.show();
    QCOMPARE(f.windowTitle(), QStringLiteral("Tarvel送货单打印管理软件 V1.9 专业版"));
    QCOMPARE(child<QWidget>(&f, QStringLiteral("leftpan"))->width(), 225);
    QCOMPARE(f.pgc()->tabText(0), QStringLiteral("客户送货清单"));
    QCOMPARE(f.pgc()->tabText(1), QStringLiteral("客户送货单"));
    QCOMPARE(child<QWidget>(&f, QStringLiteral("tabbar"))->mapTo(&f, QPoint(0, 0)).x(), 637);
    QCOMPARE(child<QWidget>(&f, QStringLiteral("titlepan"))->height(), 105);

    const QList<std::pair<const char*, const char*>> buttons = {
        {"tjBtn", "&F同级"},          {"cjBtn", "&N次级"},        {"gmBtn", "&C改名"},
        {"scBtn", "&L删除"},          {"jhrkBtn", "进货入库&J"},  {"tjbbBtn", "统计报表 &R"},
        {"xtBtn", "系统 &S"},         {"gbBtn", "关闭 &X"},       {"prnBtn", "送货单打印&P"},
        {"laterBtn", "以后打印&L"},   {"helpBtn", "&H 帮助"},     {"spBtn", "&M商品"},
        {"BitBtn6", "送货单操作 &E"}, {"BitBtn7", "送货单打印&P"}};
    for (const auto& [name, text] : buttons)
        QCOMPARE(child<QPushButton>(&f, QString::fromLatin1(name))->text(), QString::fromUtf8(text));
    for (const char* name : {"shdno",  "kpdate", "fhedit", "custname", "shcp",    "ywy",    "shdz",
                             "kdr",    "lxdh",   "bz",     "jedx",     "locedit", "rqedit", "TqEdit",
                             "khedit", "cpedit", "ztedit", "qhedit",   "kdedit",  "ywedit"})
        child<QLineEdit>(&f, QString::fromLatin1(name));
    for (const char* name : {"sfh", "cpno", "sywy", "skdr", "skh", "scp", "szt", "sqh", "skd", "syw"})
        child<ui::LookupButton>(&f, QString::fromLatin1(name));
    child<ui::DateButton>(&f, QStringLiteral("kp"));

    const auto fields = [](const ui::DataGrid* g) {
        QStringList l;
        for (const auto& c : g->columns()) l << c.field;
        return l;
    };
    QCOMPARE(fields(f.hgrid()),
             QStringLiteral("商品编号 名称 类别 规格型号 单位 数量 售价 折扣 金额 产地 备注").split(' '));
    QCOMPARE(fields(f.shdgrid()),
             QStringLiteral("日期 送货单号 客户名称 状态 总金额 签回人员 签回时间 送货车牌 送货地址 "
                            "发货方式 联系电话 开单人员 业务员 录入人员 录入时间 备注")
                 .split(' '));
    QCOMPARE(fields(f.cpgrid()),
             QStringLiteral("商品编号 名称 单位 数量 售价 折扣 金额 类别 规格型号 产地 备注").split(' '));
    QCOMPARE(f.hgrid()->columnTitle(QStringLiteral("数量")), QStringLiteral("送货数量"));
    QCOMPARE(f.hgrid()->columnTitle(QStringLiteral("商品编号")), QStringLiteral("货品编号"));
    QCOMPARE(f.cpgrid()->columnTitle(QStringLiteral("折扣")), QStringLiteral("折扣(%)"));
    QVERIFY(f.shdgrid()->isReadOnly());
    QCOMPARE(f.shdgrid()->toolTip(), QStringLiteral("按 每栏标题 可以排序"));
    QStringList lineMenu;
    for (QAction* a : f.lineMenu()->actions()) lineMenu << a->text();
    QCOMPARE(lineMenu, QStringList({QStringLiteral("增加"), QStringLiteral("修改"), QStringLiteral("删除")}));
    QVERIFY(!child<QAction>(&f, QStringLiteral("cpItem"))->isVisible());
}

void TestApp::headerAndWordsFollowTheCustomer() {
    Program p;
    p.t.insert(QStringLiteral("cust"), {{QStringLiteral("客户名称"), QStringLiteral("东方商场")},
                                        {QStringLiteral("送货地址"), QStringLiteral("人民路8号")},
                                        {QStringLiteral("联系电话"), QStringLiteral("88886666")},
                                        {QStringLiteral("送货车牌"), QStringLiteral("浙A12345")},
                                        {QStringLiteral("开单人员"), QStringLiteral("小王")},
                                        {QStringLiteral("业务员"), QStringLiteral("老李")},
                                        {QStringLiteral("发货方式"), QStringLiteral("送货")},
                                        {QStringLiteral("备注"), QStringLiteral("周末不收货")}});
    for (double amount : {1.005, 2.0})
        p.t.insert(QStringLiteral("cust_sp"), {{QStringLiteral("客户名称"), QStringLiteral("东方商场")},
                                               {QStringLiteral("商品编号"), QString::number(amount)},
                                               {QStringLiteral("金额"), amount}});
    QVERIFY(p.start());
    app::TForm1& f = p.form();
    const QList<std::pair<const char*, const char*>> expected = {
        {"custname", "东方商场"}, {"shdz", "人民路8号"}, {"lxdh", "88886666"}, {"shcp", "浙A12345"},
        {"kdr", "小王"},          {"ywy", "老李"},       {"fhedit", "送货"},   {"bz", "周末不收货"}};
    for (const auto& [name, text] : expected)
        QCOMPARE(f.headerEdit(QString::fromLatin1(name))->text(), QString::fromUtf8(text));
    QCOMPARE(f.jedx()->text(), QStringLiteral("人民币叁圆零壹分"));
    p.hub().seledt_qry->setField(QStringLiteral("金额"), 10.0);  // the first row 1.005 -> 10
    QCOMPARE(f.jedx()->text(), QStringLiteral("人民币壹拾贰圆整"));
    p.hub().sele_qry->setField(QStringLiteral("备注"), QStringLiteral("随时"));
    QCOMPARE(f.headerEdit(QStringLiteral("bz"))->text(), QStringLiteral("随时"));
}

void TestApp::calculatorIsTheFirstFound() {
    QTemporaryDir dir;
    const auto makeProgram = [&](const QString& name) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    };
    QTemporaryDir empty;
    QVERIFY(app::findCalculator({empty.path()}).isEmpty());
    makeProgram(QStringLiteral("xcalc"));
    makeProgram(QStringLiteral("galculator"));
    QCOMPARE(app::findCalculator({dir.path()}), dir.filePath(QStringLiteral("galculator")));

    ScriptedDialogs d;
    d.answerStart(true);
    app::startCalculator({dir.path()});
    QCOMPARE(d.asked.size(), size_t(1));
    QCOMPARE(d.asked.front().kind, QStringLiteral("startProgram"));
    QCOMPARE(d.asked.front().text, dir.filePath(QStringLiteral("galculator")));

    d.clear();
    app::startCalculator({empty.path()});
    QCOMPARE(d.messages().size(), 1);
    QVERIFY(d.lastMessage().contains(QStringLiteral("没有找到计算器")));
}

void TestApp::helpDocumentFromTheCurrentDirectory() {
    const QString saved = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ScriptedDialogs d;
    app::openHelpDocument();
    QCOMPARE(d.messages().size(), 1);  // no document here: said so, nothing opened
    QVERIFY(d.lastMessage().contains(app::kHelpDocument));

    QFile doc(dir.filePath(app::kHelpDocument));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();
    d.clear();
    d.answerOpenUrl(true);
    app::openHelpDocument();
    QCOMPARE(d.asked.size(), size_t(1));
    QCOMPARE(d.asked.front().kind, QStringLiteral("openUrl"));
    QCOMPARE(QUrl(d.asked.front().text).toLocalFile(), QFileInfo(doc).absoluteFilePath());
    QDir::setCurrent(saved);
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
