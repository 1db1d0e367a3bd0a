#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/Transaction.h"
#include "stock/TSpForm.h"
#include "stock/WorkbookImport.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"
#include "workbook/XlsxWriter.h"

#include "TestDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace stock;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(TRFP_SOURCE_DIR "/tests/workbook/fixtures/") + name;
}

// Writes an .xlsx workbook of one sheet: texts as texts, numbers as numbers, dates as dates; an
// invalid QVariant leaves the cell out.
void writeWorkbook(const QString& path, const QString& sheetName, const QList<QVariantList>& rows) {
    workbook::XlsxWriter w(path, {sheetName, false, QStringLiteral("yyyy-mm-dd")});
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            const QVariant& v = rows[r][c];
            if (v.typeId() == QMetaType::QString)
                w.writeText(r + 1, c + 1, v.toString());
            else if (v.typeId() == QMetaType::QDate)
                w.writeDate(r + 1, c + 1, v.toDate());
            else if (v.isValid())
                w.writeNumber(r + 1, c + 1, v.toDouble());
        }
    w.close();
}

QVariantList texts(const QStringList& cells) {
    QVariantList out;
    for (const QString& c : cells) out << (c == QLatin1String("<none>") ? QVariant() : QVariant(c));
    return out;
}

const QStringList kUnitHeadings{"单位名称", "纳税人识别号", "地址电话", "开户行及帐号"};

}  // namespace

class TestImport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<QTemporaryDir> files_;

    QString file(const QString& name) const { return files_->filePath(name); }
    QStringList unitNames() {
        QStringList names;
        QSqlQuery q(db_->db());
        q.exec(QStringLiteral("select 单位名称 from 购货单位 order by id"));
        while (q.next()) names << q.value(0).toString();
        return names;
    }

  private slots:
    void init() {
        db_ = std::make_unique<TestDatabase>();
        files_ = std::make_unique<QTemporaryDir>();
        db_->insert(QStringLiteral("购货单位"), {{"单位名称", "乙公司"}, {"地址电话", "原来的地址"}});
    }
    void cleanup() {
        db_.reset();
        files_.reset();
    }

    void sheetNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("xls") << "D:/资料/购货单位.xls"
                             << "购货单位";
        QTest::newRow("xlsx drops five characters") << "/home/user/购货单位.xlsx"
                                                    << "购货单位";
        QTest::newRow("only the last extension") << "/tmp/2009.11 goods.xls"
                                                 << "2009.11 goods";
        QTest::newRow("no extension") << "/tmp/units"
                                      << "units";
    }
    void sheetNames() {
        QFETCH(QString, path);
        QFETCH(QString, sheet);
        QCOMPARE(importSheetName(path), sheet);
    }

    // The committed Excel 97-2003 workbook: new, existing, new, a quote, the first key again, no key.
    void buyerUnitsFromXls() {
        QVERIFY(
            QFile::copy(fixture(QStringLiteral("buyer_units.xls")), file(QStringLiteral("购货单位.xls"))));
        const ImportResult r =
            importWorkbook(db_->db(), file(QStringLiteral("购货单位.xls")), buyerUnitsImport());
        QCOMPARE(r.added, 3);
        QCOMPARE(r.existing, 2);
        QCOMPARE(r.blank, 1);
        QCOMPARE(unitNames(), QStringList({"乙公司", "甲公司", "丙公司", "O'Brien & Co"}));
        // The first of the two 甲公司 rows, its number cell as the digits typed.
        QCOMPARE(db_->scalar(QStringLiteral(
                                 "select 纳税人识别号||'|'||地址电话 from 购货单位 where 单位名称='甲公司'"))
                     .toString(),
                 QStringLiteral("440300123456789|深圳市福田区 0755-1234567"));
        QCOMPARE(
            db_->scalar(QStringLiteral("select 地址电话 from 购货单位 where 单位名称='乙公司'")).toString(),
            QStringLiteral("原来的地址"));
        QCOMPARE(
            db_->scalar(QStringLiteral("select 开户行及帐号 from 购货单位 where 单位名称='O''Brien & Co'"))
                .toString(),
            QStringLiteral("AIB 1"));
    }

    void buyerUnits_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QList<QVariantList>>("rows");
        QTest::addColumn<QStringList>("namesAfter");  // empty: the import fails and nothing changes
        const auto row = [](const QStringList& cells) { return texts(cells); };
        const QVariantList headings = texts(kUnitHeadings);
        QTest::newRow("new, existing, new")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{headings, row({"甲公司", "1", "a", "b"}), row({"乙公司", "2", "改", "改"}),
                                   row({"丙公司", "3", "c", "d"})}
            << QStringList{"乙公司", "甲公司", "丙公司"};
        QTest::newRow("a key twice is added once")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{headings, row({"甲公司", "1", "a", "b"}), row({"甲公司", "2", "c", "d"})}
            << QStringList{"乙公司", "甲公司"};
        QTest::newRow("keys compare without case")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{headings, row({"Acme", "1", "a", "b"}), row({"ACME", "2", "c", "d"})}
            << QStringList{"乙公司", "Acme"};
        QTest::newRow("a quote in the key")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{headings, row({"O'Brien", "1", "a", "b"}), row({"O'Brien", "1", "a", "b"})}
            << QStringList{"乙公司", "O'Brien"};
        QTest::newRow("blank keys are skipped")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{headings, row({"  ", "1", "a", "b"}), row({"<none>", "2", "c", "d"}),
                                   row({" 丁公司 ", "3", "e", "f"})}
            << QStringList{"乙公司", "丁公司"};
        QTest::newRow("headings in any order, more columns")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{texts({"备注", "开户行及帐号", "地址电话", "单位名称", "纳税人识别号"}),
                                   row({"x", "b", "a", "甲公司", "1"})}
            << QStringList{"乙公司", "甲公司"};
        QTest::newRow("sheet named otherwise")
            << "units.xlsx"
            << "Sheet1" << QList<QVariantList>{headings, row({"甲公司", "1", "a", "b"})} << QStringList();
        QTest::newRow("a heading missing")
            << "购货单位.xlsx"
            << "购货单位"
            << QList<QVariantList>{texts({"单位名称", "纳税人识别号", "地址电话"}), row({"甲公司", "1", "a"})}
            << QStringList();
        QTest::newRow("an empty sheet") << "购货单位.xlsx"
                                        << "购货单位" << QList<QVariantList>{} << QStringList();
    }
    void buyerUnits() {
        QFETCH(QString, fileName);
        QFETCH(QString, sheetName);
        QFETCH(QList<QVariantList>, rows);
        QFETCH(QStringList, namesAfter);
        writeWorkbook(file(fileName), sheetName, rows);
        if (namesAfter.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(ImportError,
                                     importWorkbook(db_->db(), file(fileName), buyerUnitsImport()));
            QCOMPARE(unitNames(), QStringList{"乙公司"});
        } else {
            importWorkbook(db_->db(), file(fileName), buyerUnitsImport());
            QCOMPARE(unitNames(), namesAfter);
            QCOMPARE(db_->scalar(QStringLiteral("select 地址电话 from 购货单位 where 单位名称='乙公司'"))
                         .toString(),
                     QStringLiteral("原来的地址"));
        }
    }

    void firstRowOfADuplicateKey() {
        writeWorkbook(file(QStringLiteral("购货单位.xlsx")), QStringLiteral("购货单位"),
                      {texts(kUnitHeadings), texts({"甲公司", "1", "first", "b"}),
                       texts({"甲公司", "2", "second", "d"})});
        importWorkbook(db_->db(), file(QStringLiteral("购货单位.xlsx")), buyerUnitsImport());
        QCOMPARE(
            db_->scalar(QStringLiteral("select 地址电话 from 购货单位 where 单位名称='甲公司'")).toString(),
            QStringLiteral("first"));
    }

    void notAWorkbook() {
        QFile f(file(QStringLiteral("购货单位.xls")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("单位名称,纳税人识别号,地址电话,开户行及帐号\n甲公司,1,a,b\n");
        f.close();
        try {
            importWorkbook(db_->db(), f.fileName(), buyerUnitsImport());
            QFAIL("a text file was imported");
        } catch (const ImportError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("不是Excel工作簿")), qPrintable(e.text()));
        }
        QCOMPARE(unitNames(), QStringList{"乙公司"});
    }

    // Goods from the committed .xls: columns in their own order, an extra column, a numeric code.
    void goodsFromXls() {
        db_->insert(QStringLiteral("sp"), {{"编号", 5}, {"商品编号", "ls-003"}, {"名称", "旧名称"}});
        QVERIFY(QFile::copy(fixture(QStringLiteral("goods.xls")), file(QStringLiteral("goods.xls"))));
        const ImportResult r = importWorkbook(db_->db(), file(QStringLiteral("goods.xls")), goodsImport());
        QCOMPARE(r.added, 2);
        QCOMPARE(r.existing, 1);
        const auto good = [&](const QString& code) {
            return data::rows(db_->db(),
                              data::Statement{"select * from sp where 商品编号=:c"}.bind("c", code))
                .value(0);
        };
        const QVariantMap bolt = good(QStringLiteral("LS-001"));
        QCOMPARE(bolt.value("编号").toDouble(), 6.0);
        QCOMPARE(bolt.value("名称").toString(), QStringLiteral("六角螺栓"));
        QCOMPARE(bolt.value("规格型号").toString(), QStringLiteral("M8*30"));
        QCOMPARE(bolt.value("售价").toDouble(), 0.35);
        QCOMPARE(bolt.value("进价").toDouble(), 0.2);
        QCOMPARE(bolt.value("库存").toDouble(), 1000.0);
        QCOMPARE(bolt.value("产地").toString(), QStringLiteral("宁波"));
        QVERIFY(bolt.value("类别").isNull());  // no such heading
        const QVariantMap washer = good(QStringLiteral("10002"));
        QCOMPARE(washer.value("编号").toDouble(), 7.0);
        QVERIFY(washer.value("进价").isNull());
        QVERIFY(washer.value("产地").isNull());
        QCOMPARE(good(QStringLiteral("LS-003")).value("名称").toString(), QStringLiteral("旧名称"));
    }

    void goodsFailures_data() {
        QTest::addColumn<QList<QVariantList>>("rows");
        const QVariantList headings = texts({"商品编号", "名称", "售价", "库存"});
        QTest::newRow("a price that is text, after two good rows")
            << QList<QVariantList>{headings, QVariantList{"A1", "甲", 1.5, 10},
                                   QVariantList{"A2", "乙", 2, 20}, QVariantList{"A3", "丙", "面议", 30}};
        QTest::newRow("a stock that is a date")
            << QList<QVariantList>{headings, QVariantList{"A1", "甲", 1.5, QDate(2009, 11, 7)}};
        QTest::newRow("no 名称 heading")
            << QList<QVariantList>{texts({"商品编号", "售价"}), QVariantList{"A1", 1.5}};
        QTest::newRow("no 商品编号 heading")
            << QList<QVariantList>{texts({"编号", "名称"}), QVariantList{"A1", "甲"}};
    }
    void goodsFailures() {
        QFETCH(QList<QVariantList>, rows);
        db_->insert(QStringLiteral("sp"), {{"编号", 1}, {"商品编号", "OLD"}, {"名称", "旧"}});
        writeWorkbook(file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"), rows);
        QVERIFY_THROWS_EXCEPTION(ImportError,
                                 importWorkbook(db_->db(), file(QStringLiteral("商品.xlsx")), goodsImport()));
        QCOMPARE(db_->count(QStringLiteral("sp")), 1);
    }

    void goodsWithTheRequiredColumnsOnly() {
        writeWorkbook(
            file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"),
            {texts({"名称", "商品编号"}), QVariantList{"螺丝", 1001}, QVariantList{"螺母", " 1002 "}});
        QCOMPARE(importWorkbook(db_->db(), file(QStringLiteral("商品.xlsx")), goodsImport()).added, 2);
        QCOMPARE(db_
                     ->scalar(QStringLiteral(
                         "select group_concat(商品编号||'='||名称||'#'||cast(编号 as integer), ';') from sp"))
                     .toString(),
                 QStringLiteral("1001=螺丝#1;1002=螺母#2"));
    }

    void largeSheetInSeconds() {
        data::inWriteTransaction(db_->db(), [&] {
            for (int i = 0; i < 1000; ++i)
                db_->insert(QStringLiteral("sp"),
                            {{"编号", i + 1},
                             {"商品编号", QStringLiteral("G%1").arg(i * 20, 6, 10, QLatin1Char('0'))}});
        });
        QList<QVariantList> rows{texts({"商品编号", "名称", "类别", "规格型号", "单位", "售价", "进价",
                                        "折扣", "含税单价", "库存", "库存下限", "库存上限", "产地"})};
        for (int i = 0; i < 20000; ++i)
            rows << QVariantList{QStringLiteral("G%1").arg(i, 6, 10, QLatin1Char('0')),
                                 QStringLiteral("货品%1").arg(i),
                                 "类",
                                 "M8",
                                 "个",
                                 i * 0.01,
                                 1.0,
                                 100,
                                 1.17,
                                 i,
                                 0,
                                 1000,
                                 "宁波"};
        writeWorkbook(file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"), rows);

        QList<int> steps;
        int last = -1;
        bool ordered = true;
        QElapsedTimer timer;
        timer.start();
        const ImportResult r = importWorkbook(db_->db(), file(QStringLiteral("商品.xlsx")), goodsImport(),
                                              [&](int done, int total) {
                                                  ordered = ordered && done == last + 1 && total == 20000;
                                                  last = done;
                                              });
        const qint64 ms = timer.elapsed();
        qInfo("20,000 rows read and imported in %lld ms", ms);
        QVERIFY2(ms < 20000, qPrintable(QString::number(ms)));
        QVERIFY(ordered);
        QCOMPARE(last, 20000);
        QCOMPARE(r.added, 19000);
        QCOMPARE(r.existing, 1000);
        QCOMPARE(db_->count(QStringLiteral("sp")), 20000);
        QCOMPARE(db_->scalar(QStringLiteral("select max(编号) from sp")).toDouble(), 20000.0);
    }

    // --- as the catalog window runs it --------------------------------------------------------------

    void windowCancel() {
        auto hub = db_->openHub();
        hub->spqry->open();
        db_->insert(QStringLiteral("sp"), {{"编号", 1}, {"商品编号", "A1"}, {"名称", "别处加的"}});
        QProgressBar pgb;
        ui::ScriptedDialogs dialogs;
        dialogs.answerFile(QString());
        QVERIFY(!importGoodsWithUi(*hub, &pgb));
        QCOMPARE(dialogs.asked.size(), size_t(1));
        QCOMPARE(dialogs.asked[0].kind, QStringLiteral("openFile"));
        QVERIFY(dialogs.asked[0].caption.startsWith(QStringLiteral("Excel 工作簿 (*.xls *.xlsx)")));
        QVERIFY(dialogs.asked[0].caption.contains(QStringLiteral("(*)")));
        QCOMPARE(hub->spqry->count(), 1);  // re-read all the same
    }

    void windowSuccessAndFailure() {
        auto hub = db_->openHub();
        hub->spqry->open();
        QProgressBar pgb;
        pgb.hide();
        writeWorkbook(file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"),
                      {texts({"商品编号", "名称", "售价"}), QVariantList{"A1", "螺丝", 0.5},
                       QVariantList{"A2", "螺母", 0.3}});
        ui::ScriptedDialogs dialogs;
        dialogs.answerFile(file(QStringLiteral("商品.xlsx")));
        QVERIFY(importGoodsWithUi(*hub, &pgb));
        QCOMPARE(dialogs.messages(), QStringList{kImportDoneText});
        QCOMPARE(dialogs.asked.back().caption, QStringLiteral("操作提示"));
        QCOMPARE(dialogs.asked.back().icon, ui::Dialogs::Icon::Information);
        QCOMPARE(hub->spqry->count(), 2);
        QCOMPARE(hub->spqry->text(QStringLiteral("商品编号")), QStringLiteral("A1"));
        QVERIFY(pgb.isHidden());
        QCOMPARE(pgb.value(), 0);
        QCOMPARE(pgb.maximum(), 2);

        // A sheet that fails half-way: the three lines, nothing added, the bar hidden, the list re-read.
        writeWorkbook(file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"),
                      {texts({"商品编号", "名称", "售价"}), QVariantList{"B1", "垫圈", 0.5},
                       QVariantList{"B2", "螺母", "贵"}});
        db_->insert(QStringLiteral("sp"), {{"编号", 9}, {"商品编号", "C1"}, {"名称", "别处加的"}});
        dialogs.clear();
        dialogs.answerFile(file(QStringLiteral("商品.xlsx")));
        QVERIFY(!importGoodsWithUi(*hub, &pgb));
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("无效的数据文件,\n请检查EXCEL数据格式是否正确\n是否跟要求一致")});
        QCOMPARE(dialogs.asked.back().caption, QStringLiteral("错误提示"));
        QCOMPARE(dialogs.asked.back().icon, ui::Dialogs::Icon::Critical);
        QCOMPARE(db_->count(QStringLiteral("sp"), QStringLiteral("商品编号='B1'")), 0);
        QCOMPARE(hub->spqry->count(), 3);
        QVERIFY(pgb.isHidden());
        QCOMPARE(pgb.value(), 0);
    }

    void windowShowsTheBarWhileRunning() {
        auto hub = db_->openHub();
        QWidget window;
        auto* pgb = new QProgressBar(&window);
        window.show();
        pgb->hide();
        QList<QVariantList> rows{texts({"商品编号", "名称"})};
        for (int i = 0; i < 1000; ++i) rows << QVariantList{QStringLiteral("K%1").arg(i), "货"};
        writeWorkbook(file(QStringLiteral("商品.xlsx")), QStringLiteral("商品"), rows);
        // Look at the bar from inside the import: it repaints through the event loop it keeps turning.
        bool seenVisible = false;
        int seenValue = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            seenVisible = seenVisible || pgb->isVisible();
            seenValue = std::max(seenValue, pgb->value());
        });
        probe.start(0);
        ui::ScriptedDialogs dialogs;
        dialogs.answerFile(file(QStringLiteral("商品.xlsx")));
        QVERIFY(importGoodsWithUi(*hub, pgb));
        QVERIFY(seenVisible);
        QVERIFY(seenValue > 0);
        QVERIFY(pgb->isHidden());
        QVERIFY(hub->spqry->isOpen());
        QCOMPARE(hub->spqry->count(), 1000);
    }

    // The catalog window's "&I导入商品": the goods show in its grid, the bar is hidden again.
    void catalogWindowImports() {
        db_->insert(QStringLiteral("sp"), {{"编号", 1}, {"商品编号", "A1"}, {"名称", "原有"}});
        writeWorkbook(file(QStringLiteral("商品资料.xlsx")), QStringLiteral("商品资料"),
                      {texts({"商品编号", "名称", "售价"}), QVariantList{"a1", "改名", 1},
                       QVariantList{"A2", "螺母", 0.3}});
        auto hub = db_->openHub();
        hub->spqry->open();
        TSpForm window(*hub);
        window.setMode(TSpForm::kBrowse);
        window.show();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("importButton"));
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        auto* grid = window.findChild<ui::DataGrid*>(QStringLiteral("spgrid"));
        QVERIFY(button && bar && grid);
        QCOMPARE(button->text(), QStringLiteral("&I导入商品"));

        ui::ScriptedDialogs dialogs;
        dialogs.answerFile(file(QStringLiteral("商品资料.xlsx")));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(dialogs.messages(), QStringList{kImportDoneText});
        QCOMPARE(grid->view()->model()->rowCount(), 2);
        QCOMPARE(hub->spqry->value(1, QStringLiteral("商品编号")).toString(), QStringLiteral("A2"));
        QCOMPARE(hub->spqry->value(0, QStringLiteral("名称")).toString(), QStringLiteral("原有"));
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->value(), 0);

        // Cancelling asks nothing more and changes nothing.
        dialogs.clear();
        dialogs.answerFile(QString());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(dialogs.asked.size(), size_t(1));
        QCOMPARE(hub->spqry->count(), 2);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
