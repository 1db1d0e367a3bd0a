// The statistics and profit windows driven through their controls.
#include "TestDatabase.h"
#include "TypeText.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "reports/Tlrform.h"
#include "reports/Ttj_Form.h"
#include "reports/WorkbookExport.h"
#include "stock/TSpForm.h"
#include "stock/TkcbjForm.h"
#include "ui/DataGrid.h"
#include "ui/LookupButton.h"
#include "ui/ScriptedDialogs.h"
#include "workbook/XlsxReader.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace reports;

namespace {

QPushButton* buttonWithText(QWidget* w, const QString& text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    qFatal("no button %s", qPrintable(text));
}

void type(QWidget* w, const char* name, const QString& text) {
    auto* e = w->findChild<QLineEdit*>(QString::fromLatin1(name));
    QVERIFY2(e, name);
    e->clear();
    typeText(e, text);
}

QStringList visibleTitles(const ui::DataGrid* g) {
    QStringList out;
    for (const ui::GridColumn& c : g->columns())
        if (g->isColumnVisible(c.field)) out << g->columnTitle(c.field);
    return out;
}

void addNote(TestDatabase& t, const QString& no, const QString& customer, const QString& plate,
             const QString& stored, const QString& status) {
    t.insert("shd", {{"送货单号", no},
                     {"客户名称", customer},
                     {"送货车牌", plate},
                     {"业务员", "张三"},
                     {"日期2", stored},
                     {"状态", status}});
}

void addLine(TestDatabase& t, const QString& no, const QString& goods, double qty, double price,
             const QVariant& discount, double amount) {
    t.insert("shdsp", {{"送货单号", no},
                       {"商品编号", goods},
                       {"数量", qty},
                       {"售价", price},
                       {"折扣", discount},
                       {"金额", amount}});
}

}  // namespace

class TstReportWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> t_;
    std::unique_ptr<data::DataHub> hub_;
    std::unique_ptr<QTemporaryDir> out_;

  private slots:
    void init() {
        t_ = std::make_unique<TestDatabase>();
        addNote(*t_, "2009100001", "甲公司", "浙A1", "2009-10-20", "已打印");
        addLine(*t_, "2009100001", "G1", 2, 10, 85, 17);
        addLine(*t_, "2009100001", "G2", 1, 10, QVariant(), 10);
        addNote(*t_, "2009110001", "乙公司", "浙B2", "2009-11-02", "已作废");
        addLine(*t_, "2009110001", "GONE", 3, 10, QVariant(), 30.25);
        t_->insert("sp", {{"商品编号", "G1"}, {"进价", 6}});
        t_->insert("sp", {{"商品编号", "G2"}, {"进价", 12}});
        hub_ = t_->openHub();
        out_ = std::make_unique<QTemporaryDir>();
        setExportFolder(out_->path());
    }
    void cleanup() {
        setExportFolder({});
        hub_.reset();
        t_.reset();
    }

    void statisticsVariantsFromTheMenu() {
        Ttj_Form w(*hub_);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("送货统计报表"));
        // Shown: the pickers stand on the last 30 days, the edits stay empty, the lists are open.
        QCOMPARE(w.findChild<ui::DateButton*>("fd")->date(), QDate(2009, 10, 8));
        QCOMPARE(w.findChild<ui::DateButton*>("td")->date(), QDate(2009, 11, 7));
        QVERIFY(w.findChild<QLineEdit*>("fedit")->text().isEmpty());
        QCOMPARE(w.findChild<ui::LookupButton*>("scp")->items(), QStringList({"浙A1", "浙B2"}));
        QVERIFY(w.tjgrid()->isReadOnly());

        ui::ScriptedDialogs dialogs;
        dialogs.answerPopup(QStringLiteral("送货统计报表(车牌)"));
        w.findChild<ui::LookupButton*>("scp")->choose(QStringLiteral("浙B2"));
        QTest::mouseClick(buttonWithText(&w, "选择报表&T"), Qt::LeftButton);
        QCOMPARE(
            dialogs.asked.front().caption,
            QStringLiteral(
                "对账单|送货统计报表(客户、月份)|送货统计报表(客户)|送货统计报表(车牌、月份)|"
                "送货统计报表(车牌)|送货统计报表(业务员、月份)|送货统计报表(业务员)|送货统计报表(月份)"));
        QCOMPARE(w.reportTitle(), QStringLiteral("送货统计报表(车牌)"));
        QCOMPARE(w.tjqry()->count(), 1);
        QCOMPARE(visibleTitles(w.tjgrid()), QStringList({"送货车牌", "金额"}));
        QCOMPARE(w.tjgrid()->footerText("客户名称"), QStringLiteral("合计："));
        QCOMPARE(w.tjgrid()->footerText("金额"), QStringLiteral("30.2500"));

        // The statement afterwards: column 2 is the customer again, every column but the month.
        type(&w, "cpEdit", {});
        w.runVariant(QStringLiteral("对账单"));
        QCOMPARE(w.tjqry()->count(), 3);
        QCOMPARE(visibleTitles(w.tjgrid()),
                 QStringList({"日期", "送货单号", "客户名称", "送货车牌", "状态", "业务员", "商品编号",
                              "名称", "规格型号", "类别", "单位", "数量", "售价", "折扣%", "金额", "备注"}));
        QCOMPARE(w.tjgrid()->footerText("数量"), QStringLiteral("6.0000"));
        QCOMPARE(w.tjgrid()->footerText("金额"), QStringLiteral("57.2500"));

        // Months: only the month and the amount are shown. A picked date is written in the short form.
        w.findChild<ui::DateButton*>("fd")->choose(QDate(2009, 10, 1));
        QCOMPARE(w.findChild<QLineEdit*>("fedit")->text(), QStringLiteral("2009-10-01"));
        type(&w, "tedit", "2009/11/30");
        w.runVariant(QStringLiteral("送货统计报表(月份)"));
        QCOMPARE(visibleTitles(w.tjgrid()), QStringList({"月份", "金额"}));
        QCOMPARE(w.tjqry()->count(), 2);
        QVERIFY(dialogs.messages().isEmpty());
    }

    void refusedRunsKeepThePreviousResult_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing customer") << "送货统计报表(客户)"
                                          << ""
                                          << ""
                                          << "客户不能为空!";
        QTest::newRow("missing dates") << "送货统计报表(月份)"
                                       << "2009-10-01"
                                       << ""
                                       << "日期不能为空!";
        QTest::newRow("unreadable date") << "送货统计报表(月份)"
                                         << "2009-10-01"
                                         << "2009-11-31"
                                         << "日期到“2009-11-31”不是有效的日期，请按 2009-11-07 的格式输入。";
    }
    void refusedRunsKeepThePreviousResult() {
        QFETCH(QString, variant);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        Ttj_Form w(*hub_);
        w.show();
        ui::ScriptedDialogs dialogs;
        w.runVariant(QStringLiteral("对账单"));
        QCOMPARE(w.tjqry()->count(), 3);
        type(&w, "fedit", from);
        type(&w, "tedit", to);
        w.runVariant(variant);
        QCOMPARE(dialogs.messages(), QStringList{message});
        QCOMPARE(dialogs.asked.front().icon, ui::Dialogs::Icon::Warning);
        QCOMPARE(w.tjqry()->count(), 3);
        QVERIFY(w.tjgrid()->isColumnVisible("商品编号"));
        // The refused variant's name titles a following export of the previous result.
        QCOMPARE(w.reportTitle(), variant);
    }

    void statisticsExport() {
        Ttj_Form w(*hub_);
        w.show();
        ui::ScriptedDialogs dialogs;
        QTest::mouseClick(buttonWithText(&w, "导出Excel"), Qt::LeftButton);
        QCOMPARE(dialogs.messages(), QStringList{kNotRunMessage});
        QVERIFY(QDir(out_->path()).isEmpty());

        dialogs.clear();
        type(&w, "khedit", "乙公司");
        w.runVariant(QStringLiteral("送货统计报表(客户)"));
        dialogs.answerDefaultApplication(QString());
        QTest::mouseClick(buttonWithText(&w, "导出Excel"), Qt::LeftButton);
        const QStringList files = QDir(out_->path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const workbook::Sheet s = workbook::XlsxReader(QDir(out_->path()).filePath(files[0])).sheetAt(0);
        QCOMPARE(s.cell(1, 3), QStringLiteral("送货统计报表(客户)"));
        QCOMPARE(QStringList({s.cell(2, 1), s.cell(2, 2), s.cell(3, 1), s.cell(3, 2)}),
                 QStringList({"客户名称", "金额", "乙公司", "30.25"}));
        QCOMPARE(s.columnCount(), 3);
        QVERIFY(dialogs.lastMessage().startsWith(kNoSpreadsheetMessage));
    }

    void profitList() {
        Tlrform w(*hub_);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("利润统计"));
        QCOMPARE(w.findChild<ui::DateButton*>("sfd")->date(), QDate(2009, 10, 8));
        QCOMPARE(w.findChild<ui::LookupButton*>("szt")->items(), QStringList({"已作废", "已打印"}));
        QVERIFY(!w.lrqry()->isOpen());  // nothing runs before "确定 &T"
        QVERIFY(w.lrgrid()->isReadOnly());

        ui::ScriptedDialogs dialogs;
        QTest::mouseClick(buttonWithText(&w, "确定 &T"), Qt::LeftButton);
        QCOMPARE(w.lrqry()->count(), 3);
        QCOMPARE(w.lrgrid()->columns().size(), 13);
        QCOMPARE(w.lrgrid()->footerText("名称"), QStringLiteral("合计:"));
        // 5 + (-2); the line of a good gone from the catalog has no profit but its quantity counts.
        QCOMPARE(w.lrgrid()->footerText("利润"), QStringLiteral("3.0000"));
        QCOMPARE(w.lrgrid()->footerText("数量"), QStringLiteral("6.0000"));

        type(&w, "ztedit", "作废");
        type(&w, "Fqedit", "2009-11-01");
        type(&w, "TqEdit", "2009-11-07");
        QTest::mouseClick(buttonWithText(&w, "确定 &T"), Qt::LeftButton);
        QCOMPARE(w.lrqry()->count(), 1);
        QCOMPARE(w.lrqry()->text("送货单号"), QStringLiteral("2009110001"));

        // An unreadable date keeps the list as it is.
        type(&w, "TqEdit", "11月7日");
        QTest::mouseClick(buttonWithText(&w, "确定 &T"), Qt::LeftButton);
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.lastMessage().contains(QStringLiteral("“11月7日”")));
        QCOMPARE(w.lrqry()->count(), 1);

        dialogs.clear();
        dialogs.answerDefaultApplication(QStringLiteral("calc.desktop")).answerOpenUrl(true);
        QTest::mouseClick(buttonWithText(&w, "导出 &Excel"), Qt::LeftButton);
        const QStringList files = QDir(out_->path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].startsWith(QStringLiteral("利润统计_")));
        const workbook::Sheet s = workbook::XlsxReader(QDir(out_->path()).filePath(files[0])).sheetAt(0);
        QCOMPARE(s.cell(2, 11), QStringLiteral("折扣%"));
        QCOMPARE(s.cell(3, 13), QString());  // no profit without a purchase price
        QCOMPARE(s.columnCount(), 13);
        QVERIFY(dialogs.messages().isEmpty());
    }

    // The stock alarm and the catalog hand their grids to the same export.
    void stockWindowsExport() {
        t_->insert("sp", {{"编号", 3}, {"商品编号", "G3"}, {"名称", "螺 母"}, {"库存", 4}, {"库存下限", 5}});
        ui::ScriptedDialogs dialogs;
        const QDir out(out_->path());

        stock::TkcbjForm alarm(*hub_);
        alarm.show();
        QTest::mouseClick(buttonWithText(&alarm, "导出&Excel "), Qt::LeftButton);
        QCOMPARE(dialogs.messages(), QStringList{kNotRunMessage});  // no list chosen yet
        QVERIFY(out.isEmpty());
        QTest::mouseClick(buttonWithText(&alarm, "低于下限&D"), Qt::LeftButton);
        dialogs.clear();
        QTest::mouseClick(buttonWithText(&alarm, "导出&Excel "), Qt::LeftButton);
        QStringList files = out.entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        workbook::Sheet s = workbook::XlsxReader(out.filePath(files[0])).sheetAt(0);
        QCOMPARE(s.cell(1, 3), QStringLiteral("低于库存下限产品"));
        QCOMPARE(QStringList({s.cell(2, 5), s.cell(2, 6), s.cell(3, 1), s.cell(3, 4), s.cell(3, 5)}),
                 QStringList({"库存下限", "售价", "G3", "4", "5"}));  // 库存上限 is hidden
        QVERIFY(dialogs.lastMessage().startsWith(kNoSpreadsheetMessage));

        stock::TSpForm catalog(*hub_);
        catalog.show();
        QTest::mouseClick(buttonWithText(&catalog, "&I导出Excel"), Qt::LeftButton);
        files = out.entryList(QDir::Files, QDir::Time);
        QCOMPARE(files.size(), 2);
        const QString catalogFile = files.filter(QStringLiteral("货品资料_")).value(0);
        QVERIFY(!catalogFile.isEmpty());
        s = workbook::XlsxReader(out.filePath(catalogFile)).sheetAt(0);
        QCOMPARE(s.cell(1, 3), QStringLiteral("货品资料"));
        QCOMPARE(s.cell(2, 6), QStringLiteral("折扣(%)"));
        QCOMPARE(s.rowCount(), 2 + 3);  // every good of the catalog
    }
};

QTEST_MAIN(TstReportWindows)
#include "tst_reportwindows.moc"
