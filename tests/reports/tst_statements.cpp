// The statistics variants and the profit list, run on a small fixture of notes across two years.
#include "TestDatabase.h"
#include "data/DbError.h"
#include "reports/Profit.h"
#include "reports/Statistics.h"

#include <QtTest>

using namespace reports;

namespace {

// Rows as "field=value;..." texts over the given fields, so that a table row states them at once.
QStringList render(const QList<QVariantMap>& rows, const QStringList& fields) {
    QStringList out;
    for (const QVariantMap& r : rows) {
        QStringList cells;
        for (const QString& f : fields) {
            const QVariant v = r.value(f);
            cells << (v.isNull() ? QStringLiteral("-") : v.toString());
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

void addNote(TestDatabase& t, const QString& no, const QString& customer, const QString& plate,
             const QString& sales, const QString& stored, const QString& status) {
    t.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), no},
                                     {QStringLiteral("客户名称"), customer},
                                     {QStringLiteral("送货车牌"), plate},
                                     {QStringLiteral("业务员"), sales},
                                     {QStringLiteral("日期2"), stored},
                                     {QStringLiteral("状态"), status}});
}

void addLine(TestDatabase& t, const QString& no, const QString& goods, const QVariant& qty,
             const QVariant& price, const QVariant& discount, const QVariant& amount) {
    t.insert(QStringLiteral("shdsp"), {{QStringLiteral("送货单号"), no},
                                       {QStringLiteral("商品编号"), goods},
                                       {QStringLiteral("名称"), QStringLiteral("货") + goods},
                                       {QStringLiteral("数量"), qty},
                                       {QStringLiteral("售价"), price},
                                       {QStringLiteral("折扣"), discount},
                                       {QStringLiteral("金额"), amount}});
}

// Notes from November of one year to November of the next: a voided note, an unprinted one and a
// note without lines among them.
void addStatisticsFixture(TestDatabase& t) {
    addNote(t, "2008110001", "甲公司", "浙A1", "张三", "2008-11-05", "已打印");
    addLine(t, "2008110001", "A", 2, 10, QVariant(), 20);
    addLine(t, "2008110001", "B", 1, 5, QVariant(), 5);
    addNote(t, "2008120001", "甲公司", "浙A1", "李四", "2008-12-20", "已作废");
    addLine(t, "2008120001", "A", 3, 10, QVariant(), 30);
    addNote(t, "2009010001", "乙公司", "浙B2", "张三", "2009-01-10", "未打印");
    addLine(t, "2009010001", "C", 4, 10, QVariant(), 40);
    addNote(t, "2009010002", "甲公司", "浙B2", "张三", "2009-01-31", "已收款");  // no lines
    addNote(t, "2009110001", "甲公司", "浙A1", "张三", "2009-11-07", "已签回");
    addLine(t, "2009110001", "A", 1, 10, QVariant(), 10);
}

QList<QVariantMap> runVariant(TestDatabase& t, const QString& caption, const StatisticsInputs& in) {
    const StatisticsVariant* v = findStatisticsVariant(caption);
    if (!v) qFatal("no variant %s", qPrintable(caption));
    return data::rows(t.db(), statisticsStatement(*v, in));
}

}  // namespace

class TstStatements : public QObject {
    Q_OBJECT
  private slots:
    void variantsInMenuOrder() {
        QStringList captions;
        for (const StatisticsVariant& v : statisticsVariants()) captions << v.caption;
        QCOMPARE(captions,
                 QStringList({"对账单", "送货统计报表(客户、月份)", "送货统计报表(客户)",
                              "送货统计报表(车牌、月份)", "送货统计报表(车牌)", "送货统计报表(业务员、月份)",
                              "送货统计报表(业务员)", "送货统计报表(月份)"}));
        QCOMPARE(statisticsColumns().size(), 17);
    }

    void variants_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("filter");  // customer, plate or salesperson, by the variant
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("expected");
        const QStringList statement = {"送货单号", "商品编号", "数量", "金额", "状态"};
        const QStringList summary = {"客户名称", "月份", "数量", "金额"};
        const QStringList monthly = {"月份", "数量", "金额"};

        QTest::newRow("statement, nothing typed: every line of every note by number")
            << "对账单"
            << ""
            << ""
            << "" << statement
            << QStringList{"2008110001|A|2|20|已打印", "2008110001|B|1|5|已打印", "2008120001|A|3|30|已作废",
                           "2009010001|C|4|40|未打印", "2009010002|-|-|-|已收款", "2009110001|A|1|10|已签回"};
        QTest::newRow("statement of one customer over a period across the year end")
            << "对账单"
            << "2008-11-01"
            << "2009-01-31"
            << "甲公司" << statement
            << QStringList{"2008110001|A|2|20|已打印", "2008110001|B|1|5|已打印", "2008120001|A|3|30|已作废",
                           "2009010002|-|-|-|已收款"};
        QTest::newRow("statement, one date empty: no period")
            << "对账单"
            << "2009-11-01"
            << ""
            << "甲公司" << statement
            << QStringList{"2008110001|A|2|20|已打印", "2008110001|B|1|5|已打印", "2008120001|A|3|30|已作废",
                           "2009010002|-|-|-|已收款", "2009110001|A|1|10|已签回"};
        QTest::newRow("statement, other date forms are read as dates")
            << "对账单"
            << "2009/1/10"
            << "2009年1月31日"
            << "" << statement << QStringList{"2009010001|C|4|40|未打印", "2009010002|-|-|-|已收款"};
        QTest::newRow("customer typed partly finds nothing") << "对账单"
                                                             << ""
                                                             << ""
                                                             << "甲" << statement << QStringList{};
        QTest::newRow("customer by month: a month without lines has empty sums")
            << "送货统计报表(客户、月份)"
            << "2008-11-01"
            << "2009-01-31"
            << "甲公司" << summary << QStringList{"甲公司|1|-|-", "甲公司|11|3|25", "甲公司|12|3|30"};
        QTest::newRow("customer ignores the dates") << "送货统计报表(客户)"
                                                    << "2009-01-01"
                                                    << "2009-01-31"
                                                    << "甲公司" << summary << QStringList{"甲公司||7|65"};
        QTest::newRow("customer typed partly") << "送货统计报表(客户)"
                                               << ""
                                               << ""
                                               << "甲公" << summary << QStringList{};
        QTest::newRow("plate by month") << "送货统计报表(车牌、月份)"
                                        << "2008-11-01"
                                        << "2009-12-31"
                                        << "浙A1" << summary << QStringList{"浙A1|11|4|35", "浙A1|12|3|30"};
        QTest::newRow("plate: the note without lines adds nothing")
            << "送货统计报表(车牌)"
            << ""
            << ""
            << "浙B2" << QStringList{"客户名称", "数量", "金额"} << QStringList{"浙B2|4|40"};
        QTest::newRow("salesperson by month, voided note of another counted apart")
            << "送货统计报表(业务员、月份)"
            << "2008-12-01"
            << "2009-01-31"
            << "李四" << summary << QStringList{"李四|12|3|30"};
        QTest::newRow("salesperson over every date")
            << "送货统计报表(业务员)"
            << ""
            << ""
            << "张三" << QStringList{"客户名称", "数量", "金额"} << QStringList{"张三|8|75"};
        QTest::newRow("months of a period across the year end")
            << "送货统计报表(月份)"
            << "2008-11-01"
            << "2009-01-31"
            << "" << monthly << QStringList{"1|4|40", "11|3|25", "12|3|30"};
        QTest::newRow("months of different years fall together")
            << "送货统计报表(月份)"
            << "2008-01-01"
            << "2009-12-31"
            << "" << monthly << QStringList{"1|4|40", "11|4|35", "12|3|30"};
        QTest::newRow("both ends of the period count") << "送货统计报表(月份)"
                                                       << "2008-11-05"
                                                       << "2008-11-05"
                                                       << "" << monthly << QStringList{"11|3|25"};
    }
    void variants() {
        QFETCH(QString, caption);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, filter);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, expected);
        TestDatabase t;
        addStatisticsFixture(t);
        StatisticsInputs in{from, to, {}, {}, {}};
        if (caption.contains(QStringLiteral("车牌")))
            in.plate = filter;
        else if (caption.contains(QStringLiteral("业务员")))
            in.salesperson = filter;
        else
            in.customer = filter;
        QCOMPARE(render(runVariant(t, caption, in), fields), expected);
    }

    void requiredInputs_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("plate");
        QTest::addColumn<QString>("sales");
        QTest::addColumn<QString>("message");
        QTest::newRow("statement needs nothing") << "对账单"
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << "";
        QTest::newRow("customer-month without end date") << "送货统计报表(客户、月份)"
                                                         << "2009-01-01"
                                                         << ""
                                                         << "甲公司"
                                                         << ""
                                                         << ""
                                                         << "日期和客户不能为空!";
        QTest::newRow("customer-month without customer") << "送货统计报表(客户、月份)"
                                                         << "2009-01-01"
                                                         << "2009-01-31"
                                                         << ""
                                                         << ""
                                                         << ""
                                                         << "日期和客户不能为空!";
        QTest::newRow("customer without customer, dates filled") << "送货统计报表(客户)"
                                                                 << "2009-01-01"
                                                                 << "2009-01-31"
                                                                 << ""
                                                                 << "浙A1"
                                                                 << "张三"
                                                                 << "客户不能为空!";
        QTest::newRow("customer needs no dates") << "送货统计报表(客户)"
                                                 << ""
                                                 << ""
                                                 << "甲公司"
                                                 << ""
                                                 << ""
                                                 << "";
        QTest::newRow("plate-month without start") << "送货统计报表(车牌、月份)"
                                                   << ""
                                                   << "2009-01-31"
                                                   << ""
                                                   << "浙A1"
                                                   << ""
                                                   << "日期和送货车牌不能为空!";
        QTest::newRow("plate") << "送货统计报表(车牌)"
                               << ""
                               << ""
                               << "甲公司"
                               << ""
                               << ""
                               << "送货车牌不能为空!";
        QTest::newRow("sales-month") << "送货统计报表(业务员、月份)"
                                     << "2009-01-01"
                                     << "2009-01-31"
                                     << ""
                                     << ""
                                     << ""
                                     << "日期和业务员不能为空!";
        QTest::newRow("sales") << "送货统计报表(业务员)"
                               << ""
                               << ""
                               << ""
                               << ""
                               << ""
                               << "业务员不能为空!";
        QTest::newRow("months") << "送货统计报表(月份)"
                                << ""
                                << "2009-01-31"
                                << ""
                                << ""
                                << ""
                                << "日期不能为空!";
    }
    void requiredInputs() {
        QFETCH(QString, caption);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, customer);
        QFETCH(QString, plate);
        QFETCH(QString, sales);
        QFETCH(QString, message);
        QCOMPARE(missingStatisticsInput(*findStatisticsVariant(caption), {from, to, customer, plate, sales}),
                 message);
    }

    void unreadableDateIsRefusedBeforeTheStatement_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("named");
        QTest::newRow("start") << "2009-13-01"
                               << "2009-12-31"
                               << "日期从“2009-13-01”";
        QTest::newRow("end") << "2009-01-01"
                             << "下个月"
                             << "日期到“下个月”";
    }
    void unreadableDateIsRefusedBeforeTheStatement() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, named);
        for (const QString& caption : {QStringLiteral("对账单"), QStringLiteral("送货统计报表(月份)")}) {
            try {
                statisticsStatement(*findStatisticsVariant(caption), {from, to, {}, {}, {}});
                QFAIL("an unreadable date was accepted");
            } catch (const data::DbError& e) {
                QVERIFY2(e.text().contains(named), qPrintable(e.text()));
            }
        }
        try {
            profitStatement({from, to, {}, {}, {}, {}});
            QFAIL("an unreadable date was accepted");
        } catch (const data::DbError& e) {
            QVERIFY2(e.text().contains(named), qPrintable(e.text()));
        }
        // Where no period applies, the date edits are not read at all.
        QVERIFY(statisticsStatement(*findStatisticsVariant(QStringLiteral("送货统计报表(客户)")),
                                    {from, to, QStringLiteral("甲公司"), {}, {}})
                    .params.size() == 1);
        QVERIFY(profitStatement({from, {}, {}, {}, {}, {}}).params.isEmpty());
    }

    void profit_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("expected");  // 送货单号|商品编号|进价|利润
        const QStringList all = {
            "P0003|-|-|-",     // 丙: a note without lines
            "P0002|G1|6|8",    // 乙: discount stored as an empty text
            "P0002|GONE|-|-",  // 乙: good no longer in the catalog
            "P0004|G1|6|8",    // 乙: no discount, voided
            "P0001|G1|6|5",    // 甲: 2 x (10 x 85% - 6)
            "P0001|G2|12|-4",  // 甲: a loss, no discount
        };                     // customers in the database's order of their names (丙 乙 甲 by code point)
        QTest::newRow("nothing typed: every line by customer and note") << ""
                                                                        << ""
                                                                        << ""
                                                                        << "" << all;
        QTest::newRow("customer contains") << ""
                                           << ""
                                           << "甲"
                                           << "" << QStringList{all[4], all[5]};
        QTest::newRow("status contains 已收") << ""
                                              << ""
                                              << ""
                                              << "已收" << QStringList{all[1], all[2]};
        QTest::newRow("period, voided counted") << "2009-11-02"
                                                << "2009-11-07"
                                                << ""
                                                << "" << QStringList{all[0], all[1], all[2], all[3]};
        QTest::newRow("start without end: no period") << "2009-11-07"
                                                      << ""
                                                      << ""
                                                      << "" << all;
    }
    void profit() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, customer);
        QFETCH(QString, status);
        QFETCH(QStringList, expected);
        TestDatabase t;
        t.insert("sp", {{"商品编号", "G1"}, {"进价", 6}});
        t.insert("sp", {{"商品编号", "G2"}, {"进价", 12}});
        addNote(t, "P0001", "甲公司", "浙A1", "张三", "2009-11-01", "已打印");
        addLine(t, "P0001", "G1", 2, 10, 85, 17);
        addLine(t, "P0001", "G2", 2, 10, QVariant(), 20);
        addNote(t, "P0002", "乙公司", "浙A1", "张三", "2009-11-02", "已收款");
        addLine(t, "P0002", "G1", 2, 10, QString(""), 20);
        addLine(t, "P0002", "GONE", 1, 10, QVariant(), 10);
        addNote(t, "P0003", "丙公司", "浙A1", "张三", "2009-11-03", "未打印");
        addNote(t, "P0004", "乙公司", "浙A1", "张三", "2009-11-07", "已作废");
        addLine(t, "P0004", "G1", 2, 10, QVariant(), 20);
        const auto rows = data::rows(t.db(), profitStatement({from, to, customer, {}, status, {}}));
        QStringList got;
        for (const QVariantMap& r : rows) {
            // Profits compared to four places: 10 x 0.85 is not exact in binary.
            const QVariant p = r.value("利润");
            got << QStringList{r.value("送货单号").toString(),
                               r.value("商品编号").isNull() ? "-" : r.value("商品编号").toString(),
                               r.value("进价").isNull() ? "-" : r.value("进价").toString(),
                               p.isNull() ? "-" : QString::number(qRound64(p.toDouble() * 10000) / 10000.0)}
                       .join('|');
        }
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TstStatements)
#include "tst_statements.moc"
