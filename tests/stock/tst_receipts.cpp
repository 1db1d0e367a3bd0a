// Purchase receipts: numbering, line amounts, posting, copying, deleting and searching, through the
// rules and through the receipt window.
#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/Sql.h"
#include "stock/Receipts.h"
#include "stock/TJhForm.h"
#include "stock/TSpForm.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using ui::Dialogs;

namespace {

const QString kUser = QStringLiteral("系统管理员");  // the delivered user, the hub's current user

QVariant num(double v) {
    return QVariant(v);
}
QVariant null() {
    return QVariant();
}

// A database with the delivered rows, a few goods and helpers to put receipts into it.
struct Shop {
    TestDatabase tdb;
    explicit Shop(const QDateTime& now = QDateTime(QDate(2009, 11, 7), QTime(10, 30, 0))) : tdb(now) {
        tdb.addDeliveredRows();
    }
    void good(const QString& code, const QVariant& stock, double price = 2.5, const QVariant& discount = {}) {
        tdb.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), code},
                                          {QStringLiteral("名称"), QStringLiteral("货品") + code},
                                          {QStringLiteral("类别"), QStringLiteral("五金")},
                                          {QStringLiteral("规格型号"), QStringLiteral("M") + code},
                                          {QStringLiteral("单位"), QStringLiteral("个")},
                                          {QStringLiteral("进价"), price},
                                          {QStringLiteral("折扣"), discount},
                                          {QStringLiteral("产地"), QStringLiteral("杭州")},
                                          {QStringLiteral("库存"), stock}});
    }
    void receipt(const QString& number, const QString& date, const QString& status = {},
                 const QString& supplier = QStringLiteral("华联五金"),
                 const QString& warehouse = QStringLiteral("一号仓"),
                 const QString& user = QStringLiteral("张三")) {
        tdb.insert(QStringLiteral("purm"),
                   {{QStringLiteral("单据编号"), number},
                    {QStringLiteral("日期"), date},
                    {QStringLiteral("供应商"), supplier},
                    {QStringLiteral("仓库名称"), warehouse},
                    {QStringLiteral("工号"), user},
                    {QStringLiteral("状态"), status.isEmpty() ? QVariant() : status}});
    }
    void line(const QString& number, const QString& code, const QVariant& quantity, double price = 2.0) {
        tdb.insert(QStringLiteral("purd"), {{QStringLiteral("单据编号"), number},
                                            {QStringLiteral("商品编号"), code},
                                            {QStringLiteral("名称"), QStringLiteral("货品") + code},
                                            {QStringLiteral("数量"), quantity},
                                            {QStringLiteral("进价"), price},
                                            {QStringLiteral("金额"), quantity.toDouble() * price}});
    }
    void counter(const QVariant& month, const QVariant& sequence) {
        data::exec(tdb.db(), data::Statement{QStringLiteral("update djno set 进仓单日期=:m, 进仓单号=:k")}
                                 .bind(QStringLiteral("m"), month)
                                 .bind(QStringLiteral("k"), sequence));
    }
    QVariant stock(const QString& code) {
        return tdb.scalar(QStringLiteral("select 库存 from sp where 商品编号=:c"),
                          {{QStringLiteral("c"), code}});
    }
    QVariant status(const QString& number) {
        return tdb.scalar(QStringLiteral("select 状态 from purm where 单据编号=:n"),
                          {{QStringLiteral("n"), number}});
    }
    int lines(const QString& number) {
        return tdb.count(QStringLiteral("purd"), QStringLiteral("单据编号=:n"),
                         {{QStringLiteral("n"), number}});
    }
};

// The receipt window on a hub whose current user is the delivered one.
struct Window {
    std::unique_ptr<data::DataHub> hub;
    std::unique_ptr<stock::TJhForm> form;
    explicit Window(Shop& shop) : hub(shop.tdb.openHub()) {
        hub->userqry->open();
        form = std::make_unique<stock::TJhForm>(*hub);
        form->show();
    }
    template <typename T>
    T* find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    void click(const char* button) const { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void type(const char* edit, const QString& text) const {
        auto* e = find<QLineEdit>(edit);
        e->setFocus();
        e->selectAll();
        // One key event per character, carrying its text (QTest::keyClicks knows Latin-1 only).
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(e, &press);
        }
    }
    bool standOn(const QString& number) const {
        return form->book().jhmqry->locate(QStringLiteral("单据编号"), number);
    }
    // Types text into a cell of the line grid, as the grid's editor hands it over.
    void setCell(int row, const QString& field, const QString& text) const {
        ui::DataGrid* grid = form->jhgrid();
        int col = -1;
        for (int i = 0; i < grid->columns().size(); ++i)
            if (grid->columns()[i].field == field) col = i;
        QAbstractItemModel* model = grid->view()->model();
        QVERIFY(model->setData(model->index(row, col), text));
    }
    data::Dataset* lines() const { return form->book().jhdqry; }
};

}  // namespace

class TestReceipts : public QObject {
    Q_OBJECT
  private slots:
    void numberIsFourDigitSequence_data();
    void numberIsFourDigitSequence();
    void drawingNumbers_data();
    void drawingNumbers();
    void tenThousandthReceiptOfMonthRefused();
    void lineAmount_data();
    void lineAmount();
    void postingRaisesStockOnce();
    void postingFailingPartWayChangesNothing();
    void postingSavesWhatTheUserSees();
    void postedReceiptIsReadOnly();
    void deletingReceipt();
    void copyingPostedReceipt();
    void typedNumberOfAnotherReceiptRefused();
    void search_data();
    void search();
    void pickingGoodsFillsLine();
};

void TestReceipts::numberIsFourDigitSequence_data() {
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("number");
    QTest::newRow("9") << 9 << "JH2010020009";
    QTest::newRow("10") << 10 << "JH2010020010";
    QTest::newRow("999") << 999 << "JH2010020999";
    QTest::newRow("1000") << 1000 << "JH2010021000";
    QTest::newRow("9999") << 9999 << "JH2010029999";
}

void TestReceipts::numberIsFourDigitSequence() {
    QFETCH(int, sequence);
    QFETCH(QString, number);
    QCOMPARE(stock::receiptNumber(QDate(2010, 2, 14), sequence), number);
}

void TestReceipts::drawingNumbers_data() {
    QTest::addColumn<QVariant>("month");       // djno.进仓单日期
    QTest::addColumn<QVariant>("counter");     // djno.进仓单号
    QTest::addColumn<QStringList>("today");    // receipts dated today
    QTest::addColumn<QStringList>("earlier");  // receipts dated earlier this month
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("counterAfter");

    // Today is 2010-02-10.
    QTest::newRow("first of a month")
        << QVariant("201001") << QVariant(17) << QStringList{} << QStringList{} << "JH2010020001" << 1;
    QTest::newRow("delivered, never used")
        << QVariant() << QVariant() << QStringList{} << QStringList{} << "JH2010020001" << 1;
    QTest::newRow("month with blanks")
        << QVariant(" 201002 ") << QVariant(4) << QStringList{} << QStringList{} << "JH2010020005" << 5;
    QTest::newRow("follows today's highest")
        << QVariant("201002") << QVariant(1) << QStringList{"JH2010020002", "JH2010020001"} << QStringList{}
        << "JH2010020003" << 3;
    QTest::newRow("follows the counter")
        << QVariant("201002") << QVariant(4) << QStringList{} << QStringList{"JH2010020003", "JH2010020004"}
        << "JH2010020005" << 5;
    QTest::newRow("9") << QVariant("201002") << QVariant(8) << QStringList{} << QStringList{}
                       << "JH2010020009" << 9;
    QTest::newRow("10") << QVariant("201002") << QVariant(9) << QStringList{} << QStringList{}
                        << "JH2010020010" << 10;
    QTest::newRow("999") << QVariant("201002") << QVariant(998) << QStringList{} << QStringList{}
                         << "JH2010020999" << 999;
    QTest::newRow("1000") << QVariant("201002") << QVariant(999) << QStringList{} << QStringList{}
                          << "JH2010021000" << 1000;
    // Drawn numbers not saved yet keep their place: today's highest never pulls the counter back.
    QTest::newRow("counter ahead of today's highest")
        << QVariant("201002") << QVariant(6) << QStringList{"JH2010020002"} << QStringList{} << "JH2010020007"
        << 7;
    // A number typed by hand already carries the next sequence: it is skipped.
    QTest::newRow("skips numbers in use")
        << QVariant("201002") << QVariant(2) << QStringList{} << QStringList{"JH2010020003", "JH2010020004"}
        << "JH2010020005" << 5;
}

void TestReceipts::drawingNumbers() {
    QFETCH(QVariant, month);
    QFETCH(QVariant, counter);
    QFETCH(QStringList, today);
    QFETCH(QStringList, earlier);
    QFETCH(QString, number);
    QFETCH(int, counterAfter);

    Shop shop(QDateTime(QDate(2010, 2, 10), QTime(9, 0)));
    shop.counter(month, counter);
    for (const QString& n : today) shop.receipt(n, QStringLiteral("2010-02-10"));
    for (const QString& n : earlier) shop.receipt(n, QStringLiteral("2010-02-03"));

    QCOMPARE(stock::drawReceiptNumber(shop.tdb.db()), number);
    QCOMPARE(shop.tdb.scalar(QStringLiteral("select 进仓单日期 from djno")).toString(),
             QStringLiteral("201002"));
    QCOMPARE(shop.tdb.scalar(QStringLiteral("select 进仓单号 from djno")).toInt(), counterAfter);
    // The next draw moves on, even before anything is saved (a number never saved leaves a gap).
    QCOMPARE(stock::drawReceiptNumber(shop.tdb.db()),
             stock::receiptNumber(QDate(2010, 2, 1), counterAfter + 1));
}

void TestReceipts::tenThousandthReceiptOfMonthRefused() {
    Shop shop(QDateTime(QDate(2010, 2, 10), QTime(9, 0)));
    shop.counter(QStringLiteral("201002"), 9999);
    try {
        stock::drawReceiptNumber(shop.tdb.db());
        QFAIL("the 10000th receipt of a month was numbered");
    } catch (const stock::Refusal& r) {
        QVERIFY2(r.text().contains(QStringLiteral("9999")), qPrintable(r.text()));
    }
    QCOMPARE(shop.tdb.scalar(QStringLiteral("select 进仓单号 from djno")).toInt(), 9999);

    // Through the window: the message, and no new receipt appears.
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    const int before = w.form->book().jhmqry->count();
    w.click("addButton");
    QCOMPARE(dialogs.asked.size(), size_t(1));
    QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(w.form->book().jhmqry->count(), before);
}

void TestReceipts::lineAmount_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<double>("amount");
    QTest::newRow("empty discount: full price") << "5"
                                                << "2.5"
                                                << "" << 12.5;
    QTest::newRow("discount 90") << "5"
                                 << "2.5"
                                 << "90" << 11.25;
    QTest::newRow("discount 0") << "5"
                                << "2.5"
                                << "0" << 0.0;
    QTest::newRow("negative quantity") << "-3"
                                       << "2.5"
                                       << "" << -7.5;
    QTest::newRow("empty quantity") << ""
                                    << "2.5"
                                    << "90" << 0.0;
    QTest::newRow("empty price") << "5"
                                 << ""
                                 << "" << 0.0;
}

void TestReceipts::lineAmount() {
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, discount);
    QFETCH(double, amount);

    auto v = [](const QString& t) { return t.isEmpty() ? QVariant() : QVariant(t.toDouble()); };
    QCOMPARE(stock::lineAmount(v(quantity), v(price), v(discount)), amount);

    // Typed into the line grid in any order, the amount follows every change and is stored.
    Shop shop;
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    w.click("addButton");
    w.form->addLine();
    w.setCell(0, QStringLiteral("折扣"), QStringLiteral("50"));
    w.setCell(0, QStringLiteral("进价"), price);
    w.setCell(0, QStringLiteral("数量"), quantity);
    w.setCell(0, QStringLiteral("折扣"), discount);
    QCOMPARE(w.lines()->field(QStringLiteral("金额")).toDouble(), amount);
    w.click("saveButton");
    QCOMPARE(dialogs.lastMessage(), stock::kSaved);
    QCOMPARE(shop.tdb.scalar(QStringLiteral("select 金额 from purd")).toDouble(), amount);
}

void TestReceipts::postingRaisesStockOnce() {
    Shop shop;
    shop.good(QStringLiteral("A"), null());
    shop.good(QStringLiteral("B"), num(4));
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-07"));
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("A"), num(10));
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("A"), num(-3));
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("B"), null());       // adds nothing
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("NOSUCH"), num(5));  // in no sp row

    Window w(shop);
    ui::ScriptedDialogs dialogs;
    QVERIFY(w.standOn(QStringLiteral("JH2009110001")));
    w.click("postButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kPostedDone});
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 7.0);
    QCOMPARE(shop.stock(QStringLiteral("B")).toDouble(), 4.0);
    QVERIFY(!shop.stock(QStringLiteral("B")).isNull());
    QCOMPARE(shop.status(QStringLiteral("JH2009110001")).toString(), stock::kPosted);
    QCOMPARE(w.find<QLabel>("ztlabel")->text(), stock::kPosted);

    // A second posting is refused and raises nothing.
    dialogs.clear();
    w.click("postButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kPostedTwice});
    QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 7.0);
    QVERIFY_THROWS_EXCEPTION(stock::Refusal,
                             stock::postReceipt(shop.tdb.db(), QStringLiteral("JH2009110001")));
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 7.0);
}

void TestReceipts::postingFailingPartWayChangesNothing() {
    Shop shop;
    shop.good(QStringLiteral("A"), num(1));
    shop.good(QStringLiteral("B"), num(1));
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-07"));
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("A"), num(10));
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("B"), num(5));
    // The second stock update is refused, after the status and the first line were written.
    data::execRaw(shop.tdb.db(),
                  QStringLiteral("CREATE TRIGGER refuse_b BEFORE UPDATE OF 库存 ON sp "
                                 "WHEN NEW.商品编号='B' BEGIN SELECT RAISE(ABORT, '库存被锁定'); END"));

    Window w(shop);
    ui::ScriptedDialogs dialogs;
    QVERIFY(w.standOn(QStringLiteral("JH2009110001")));
    w.click("postButton");
    QCOMPARE(dialogs.asked.size(), size_t(1));
    QVERIFY2(dialogs.lastMessage().contains(QStringLiteral("库存被锁定")), qPrintable(dialogs.lastMessage()));
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 1.0);
    QCOMPARE(shop.stock(QStringLiteral("B")).toDouble(), 1.0);
    QVERIFY(shop.status(QStringLiteral("JH2009110001")).isNull());
    QVERIFY(w.find<QWidget>("headerPanel")->isEnabled());
}

void TestReceipts::postingSavesWhatTheUserSees() {
    Shop shop;
    shop.good(QStringLiteral("A"), num(0));
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    w.click("addButton");
    const QString drawn = w.find<QLineEdit>("jcdno")->text();
    QCOMPARE(drawn, QStringLiteral("JH2009110001"));
    QCOMPARE(w.find<QLineEdit>("ghedit")->text(), kUser);
    QCOMPARE(w.find<QLineEdit>("rqedit")->text(), QStringLiteral("2009-11-07"));
    w.type("gysedit", QStringLiteral("华联五金"));
    // Entering the line grid writes the new header, so that the receipt exists before its lines.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w.form->jhgrid()->view(), &focusIn);
    QCOMPARE(shop.tdb.count(QStringLiteral("purm"), QStringLiteral("供应商='华联五金'")), 1);
    w.form->addLine();
    w.setCell(0, QStringLiteral("商品编号"), QStringLiteral("A"));
    w.setCell(0, QStringLiteral("数量"), QStringLiteral("10"));
    w.click("saveButton");

    // The number is changed and a quantity too, neither saved: posting saves both, then posts the
    // renumbered receipt with its lines.
    w.type("jcdno", QStringLiteral("JH2009119000"));
    w.setCell(0, QStringLiteral("数量"), QStringLiteral("12"));
    dialogs.clear();
    w.click("postButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kPostedDone});
    QCOMPARE(shop.tdb.count(QStringLiteral("purm"), QStringLiteral("单据编号=:n"), {{"n", drawn}}), 0);
    QCOMPARE(shop.status(QStringLiteral("JH2009119000")).toString(), stock::kPosted);
    QCOMPARE(shop.lines(QStringLiteral("JH2009119000")), 1);
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 12.0);
    QCOMPARE(shop.tdb.scalar(QStringLiteral("select 供应商 from purm")).toString(),
             QStringLiteral("华联五金"));
}

void TestReceipts::postedReceiptIsReadOnly() {
    Shop shop;
    shop.good(QStringLiteral("A"), num(0));
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-01"), stock::kPosted);
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("A"), num(10));
    shop.receipt(QStringLiteral("JH2009110002"), QStringLiteral("2009-11-02"));
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    auto* panel = w.find<QWidget>("headerPanel");
    ui::DataGrid* grid = w.form->jhgrid();

    QVERIFY(w.standOn(QStringLiteral("JH2009110001")));
    QVERIFY(!panel->isEnabled());
    QVERIFY(grid->isReadOnly());
    QVERIFY(!grid->columns().first().ellipsis);
    QVERIFY(!(grid->view()->model()->flags(grid->view()->model()->index(0, 3)) & Qt::ItemIsEditable));

    // The line menu adds and edits nothing, and line deletion is refused after the question.
    w.form->lineMenuItem(QStringLiteral("lineAdd"))->trigger();
    w.form->lineMenuItem(QStringLiteral("lineEdit"))->trigger();
    QCOMPARE(w.lines()->count(), 1);
    QVERIFY(!w.lines()->isModified());
    dialogs.answer(Dialogs::Button::Yes);
    w.form->lineMenuItem(QStringLiteral("lineDelete"))->trigger();
    QCOMPARE(dialogs.messages(), (QStringList{stock::kAskDeleteLine, stock::kPostedLineNotDeletable}));
    QCOMPARE(shop.lines(QStringLiteral("JH2009110001")), 1);

    // Another, unposted receipt opens everything again.
    QVERIFY(w.standOn(QStringLiteral("JH2009110002")));
    QVERIFY(panel->isEnabled());
    QVERIFY(!grid->isReadOnly());
    QVERIFY(grid->columns().first().ellipsis);
}

void TestReceipts::deletingReceipt() {
    Shop shop;
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-01"), stock::kPosted);
    shop.line(QStringLiteral("JH2009110001"), QStringLiteral("A"), num(10));
    shop.receipt(QStringLiteral("JH2009110002"), QStringLiteral("2009-11-02"));
    shop.line(QStringLiteral("JH2009110002"), QStringLiteral("A"), num(1));
    shop.line(QStringLiteral("JH2009110002"), QStringLiteral("B"), num(2));
    Window w(shop);
    ui::ScriptedDialogs dialogs;

    // A posted receipt: refused before anything is asked; header and lines stay.
    QVERIFY(w.standOn(QStringLiteral("JH2009110001")));
    w.click("deleteButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kPostedNotDeletable});
    QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(shop.lines(QStringLiteral("JH2009110001")), 1);
    QVERIFY_THROWS_EXCEPTION(stock::Refusal,
                             stock::deleteReceipt(shop.tdb.db(), QStringLiteral("JH2009110001")));
    QCOMPARE(shop.tdb.count(QStringLiteral("purm")), 2);

    // An unposted one: No keeps it; Yes removes its lines and header. The number edit is changed
    // without saving: the stored receipt is deleted, not whatever the edit says.
    QVERIFY(w.standOn(QStringLiteral("JH2009110002")));
    w.type("jcdno", QStringLiteral("JH2009110001"));
    dialogs.clear();
    dialogs.answer(Dialogs::Button::No);
    w.click("deleteButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kAskDeleteReceipt});
    QCOMPARE(dialogs.asked[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(shop.lines(QStringLiteral("JH2009110002")), 2);
    dialogs.answer(Dialogs::Button::Yes);
    w.click("deleteButton");
    QCOMPARE(shop.tdb.count(QStringLiteral("purm"), QStringLiteral("单据编号='JH2009110002'")), 0);
    QCOMPARE(shop.lines(QStringLiteral("JH2009110002")), 0);
    QCOMPARE(shop.tdb.count(QStringLiteral("purm"), QStringLiteral("单据编号='JH2009110001'")), 1);
    QCOMPARE(shop.lines(QStringLiteral("JH2009110001")), 1);
}

void TestReceipts::copyingPostedReceipt() {
    Shop shop;
    shop.good(QStringLiteral("A"), num(0));
    shop.counter(QStringLiteral("200911"), 3);
    shop.receipt(QStringLiteral("JH2009110003"), QStringLiteral("2009-11-02"), stock::kPosted,
                 QStringLiteral("华联五金"), QStringLiteral("二号仓"), QStringLiteral("张三"));
    shop.line(QStringLiteral("JH2009110003"), QStringLiteral("A"), num(10), 2.0);
    shop.line(QStringLiteral("JH2009110003"), QStringLiteral("B"), num(4), 1.5);
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    QVERIFY(w.standOn(QStringLiteral("JH2009110003")));
    w.click("copyButton");
    QCOMPARE(dialogs.messages(), QStringList{stock::kCopied});

    const QString copy = QStringLiteral("JH2009110004");
    QCOMPARE(w.find<QLineEdit>("jcdno")->text(), copy);
    const auto header =
        data::rows(shop.tdb.db(),
                   data::Statement{QStringLiteral("select * from purm where 单据编号=:n")}.bind("n", copy));
    QCOMPARE(header.size(), 1);
    QCOMPARE(header[0].value(QStringLiteral("日期")).toString(), QStringLiteral("2009-11-07"));
    QCOMPARE(header[0].value(QStringLiteral("工号")).toString(), kUser);
    QCOMPARE(header[0].value(QStringLiteral("供应商")).toString(), QStringLiteral("华联五金"));
    QCOMPARE(header[0].value(QStringLiteral("仓库名称")).toString(), QStringLiteral("二号仓"));
    QVERIFY(header[0].value(QStringLiteral("状态")).isNull());
    const QString lineColumns =
        QStringLiteral("商品编号,名称,单位,数量,进价,折扣,金额,规格型号,类别,产地,备注");
    auto linesOf = [&](const QString& n) {
        return data::rows(shop.tdb.db(),
                          data::Statement{QStringLiteral("select %1 from purd where 单据编号=:n "
                                                         "order by ID")
                                              .arg(lineColumns)}
                              .bind("n", n));
    };
    QCOMPARE(linesOf(copy), linesOf(QStringLiteral("JH2009110003")));
    QCOMPARE(w.lines()->count(), 2);
    QVERIFY(w.find<QWidget>("headerPanel")->isEnabled());

    // The copy is a receipt of its own: posting it raises stock again.
    dialogs.clear();
    w.click("postButton");
    QCOMPARE(shop.stock(QStringLiteral("A")).toDouble(), 10.0);
}

void TestReceipts::typedNumberOfAnotherReceiptRefused() {
    Shop shop;
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-01"));
    shop.receipt(QStringLiteral("JH2009110002"), QStringLiteral("2009-11-02"));
    shop.line(QStringLiteral("JH2009110002"), QStringLiteral("A"), num(1));
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    QVERIFY(w.standOn(QStringLiteral("JH2009110002")));
    w.type("jcdno", QStringLiteral("jh2009110001"));  // numbers compare without case
    w.click("saveButton");
    QCOMPARE(dialogs.asked.size(), size_t(1));
    QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Warning);
    QVERIFY2(dialogs.lastMessage().contains(QStringLiteral("jh2009110001")),
             qPrintable(dialogs.lastMessage()));
    QCOMPARE(shop.lines(QStringLiteral("JH2009110002")), 1);
    QCOMPARE(shop.tdb.count(QStringLiteral("purm"), QStringLiteral("单据编号='JH2009110002'")), 1);

    // Posting the receipt meanwhile is refused the same way, and posts nothing.
    dialogs.clear();
    w.click("postButton");
    QCOMPARE(dialogs.asked.size(), size_t(1));
    QVERIFY(shop.status(QStringLiteral("JH2009110002")).isNull());
    QVERIFY(shop.status(QStringLiteral("JH2009110001")).isNull());
}

void TestReceipts::search_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("date fragment") << "2009-10" << QStringList{"JH2009100001", "JH2009100002"};
    QTest::newRow("number fragment") << "110001" << QStringList{"JH2009110001"};
    QTest::newRow("supplier fragment") << "联五" << QStringList{"JH2009100002", "JH2009110001"};
    QTest::newRow("warehouse") << "二号" << QStringList{"JH2009100001"};
    QTest::newRow("operator") << "李四" << QStringList{"JH2009110002"};
    QTest::newRow("status") << "过账" << QStringList{"JH2009100002"};
    QTest::newRow("nothing") << "不存在" << QStringList{};
    QTest::newRow("empty lists all, by number")
        << "" << QStringList{"JH2009100001", "JH2009100002", "JH2009110001", "JH2009110002"};
}

void TestReceipts::search() {
    QFETCH(QString, text);
    QFETCH(QStringList, numbers);
    Shop shop;
    // Stored out of number order, so that the search's ordering shows.
    shop.receipt(QStringLiteral("JH2009110002"), QStringLiteral("2009-11-03"), {}, QStringLiteral("东方建材"),
                 QStringLiteral("一号仓"), QStringLiteral("李四"));
    shop.receipt(QStringLiteral("JH2009100002"), QStringLiteral("2009-10-20"), stock::kPosted,
                 QStringLiteral("华联五金"));
    shop.receipt(QStringLiteral("JH2009110001"), QStringLiteral("2009-11-01"), {},
                 QStringLiteral("华联五金"));
    shop.receipt(QStringLiteral("JH2009100001"), QStringLiteral("2009-10-05"), {}, QStringLiteral("东方建材"),
                 QStringLiteral("二号仓"));
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    w.find<QLineEdit>("jhloc")->setText(QStringLiteral("x"));
    w.type("jhloc", text);
    if (text.isEmpty()) w.find<QLineEdit>("jhloc")->clear();
    data::Dataset* receipts = w.form->book().jhmqry;
    QStringList listed;
    for (int r = 0; r < receipts->count(); ++r)
        listed << receipts->value(r, QStringLiteral("单据编号")).toString();
    QCOMPARE(listed, numbers);
    QVERIFY(dialogs.asked.empty());
}

void TestReceipts::pickingGoodsFillsLine() {
    Shop shop;
    shop.good(QStringLiteral("A"), num(0), 4.0, num(90));
    Window w(shop);
    ui::ScriptedDialogs dialogs;
    stock::TSpForm picker(*w.hub);
    w.hub->spqry->open();
    w.form->setGoodsPicker(&picker);
    w.form->showPicker = [](stock::TSpForm* sp) { sp->pick(0); };

    w.click("addButton");
    emit w.form->jhgrid()->ellipsisClicked(0, QStringLiteral("商品编号"));  // a receipt without lines
    QCOMPARE(picker.mode(), stock::TJhForm::kPickMode);
    QVERIFY(picker.isPurchasePriceVisible());
    data::Dataset* lines = w.lines();
    QCOMPARE(lines->count(), 1);
    QCOMPARE(lines->text(QStringLiteral("名称")), QStringLiteral("货品A"));
    QCOMPARE(lines->text(QStringLiteral("规格型号")), QStringLiteral("MA"));
    QCOMPARE(lines->text(QStringLiteral("产地")), QStringLiteral("杭州"));
    QCOMPARE(lines->field(QStringLiteral("进价")).toDouble(), 4.0);
    w.setCell(0, QStringLiteral("数量"), QStringLiteral("5"));
    QCOMPARE(lines->field(QStringLiteral("金额")).toDouble(), 18.0);

    // The same good again on a new line: no duplicate check.
    w.form->lineMenuItem(QStringLiteral("lineAdd"))->trigger();
    emit w.form->jhgrid()->ellipsisClicked(1, QStringLiteral("商品编号"));
    w.click("saveButton");
    QCOMPARE(
        shop.tdb.count(QStringLiteral("purd"), QStringLiteral("商品编号='A' and 单据编号='JH2009110001'")),
        2);
    QCOMPARE(dialogs.messages(), QStringList{stock::kSaved});
}

QTEST_MAIN(TestReceipts)
#include "tst_receipts.moc"
