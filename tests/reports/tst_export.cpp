// The workbook export: the cells of the written file read back, the refusals and the hand-over to
// the desktop.
#include "TestDatabase.h"
#include "data/Dataset.h"
#include "reports/WorkbookExport.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"
#include "workbook/XlsxReader.h"
#include "workbook/ZipArchive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

using namespace reports;

namespace {

ui::GridColumn column(const QString& field, const QString& title, bool visible = true) {
    ui::GridColumn c;
    c.field = field;
    c.title = title;
    c.visible = visible;
    return c;
}

// The type attribute of a cell in the sheet's XML ("" for a number or date, "s"/"inlineStr"/"str" for
// texts), or "absent" when the sheet holds no such cell; style tells whether a format is set.
QString cellType(const QString& path, const QString& ref, bool* styled = nullptr) {
    workbook::ZipArchive zip;
    if (!zip.open(path)) return QStringLiteral("no zip");
    const QString xml = QString::fromUtf8(zip.read(QStringLiteral("xl/worksheets/sheet1.xml")));
    const QRegularExpression cell(QStringLiteral("<c r=\"%1\"([^>]*)>").arg(ref));
    const auto m = cell.match(xml);
    if (!m.hasMatch()) return QStringLiteral("absent");
    const QString attrs = m.captured(1);
    if (styled) *styled = attrs.contains(QStringLiteral(" s=\""));
    const auto t = QRegularExpression(QStringLiteral("t=\"(\\w+)\"")).match(attrs);
    return t.hasMatch() ? t.captured(1) : QString();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

}  // namespace

class TstExport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> t_;
    std::unique_ptr<QTemporaryDir> out_;
    std::unique_ptr<data::Dataset> ds_;
    std::unique_ptr<ui::DataGrid> grid_;

    void openRows(const QString& where = {}) {
        ds_->setStatement(
            {QStringLiteral("select 送货单号, 客户名称, 日期2, 数量, 金额, 备注, 售价 from shd_view"),
             where});
        ds_->open();
    }

  private slots:
    void init() {
        t_ = std::make_unique<TestDatabase>();
        out_ = std::make_unique<QTemporaryDir>();
        setExportFolder(out_->path());
        data::execRaw(
            t_->db(),
            QStringLiteral("create view shd_view as select shd.送货单号, shd.客户名称, shd.日期2, "
                           "shdsp.数量, shdsp.金额, shdsp.备注, shdsp.售价 from shd left join shdsp on "
                           "shd.送货单号 = shdsp.送货单号 order by shd.送货单号"));
        t_->insert("shd", {{"送货单号", "0001"}, {"客户名称", "甲 公司"}, {"日期2", "2009-11-07"}});
        t_->insert("shdsp",
                   {{"送货单号", "0001"}, {"数量", 2.5}, {"金额", 12.3456789}, {"备注", "12"}, {"售价", 3}});
        t_->insert("shd",
                   {{"送货单号", "0002"}, {"客户名称", QVariant()}, {"日期2", "2009-11-08"}});  // no lines
        ds_ = std::make_unique<data::Dataset>(QStringLiteral("rows"));
        ds_->setDatabase(t_->db());
        grid_ = std::make_unique<ui::DataGrid>();
        grid_->setColumns({column("送货单号", "送 货 单号"), column("客户名称", "客户名称", false),
                           column("日期2", "日期"), column("售价", "售价", false), column("数量", ""),
                           column("金额", "金额"), column("备注", "备注")});
        grid_->setDataset(ds_.get());
    }
    void cleanup() {
        grid_.reset();
        ds_.reset();
        setExportFolder({});
        t_.reset();
    }

    void cellsOfTheWorkbook() {
        openRows();
        ds_->setCurrentRow(1);
        const QString path = writeGridWorkbook(*grid_, QStringLiteral("对账单"), out_->path());
        QCOMPARE(ds_->currentRow(), 1);  // the grid did not follow the export

        workbook::XlsxReader book(path);
        QCOMPARE(book.title(), kExportDocumentTitle);
        const workbook::Sheet s = book.sheetAt(0);
        QCOMPARE(s.cell(1, 1), QString());
        QCOMPARE(s.cell(1, 2), QString());
        QCOMPARE(s.cell(1, 3), QStringLiteral("对账单"));
        // Hidden columns packed away, blanks removed from the titles, a title left empty is the field.
        QCOMPARE(QStringList({s.cell(2, 1), s.cell(2, 2), s.cell(2, 3), s.cell(2, 4), s.cell(2, 5)}),
                 QStringList({"送货单号", "日期", "数量", "金额", "备注"}));
        QCOMPARE(s.columnCount(), 5);
        QCOMPARE(QStringList({s.cell(3, 1), s.cell(3, 2), s.cell(3, 3), s.cell(3, 4), s.cell(3, 5)}),
                 QStringList({"0001", "2009-11-07", "2.5", "12.3456789", "12"}));
        // The note without lines: Null gives empty cells, and the row still counts.
        QCOMPARE(QStringList({s.cell(4, 1), s.cell(4, 2), s.cell(4, 3), s.cell(4, 4), s.cell(4, 5)}),
                 QStringList({"0002", "2009-11-08", "", "", ""}));
        QCOMPARE(s.rowCount(), 4);

        // Numbers are numbers, dates are dates with a format, texts stay texts (even "0001" and "12").
        bool styled = false;
        QCOMPARE(cellType(path, "C3"), QString());
        QCOMPARE(cellType(path, "D3", &styled), QString());
        QVERIFY(!styled);  // the general format
        QCOMPARE(cellType(path, "B3", &styled), QString());
        QVERIFY(styled);
        QVERIFY(!cellType(path, "A3").isEmpty() && cellType(path, "A3") != "absent");
        QVERIFY(!cellType(path, "E3").isEmpty() && cellType(path, "E3") != "absent");
        QCOMPARE(cellType(path, "C4"), QStringLiteral("absent"));
        // The number is written unrounded (the grids show four places).
        workbook::ZipArchive zip;
        QVERIFY(zip.open(path));
        QVERIFY(QString::fromUtf8(zip.read("xl/worksheets/sheet1.xml")).contains("<v>12.3456789</v>"));
    }

    void noRecordsGiveTheTitleAlone() {
        openRows(QStringLiteral("where 1=0"));
        const QString path = writeGridWorkbook(*grid_, QStringLiteral("利润统计"), out_->path());
        const workbook::Sheet s = workbook::XlsxReader(path).sheetAt(0);
        QCOMPARE(s.rowCount(), 1);
        QCOMPARE(s.columnCount(), 3);
        QCOMPARE(s.cell(1, 3), QStringLiteral("利润统计"));
        QCOMPARE(cellType(path, "A2"), QStringLiteral("absent"));
    }

    void twoExportsNeverShareAFile() {
        openRows();
        const QString a = writeGridWorkbook(*grid_, QStringLiteral("货品资料"), out_->path());
        const QString b = writeGridWorkbook(*grid_, QStringLiteral("货品资料"), out_->path());
        QVERIFY(a != b);
        QCOMPARE(filesIn(out_->path()).size(), 2);
        QVERIFY(QFileInfo(a).fileName().startsWith(QStringLiteral("货品资料_20091107-103000")));
    }

    void notRunYetIsRefusedBeforeAnyWorkbook() {
        ui::ScriptedDialogs dialogs;
        QCOMPARE(exportGrid(*grid_, QStringLiteral("对账单")), QString());
        QCOMPARE(dialogs.messages(), QStringList{kNotRunMessage});
        QCOMPARE(dialogs.asked.front().icon, ui::Dialogs::Icon::Warning);
        QVERIFY(filesIn(out_->path()).isEmpty());
    }

    void handedToTheSpreadsheetApplication() {
        openRows();
        ui::ScriptedDialogs dialogs;
        dialogs.answerDefaultApplication(QStringLiteral("libreoffice-calc.desktop")).answerOpenUrl(true);
        const QString path = exportGrid(*grid_, QStringLiteral("对账单"));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(out_->path()).absoluteFilePath());
        QCOMPARE(dialogs.asked.size(), size_t(2));
        QCOMPARE(dialogs.asked[0].text, kXlsxMimeType);
        QCOMPARE(dialogs.asked[1].kind, QStringLiteral("openUrl"));
        QCOMPARE(QUrl(dialogs.asked[1].text).toLocalFile(), path);
        QVERIFY(dialogs.messages().isEmpty());
    }

    void noSpreadsheetApplicationSaysWhereTheFileIs() {
        openRows();
        ui::ScriptedDialogs dialogs;
        dialogs.answerDefaultApplication(QString());
        const QString path = exportGrid(*grid_, QStringLiteral("对账单"));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(dialogs.messages().size(), 1);
        const QString text = dialogs.lastMessage();
        QVERIFY2(text.startsWith(QStringLiteral("没有安装Excel!\n请先安装!")), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
        for (const auto& a : dialogs.asked) QVERIFY(a.kind != QLatin1String("openUrl"));
    }

    void unwritableFolderIsReported() {
        openRows();
        QFile blocker(out_->filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
        blocker.close();
        setExportFolder(out_->filePath("blocked"));
        ui::ScriptedDialogs dialogs;
        QCOMPARE(exportGrid(*grid_, QStringLiteral("对账单")), QString());
        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.asked.front().icon, ui::Dialogs::Icon::Critical);
    }

    void aHundredThousandRowsInSeconds() {
        data::execRaw(
            t_->db(),
            QStringLiteral("create table big (送货单号 TEXT, 日期2 TEXT, 数量 REAL, 金额 REAL, 备注 TEXT)"));
        data::execRaw(
            t_->db(),
            QStringLiteral("insert into big with recursive n(i) as (select 1 union all select i + 1 from n "
                           "where i < 100000) select printf('%010d', i), '2009-11-07', i, i * 1.5, "
                           "'第' || i || '行' from n"));
        ds_->setStatement({QStringLiteral("select * from big")});
        ds_->open();
        QCOMPARE(ds_->count(), 100000);
        int calls = 0, lastDone = 0;
        QElapsedTimer timer;
        timer.start();
        const QString path =
            writeGridWorkbook(*grid_, QStringLiteral("对账单"), out_->path(), [&](int done, int total) {
                ++calls;
                lastDone = done;
                QCOMPARE(total, 100000);
            });
        const qint64 ms = timer.elapsed();
        qInfo("100000 rows written in %lld ms", ms);
        QVERIFY2(ms < 30000, qPrintable(QString::number(ms)));
        QVERIFY(calls > 10);
        QCOMPARE(lastDone, 100000);
        const workbook::Sheet s = workbook::XlsxReader(path).sheetAt(0);
        QCOMPARE(s.rowCount(), 100002);
        QCOMPARE(s.cell(100002, 1), QStringLiteral("0000100000"));
        QCOMPARE(s.cell(100002, 4), QStringLiteral("150000"));
    }
};

QTEST_MAIN(TstExport)
#include "tst_export.moc"
