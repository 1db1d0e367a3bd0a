// The goods catalog window: search as you type, the picking modes, 进价 by opener, adding, saving and
// deleting goods.
#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/DbError.h"
#include "stock/Catalog.h"
#include "stock/TSpForm.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using stock::TSpForm;
using ui::Dialogs;

namespace {

struct Catalog {
    explicit Catalog(TestDatabase& t) : hub(t.openHub()), form(*hub) {
        hub->openMissing();
        form.show();
    }
    QStringList codes() const {
        QStringList out;
        for (int r = 0; r < hub->spqry->count(); ++r) out << hub->spqry->value(r, "商品编号").toString();
        return out;
    }
    QPushButton* button(const char* name) { return form.findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool type(int row, const QString& field, const QString& text) {
        QAbstractItemModel* m = form.grid()->view()->model();
        int col = 0;
        while (form.grid()->columns()[col].field != field) ++col;
        return m->setData(m->index(row, col), text, Qt::EditRole);
    }
    void doubleClick(int row) {
        QTableView* v = form.grid()->view();
        const QPoint at = v->visualRect(v->model()->index(row, 1)).center();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at);  // a real double click starts with a click
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, at);
    }

    std::unique_ptr<data::DataHub> hub;
    TSpForm form;
};

void addGoods(TestDatabase& t) {
    // 编号 out of insertion order, so the list order is visibly by 编号.
    t.insert("sp", {{"编号", 5}, {"商品编号", "X12"}, {"名称", "螺丝"}});
    t.insert("sp", {{"编号", 1}, {"商品编号", "A1"}, {"名称", "垫片12号"}});
    t.insert("sp", {{"编号", 3}, {"商品编号", "A2"}, {"类别", "类12"}});
    t.insert("sp", {{"编号", 4}, {"商品编号", "A3"}, {"规格型号", "M12"}});
    t.insert("sp", {{"编号", 2}, {"商品编号", "A4"}, {"单位", "箱12"}});
    t.insert("sp",
             {{"编号", 6}, {"商品编号", "A5"}, {"产地", "12号路"}, {"进价", 12}});  // not a searched column
    t.insert("sp", {{"编号", 7}});                                                  // none of the five filled
}

}  // namespace

class TstCatalog : public QObject {
    Q_OBJECT

  private slots:
    void window() {
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        QCOMPARE(c.form.objectName(), QString("TSpForm"));
        QCOMPARE(c.form.windowTitle(), QString("货品资料----导入Excel资料格式及资料页名称要求，请看帮助"));
        const QList<std::pair<const char*, QString>> buttons = {
            {"addButton", "&A增加"},    {"editButton", "&E修改"},       {"saveButton", "&S保存"},
            {"deleteButton", "&D删除"}, {"importButton", "&I导入商品"}, {"exportButton", "&I导出Excel"},
            {"closeButton", "&X关闭"}};
        for (const auto& [name, text] : buttons) {
            QVERIFY2(c.button(name), name);
            QCOMPARE(c.button(name)->text(), text);
        }
        QStringList panes;
        for (QLabel* l : c.form.findChild<QStatusBar*>("StatusBar1")->findChildren<QLabel*>())
            panes << l->text();
        QCOMPARE(panes, QStringList({"提示：", "从选择送货商品打开，才可以双击鼠标选择商品！"}));
        QVERIFY(!c.form.grid()->isColumnVisible("含税单价"));
        QVERIFY(!c.form.grid()->isColumnVisible("进价"));  // until an opener with the right shows it
        QCOMPARE(c.form.grid()->columnTitle("折扣"), QString("折扣(%)"));
        QVERIFY(c.form.grid()->isReadOnly());
        QCOMPARE(c.codes(), QStringList({"A1", "A4", "A2", "A3", "X12", "A5", ""}));
    }

    void searchAsYouType_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("in any of the five columns, by 编号")
            << "12" << QStringList{"A1", "A4", "A2", "A3", "X12"};
        QTest::newRow("a code, without regard to case") << "x1" << QStringList{"X12"};
        QTest::newRow("nothing matches") << "无此货" << QStringList{};
        QTest::newRow("empty: every good with one of the five")
            << "" << QStringList{"A1", "A4", "A2", "A3", "X12", "A5"};
    }
    void searchAsYouType() {
        QFETCH(QString, text);
        QFETCH(QStringList, codes);
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        auto* locedit = c.form.findChild<QLineEdit*>("locedit");
        QTest::keyClicks(locedit, "1");
        locedit->clear();
        for (const QChar ch : text) locedit->insert(QString(ch));  // typed one character at a time
        QCOMPARE(c.codes(), codes);
        // The search stays in force across closing and opening again.
        c.form.reject();
        c.form.show();
        QCOMPARE(c.codes(), codes);
    }

    void modes_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("accept");  // what the opener's handler answers
        QTest::addColumn<bool>("handed");
        QTest::addColumn<bool>("closes");
        QTest::newRow("xg browses") << "xg" << true << false << false;
        QTest::newRow("xz hands the good over") << "xz" << true << true << true;
        QTest::newRow("xz refused by the opener stays open") << "xz" << false << true << false;
        QTest::newRow("an opener's own mode") << "jhxz" << true << true << true;
    }
    void modes() {
        QFETCH(QString, mode);
        QFETCH(bool, accept);
        QFETCH(bool, handed);
        QFETCH(bool, closes);
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        QVariantMap got;
        c.form.setMode(mode, [&](const QVariantMap& good) {
            got = good;
            return accept;
        });
        QCOMPARE(c.form.findChild<QLabel*>("cz")->text(), mode);
        c.doubleClick(1);
        QCOMPARE(!got.isEmpty(), handed);
        if (handed) QCOMPARE(got.value("商品编号").toString(), QString("A4"));
        QCOMPARE(c.form.isVisible(), !closes);
        QCOMPARE(c.form.mode(), mode);  // the mode stays until the next opener sets it
    }

    void enterWalksAlongTheRow() {
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        c.form.setMode("xz", [](const QVariantMap&) { return true; });
        c.form.grid()->setCurrentField("库存上限");
        QTest::keyClick(c.form.grid()->view(), Qt::Key_Return);
        QCOMPARE(c.form.grid()->currentField(), QString("产地"));
        QTest::keyClick(c.form.grid()->view(), Qt::Key_Return);
        QCOMPARE(c.form.grid()->currentField(), QString("商品编号"));
        QVERIFY(c.form.isVisible());  // Enter never picks
        QCOMPARE(c.hub->spqry->currentRow(), 0);
    }

    void purchasePriceByOpener() {
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        c.form.setPurchasePriceVisible(false);  // opened for a delivery list
        QVERIFY(!c.form.grid()->isColumnVisible("进价"));
        c.form.reject();
        c.form.setMode("xg");  // "&M商品" leaves it as it was
        c.form.show();
        QVERIFY(!c.form.isPurchasePriceVisible());
        c.form.setPurchasePriceVisible(true);  // the system menu shows it again
        QVERIFY(c.form.grid()->isColumnVisible("进价"));
    }

    void aNewGoodGetsTheNextNumberAndIsSaved() {
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        ui::ScriptedDialogs dialogs;
        c.click("addButton");
        QVERIFY(!c.form.grid()->isReadOnly());
        data::Dataset* sp = c.hub->spqry;
        QCOMPARE(sp->state(), data::Dataset::State::Insert);
        QCOMPARE(sp->field("编号").toDouble(), 8.0);
        QVERIFY(c.type(sp->currentRow(), "商品编号", "N1"));
        QVERIFY(c.type(sp->currentRow(), "名称", "新货"));
        c.click("saveButton");
        QCOMPARE(dialogs.lastMessage(), QString("资料已保存!"));
        QVERIFY(c.form.grid()->isReadOnly());
        QCOMPARE(t.scalar("select 编号 from sp where 商品编号='N1'").toDouble(), 8.0);
        QCOMPARE(t.scalar("select 名称 from sp where 商品编号='N1'").toString(), QString("新货"));
    }

    void aNewGoodNeedsAFreshCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "商品编号不能为空，请输入商品编号!";
        QTest::newRow("blank") << "  "
                               << "商品编号不能为空，请输入商品编号!";
        QTest::newRow("taken") << "A1"
                               << "商品编号“A1”已经存在，不能重复输入!";
        QTest::newRow("taken, other case") << "x12"
                                           << "商品编号“x12”已经存在，不能重复输入!";
    }
    void aNewGoodNeedsAFreshCode() {
        QFETCH(QString, code);
        QFETCH(QString, message);
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        ui::ScriptedDialogs dialogs;
        c.click("addButton");
        data::Dataset* sp = c.hub->spqry;
        const int row = sp->currentRow();
        if (!code.isEmpty()) QVERIFY(c.type(row, "商品编号", code));
        QVERIFY(c.type(row, "名称", "待存"));
        QVERIFY(c.type(row, "售价", "9.5"));
        c.click("saveButton");
        QCOMPARE(dialogs.lastMessage(), message);
        QCOMPARE(dialogs.asked.back().icon, Dialogs::Icon::Warning);
        QCOMPARE(t.count("sp"), 7);
        // Nothing of the pending good is lost; leaving the row is refused the same way.
        QCOMPARE(sp->state(), data::Dataset::State::Insert);
        QCOMPARE(sp->text("名称"), QString("待存"));
        QVERIFY(!c.form.grid()->isReadOnly());
        QVERIFY_THROWS_EXCEPTION(data::DbError, sp->setCurrentRow(0));
        QCOMPARE(sp->currentRow(), row);
        QVERIFY(c.type(row, "商品编号", "N9"));
        c.click("saveButton");
        QCOMPARE(dialogs.lastMessage(), QString("资料已保存!"));
        QCOMPARE(t.scalar("select 售价 from sp where 商品编号='N9'").toDouble(), 9.5);
    }

    void editingAnExistingGood() {
        TestDatabase t;
        addGoods(t);
        Catalog c(t);
        ui::ScriptedDialogs dialogs;
        c.click("editButton");
        QVERIFY(c.type(0, "名称", "改名"));
        c.click("saveButton");
        QCOMPARE(t.scalar("select 名称 from sp where 商品编号='A1'").toString(), QString("改名"));
        // An older good without a code may still be edited; changing a code to a taken one is refused.
        c.click("editButton");
        QVERIFY(c.type(6, "名称", "无编号"));
        c.click("saveButton");
        QCOMPARE(t.scalar("select 名称 from sp where 编号=7").toString(), QString("无编号"));
        c.click("editButton");
        QVERIFY(c.type(1, "商品编号", "A1"));
        c.click("saveButton");
        QCOMPARE(dialogs.lastMessage(), QString("商品编号“A1”已经存在，不能重复输入!"));
        QCOMPARE(t.count("sp", "商品编号='A4'"), 1);
    }

    void deleteAGood_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("No") << int(Dialogs::Button::No) << 7;
        QTest::newRow("Yes") << int(Dialogs::Button::Yes) << 6;
    }
    void deleteAGood() {
        QFETCH(int, answer);
        QFETCH(int, left);
        TestDatabase t;
        addGoods(t);
        t.insert("cust_sp", {{"客户名称", "甲"}, {"商品编号", "A1"}});
        Catalog c(t);
        ui::ScriptedDialogs dialogs;
        dialogs.answer(Dialogs::Button(answer));
        c.click("deleteButton");
        QCOMPARE(dialogs.lastMessage(), QString("您是否真的要删除这笔商品记录吗?"));
        QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(t.count("sp"), left);
        QCOMPARE(t.count("cust_sp", "商品编号='A1'"), 1);  // lists that name the good stay
    }

    void nextGoodsNumber() {
        TestDatabase t;
        QCOMPARE(stock::nextGoodsNumber(t.db()), 1.0);
        addGoods(t);
        QCOMPARE(stock::nextGoodsNumber(t.db()), 8.0);
    }
};

QTEST_MAIN(TstCatalog)
#include "tst_catalog.moc"
