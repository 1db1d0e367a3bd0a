// Money in fixed point, date texts, and the SQL functions the statements rely on.
#include "TestDatabase.h"
#include "data/DateText.h"
#include "data/DbError.h"
#include "data/Money.h"

#include <QtTest>

using namespace data;

class TstValues : public QObject {
    Q_OBJECT
private slots:
    void moneySumsInFixedPoint() {
        QCOMPARE((Money::fromDouble(1.005) + Money::fromDouble(2.0)).raw(), 30050);
        // 0.1 + 0.2 in doubles is 0.30000000000000004; in fixed point it is exactly 0.3.
        QCOMPARE((Money::fromDouble(0.1) + Money::fromDouble(0.2)), Money::fromDouble(0.3));
        QCOMPARE(Money::fromVariant(QVariant()).raw(), 0);
        QCOMPARE(Money::fromVariant(QStringLiteral("abc")).raw(), 0);
        QCOMPARE(Money::fromDouble(-1.23456).raw(), -12346);
    }
    void moneyRoundsToFen_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<qint64>("halfUp");
        QTest::addColumn<qint64>("halfEven");
        QTest::newRow("2.345") << 2.345 << qint64(235) << qint64(234);
        QTest::newRow("2.355") << 2.355 << qint64(236) << qint64(236);
        QTest::newRow("-2.345") << -2.345 << qint64(-235) << qint64(-234);
        QTest::newRow("0.004") << 0.004 << qint64(0) << qint64(0);
        QTest::newRow("1.0051") << 1.0051 << qint64(101) << qint64(101);
    }
    void moneyRoundsToFen() {
        QFETCH(double, amount);
        const Money m = Money::fromDouble(amount);
        QTEST(m.fenHalfUp(), "halfUp");
        QTEST(m.fenHalfEven(), "halfEven");
    }

    void userDates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("iso") << "2009-11-07" << QDate(2009, 11, 7);
        QTest::newRow("iso short") << "2009-1-7" << QDate(2009, 1, 7);
        QTest::newRow("slashes") << "2009/11/7" << QDate(2009, 11, 7);
        QTest::newRow("dots") << "2009.1.31" << QDate(2009, 1, 31);
        QTest::newRow("chinese") << "2009年11月07日" << QDate(2009, 11, 7);
        QTest::newRow("blanks") << "  2009-11-07 " << QDate(2009, 11, 7);
        QTest::newRow("no such day") << "2009-02-30" << QDate();
        QTest::newRow("text") << "昨天" << QDate();
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("mixed separators") << "2009-11/07" << QDate();
    }
    void userDates() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto d = parseUserDate(text);
        QCOMPARE(d.has_value(), expected.isValid());
        if (d) QCOMPARE(*d, expected);
    }
    void unreadableTypedDateIsRefusedNamingFieldAndText() {
        try {
            requireUserDate(QStringLiteral("日期从"), QStringLiteral("2009-13-01"));
            QFAIL("an unreadable date was accepted");
        } catch (const DbError& e) {
            QVERIFY(e.text().contains(QStringLiteral("日期从")));
            QVERIFY(e.text().contains(QStringLiteral("2009-13-01")));
        }
    }

    void sqlFunctions() {
        TestDatabase t(QDateTime(QDate(2010, 3, 4), QTime(23, 59, 0)));
        QCOMPARE(t.scalar("select Date()").toString(), QStringLiteral("2010-03-04"));  // local, not UTC
        QCOMPARE(t.scalar("select Now()").toString(), QStringLiteral("2010-03-04 23:59:00"));
        QCOMPARE(t.scalar("select Month('2009-11-07')").toInt(), 11);
        QCOMPARE(t.scalar("select Month('2009-11-07 08:01:02')").toInt(), 11);
        QCOMPARE(t.scalar("select Year('2009年11月07日')").toInt(), 2009);
        QCOMPARE(t.scalar("select CDate('2009年11月07日')").toString(), QStringLiteral("2009-11-07"));
        // A stored text that is no date matches nothing and fails nothing.
        QVERIFY(t.scalar("select Month('不是日期')").isNull());
        QCOMPARE(t.scalar("select count(*) from (select 1) where CDate('xx') = Date()").toInt(), 0);
        QCOMPARE(t.scalar("select substr('送货单', 1, 2)").toString(), QStringLiteral("送货"));
        QCOMPARE(t.scalar("select Str(5)").toString(), QStringLiteral(" 5"));
        QCOMPARE(t.scalar("select Str(-2.5)").toString(), QStringLiteral("-2.5"));
        QCOMPARE(t.scalar("select Nz(null, 0) + 3").toInt(), 3);
        QCOMPARE(t.scalar("select iif(1 > 2, 'a', 'b')").toString(), QStringLiteral("b"));
    }
};

QTEST_GUILESS_MAIN(TstValues)
#include "tst_values.moc"
