// Layout of prepared pages: the delivered note with its fill-to-twelve lines and running sums, the named
// objects, band order and page breaks, and the expressions of memo texts.
#include "NoteFixture.h"
#include "TestDatabase.h"
#include "data/Dataset.h"
#include "data/Environment.h"
#include "printing/Expression.h"
#include "printing/Fr3.h"
#include "printing/Report.h"

#include <QBuffer>
#include <QImage>
#include <QStandardItemModel>
#include <QtTest>

using namespace printing;

namespace {

ReportObject memo(const QString& name, double leftMm, double widthMm, const QString& text) {
    ReportObject o;
    o.kind = ObjectKind::Memo;
    o.name = name;
    o.left = mmToUnits(leftMm);
    o.width = mmToUnits(widthMm);
    o.height = mmToUnits(5);
    o.text = text;
    return o;
}

Band band(BandKind kind, const QString& name, double topMm, double heightMm,
          QList<ReportObject> objects = {}) {
    Band b;
    b.kind = kind;
    b.name = name;
    b.top = mmToUnits(topMm);
    b.height = mmToUnits(heightMm);
    b.width = mmToUnits(190);
    b.objects = std::move(objects);
    return b;
}

// A page of 100 x 100 mm with 10 mm margins: 80 mm to fill.
Template smallPage(QList<Band> bands) {
    Template t;
    Page p;
    p.name = "Page1";
    p.paperWidth = 100;
    p.paperHeight = 100;
    p.paperSize = 256;
    p.bands = std::move(bands);
    t.pages.append(p);
    return t;
}

ReportDataset goods(int n) {
    ReportDataset d;
    d.name = "ds";
    d.fields = {"名称", "数量", "单价", "金额", "日期"};
    const QStringList names{"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
    for (int i = 0; i < n; ++i)
        d.rows.append(QVariantMap{{"名称", names[i % 10]},
                                  {"数量", double(i + 2)},
                                  {"单价", 1.5},
                                  {"金额", (i + 2) * 1.5},
                                  {"日期", QDate(2009, 10, 5 + i)}});
    return d;
}

QString textOf(const PreparedPage& p, const QString& object, int n = 0) {
    const PreparedItem* i = p.object(object, n);
    return i ? i->text : QStringLiteral("<no %1>").arg(object);
}

}  // namespace

class TstLayout : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        env_ = std::make_unique<data::EnvironmentOverride>();
        data::env().now = [] { return QDateTime(QDate(2009, 11, 7), QTime(10, 30, 0)); };
    }
    void cleanup() { env_.reset(); }

    // --- the delivered note ----------------------------------------------------------------------------
    void referenceNote_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QList<int>>("dataRows");   // per page
        QTest::addColumn<QList<int>>("emptyRows");  // per page
        QTest::newRow("3 lines") << 3 << QList<int>{3} << QList<int>{9};
        QTest::newRow("12 lines") << 12 << QList<int>{12} << QList<int>{0};
        QTest::newRow("13 lines") << 13 << QList<int>{12, 1} << QList<int>{0, 11};
        QTest::newRow("no lines") << 0 << QList<int>{0} << QList<int>{12};
    }
    void referenceNote() {
        QFETCH(int, lines);
        QFETCH(QList<int>, dataRows);
        QFETCH(QList<int>, emptyRows);
        Report r;
        QString error;
        QVERIFY2(r.load(referenceTemplatePath(), &error), qPrintable(error));
        QCOMPARE(r.checkObjects(deliveryNoteObjects()), QString());
        fillNoteObjects(r);
        r.setDataset(customerDataset());
        r.setDataset(linesDataset(lines));
        const PreparedReport rep = r.prepare();
        QVERIFY2(rep.notices.isEmpty(), qPrintable(rep.notices.join('\n')));
        QCOMPARE(rep.pageCount(), dataRows.size());

        int line = 0;
        double runningSum = 0;
        for (int pg = 0; pg < rep.pageCount(); ++pg) {
            const PreparedPage& p = rep.pages[pg];
            QCOMPARE(p.paperSize, QSizeF(210, 145));
            QCOMPARE(p.margins, QMarginsF(10, 10, 10, 10));
            // Every page carries the heading and the customer.
            QCOMPARE(textOf(p, "gsmc"), QString("广州市宏达贸易有限公司"));
            QCOMPARE(textOf(p, "shdno"), QString("2009110001"));
            QCOMPARE(textOf(p, "khmc"), QString("东方五金商行"));
            QCOMPARE(textOf(p, "ywy"), QString("李四"));
            QCOMPARE(p.findText("业务员：").size(), 1);
            QCOMPARE(p.findText("NO.:").size(), 1);

            // Column titles, boxed, with the widths of the note.
            const QStringList titles{"序号", "商品名称", "规格型号", "单位",
                                     "数量", "单价",     "金额",     "实收数量"};
            const QList<double> widths{10, 43, 30, 15, 21, 21, 24, 26};
            QList<double> lefts;
            double x = 10;
            for (int c = 0; c < titles.size(); ++c) {
                const auto found = p.findText(titles[c]);
                QCOMPARE(found.size(), 1);
                QCOMPARE(found[0]->frameSides, int(Frame::All));
                QVERIFY(qAbs(found[0]->rect.left() - x) < 0.001);
                QVERIFY(qAbs(found[0]->rect.width() - widths[c]) < 0.001);
                QVERIFY(qAbs(found[0]->rect.top() - 44) < 0.001);
                lefts << x;
                x += widths[c];
            }

            QCOMPARE(p.count("dje"), dataRows[pg]);
            QCOMPARE(p.count("kje"), emptyRows[pg]);
            // Twelve 5 mm rows right under the titles, data first, then the empty boxed ones.
            QList<const PreparedItem*> rows;
            for (int i = 0; i < dataRows[pg]; ++i) rows << p.object("dje", i);
            for (int i = 0; i < emptyRows[pg]; ++i) rows << p.object("kje", i);
            for (int i = 0; i < rows.size(); ++i) {
                QVERIFY(qAbs(rows[i]->rect.top() - (49 + 5 * i)) < 0.001);
                QVERIFY(qAbs(rows[i]->rect.height() - 5) < 0.001);
                QCOMPARE(rows[i]->frameSides, int(Frame::All));
                QVERIFY(qAbs(rows[i]->rect.left() - lefts[6]) < 0.001);
            }
            for (int i = 0; i < dataRows[pg]; ++i) {
                ++line;
                runningSum += lineAmount(line);
                QCOMPARE(textOf(p, "dxh", i), QString::number(line));
                QCOMPARE(textOf(p, "dmc", i), QString("螺丝 %1 号").arg(line));
                QCOMPARE(textOf(p, "dje", i), formatNumber(lineAmount(line), 2, true));
                QCOMPARE(textOf(p, "dsssl", i), QString());
            }
            // The footer at the bottom of the page, with the running sum of the lines so far.
            const PreparedItem* sum = p.object("hjje");
            QVERIFY(sum);
            QVERIFY(qAbs(sum->rect.top() - 109) < 0.001);
            QCOMPARE(sum->text, formatNumber(runningSum, 2, false));
            QCOMPARE(textOf(p, "dxje"), QString("人民币壹仟叁佰零伍元伍角"));
            QCOMPARE(p.findText("发货人签字：").size(), 1);
            QCOMPARE(p.findText("白色联：发货存根").size(), 1);
            QCOMPARE(textOf(p, "ym"), QString("第 %1 页 / 共 %2 页").arg(pg + 1).arg(rep.pageCount()));
        }
        QCOMPARE(line, lines);
    }

    void thirteenLinesSumOnEachPage() {
        Report r;
        QVERIFY(r.load(referenceTemplatePath()));
        r.setDataset(customerDataset());
        r.setDataset(linesDataset(13));
        const PreparedReport rep = r.prepare();
        QCOMPARE(rep.pageCount(), 2);
        // 1234.5 + 10.5 * (2 + ... + 12) = 1234.5 + 808.5; then + 136.5 for line 13
        QCOMPARE(textOf(rep.pages[0], "hjje"), QString("2043.00"));
        QCOMPARE(textOf(rep.pages[1], "hjje"), QString("2179.50"));
        QCOMPARE(textOf(rep.pages[0], "dje", 0), QString("1,234.50"));
    }

    void filledObjectsPrintAsTheyStand() {
        Report r;
        QVERIFY(r.load(referenceTemplatePath()));
        QVERIFY(r.setText("gsmc", "宏达 [公司] <x>"));
        QVERIFY(!r.setText("nosuch", "x"));
        QVERIFY(!r.setText("gsbz", "a picture is no text"));
        QImage logo(40, 30, QImage::Format_RGB32);
        logo.fill(Qt::red);
        QByteArray png;
        QBuffer buf(&png);
        logo.save(&buf, "PNG");
        QVERIFY(r.setPicture("gsbz", png));
        QVERIFY(!r.setPicture("gsmc", png));
        const PreparedReport rep = r.prepare();
        QCOMPARE(textOf(rep.pages[0], "gsmc"), QString("宏达 [公司] <x>"));
        const PreparedItem* pic = rep.pages[0].object("gsbz");
        QVERIFY(pic);
        QCOMPARE(pic->kind, PreparedItem::Kind::Picture);
        QCOMPARE(pic->image.size(), QSize(40, 30));
        QVERIFY(qAbs(pic->rect.left() - 10) < 0.001 && qAbs(pic->rect.top() - 10) < 0.001);
        QVERIFY(qAbs(pic->rect.width() - 22) < 0.001 && qAbs(pic->rect.height() - 18) < 0.001);
        // Without datasets the customer fields print empty and the page is still filled to twelve.
        QCOMPARE(textOf(rep.pages[0], "khmc"), QString());
        QCOMPARE(rep.pages[0].count("kje"), 12);
    }

    void templateLackingAnObjectIsReportedByFileAndName() {
        auto t = loadFr3(referenceTemplatePath());
        QVERIFY(t);
        for (Band& b : t->pages[0].bands)
            b.objects.erase(std::remove_if(b.objects.begin(), b.objects.end(),
                                           [](const ReportObject& o) { return o.name == "dxje"; }),
                            b.objects.end());
        QTemporaryDir dir;
        const QString path = dir.filePath("我的格式.fr3");
        QVERIFY(saveFr3(*t, path));
        Report r;
        QVERIFY(r.load(path));
        QCOMPARE(r.missingObjects(deliveryNoteObjects()), QStringList{"dxje"});
        const QString msg = r.checkObjects(deliveryNoteObjects());
        QVERIFY2(msg.contains(path) && msg.contains("dxje"), qPrintable(msg));
        QString error;
        QVERIFY(!Report().loadDeliveryNote(path, &error));
        QCOMPARE(error, msg);
        QVERIFY(!Report().loadDeliveryNote(dir.filePath("没有.fr3"), &error));
        QVERIFY2(error.contains(dir.filePath("没有.fr3")), qPrintable(error));
        QVERIFY(Report().loadDeliveryNote(referenceTemplatePath(), &error));
    }

    void formatNameGivesTheTemplateBesideTheProgram() {
        data::env().programDir = [] { return QStringLiteral("/opt/送货单"); };
        QCOMPARE(templateFileForFormat("  送货单 "), QString("/opt/送货单/送货单.fr3"));
        QCOMPARE(templateFileForFormat("A5 格式"), QString("/opt/送货单/A5 格式.fr3"));
    }

    void datasetsFromTheScreensModels() {
        // The same dataset a window shows feeds the report, standing on its current row.
        TestDatabase db;
        data::Dataset ds("lines");
        ds.setDatabase(db.db());
        ds.setStatement({"select '甲' as 名称, 1.5 as 金额", "union all select '乙', 2.25"});
        ds.open();
        ds.setCurrentRow(1);
        const ReportDataset rd = ReportDataset::fromDataset("sdbst", ds);
        QCOMPARE(rd.name, QString("sdbst"));
        QCOMPARE(rd.fields, (QStringList{"名称", "金额"}));
        QCOMPARE(rd.rows.size(), 2);
        QCOMPARE(rd.currentRow, 1);
        QCOMPARE(*rd.value(0, "金额"), QVariant(1.5));
        QVERIFY(!rd.value(0, "没有"));

        QStandardItemModel model(1, 2);
        model.setHorizontalHeaderLabels({"客户名称", "联系电话"});
        model.setData(model.index(0, 0), "东方");
        const ReportDataset md = ReportDataset::fromModel("xhbdbst", model);
        QCOMPARE(*md.value(0, "客户名称"), QVariant("东方"));

        Band data = band(BandKind::MasterData, "MasterData1", 10, 5,
                         {memo("m", 0, 30, "[sdbst.\"名称\"] [xhbdbst.\"客户名称\"]")});
        data.dataSetName = "sdbst";
        Report r(smallPage({data}));
        r.setDataset(rd);
        r.setDataset(md);
        const PreparedPage p = r.prepare().pages[0];
        QCOMPARE(textOf(p, "m", 1), QString("乙 东方"));
    }

    // --- bands ---------------------------------------------------------------------------------------
    void bandOrderAndPageBreaks() {
        // Bands listed out of order: the layout order comes from the kinds and, within a kind, Top.
        Band data = band(BandKind::MasterData, "MasterData1", 40, 10, {memo("row", 0, 30, "[ds.\"名称\"]")});
        data.dataSetName = "ds";
        Band header = band(BandKind::Header, "Header1", 30, 5, {memo("hd", 0, 30, "标题")});
        Band footer =
            band(BandKind::Footer, "Footer1", 60, 5, {memo("ft", 0, 30, "[COUNT(MasterData1)] 行")});
        Band title = band(BandKind::ReportTitle, "Title", 0, 10, {memo("title", 0, 30, "报表")});
        Band ph = band(BandKind::PageHeader, "PH", 15, 10, {memo("ph", 0, 30, "页眉 [Page#]")});
        ph.printOnFirstPage = false;
        Band pf =
            band(BandKind::PageFooter, "PF", 90, 10,
                 {memo("pf", 0, 50, "[SUM(<ds.\"金额\">,MasterData1)]/[SUM(<ds.\"金额\">,MasterData1,2)]")});
        pf.printOnLastPage = false;
        Band summary = band(BandKind::ReportSummary, "Sum", 80, 5,
                            {memo("sum", 0, 30, "[SUM(<ds.\"金额\">,MasterData1)]")});
        Report r(smallPage({pf, summary, data, footer, header, ph, title}));
        r.setDataset(goods(7));
        const PreparedReport rep = r.prepare();
        // Page 1: title 10, header 5, five rows of 10 (limit 100-10-10 = 80 mm: 10+10+5+50 = 75).
        QCOMPARE(rep.pageCount(), 2);
        const PreparedPage& p1 = rep.pages[0];
        QCOMPARE(textOf(p1, "title"), QString("报表"));
        QVERIFY(!p1.object("ph"));
        QVERIFY(qAbs(p1.object("hd")->rect.top() - 20) < 0.001);
        QCOMPARE(p1.count("row"), 5);
        QVERIFY(qAbs(p1.object("pf")->rect.top() - 80) < 0.001);
        // 2+3+4+5+6 = 20 rows * 1.5; the running total is the same on the first page.
        QCOMPARE(textOf(p1, "pf"), QString("30/30"));
        const PreparedPage& p2 = rep.pages[1];
        QVERIFY(!p2.object("title"));
        QCOMPARE(textOf(p2, "ph"), QString("页眉 2"));
        QCOMPARE(p2.count("row"), 2);
        QVERIFY(qAbs(p2.object("row")->rect.top() - 20) < 0.001);
        QCOMPARE(textOf(p2, "ft"), QString("7 行"));
        QCOMPARE(textOf(p2, "sum"), QString("52.5"));
        QVERIFY(!p2.object("pf"));  // not on the last page
    }

    void fillModes_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("toN");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("fillPerPage");
        // 80 mm of page, 10 mm rows: eight rows fit on a page.
        QTest::newRow("count fills up") << "rmCount" << 6 << 2 << QList<int>{4};
        QTest::newRow("count already reached") << "rmCount" << 2 << 3 << QList<int>{0};
        QTest::newRow("count beyond the page stops at its end") << "rmCount" << 20 << 3 << QList<int>{5};
        QTest::newRow("count on the second page") << "rmCount" << 8 << 10 << QList<int>{0, 6};
        QTest::newRow("till page ends") << "rmTillPageEnds" << 0 << 3 << QList<int>{5};
        QTest::newRow("add to count breaks pages") << "rmAddToCount" << 7 << 3 << QList<int>{5, 2};
    }
    void fillModes() {
        QFETCH(QString, mode);
        QFETCH(int, toN);
        QFETCH(int, rows);
        QFETCH(QList<int>, fillPerPage);
        Band data = band(BandKind::MasterData, "MasterData1", 10, 10, {memo("row", 0, 30, "[Line#]")});
        data.dataSetName = "ds";
        data.child = "Child1";
        Band fill = band(BandKind::Child, "Child1", 30, 10, {memo("empty", 0, 30, "")});
        fill.toNRows = toN;
        fill.toNRowsMode = mode;
        Report r(smallPage({data, fill}));
        r.setDataset(goods(rows));
        const PreparedReport rep = r.prepare();
        QCOMPARE(rep.pageCount(), fillPerPage.size());
        for (int p = 0; p < rep.pageCount(); ++p) QCOMPARE(rep.pages[p].count("empty"), fillPerPage[p]);
    }

    void perRowChildAndRowCountWithoutDataset() {
        Band data = band(BandKind::MasterData, "MasterData1", 10, 5, {memo("row", 0, 30, "行 [Line#]")});
        data.rowCount = 3;
        data.child = "Child1";
        Band child = band(BandKind::Child, "Child1", 30, 5, {memo("sub", 0, 30, "明细 [Line#]")});
        Band hidden = band(BandKind::ReportSummary, "Hidden", 50, 5, {memo("hidden", 0, 30, "x")});
        hidden.visible = false;
        Report r(smallPage({data, child, hidden}));
        const PreparedReport rep = r.prepare();
        const PreparedPage& p = rep.pages[0];
        QCOMPARE(p.count("row"), 3);
        QCOMPARE(textOf(p, "sub", 2), QString("明细 3"));
        QVERIFY(p.object("sub", 0)->rect.top() > p.object("row", 0)->rect.top());
        QVERIFY(p.object("row", 1)->rect.top() > p.object("sub", 0)->rect.top());
        QVERIFY(!p.object("hidden"));
    }

    void missingDatasetAndUnknownKindsAreReportedOnce() {
        Band data = band(BandKind::MasterData, "MasterData1", 10, 5, {memo("row", 0, 30, "[nods.\"x\"]")});
        data.dataSetName = "nods";
        ReportObject barcode;
        barcode.kind = ObjectKind::Unknown;
        barcode.name = "Barcode1";
        barcode.raw.name = "TfrxBarCodeView";
        Band title = band(BandKind::ReportTitle, "T", 0, 5,
                          {barcode, memo("a", 0, 10, "[Foo]"), memo("b", 10, 10, "[Foo] [Bar(1)]")});
        Report r(smallPage({title, data}));
        const PreparedReport rep = r.prepare();
        QCOMPARE(textOf(rep.pages[0], "a"), QString());
        QCOMPARE(textOf(rep.pages[0], "b"), QString(" "));
        const QString all = rep.notices.join('\n');
        QCOMPARE(rep.notices.filter("Foo").size(), 1);
        QVERIFY2(all.contains("Bar") && all.contains("TfrxBarCodeView") && all.contains("nods"),
                 qPrintable(all));
    }

    void stretchedBandGrowsWithItsText() {
        ReportObject m = memo("long", 0, 20, QString(24, QChar(0x5b57)));  // 24 Chinese characters in 20 mm
        m.extra.append(Attribute{"StretchMode", "smActualHeight"});
        Band data = band(BandKind::MasterData, "MasterData1", 10, 5, {m});
        data.rowCount = 2;
        data.stretched = true;
        Report r(smallPage({data}));
        const PreparedReport rep = r.prepare();
        const PreparedItem* a = rep.pages[0].object("long", 0);
        const PreparedItem* b = rep.pages[0].object("long", 1);
        QVERIFY(a->rect.height() > 15);
        QVERIFY(b->rect.top() >= a->rect.bottom() - 0.001);
    }

    void displayFormatsAndHideZeros() {
        ReportObject money = memo("m", 0, 30, "[ds.\"金额\"]");
        money.displayFormat = {"fkNumeric", "%2.2n", ""};
        ReportObject picture = memo("p", 30, 30, "[ds.\"金额\"]");
        picture.displayFormat = {"fkNumeric", "#,##0.000", ","};
        ReportObject date = memo("d", 60, 20, "[ds.\"日期\"]");
        date.displayFormat = {"fkDateTime", "yyyy-mm-dd", ""};
        ReportObject zero = memo("z", 80, 10, "[<ds.\"数量\"> - 2000]");
        zero.hideZeros = true;
        Band data = band(BandKind::MasterData, "MasterData1", 10, 5, {money, picture, date, zero});
        data.dataSetName = "ds";
        Report r(smallPage({data}));
        ReportDataset d = goods(1);
        d.rows[0]["金额"] = 1234567.891;
        d.rows[0]["数量"] = 2000.0;
        r.setDataset(d);
        const PreparedPage p = r.prepare().pages[0];
        QCOMPARE(textOf(p, "m"), QString("1,234,567.89"));
        QCOMPARE(textOf(p, "p"), QString("1,234,567,891"));
        QCOMPARE(textOf(p, "d"), QString("2009-10-05"));
        QCOMPARE(textOf(p, "z"), QString());
    }

    // --- expressions ----------------------------------------------------------------------------------
    void expressions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("where");  // row2: the second data row; summary: after all rows
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("notice");  // a text the notices must hold, or empty for none
        QTest::newRow("field") << "[ds.\"名称\"]"
                               << "row2"
                               << "乙"
                               << "";
        QTest::newRow("text around") << "品名：[ds.\"名称\"]。"
                                     << "row2"
                                     << "品名：乙。"
                                     << "";
        QTest::newRow("dataset with blanks") << "[my ds.\"名称\"]"
                                             << "row2"
                                             << "另"
                                             << "";
        QTest::newRow("current row outside its band") << "[ds.\"名称\"]"
                                                      << "summary"
                                                      << "丙"
                                                      << "";
        QTest::newRow("computation") << "[<ds.\"数量\">*<ds.\"单价\">]"
                                     << "row2"
                                     << "4.5"
                                     << "";
        QTest::newRow("line") << "[Line#]"
                              << "row2"
                              << "2"
                              << "";
        QTest::newRow("page") << "[Page#]/[TotalPages#]"
                              << "summary"
                              << "1/1"
                              << "";
        QTest::newRow("date") << "[Date]"
                              << "summary"
                              << "2009-11-07"
                              << "";
        QTest::newRow("time") << "[Time]"
                              << "summary"
                              << "10:30:00"
                              << "";
        QTest::newRow("sum") << "[SUM(<ds.\"金额\">,MasterData1)]"
                             << "summary"
                             << "13.5"
                             << "";
        QTest::newRow("running sum in a row") << "[SUM(<ds.\"金额\">,MasterData1)]"
                                              << "row2"
                                              << "7.5"
                                              << "";
        QTest::newRow("count") << "[COUNT(MasterData1)]"
                               << "summary"
                               << "3"
                               << "";
        QTest::newRow("min max avg") << "[MIN(<ds.\"数量\">,MasterData1)] [MAX(<ds.\"数量\">,MasterData1)] "
                                        "[AVG(<ds.\"金额\">,MasterData1)]"
                                     << "summary"
                                     << "2 4 4.5"
                                     << "";
        QTest::newRow("precedence") << "[1+2*3] [(1+2)*3] [7/2] [-2+5] [7 div 2] [7 mod 2]"
                                    << "summary"
                                    << "7 9 3.5 3 3 1"
                                    << "";
        QTest::newRow("comparisons")
            << "[IIF(<ds.\"数量\"> > 2, 'big', 'small')] [IIF(1 >= 1, 'y', 'n')] [IIF(1 <> 1, 'y', 'n')]"
            << "row2"
            << "big y n"
            << "";
        QTest::newRow("logic") << "[IIF((1 < 2) and not (2 < 1), 'ok', 'no')]"
                               << "summary"
                               << "ok"
                               << "";
        QTest::newRow("strings") << "['A' + 'B'] ['It''s'] [\"双引号\"]"
                                 << "summary"
                                 << "AB It's 双引号"
                                 << "";
        QTest::newRow("string plus number") << "['第' + <Line#>]"
                                            << "row2"
                                            << "第2"
                                            << "";
        QTest::newRow("inline fixed") << "[1234.5 #n%2,2f]"
                                      << "summary"
                                      << "1234.50"
                                      << "";
        QTest::newRow("inline thousands") << "[1234.5 #n%2.2n]"
                                          << "summary"
                                          << "1,234.50"
                                          << "";
        QTest::newRow("inline rounding") << "[1.005 #n%2.2f]"
                                         << "summary"
                                         << "1.01"
                                         << "";
        QTest::newRow("inline date") << "[<ds.\"日期\"> #dyyyy年mm月dd日]"
                                     << "row2"
                                     << "2009年10月06日"
                                     << "";
        QTest::newRow("unknown variable") << "a[Foo]b"
                                          << "summary"
                                          << "ab"
                                          << "Foo";
        QTest::newRow("unknown function") << "[Bar(1)]"
                                          << "summary"
                                          << ""
                                          << "Bar";
        QTest::newRow("unknown field") << "[ds.\"没有\"]"
                                       << "summary"
                                       << ""
                                       << "没有";
        QTest::newRow("unknown band") << "[SUM(<ds.\"金额\">,Nowhere)]"
                                      << "summary"
                                      << ""
                                      << "SUM";
        QTest::newRow("division by zero") << "[1/0]"
                                          << "summary"
                                          << ""
                                          << "除以零";
        QTest::newRow("syntax error") << "[1 +]"
                                      << "summary"
                                      << ""
                                      << "1 +";
        QTest::newRow("unclosed bracket") << "[abc"
                                          << "summary"
                                          << "[abc"
                                          << "";
        QTest::newRow("null field") << "[ds.\"备注\"]|[<ds.\"备注\"> + 1]"
                                    << "row2"
                                    << "|1"
                                    << "";
    }
    void expressions() {
        QFETCH(QString, text);
        QFETCH(QString, where);
        QFETCH(QString, expected);
        QFETCH(QString, notice);
        const bool inRow = where == "row2";
        Band data =
            band(BandKind::MasterData, "MasterData1", 10, 5, {memo("m", 0, 80, inRow ? text : QString())});
        data.dataSetName = "ds";
        Band summary =
            band(BandKind::ReportSummary, "Summary1", 30, 5, {memo("s", 0, 80, inRow ? QString() : text)});
        Report r(smallPage({data, summary}));
        ReportDataset d = goods(3);
        d.fields << "备注";
        for (auto& row : d.rows) row["备注"] = QVariant();
        d.currentRow = 2;
        r.setDataset(d);
        ReportDataset other;
        other.name = "my ds";
        other.fields = {"名称"};
        other.rows = {QVariantMap{{"名称", "另"}}};
        r.setDataset(other);
        const PreparedReport rep = r.prepare();
        QCOMPARE(textOf(rep.pages[0], inRow ? "m" : "s", inRow ? 1 : 0), expected);
        const QString all = rep.notices.join('\n');
        if (notice.isEmpty())
            QVERIFY2(rep.notices.isEmpty(), qPrintable(all));
        else
            QVERIFY2(all.contains(notice), qPrintable(all));
    }

  private:
    std::unique_ptr<data::EnvironmentOverride> env_;
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
