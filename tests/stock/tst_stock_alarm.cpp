// The stock alarm: which goods each list holds, in which order, and what the window shows.
#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "stock/TkcbjForm.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QPushButton>
#include <QtTest>

namespace {

struct Good {
    const char* code;
    const char* category;
    QVariant stock, minimum, maximum;
};

}  // namespace

class TestStockAlarm : public QObject {
    Q_OBJECT
  private slots:
    void lists_data();
    void lists();
    void groupedByCategory();
    void windowKeepsListBetweenShowings();
};

void TestStockAlarm::lists_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("codes");
    // The goods of every case (stock, minimum, maximum):
    //   EQMIN 5/5/-  LOW 4/5/-  NEG -2/0/-  NOSTOCK -/5/9  NOLIMIT 10/-/-  HIGH 12/0/10  EQMAX 10/0/10
    QTest::newRow("below minimum") << "belowButton" << QStringList{"LOW", "NEG"};
    QTest::newRow("above maximum") << "aboveButton" << QStringList{"HIGH"};
}

void TestStockAlarm::lists() {
    QFETCH(QString, button);
    QFETCH(QStringList, codes);
    TestDatabase tdb;
    const QList<Good> goods{{"EQMIN", "A", 5, 5, {}},     {"LOW", "A", 4, 5, {}},
                            {"NEG", "A", -2, 0, {}},      {"NOSTOCK", "A", {}, 5, 9},
                            {"NOLIMIT", "A", 10, {}, {}}, {"HIGH", "A", 12, 0, 10},
                            {"EQMAX", "A", 10, 0, 10}};
    for (const Good& g : goods)
        tdb.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), QString::fromLatin1(g.code)},
                                          {QStringLiteral("类别"), QString::fromLatin1(g.category)},
                                          {QStringLiteral("库存"), g.stock},
                                          {QStringLiteral("库存下限"), g.minimum},
                                          {QStringLiteral("库存上限"), g.maximum}});
    auto hub = tdb.openHub();
    ui::ScriptedDialogs dialogs;
    stock::TkcbjForm form(*hub);
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
    QStringList listed;
    for (int r = 0; r < form.dataset()->count(); ++r)
        listed << form.dataset()->value(r, QStringLiteral("商品编号")).toString();
    QCOMPARE(listed, codes);
    QVERIFY(dialogs.asked.empty());
}

void TestStockAlarm::groupedByCategory() {
    TestDatabase tdb;
    // Stored with the categories mixed; one category keeps the stored order of its goods.
    const QList<Good> goods{{"G1", "乙", 1, 5, {}},
                            {"G2", "甲", 1, 5, {}},
                            {"G3", "乙", 1, 5, {}},
                            {"G4", "甲", 1, 5, {}},
                            {"G5", "丙", 1, 5, {}}};
    for (const Good& g : goods)
        tdb.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), QString::fromLatin1(g.code)},
                                          {QStringLiteral("类别"), QString::fromUtf8(g.category)},
                                          {QStringLiteral("库存"), g.stock},
                                          {QStringLiteral("库存下限"), g.minimum}});
    auto hub = tdb.openHub();
    stock::TkcbjForm form(*hub);
    form.showList(stock::AlarmList::BelowMinimum);
    QStringList listed;
    for (int r = 0; r < form.dataset()->count(); ++r)
        listed << form.dataset()->value(r, QStringLiteral("类别")).toString() +
                      form.dataset()->value(r, QStringLiteral("商品编号")).toString();
    // Categories in ascending order of their text (丙 U+4E19, 乙 U+4E59, 甲 U+7532); within one, the
    // stored order.
    const QStringList expected{QStringLiteral("丙G5"), QStringLiteral("乙G1"), QStringLiteral("乙G3"),
                               QStringLiteral("甲G2"), QStringLiteral("甲G4")};
    QCOMPARE(listed, expected);
}

void TestStockAlarm::windowKeepsListBetweenShowings() {
    TestDatabase tdb;
    tdb.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), QStringLiteral("LOW")},
                                      {QStringLiteral("库存"), 1},
                                      {QStringLiteral("库存下限"), 5}});
    auto hub = tdb.openHub();
    stock::TkcbjForm form(*hub);
    ui::DataGrid* grid = form.findChild<ui::DataGrid*>(QStringLiteral("bjgrid"));
    QVERIFY(grid);
    QCOMPARE(grid, form.grid());
    QVERIFY(form.findChild<QPushButton*>(QStringLiteral("exportButton")));
    QCOMPARE(form.exportButton()->text(), QStringLiteral("导出&Excel "));
    QCOMPARE(form.windowTitle(), QStringLiteral("库存报警查询"));
    QCOMPARE(grid->columnTitle(QStringLiteral("折扣")), QStringLiteral("折扣(%)"));

    // Empty and untitled until a list is chosen.
    form.show();
    QCOMPARE(form.dataset()->count(), 0);
    QVERIFY(form.listTitle().isEmpty());

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("belowButton")), Qt::LeftButton);
    QCOMPARE(form.listTitle(), QStringLiteral("低于库存下限产品"));
    QVERIFY(grid->isColumnVisible(QStringLiteral("库存下限")));
    QVERIFY(!grid->isColumnVisible(QStringLiteral("库存上限")));
    QCOMPARE(form.dataset()->count(), 1);

    // Closed and shown again: the same list, not re-read.
    form.hide();
    tdb.insert(QStringLiteral("sp"), {{QStringLiteral("商品编号"), QStringLiteral("LOW2")},
                                      {QStringLiteral("库存"), 1},
                                      {QStringLiteral("库存下限"), 5}});
    form.show();
    QCOMPARE(form.dataset()->count(), 1);
    QCOMPARE(form.listTitle(), QStringLiteral("低于库存下限产品"));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("aboveButton")), Qt::LeftButton);
    QCOMPARE(form.listTitle(), QStringLiteral("高于库存上限产品"));
    QVERIFY(!grid->isColumnVisible(QStringLiteral("库存下限")));
    QVERIFY(grid->isColumnVisible(QStringLiteral("库存上限")));
    QCOMPARE(form.dataset()->count(), 0);
}

QTEST_MAIN(TestStockAlarm)
#include "tst_stock_alarm.moc"
