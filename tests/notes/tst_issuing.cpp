#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/DbError.h"
#include "data/Sql.h"
#include "notes/IssueController.h"
#include "notes/Issuing.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using ui::Dialogs;

namespace {
const QString kCustomer = QStringLiteral("甲公司");
}

// The entry tab's controls, the hub and a customer with a delivery list of three goods.
struct IssueFixture {
    TestDatabase db;
    std::unique_ptr<data::DataHub> hub;
    QWidget window;
    QLineEdit *shdno, *kpdate, *custname, *shdz, *lxdh, *shcp, *kdr, *ywy, *fhedit, *bz, *jedx;
    QPushButton *prnBtn, *laterBtn;
    std::unique_ptr<notes::IssueController> controller;

    IssueFixture() {
        db.addDeliveredRows();
        db.insert(QStringLiteral("cust"), {{QStringLiteral("客户名称"), kCustomer}});
        db.insert(QStringLiteral("sp"),
                  {{QStringLiteral("商品编号"), QStringLiteral("A001")}, {QStringLiteral("库存"), 5}});
        db.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), QStringLiteral("A002")},
                                         {QStringLiteral("库存"), QVariant()}});
        db.insert(QStringLiteral("sp"),
                  {{QStringLiteral("商品编号"), QStringLiteral("A003")}, {QStringLiteral("库存"), 100}});
        listRow("A001", 8, 10, 100, 80);
        listRow("A002", 8, 5, QVariant(), 40);
        listRow("A003", QVariant(), 2, QVariant(), 7.5);  // an amount without a quantity
        data::execRaw(db.db(), QStringLiteral("update djno set 送货单日期='200911', 送货单号=1"));

        hub = db.openHub();
        hub->userqry->open();
        hub->sele_qry->open();
        hub->seledt_qry->open();
        auto edit = [this](const char* name, const QString& text = {}) {
            auto* e = new QLineEdit(text, &window);
            e->setObjectName(QString::fromLatin1(name));
            return e;
        };
        shdno = edit("shdno", QStringLiteral("2009110001"));
        kpdate = edit("kpdate", QStringLiteral("2009年11月07日"));
        custname = edit("custname", kCustomer);
        shdz = edit("shdz", QStringLiteral("西湖路1号"));
        lxdh = edit("lxdh", QStringLiteral("0571-1"));
        shcp = edit("shcp", QStringLiteral("浙A12345"));
        kdr = edit("kdr", QStringLiteral("小王"));
        ywy = edit("ywy", QStringLiteral("老李"));
        fhedit = edit("fhedit", QStringLiteral("送货"));
        bz = edit("bz", QStringLiteral("加急"));
        jedx = edit("jedx", QStringLiteral("人民币壹佰贰拾柒圆伍角"));
        prnBtn = new QPushButton(QStringLiteral("送货单打印&P"), &window);
        laterBtn = new QPushButton(QStringLiteral("以后打印&L"), &window);
        controller = std::make_unique<notes::IssueController>(
            *hub, notes::IssueWidgets{shdno, kpdate, custname, shdz, lxdh, shcp, kdr, ywy, fhedit, bz, jedx,
                                      prnBtn, laterBtn});
    }

    void listRow(const char* code, const QVariant& qty, double price, const QVariant& discount,
                 double amount) {
        db.insert(QStringLiteral("cust_sp"),
                  {{QStringLiteral("客户名称"), kCustomer},
                   {QStringLiteral("商品编号"), QString::fromLatin1(code)},
                   {QStringLiteral("名称"), QStringLiteral("货品") + QString::fromLatin1(code)},
                   {QStringLiteral("数量"), qty},
                   {QStringLiteral("售价"), price},
                   {QStringLiteral("折扣"), discount},
                   {QStringLiteral("金额"), amount}});
    }
    QVariant stockOf(const char* code) {
        return db.scalar(QStringLiteral("select 库存 from sp where 商品编号=:c"),
                         {{QStringLiteral("c"), QString::fromLatin1(code)}});
    }
    int quantities() { return db.count(QStringLiteral("cust_sp"), QStringLiteral("数量 is not null")); }
};

class TestIssuing : public QObject {
    Q_OBJECT
  private slots:
    void printLaterStoresTheNote();
    void printNowAsksAboutStock_data();
    void printNowAsksAboutStock();
    void noQuantityStopsEverything();
    void refusedNumberWritesNothing_data();
    void refusedNumberWritesNothing();
    void numberTakenWhileThePrintWindowWasOpen();
    void typedNumberAndTwoNotesInARow();
    void failedWriteLeavesNothingHalfWritten();
    void headerFieldsEditTheCustomer();
};

void TestIssuing::printLaterStoresTheNote() {
    IssueFixture f;
    ui::ScriptedDialogs dialogs;
    bool reread = false;
    f.controller->afterIssue = [&] { reread = true; };
    QTest::mouseClick(f.laterBtn, Qt::LeftButton);

    QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("送货单已经保存!")});
    QCOMPARE(dialogs.asked.front().icon, Dialogs::Icon::Warning);
    // Only the rows with a quantity became lines; the row with an amount but no quantity did not.
    const auto lines =
        data::rows(f.db.db(), data::Statement{QStringLiteral("select * from shdsp order by 商品编号")});
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].value(QStringLiteral("商品编号")).toString(), QStringLiteral("A001"));
    QCOMPARE(lines[0].value(QStringLiteral("送货单号")).toString(), QStringLiteral("2009110001"));
    QCOMPARE(lines[0].value(QStringLiteral("金额")).toDouble(), 80.0);
    QCOMPARE(lines[1].value(QStringLiteral("客户名称")).toString(), kCustomer);

    const auto header = data::rows(f.db.db(), data::Statement{QStringLiteral("select * from shd")});
    QCOMPARE(header.size(), 1);
    const QVariantMap h = header.first();
    QCOMPARE(h.value(QStringLiteral("状态")).toString(), QStringLiteral("未打印"));
    // The total counts every row of the list, the one without a quantity included.
    QCOMPARE(h.value(QStringLiteral("总金额")).toDouble(), 127.5);
    QCOMPARE(h.value(QStringLiteral("大写金额")).toString(), QStringLiteral("人民币壹佰贰拾柒圆伍角"));
    QCOMPARE(h.value(QStringLiteral("日期")).toString(), QStringLiteral("2009年11月07日"));
    QCOMPARE(h.value(QStringLiteral("日期2")).toString(), QStringLiteral("2009-11-07"));
    QCOMPARE(h.value(QStringLiteral("录入时间")).toString(), QStringLiteral("2009-11-07 10:30:00"));
    QCOMPARE(h.value(QStringLiteral("录入人员")).toString(), QStringLiteral("系统管理员"));
    QCOMPARE(h.value(QStringLiteral("送货地址")).toString(), QStringLiteral("西湖路1号"));
    QCOMPARE(h.value(QStringLiteral("送货车牌")).toString(), QStringLiteral("浙A12345"));
    QCOMPARE(h.value(QStringLiteral("业务员")).toString(), QStringLiteral("老李"));
    QCOMPARE(h.value(QStringLiteral("备注")).toString(), QStringLiteral("加急"));
    QVERIFY(h.value(QStringLiteral("签回人员")).isNull());

    // Stock untouched, quantities and amounts emptied, the next number proposed, the list re-read.
    QCOMPARE(f.stockOf("A001").toDouble(), 5.0);
    QCOMPARE(f.quantities(), 0);
    QCOMPARE(f.db.count(QStringLiteral("cust_sp"), QStringLiteral("金额 is not null")), 0);
    QCOMPARE(f.db.count(QStringLiteral("cust_sp")), 3);
    QCOMPARE(f.shdno->text(), QStringLiteral("2009110002"));
    QCOMPARE(f.jedx->text(), QStringLiteral("人民币零圆整"));
    QVERIFY(reread);
    QVERIFY(f.hub->seledt_qry->value(0, QStringLiteral("数量")).isNull());
}

void TestIssuing::printNowAsksAboutStock_data() {
    QTest::addColumn<bool>("deduct");
    QTest::addColumn<QVariant>("stockA001");
    QTest::addColumn<QVariant>("stockA002");
    QTest::newRow("yes: 5 - 8 and empty - 8") << true << QVariant(-3.0) << QVariant(-8.0);
    QTest::newRow("no: stock untouched") << false << QVariant(5.0) << QVariant();
}

void TestIssuing::printNowAsksAboutStock() {
    QFETCH(bool, deduct);
    QFETCH(QVariant, stockA001);
    QFETCH(QVariant, stockA002);
    IssueFixture f;
    ui::ScriptedDialogs dialogs;
    dialogs.answer(deduct ? Dialogs::Button::Yes : Dialogs::Button::No);
    notes::PrintRequest seen;
    int stockWhilePrinting = 0;
    f.controller->printHook = [&](const notes::PrintRequest& r) {
        seen = r;
        stockWhilePrinting = f.stockOf("A001").toInt();
        QCOMPARE(f.db.count(QStringLiteral("shd")), 0);  // stored only after the window closed
    };
    QTest::mouseClick(f.prnBtn, Qt::LeftButton);

    QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("是否扣除货品库存?")});
    QCOMPARE(dialogs.asked.front().icon, Dialogs::Icon::Question);
    QCOMPARE(seen.number, QStringLiteral("2009110001"));
    QCOMPARE(seen.lines.size(), 2);
    QCOMPARE(seen.lines[0].value(QStringLiteral("商品编号")).toString(), QStringLiteral("A001"));
    QCOMPARE(stockWhilePrinting, 5);
    QCOMPARE(f.db.scalar(QStringLiteral("select 状态 from shd")).toString(), QStringLiteral("已打印"));
    QCOMPARE(f.db.count(QStringLiteral("shdsp")), 2);
    QCOMPARE(f.stockOf("A001").toDouble(), stockA001.toDouble());
    QCOMPARE(f.stockOf("A002").isNull(), stockA002.isNull());
    QCOMPARE(f.stockOf("A002").toDouble(), stockA002.toDouble());
    QCOMPARE(f.stockOf("A003").toDouble(), 100.0);  // no quantity, not delivered
    QCOMPARE(f.quantities(), 0);
    QCOMPARE(f.shdno->text(), QStringLiteral("2009110002"));
}

void TestIssuing::noQuantityStopsEverything() {
    IssueFixture f;
    data::execRaw(f.db.db(), QStringLiteral("update cust_sp set 数量=0"));
    f.hub->seledt_qry->refresh();
    ui::ScriptedDialogs dialogs;
    for (QPushButton* b : {f.prnBtn, f.laterBtn}) QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(dialogs.messages(),
             (QStringList{QStringLiteral("送货数量不能为零!"), QStringLiteral("送货数量不能为零!")}));
    QCOMPARE(f.db.count(QStringLiteral("shd")), 0);
    QCOMPARE(f.db.count(QStringLiteral("shdsp")), 0);
    QCOMPARE(f.shdno->text(), QStringLiteral("2009110001"));
}

void TestIssuing::refusedNumberWritesNothing_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QStringLiteral("送货单号不能为空，请填写送货单号!");
    QTest::newRow("blanks") << QStringLiteral("  ") << QStringLiteral("送货单号不能为空，请填写送货单号!");
    QTest::newRow("stored") << QStringLiteral("2009110001")
                            << QStringLiteral("送货单号 2009110001 已经有送货单了，请换一个送货单号!");
    QTest::newRow("stored, other letter case")
        << QStringLiteral("a2009") << QStringLiteral("送货单号 a2009 已经有送货单了，请换一个送货单号!");
}

void TestIssuing::refusedNumberWritesNothing() {
    QFETCH(QString, number);
    QFETCH(QString, message);
    IssueFixture f;
    f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009110001")}});
    f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("A2009")}});
    f.shdno->setText(number);
    for (QPushButton* b : {f.prnBtn, f.laterBtn}) {
        ui::ScriptedDialogs dialogs;
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(dialogs.messages(), QStringList{message});  // refused before the stock question
    }
    QCOMPARE(f.db.count(QStringLiteral("shd")), 2);
    QCOMPARE(f.db.count(QStringLiteral("shdsp")), 0);
    QCOMPARE(f.quantities(), 2);
    QCOMPARE(f.stockOf("A001").toDouble(), 5.0);
    QCOMPARE(f.db.scalar(QStringLiteral("select 送货单号 from djno")).toInt(), 1);
}

void TestIssuing::numberTakenWhileThePrintWindowWasOpen() {
    IssueFixture f;
    ui::ScriptedDialogs dialogs;
    dialogs.answer(Dialogs::Button::Yes);
    // Another copy of the program stores a note under the same number meanwhile.
    f.controller->printHook = [&](const notes::PrintRequest&) {
        f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009110001")}});
    };
    QTest::mouseClick(f.prnBtn, Qt::LeftButton);
    QCOMPARE(dialogs.asked.size(), size_t(2));
    QCOMPARE(dialogs.asked[1].icon, Dialogs::Icon::Critical);
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("2009110001")));
    QCOMPARE(f.db.count(QStringLiteral("shd")), 1);
    QCOMPARE(f.db.count(QStringLiteral("shdsp")), 0);
    QCOMPARE(f.stockOf("A001").toDouble(), 5.0);
    QCOMPARE(f.quantities(), 2);
}

void TestIssuing::typedNumberAndTwoNotesInARow() {
    IssueFixture f;
    ui::ScriptedDialogs dialogs;
    f.shdno->setText(QStringLiteral("2009110050"));
    QTest::mouseClick(f.laterBtn, Qt::LeftButton);
    QCOMPARE(f.db.count(QStringLiteral("shd"), QStringLiteral("送货单号='2009110050'")), 1);
    const QString second = f.shdno->text();
    // The next proposal follows today's greatest number.
    QCOMPARE(second, QStringLiteral("2009110051"));

    // Only the quantity typed after the first issue becomes the second note's line.
    data::execRaw(f.db.db(), QStringLiteral("update cust_sp set 数量=2, 金额=10 where 商品编号='A002'"));
    f.hub->seledt_qry->refresh();
    QTest::mouseClick(f.laterBtn, Qt::LeftButton);
    const auto lines =
        data::rows(f.db.db(), data::Statement{QStringLiteral("select * from shdsp where 送货单号=:n")}.bind(
                                  QStringLiteral("n"), second));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value(QStringLiteral("商品编号")).toString(), QStringLiteral("A002"));
    QCOMPARE(lines[0].value(QStringLiteral("数量")).toDouble(), 2.0);
    QCOMPARE(f.shdno->text(), QStringLiteral("2009110052"));
    QCOMPARE(dialogs.messages().size(), 2);
}

void TestIssuing::failedWriteLeavesNothingHalfWritten() {
    IssueFixture f;
    data::execRaw(
        f.db.db(),
        QStringLiteral(
            "create trigger refuse_header before insert on shd begin select raise(abort, '磁盘已满'); end"));
    notes::NoteHeader header;
    header.number = QStringLiteral("2009110001");
    header.customer = kCustomer;
    notes::IssueContext context{notes::IssueMode::PrintNow, QStringLiteral("u"),
                                QDateTime(QDate(2009, 11, 7), QTime(9, 0)), true};
    QVERIFY_THROWS_EXCEPTION(data::DbError, notes::issueNote(f.db.db(), header, context));
    QCOMPARE(f.db.count(QStringLiteral("shdsp")), 0);
    QCOMPARE(f.stockOf("A001").toDouble(), 5.0);
    QCOMPARE(f.quantities(), 2);
    QCOMPARE(f.db.scalar(QStringLiteral("select 送货单号 from djno")).toInt(), 1);
}

void TestIssuing::headerFieldsEditTheCustomer() {
    IssueFixture f;
    QVERIFY(f.hub->sele_qry->locate(QStringLiteral("客户名称"), kCustomer));
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.shcp->setFocus();
    f.shcp->selectAll();
    QTest::keyClicks(f.shcp, QStringLiteral("ZJ-A 1"));
    QCOMPARE(f.hub->sele_qry->text(QStringLiteral("送货车牌")), QStringLiteral("ZJ-A 1"));
    f.bz->setFocus();  // leaving the field saves the customer's record
    QTRY_COMPARE(f.db.scalar(QStringLiteral("select 送货车牌 from cust")).toString(),
                 QStringLiteral("ZJ-A 1"));
    // The note takes the fields as they stand.
    ui::ScriptedDialogs dialogs;
    QTest::mouseClick(f.laterBtn, Qt::LeftButton);
    QCOMPARE(f.db.scalar(QStringLiteral("select 送货车牌 from shd")).toString(), QStringLiteral("ZJ-A 1"));
}

QTEST_MAIN(TestIssuing)
#include "tst_issuing.moc"
