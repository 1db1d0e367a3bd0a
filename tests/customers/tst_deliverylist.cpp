// The delivery list on the entry tab: line amounts, the total in words, the popup menu, Enter, rows
// that belong to the customer, and picking goods through the catalog window.
#include "TestDatabase.h"
#include "customers/CustomerTreeController.h"
#include "customers/DeliveryList.h"
#include "customers/DeliveryListController.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "notes/AmountInWords.h"
#include "stock/TSpForm.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

using customers::DeliveryListController;
using ui::Dialogs;

namespace {

enum Column { kCode = 0, kQuantity = 5, kPrice = 6, kDiscount = 7, kAmount = 8 };

// The entry tab: tree, list grid and jedx, with the catalog window as the picker.
struct EntryTab {
    explicit EntryTab(TestDatabase& t) : hub(t.openHub()) {
        auto* layout = new QVBoxLayout(&window);
        trv = new QTreeWidget(&window);
        hgrid = new ui::DataGrid(&window);
        hgrid->setObjectName("hgrid");
        jedx = new QLineEdit(&window);
        jedx->setObjectName("jedx");
        layout->addWidget(trv);
        layout->addWidget(hgrid);
        layout->addWidget(jedx);
        tree = std::make_unique<customers::CustomerTreeController>(trv, nullptr, nullptr, nullptr, nullptr,
                                                                   *hub);
        list = std::make_unique<DeliveryListController>(hgrid, jedx, *hub);
        picker = std::make_unique<stock::TSpForm>(*hub, &window);
        list->setPicker(picker.get());
        window.resize(1000, 600);
        window.show();
        tree->load();
        hub->openMissing();
    }

    data::Dataset* rows() const { return hub->seledt_qry; }
    // Types text into a cell of the grid, as the user's editor hands it over.
    bool type(int row, int column, const QString& text) {
        QAbstractItemModel* m = hgrid->view()->model();
        return m->setData(m->index(row, column), text, Qt::EditRole);
    }
    QAction* menuItem(const QString& text) {
        for (QAction* a : window.findChild<QMenu*>("PopupMenu1")->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    // Opens the picker from the 货品编号 cell of listRow and double-clicks catalogRow in it. Returns
    // whether the picker was still open afterwards (it is closed then).
    bool pick(int listRow, int catalogRow) {
        bool stillOpen = false;
        QTimer::singleShot(0, picker.get(), [&] {
            QTableView* v = picker->grid()->view();
            modeWhileOpen = picker->findChild<QLabel*>("cz")->text();
            purchasePriceShown = picker->isPurchasePriceVisible();
            const QPoint at = v->visualRect(v->model()->index(catalogRow, 1)).center();
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, at);
            stillOpen = picker->isVisible();
            if (stillOpen) picker->reject();
        });
        emit hgrid->ellipsisClicked(listRow, "商品编号");
        return stillOpen;
    }

    std::unique_ptr<data::DataHub> hub;
    QWidget window;
    QTreeWidget* trv;
    ui::DataGrid* hgrid;
    QLineEdit* jedx;
    std::unique_ptr<customers::CustomerTreeController> tree;
    std::unique_ptr<DeliveryListController> list;
    std::unique_ptr<stock::TSpForm> picker;
    QString modeWhileOpen;
    bool purchasePriceShown = true;
};

QString words(double amount) {
    return "人民币" + notes::AmountInCapitals(data::Money::fromDouble(amount));
}

}  // namespace

class TstDeliveryList : public QObject {
    Q_OBJECT

    qint64 customer_ = 0;

    // One customer 甲 with two list rows (A1 at 2.5, A2 at 3.333) and goods A1, A2, B1 in the catalog.
    void addRows(TestDatabase& t) {
        customer_ = t.insert("cust", {{"客户名称", "甲"}, {"fatherid", 0}});
        t.insert("cust", {{"客户名称", "乙"}, {"fatherid", 0}});
        t.insert(
            "cust_sp",
            {{"客户名称", "甲"}, {"psid", customer_}, {"商品编号", "A1"}, {"名称", "螺丝"}, {"售价", 2.5}});
        t.insert("cust_sp", {{"客户名称", "甲"},
                             {"psid", customer_},
                             {"商品编号", "A2"},
                             {"名称", "螺母"},
                             {"售价", 3.333},
                             {"折扣", 95},
                             {"数量", 4},
                             {"金额", 12.6654},
                             {"备注", "留着"}});
        t.insert("sp", {{"编号", 1}, {"商品编号", "A1"}, {"名称", "螺丝"}, {"售价", 2.5}, {"进价", 1}});
        t.insert("sp", {{"编号", 2}, {"商品编号", "A2"}, {"名称", "螺母"}, {"售价", 3.333}, {"进价", 2}});
        t.insert("sp", {{"编号", 3},
                        {"商品编号", "B1"},
                        {"名称", "垫片"},
                        {"类别", "五金"},
                        {"规格型号", "M8"},
                        {"单位", "个"},
                        {"售价", 0.8},
                        {"进价", 0.5},
                        {"产地", "宁波"},
                        {"折扣", 50}});
    }

  private slots:
    void lineAmount_data() {
        QTest::addColumn<QVariant>("quantity");
        QTest::addColumn<QVariant>("price");
        QTest::addColumn<QVariant>("discount");
        QTest::addColumn<double>("amount");
        QTest::newRow("no discount") << QVariant(10.0) << QVariant(2.5) << QVariant() << 25.0;
        QTest::newRow("discount 90") << QVariant(10.0) << QVariant(2.5) << QVariant(90.0) << 22.5;
        QTest::newRow("discount 0") << QVariant(10.0) << QVariant(2.5) << QVariant(0.0) << 0.0;
        QTest::newRow("unrounded") << QVariant(3.0) << QVariant(3.333) << QVariant() << 9.999;
        QTest::newRow("empty quantity") << QVariant() << QVariant(2.5) << QVariant(90.0) << 0.0;
        QTest::newRow("empty price") << QVariant(10.0) << QVariant() << QVariant() << 0.0;
    }
    void lineAmount() {
        QFETCH(QVariant, quantity);
        QFETCH(QVariant, price);
        QFETCH(QVariant, discount);
        QFETCH(double, amount);
        QCOMPARE(customers::lineAmount(quantity, price, discount), amount);
    }

    void columnsOfTheGrid() {
        const auto cols = DeliveryListController::columns();
        QStringList fields;
        for (const auto& c : cols) fields << c.field;
        QCOMPARE(fields, QStringList({"商品编号", "名称", "类别", "规格型号", "单位", "数量", "售价", "折扣",
                                      "金额", "产地", "备注"}));
        QCOMPARE(cols[kCode].title, QString("货品编号"));
        QVERIFY(cols[kCode].ellipsis);
        QCOMPARE(cols[kQuantity].title, QString("送货数量"));
        QCOMPARE(cols[kDiscount].title, QString("折扣(%)"));
        QVERIFY(cols[2].readOnly);
        QCOMPARE(cols[4].footerText, QString("合计："));
        QVERIFY(cols[kQuantity].footerSum && cols[kAmount].footerSum);
    }

    void amountsAndWordsFollowTyping_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("amount");  // of the first row (A1 at 2.5, no discount)
        QTest::newRow("quantity") << int(kQuantity) << "10" << 25.0;
        QTest::newRow("price") << int(kPrice) << "3" << 0.0;  // no quantity yet: 0, not empty
        QTest::newRow("discount") << int(kDiscount) << "90" << 0.0;
    }
    void amountsAndWordsFollowTyping() {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(double, amount);
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        QCOMPARE(tab.rows()->count(), 2);
        const double second = 95 * (4 * 3.333) / 100;
        QCOMPARE(tab.jedx->text(), words(second));
        QVERIFY(tab.type(0, column, text));
        QVERIFY(!tab.rows()->field("金额").isNull());
        QCOMPARE(tab.rows()->field("金额").toDouble(), amount);
        QCOMPARE(tab.jedx->text(), words(amount + second));
    }

    void wordsOfTheCases() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        tab.rows()->setCurrentRow(1);
        QVERIFY(tab.type(1, kDiscount, ""));  // empty discount: full price
        QVERIFY(tab.type(1, kQuantity, "3"));
        QCOMPARE(tab.rows()->field("金额").toDouble(), 9.999);
        QCOMPARE(tab.jedx->text(), QString("人民币壹拾圆整"));
        QVERIFY(tab.type(1, kQuantity, ""));  // cleared quantity: amount 0, words follow
        QCOMPARE(tab.rows()->field("金额").toDouble(), 0.0);
        QCOMPARE(tab.jedx->text(), QString("人民币零圆整"));
        QVERIFY(tab.type(1, kAmount, "7"));  // typed amount stands until the next change
        QCOMPARE(tab.rows()->field("数量"), QVariant());
        QCOMPARE(tab.jedx->text(), words(7));
        QVERIFY(tab.type(1, kQuantity, "2"));
        QCOMPARE(tab.rows()->field("金额").toDouble(), 6.666);
        QVERIFY(tab.rows()->setCurrentRow(0));  // leaving the row writes it
        QCOMPARE(t.scalar("select 金额 from cust_sp where 商品编号='A2'").toDouble(), 6.666);
    }

    void textInANumericCellIsRefused() {
        TestDatabase t;
        addRows(t);
        ui::ScriptedDialogs dialogs;
        EntryTab tab(t);
        QVERIFY(!tab.type(0, kQuantity, "十个"));
        QVERIFY(tab.rows()->field("数量").isNull());
        QCOMPARE(t.count("cust_sp", "数量 is not null"), 1);
    }

    void anEmptyListReadsZero() {
        TestDatabase t;
        t.insert("cust", {{"客户名称", "空"}, {"fatherid", 0}});
        EntryTab tab(t);
        QCOMPARE(tab.rows()->count(), 0);
        QCOMPARE(tab.jedx->text(), QString("人民币零圆整"));
    }

    void addedRowsBelongToTheCustomer() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        QVERIFY(tab.menuItem("修改") && tab.menuItem("删除"));
        tab.menuItem("增加")->trigger();
        QCOMPARE(tab.rows()->state(), data::Dataset::State::Insert);
        QCOMPARE(tab.rows()->currentRow(), 2);
        QVERIFY(tab.type(2, kCode, "手写"));
        QVERIFY(tab.type(2, kQuantity, "1"));
        QVERIFY(tab.rows()->setCurrentRow(0));
        QCOMPARE(t.count("cust_sp", "商品编号='手写' and 客户名称='甲' and psid=:p", {{"p", customer_}}), 1);

        // A row added and left untouched is not stored as an empty line.
        tab.menuItem("增加")->trigger();
        QVERIFY(tab.rows()->setCurrentRow(0));
        QCOMPARE(t.count("cust_sp"), 3);
        QCOMPARE(tab.rows()->count(), 3);
    }

    void deleteRow_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("No keeps the row") << int(Dialogs::Button::No) << 2;
        QTest::newRow("Yes deletes it") << int(Dialogs::Button::Yes) << 1;
    }
    void deleteRow() {
        QFETCH(int, answer);
        QFETCH(int, left);
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        ui::ScriptedDialogs dialogs;
        dialogs.answer(Dialogs::Button(answer));
        tab.menuItem("删除")->trigger();
        QCOMPARE(dialogs.lastMessage(), QString("您是否确定要删除这笔记录吗?"));
        QCOMPARE(dialogs.asked[0].caption, QString("信息"));
        QCOMPARE(dialogs.asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(t.count("cust_sp"), left);
        QCOMPARE(tab.rows()->count(), left);
    }

    void enterMovesToTheNextRowAndSaves() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        tab.hgrid->setCurrentField("数量");
        QVERIFY(tab.type(0, kQuantity, "10"));
        tab.hgrid->view()->setFocus();
        QTest::keyClick(tab.hgrid->view(), Qt::Key_Return);
        QCOMPARE(tab.rows()->currentRow(), 1);
        QCOMPARE(t.scalar("select 金额 from cust_sp where 商品编号='A1'").toDouble(), 25.0);
        QTest::keyClick(tab.hgrid->view(), Qt::Key_Return);
        QCOMPARE(tab.rows()->currentRow(), 1);  // the last row stays
    }

    void pickingTheSameGoodTwiceIsRefused() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        ui::ScriptedDialogs dialogs;
        QVERIFY(tab.pick(0, 1));  // A2 is already on 甲's list: the picker stays open
        QCOMPARE(tab.modeWhileOpen, QString("xz"));
        QVERIFY(!tab.purchasePriceShown);
        QCOMPARE(dialogs.lastMessage(), QString("已存在此商品，不能重复输入!"));
        QCOMPARE(dialogs.asked[0].caption, QString("信息"));
        QCOMPARE(tab.rows()->value(0, "商品编号").toString(), QString("A1"));
        QCOMPARE(tab.rows()->state(), data::Dataset::State::Browse);
    }

    void pickingOntoAnExistingRowReplacesItsGood() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        ui::ScriptedDialogs dialogs;
        QVERIFY(!tab.pick(1, 2));  // B1 onto the A2 row: the picker closes
        QVERIFY(dialogs.asked.empty());
        data::Dataset* rows = tab.rows();
        QCOMPARE(rows->currentRow(), 1);
        QCOMPARE(rows->text("商品编号"), QString("B1"));
        QCOMPARE(rows->text("名称"), QString("垫片"));
        QCOMPARE(rows->text("规格型号"), QString("M8"));
        QCOMPARE(rows->text("产地"), QString("宁波"));
        QCOMPARE(rows->field("售价").toDouble(), 0.8);
        QCOMPARE(rows->field("折扣").toDouble(), 95.0);  // the customer's discount and quantity stay
        QCOMPARE(rows->field("数量").toDouble(), 4.0);
        QCOMPARE(rows->text("备注"), QString("留着"));
        QCOMPARE(rows->field("金额").toDouble(), 95 * (4 * 0.8) / 100);
        QVERIFY(rows->setCurrentRow(0));
        QCOMPARE(t.count("cust_sp", "商品编号='B1' and 客户名称='甲' and psid=:p", {{"p", customer_}}), 1);
        QCOMPARE(t.count("cust_sp", "商品编号='A2'"), 0);
    }

    void pickingIntoAnEmptyListAndForAnotherCustomer() {
        TestDatabase t;
        addRows(t);
        EntryTab tab(t);
        const qint64 other = t.scalar("select psid from cust where 客户名称='乙'").toLongLong();
        tab.tree->select(tab.tree->itemOf(other));
        QCOMPARE(tab.rows()->count(), 0);
        ui::ScriptedDialogs dialogs;
        QVERIFY(!tab.pick(-1, 1));  // A2 is on 甲's list, not on 乙's
        QVERIFY(dialogs.asked.empty());
        QCOMPARE(tab.rows()->count(), 1);
        QVERIFY(tab.rows()->field("折扣").isNull());  // the catalog's discount is not copied
        tab.rows()->post();
        QCOMPARE(t.count("cust_sp", "商品编号='A2' and 客户名称='乙' and psid=:p", {{"p", other}}), 1);
        QCOMPARE(t.count("cust_sp", "商品编号='A2'"), 2);
    }
};

QTEST_MAIN(TstDeliveryList)
#include "tst_deliverylist.moc"
