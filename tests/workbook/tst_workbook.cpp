#include "workbook/Sheet.h"
#include "workbook/XlsReader.h"
#include "workbook/XlsxReader.h"
#include "workbook/XlsxWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace workbook;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(TRFP_SOURCE_DIR "/tests/workbook/fixtures/") + name;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}  // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;
    QString handMade_;

  private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        handMade_ = fixture(QStringLiteral("hand.xlsx"));
    }

    void xlsxCells_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::newRow("shared string heading") << 1 << 1 << QStringLiteral("商品编号");
        QTest::newRow("gap in the headings") << 1 << 2 << QString();
        QTest::newRow("inline heading") << 1 << 3 << QStringLiteral("名称");
        QTest::newRow("whole number") << 2 << 1 << QStringLiteral("10002");
        QTest::newRow("whole number written 3.0") << 2 << 2 << QStringLiteral("3");
        QTest::newRow("rich-text runs joined") << 2 << 3 << QStringLiteral("六角 螺栓");
        QTest::newRow("fraction") << 2 << 4 << QStringLiteral("12.5");
        QTest::newRow("phonetic guide left out") << 3 << 1 << QStringLiteral("平垫圈");
        QTest::newRow("cell without reference follows the last") << 3 << 2 << QStringLiteral("1000");
        QTest::newRow("true") << 3 << 3 << QStringLiteral("TRUE");
        QTest::newRow("false") << 3 << 4 << QStringLiteral("FALSE");
        QTest::newRow("formula result") << 3 << 5 << QStringLiteral("公式");
        QTest::newRow("row the sheet leaves out") << 4 << 1 << QString();
        QTest::newRow("built-in date format") << 5 << 2 << QStringLiteral("2009-11-07");
        QTest::newRow("custom date format with time") << 5 << 3 << QStringLiteral("2009-11-07 12:00:00");
        QTest::newRow("quoted d is no date") << 5 << 4 << QStringLiteral("7");
        QTest::newRow("inline rich text") << 5 << 5 << QStringLiteral("内联");
        QTest::newRow("escaped character") << 5 << 6 << QStringLiteral("甲\r乙");
        QTest::newRow("outside the sheet") << 9 << 9 << QString();
    }
    void xlsxCells() {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        XlsxReader book(handMade_);
        QCOMPARE(book.sheetNames(), QStringList({QStringLiteral("商品"), QStringLiteral("Other")}));
        QCOMPARE(book.title(), QStringLiteral("数据导出窗口"));
        const Sheet s = book.sheetAt(0);
        QCOMPARE(s.cell(row, col), text);
    }

    void xlsxSheetShape() {
        const Sheet s = readWorkbookSheet(handMade_, QStringLiteral("商品"));
        QCOMPARE(s.name, QStringLiteral("商品"));
        QCOMPARE(s.rowCount(), 5);
        QCOMPARE(s.columnCount(), 6);
        QCOMPARE(s.headings.size(), 3);
        QCOMPARE(s.rows.size(), 4);
        QCOMPARE(s.column(QStringLiteral("名称")), 2);
        QCOMPARE(s.column(QStringLiteral("单位")), -1);
        QVERIFY(s.rows[2].isEmpty());  // the row the sheet leaves out
        // Prefixed element names and an absolute relation target; sheet names match without case.
        QCOMPARE(readWorkbookSheet(handMade_, QStringLiteral("other")).cell(1, 1), QStringLiteral("另一页"));
    }

    void xlsCells_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::newRow("heading") << 1 << 2 << QStringLiteral("名称");
        QTest::newRow("whole number") << 2 << 1 << QStringLiteral("1");
        QTest::newRow("whole number written 12.0") << 2 << 3 << QStringLiteral("12");
        QTest::newRow("fraction") << 2 << 4 << QStringLiteral("12.5");
        QTest::newRow("date") << 2 << 5 << QStringLiteral("2009-11-07");
        QTest::newRow("quote in a text") << 3 << 2 << QStringLiteral("O'Brien");
        QTest::newRow("small fraction") << 3 << 4 << QStringLiteral("0.1");
        QTest::newRow("empty cell") << 3 << 6 << QString();
        QTest::newRow("large whole number") << 4 << 1 << QStringLiteral("12345678901");
        QTest::newRow("gap") << 4 << 2 << QString();
        QTest::newRow("negative") << 4 << 4 << QStringLiteral("-4.25");
        QTest::newRow("last column") << 4 << 6 << QStringLiteral("末列");
    }
    void xlsCells() {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        XlsReader book(fixture(QStringLiteral("types.xls")));
        QCOMPARE(book.sheetNames(), QStringList({QStringLiteral("资料"), QStringLiteral("Sheet2")}));
        const Sheet s = book.sheet(QStringLiteral("资料"));
        QCOMPARE(s.rowCount(), 4);
        QCOMPARE(s.cell(row, col), text);
    }

    void writerRoundTrip() {
        const QString path = tmp_.filePath(QStringLiteral("written.xlsx"));
        {
            XlsxWriter w(path, {QStringLiteral("导出"), false, QStringLiteral("yyyy-mm-dd")});
            w.setTitle(QStringLiteral("数据导出窗口"));
            w.writeText(1, 3, QStringLiteral("货品资料"));
            w.writeText(2, 1, QStringLiteral("O'Brien <&>"));
            w.writeNumber(3, 1, 12.5);
            w.writeNumber(3, 2, 3.0);
            w.writeDate(3, 3, QDate(2009, 11, 7));
            w.writeText(3, 4, QString());  // Null: stays empty
            w.writeNumber(4, 5, -0.0001);
            w.close();
        }
        XlsxReader book(path);
        QCOMPARE(book.title(), QStringLiteral("数据导出窗口"));
        QCOMPARE(book.sheetNames(), QStringList(QStringLiteral("导出")));
        const Sheet s = book.sheetAt(0);
        QCOMPARE(s.cell(1, 1), QString());
        QCOMPARE(s.cell(1, 3), QStringLiteral("货品资料"));
        QCOMPARE(s.cell(2, 1), QStringLiteral("O'Brien <&>"));
        QCOMPARE(s.cell(3, 1), QStringLiteral("12.5"));
        QCOMPARE(s.cell(3, 2), QStringLiteral("3"));
        QCOMPARE(s.cell(3, 3), QStringLiteral("2009-11-07"));
        QCOMPARE(s.cell(3, 4), QString());
        QCOMPARE(s.cell(4, 5), QStringLiteral("-0.0001"));
        QCOMPARE(s.rowCount(), 4);
        QCOMPARE(s.columnCount(), 5);
    }

    void writerRowByRowUsesInlineStrings() {
        const QString path = tmp_.filePath(QStringLiteral("rows.xlsx"));
        XlsxWriter w(path, {QString(), true, QStringLiteral("yyyy-mm-dd")});
        for (int r = 1; r <= 3; ++r) {
            w.writeText(r, 1, QStringLiteral("行%1").arg(r));
            w.writeNumber(r, 2, r * 1.5);
        }
        w.close();
        const Sheet s = XlsxReader(path).sheetAt(0);
        QCOMPARE(s.name, QStringLiteral("Sheet1"));
        QCOMPARE(s.cell(3, 1), QStringLiteral("行3"));
        QCOMPARE(s.cell(2, 2), QStringLiteral("3"));
    }

    void writerRefusesWhatItCannotWrite() {
        XlsxWriter w(tmp_.filePath(QStringLiteral("no/such/folder/x.xlsx")));
        w.writeText(1, 1, QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(WorkbookError, w.writeText(0, 1, QStringLiteral("row 0")));
        QVERIFY_THROWS_EXCEPTION(WorkbookError, w.close());
        QVERIFY(!QFile::exists(tmp_.filePath(QStringLiteral("no/such/folder/x.xlsx"))));
    }

    void abandonedWriterLeavesNoFile() {
        const QString path = tmp_.filePath(QStringLiteral("abandoned.xlsx"));
        {
            XlsxWriter w(path);
            w.writeText(1, 1, QStringLiteral("x"));
        }
        QVERIFY(!QFile::exists(path));
    }

    void kindByContent() {
        // An Excel 97-2003 workbook named .xlsx is still read as what it is.
        const QString renamed = tmp_.filePath(QStringLiteral("renamed.xlsx"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("types.xls")), renamed));
        QCOMPARE(workbookKind(renamed), WorkbookKind::Xls);
        QCOMPARE(readWorkbookSheet(renamed, QStringLiteral("sheet2")).cell(2, 1), QStringLiteral("乙"));
        QCOMPARE(readSheetNames(handMade_), QStringList({QStringLiteral("商品"), QStringLiteral("Other")}));
    }

    void unreadableFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");  // written to file unless empty and the file is given
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("error");
        QTest::newRow("text file") << "notes.xls" << QByteArray("商品编号,名称\nA1,螺丝\n") << "notes"
                                   << "“notes.xls”不是Excel工作簿";
        QTest::newRow("empty file") << "empty.xls" << QByteArray() << "empty"
                                    << "“empty.xls”不是Excel工作簿";
        QTest::newRow("OLE2 signature only")
            << "fake.xls" << QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0') << "fake"
            << "“fake.xls”不是可以读取的Excel 97-2003工作簿";
        QTest::newRow("zip that is no workbook") << "other.xlsx" << QByteArray("zip") << "other"
                                                 << "“other.xlsx”不是Excel工作簿";
        QTest::newRow("missing file") << "missing.xls" << QByteArray() << "missing"
                                      << "找不到文件";
        QTest::newRow("xls without the sheet") << "types.xls" << QByteArray() << "Sheet1"
                                               << "工作簿“types.xls”中没有名为“Sheet1”的工作表";
        QTest::newRow("xlsx without the sheet") << "hand.xlsx" << QByteArray() << "Sheet1"
                                                << "工作簿“hand.xlsx”中没有名为“Sheet1”的工作表";
    }
    void unreadableFiles() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, sheet);
        QFETCH(QString, error);
        QString path = tmp_.filePath(file);
        if (file == QLatin1String("types.xls"))
            path = fixture(file);
        else if (file == QLatin1String("hand.xlsx"))
            path = handMade_;
        else if (file == QLatin1String("other.xlsx"))
            QVERIFY(QFile::copy(fixture(QStringLiteral("not_a_workbook.zip")), path));
        else if (file == QLatin1String("empty.xls"))
            writeFile(path, {});
        else if (!content.isEmpty())
            writeFile(path, content);
        try {
            readWorkbookSheet(path, sheet);
            QFAIL("the file was read");
        } catch (const WorkbookError& e) {
            QVERIFY2(e.text().contains(error), qPrintable(e.text()));
        }
    }

    void numberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("negative whole") << -3.0 << "-3";
        QTest::newRow("long code") << 440300123456789.0 << "440300123456789";
        QTest::newRow("fraction") << 0.35 << "0.35";
        QTest::newRow("float noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("huge") << 1e20 << "1e+20";
    }
    void numberTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numberText(value), text);
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
