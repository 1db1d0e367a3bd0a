#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Sql.h"
#include "notes/AmountInWords.h"
#include "notes/LineEditing.h"
#include "notes/NoteListController.h"
#include "notes/NoteStatus.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

using ui::Dialogs;

namespace {
const QString kFirst = QStringLiteral("2009110001");  // 未打印, lines A1 (10 × 5 at 100%) = 50 and A2 = 20
const QString kSecond = QStringLiteral("2009110002");  // 已签回
}  // namespace

// The list tab over two notes, with users of every right.
struct Fixture {
    TestDatabase db;
    std::unique_ptr<data::DataHub> hub;
    QWidget window;
    QLineEdit* locedit;
    ui::DataGrid *shdgrid, *cpgrid;
    QPushButton* operations;
    QMenu* lineMenu;
    std::unique_ptr<notes::NoteListController> controller;

    Fixture() {
        db.addDeliveredRows();
        for (const auto& [name, right] :
             {std::pair{"财务员", "财务"}, std::pair{"操作员", "操作"}, std::pair{"无权限", ""}})
            db.insert(QStringLiteral("usertable"), {{QStringLiteral("用户"), QString::fromUtf8(name)},
                                                    {QStringLiteral("权限"), QString::fromUtf8(right)}});
        note(kFirst, QStringLiteral("未打印"), QStringLiteral("2009年11月07日"), 70);
        note(kSecond, QStringLiteral("已签回"), QStringLiteral("2009年11月06日"), 9);
        line(kFirst, "A1", 10, 5, 100, 50);
        line(kFirst, "A2", 4, 5, QVariant(), 20);
        line(kSecond, "A1", 1, 9, QVariant(), 9);

        hub = db.openHub();
        auto* layout = new QVBoxLayout(&window);
        locedit = new QLineEdit;
        shdgrid = new ui::DataGrid;
        cpgrid = new ui::DataGrid;
        operations = new QPushButton(QStringLiteral("送货单操作 &E"));
        for (QWidget* w : std::initializer_list<QWidget*>{locedit, operations, shdgrid, cpgrid})
            layout->addWidget(w);
        QList<ui::GridColumn> columns;
        for (const char* field : {"送货单号", "状态", "总金额"}) {
            ui::GridColumn c;
            c.field = QString::fromUtf8(field);
            columns << c;
        }
        shdgrid->setColumns(columns);
        shdgrid->setDataset(hub->shdTqry);
        shdgrid->setReadOnly(true);
        columns.clear();
        for (const char* field : {"商品编号", "数量", "售价", "折扣", "金额", "备注"}) {
            ui::GridColumn c;
            c.field = QString::fromUtf8(field);
            columns << c;
        }
        cpgrid->setColumns(columns);
        cpgrid->setDataset(hub->shdDqry);
        cpgrid->setReadOnly(true);
        lineMenu = new QMenu(&window);
        for (const char* item : {"增加", "修改", "删除"}) lineMenu->addAction(QString::fromUtf8(item));
        notes::NoteListWidgets w;
        w.locedit = locedit;
        w.shdgrid = shdgrid;
        w.cpgrid = cpgrid;
        w.operations = operations;
        w.lineMenu = lineMenu;
        controller = std::make_unique<notes::NoteListController>(*hub, w);
        hub->userqry->open();
        hub->shdTqry->open();
        hub->shdDqry->open();
        settle();
        QVERIFY2(hub->shdTqry->text(QStringLiteral("送货单号")) == kFirst, "the newest note first");
    }

    void note(const QString& number, const QString& status, const QString& date, double total) {
        db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), number},
                                          {QStringLiteral("客户名称"), QStringLiteral("甲公司")},
                                          {QStringLiteral("状态"), status},
                                          {QStringLiteral("日期"), date},
                                          {QStringLiteral("总金额"), total}});
    }
    void line(const QString& number, const char* code, double qty, double price, const QVariant& discount,
              double amount) {
        db.insert(QStringLiteral("shdsp"), {{QStringLiteral("送货单号"), number},
                                            {QStringLiteral("客户名称"), QStringLiteral("甲公司")},
                                            {QStringLiteral("商品编号"), QString::fromLatin1(code)},
                                            {QStringLiteral("数量"), qty},
                                            {QStringLiteral("售价"), price},
                                            {QStringLiteral("折扣"), discount},
                                            {QStringLiteral("金额"), amount}});
    }
    void settle() {
        QCoreApplication::processEvents();  // searches started by queued work
        QTRY_VERIFY_WITH_TIMEOUT(!controller->isSearching(), 10000);
        QCoreApplication::processEvents();
    }
    void loginAs(const QString& user) { QVERIFY(hub->userqry->locate(QStringLiteral("用户"), user)); }
    QVariant noteField(const QString& number, const QString& field) {
        return db.scalar(QStringLiteral("select \"%1\" from shd where 送货单号=:n").arg(field),
                         {{QStringLiteral("n"), number}});
    }
    QVariant lineAmount(const QString& number, const char* code) {
        return db.scalar(QStringLiteral("select 金额 from shdsp where 送货单号=:n and 商品编号=:c"),
                         {{QStringLiteral("n"), number}, {QStringLiteral("c"), QString::fromLatin1(code)}});
    }
    QAction* lineItem(const char* text) {
        for (QAction* a : lineMenu->actions())
            if (a->text() == QString::fromUtf8(text)) return a;
        return nullptr;
    }
    // Changes a field of the current line as typing into the grid does, then lets the header follow.
    void typeIntoLine(const char* field, const QVariant& value) {
        hub->shdDqry->setField(QString::fromUtf8(field), value);
        QCoreApplication::processEvents();
    }
};

class TestNoteStatusLines : public QObject {
    Q_OBJECT
  private slots:
    void statusItemsUnderEachRight_data();
    void statusItemsUnderEachRight();
    void menuAtTheMousePosition();
    void signingBackTwiceReplacesSignerAndTime();
    void deletion_data();
    void deletion();

    void lineAmount_data();
    void lineAmount();
    void quantityChangeCarriesTheTotal();
    void discountAndDeletionCarryTheTotal();
    void totalRoundsHalfToEvenWordsFromTheUnroundedSum();
    void refusedOnOtherStatuses_data();
    void refusedOnOtherStatuses();
    void noOnLeavingThenAnotherNoteSavesTheLine();
};

void TestNoteStatusLines::statusItemsUnderEachRight_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("allowed");
    const QList<std::pair<QString, QStringList>> rights{
        {QStringLiteral("系统管理员"),
         {QStringLiteral("未打印 &W"), QStringLiteral("已打印 &Y"), QStringLiteral("已签回 &Q"),
          QStringLiteral("已过账 &G"), QStringLiteral("已收款 &S"), QStringLiteral("已作废 &F")}},
        {QStringLiteral("财务员"),
         {QStringLiteral("已签回 &Q"), QStringLiteral("已过账 &G"), QStringLiteral("已收款 &S")}},
        {QStringLiteral("操作员"), {QStringLiteral("已签回 &Q")}},
        {QStringLiteral("无权限"), {QStringLiteral("已签回 &Q")}},
    };
    for (const auto& [user, allowed] : rights)
        for (const notes::StatusMove& m : notes::statusMoves())
            QTest::addRow("%s %s", qPrintable(user), qPrintable(m.item))
                << user << m.item << allowed.contains(m.item);
}

void TestNoteStatusLines::statusItemsUnderEachRight() {
    QFETCH(QString, user);
    QFETCH(QString, item);
    QFETCH(bool, allowed);
    Fixture f;
    f.loginAs(user);
    // The same status again is also a move; start from one the item does not set.
    QVERIFY(f.hub->shdTqry->locate(QStringLiteral("送货单号"), kSecond));
    ui::ScriptedDialogs dialogs;
    f.controller->chooseOperation(item);
    const notes::StatusMove* move = notes::statusMoveOf(item);
    const QString stored = f.noteField(kSecond, QStringLiteral("状态")).toString();
    if (allowed) {
        QVERIFY(dialogs.asked.empty());
        QCOMPARE(stored, move->status);
        QCOMPARE(f.hub->shdTqry->text(QStringLiteral("状态")), move->status);
    } else {
        QCOMPARE(dialogs.messages(), QStringList{move->refusal});
        QCOMPARE(dialogs.asked.front().icon, Dialogs::Icon::Warning);
        QCOMPARE(stored, QStringLiteral("已签回"));
    }
    QCOMPARE(f.noteField(kFirst, QStringLiteral("状态")).toString(), QStringLiteral("未打印"));
}

void TestNoteStatusLines::menuAtTheMousePosition() {
    Fixture f;
    f.loginAs(QStringLiteral("操作员"));
    ui::ScriptedDialogs dialogs;
    dialogs.answerPopup(QStringLiteral("已签回 &Q"));
    QTest::mouseClick(f.operations, Qt::LeftButton);
    QCOMPARE(dialogs.asked.front().kind, QStringLiteral("popup"));
    QCOMPARE(dialogs.asked.front().caption, notes::statusMenuItems().join(QLatin1Char('|')));
    QCOMPARE(notes::statusMenuItems().size(), 7);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("状态")).toString(), QStringLiteral("已签回"));
    QCOMPARE(f.noteField(kFirst, QStringLiteral("签回人员")).toString(), QStringLiteral("操作员"));
    QCOMPARE(f.noteField(kFirst, QStringLiteral("签回时间")).toString(),
             QStringLiteral("2009-11-07 10:30:00"));
    QCOMPARE(notes::statusColor(f.hub->shdTqry->text(QStringLiteral("状态"))), QColor(192, 220, 192));
}

void TestNoteStatusLines::signingBackTwiceReplacesSignerAndTime() {
    Fixture f;
    ui::ScriptedDialogs dialogs;
    f.controller->chooseOperation(QStringLiteral("已签回 &Q"));
    f.loginAs(QStringLiteral("财务员"));
    f.db.setNow(QDateTime(QDate(2009, 11, 9), QTime(8, 15, 5)));
    f.controller->chooseOperation(QStringLiteral("已签回 &Q"));
    QCOMPARE(f.noteField(kFirst, QStringLiteral("签回人员")).toString(), QStringLiteral("财务员"));
    QCOMPARE(f.noteField(kFirst, QStringLiteral("签回时间")).toString(),
             QStringLiteral("2009-11-09 08:15:05"));
    QVERIFY(dialogs.asked.empty());
}

void TestNoteStatusLines::deletion_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("answer");  // 0: not asked
    QTest::addColumn<bool>("deleted");
    QTest::newRow("unprinted, Yes") << kFirst << int(Dialogs::Button::Yes) << true;
    QTest::newRow("unprinted, No") << kFirst << int(Dialogs::Button::No) << false;
    QTest::newRow("signed back: refused") << kSecond << 0 << false;
}

void TestNoteStatusLines::deletion() {
    QFETCH(QString, number);
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    Fixture f;
    f.loginAs(QStringLiteral("无权限"));  // no right is needed to delete
    QVERIFY(f.hub->shdTqry->locate(QStringLiteral("送货单号"), number));
    ui::ScriptedDialogs dialogs;
    if (answer) dialogs.answer(Dialogs::Button(answer));
    f.controller->chooseOperation(notes::kDeleteItem);
    if (answer) {
        QCOMPARE(dialogs.messages(), QStringList{notes::kConfirmDelete});
        QCOMPARE(dialogs.asked.front().caption, QStringLiteral("提示信息"));
        QCOMPARE(dialogs.asked.front().icon, Dialogs::Icon::Question);
    } else {
        QCOMPARE(dialogs.messages(), QStringList{notes::kNotDeletable});
    }
    QCOMPARE(
        f.db.count(QStringLiteral("shd"), QStringLiteral("送货单号=:n"), {{QStringLiteral("n"), number}}),
        deleted ? 0 : 1);
    QCOMPARE(
        f.db.count(QStringLiteral("shdsp"), QStringLiteral("送货单号=:n"), {{QStringLiteral("n"), number}}),
        deleted ? 0 : (number == kFirst ? 2 : 1));
    QCOMPARE(f.db.count(QStringLiteral("shd")), deleted ? 1 : 2);
    // The line grid shows the lines of whatever note is now current.
    QCOMPARE(f.hub->shdDqry->text(QStringLiteral("送货单号")),
             f.hub->shdTqry->text(QStringLiteral("送货单号")));
    f.settle();
    QCOMPARE(f.shdgrid->footerText(QStringLiteral("总金额")),
             deleted ? QStringLiteral("9.0000") : QStringLiteral("79.0000"));
}

void TestNoteStatusLines::lineAmount_data() {
    QTest::addColumn<QVariant>("quantity");
    QTest::addColumn<QVariant>("price");
    QTest::addColumn<QVariant>("discount");
    QTest::addColumn<double>("amount");
    QTest::newRow("no discount") << QVariant(20) << QVariant(3.5) << QVariant() << 70.0;
    QTest::newRow("100%") << QVariant(20) << QVariant(3.5) << QVariant(100) << 70.0;
    QTest::newRow("85%") << QVariant(20) << QVariant(3.5) << QVariant(85) << 59.5;
    QTest::newRow("0%") << QVariant(20) << QVariant(3.5) << QVariant(0) << 0.0;
    QTest::newRow("empty quantity") << QVariant() << QVariant(3.5) << QVariant(85) << 0.0;
    QTest::newRow("empty price") << QVariant(20) << QVariant() << QVariant() << 0.0;
}

void TestNoteStatusLines::lineAmount() {
    QFETCH(QVariant, quantity);
    QFETCH(QVariant, price);
    QFETCH(QVariant, discount);
    QFETCH(double, amount);
    QCOMPARE(notes::lineAmount(quantity, price, discount), amount);
}

void TestNoteStatusLines::quantityChangeCarriesTheTotal() {
    Fixture f;
    ui::ScriptedDialogs dialogs;
    QVERIFY(f.hub->shdDqry->locate(QStringLiteral("商品编号"), QStringLiteral("A1")));
    f.lineItem("修改")->trigger();
    QVERIFY(!f.cpgrid->isReadOnly());
    f.typeIntoLine("数量", 12);
    QCOMPARE(f.lineAmount(kFirst, "A1").toDouble(), 60.0);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("总金额")).toDouble(), 80.0);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("大写金额")).toString(), QStringLiteral("人民币捌拾圆整"));
    QCOMPARE(f.hub->shdDqry->currentRow(), 0);  // the lines were read again
    QVERIFY(!f.hub->shdDqry->isModified());
    f.settle();
    QCOMPARE(f.shdgrid->footerText(QStringLiteral("总金额")), QStringLiteral("89.0000"));

    // A new line carries the note's number and customer; its typed amount counts at once.
    f.lineItem("增加")->trigger();
    QCOMPARE(f.hub->shdDqry->text(QStringLiteral("送货单号")), kFirst);
    f.typeIntoLine("商品编号", QStringLiteral("A9"));
    f.typeIntoLine("金额", 0.5);
    QCOMPARE(f.db.count(QStringLiteral("shdsp"),
                        QStringLiteral("商品编号='A9' and 客户名称='甲公司' and 送货单号=:n"),
                        {{QStringLiteral("n"), kFirst}}),
             1);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("总金额")).toDouble(), 80.5);
    QVERIFY(dialogs.asked.empty());
}

void TestNoteStatusLines::discountAndDeletionCarryTheTotal() {
    Fixture f;
    ui::ScriptedDialogs dialogs;
    QVERIFY(f.hub->shdDqry->locate(QStringLiteral("商品编号"), QStringLiteral("A1")));
    f.lineItem("修改")->trigger();
    f.typeIntoLine("折扣", 50);
    QCOMPARE(f.lineAmount(kFirst, "A1").toDouble(), 25.0);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("总金额")).toDouble(), 45.0);

    QVERIFY(f.hub->shdDqry->locate(QStringLiteral("商品编号"), QStringLiteral("A2")));
    dialogs.answer(Dialogs::Button::Yes);
    f.lineItem("删除")->trigger();
    QCOMPARE(dialogs.messages(), QStringList{notes::kConfirmDeleteLine});
    QVERIFY(f.lineAmount(kFirst, "A2").isNull());
    QCOMPARE(f.noteField(kFirst, QStringLiteral("总金额")).toDouble(), 25.0);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("大写金额")).toString(), QStringLiteral("人民币贰拾伍圆整"));
    QCOMPARE(f.hub->shdDqry->count(), 1);

    dialogs.answer(Dialogs::Button::No);
    f.lineItem("删除")->trigger();
    QCOMPARE(f.hub->shdDqry->count(), 1);
}

void TestNoteStatusLines::totalRoundsHalfToEvenWordsFromTheUnroundedSum() {
    Fixture f;
    f.lineItem("修改")->trigger();
    QVERIFY(f.hub->shdDqry->locate(QStringLiteral("商品编号"), QStringLiteral("A2")));
    f.typeIntoLine("金额", 2.0);
    QVERIFY(f.hub->shdDqry->locate(QStringLiteral("商品编号"), QStringLiteral("A1")));
    f.typeIntoLine("金额", 1.005);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("总金额")).toDouble(), 3.0);
    QCOMPARE(f.noteField(kFirst, QStringLiteral("大写金额")).toString(),
             notes::AmountInWordsText(data::Money::fromDouble(3.005)));
    QVERIFY(f.noteField(kFirst, QStringLiteral("大写金额")).toString() !=
            notes::AmountInWordsText(data::Money::fromDouble(3.0)));
    QCOMPARE(notes::noteTotalOf(data::Money::fromDouble(12.355)).total, 12.36);
    QCOMPARE(notes::noteTotalOf(data::Money::fromDouble(12.345)).total, 12.34);
}

void TestNoteStatusLines::refusedOnOtherStatuses_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("message");
    QTest::newRow("增加") << QStringLiteral("增加") << notes::kAddLineRefused;
    QTest::newRow("修改") << QStringLiteral("修改") << notes::kChangeLineRefused;
    QTest::newRow("删除") << QStringLiteral("删除") << notes::kDeleteLineRefused;
}

void TestNoteStatusLines::refusedOnOtherStatuses() {
    QFETCH(QString, item);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(f.hub->shdTqry->locate(QStringLiteral("送货单号"), kSecond));
    f.cpgrid->setReadOnly(false);
    ui::ScriptedDialogs dialogs;
    f.lineItem(item.toUtf8().constData())->trigger();
    QCOMPARE(dialogs.messages(), QStringList{message});
    QVERIFY(f.cpgrid->isReadOnly());
    QVERIFY(!f.hub->shdDqry->isModified());
    QCOMPARE(
        f.db.count(QStringLiteral("shdsp"), QStringLiteral("送货单号=:n"), {{QStringLiteral("n"), kSecond}}),
        1);
}

void TestNoteStatusLines::noOnLeavingThenAnotherNoteSavesTheLine() {
    Fixture f;
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.cpgrid->view()->setFocus();
    QTRY_VERIFY(f.cpgrid->view()->hasFocus());
    f.lineItem("修改")->trigger();
    f.typeIntoLine("备注", QStringLiteral("改过"));
    QVERIFY(f.hub->shdDqry->isModified());

    ui::ScriptedDialogs dialogs;
    dialogs.answer(Dialogs::Button::No);
    f.locedit->setFocus();
    QTRY_COMPARE(dialogs.messages(), QStringList{QStringLiteral("您修改了这笔记录,要保存吗?")});
    QVERIFY(f.hub->shdDqry->isModified());
    QCOMPARE(f.db.count(QStringLiteral("shdsp"), QStringLiteral("备注='改过'")), 0);

    QVERIFY(f.hub->shdTqry->locate(QStringLiteral("送货单号"), kSecond));
    QCOMPARE(f.db.count(QStringLiteral("shdsp"), QStringLiteral("备注='改过'")), 1);
    QCOMPARE(f.hub->shdDqry->text(QStringLiteral("送货单号")), kSecond);

    // Entering the note grid ends line editing.
    f.shdgrid->view()->setFocus();
    QTRY_VERIFY(f.cpgrid->isReadOnly());
}

QTEST_MAIN(TestNoteStatusLines)
#include "tst_notestatus_lines.moc"
