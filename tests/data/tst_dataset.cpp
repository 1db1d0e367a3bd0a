// The dataset: reading, editing, posting on leaving a row, cancel, delete, master-detail.
#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/DbError.h"

#include <QSignalSpy>
#include <QtTest>

using namespace data;

class TstDataset : public QObject {
    Q_OBJECT

    static void addCustomers(TestDatabase& t) {
        t.insert("cust", {{"客户名称", "甲"}, {"送货地址", "一路"}});
        t.insert("cust", {{"客户名称", "乙"}, {"送货地址", "二路"}});
        t.insert("cust_sp", {{"客户名称", "甲"}, {"商品编号", "A2"}, {"数量", 1}});
        t.insert("cust_sp", {{"客户名称", "甲"}, {"商品编号", "A1"}, {"数量", 2}});
        t.insert("cust_sp", {{"客户名称", "乙"}, {"商品编号", "B1"}, {"数量", 3}});
    }

private slots:
    void editPostsOnLeavingTheRow() {
        TestDatabase t;
        addCustomers(t);
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from cust", "order by 客户名称"});
        d.setUpdateTable("cust", "psid");
        d.open();
        QCOMPARE(d.count(), 2);
        QCOMPARE(d.text("客户名称"), QStringLiteral("乙"));  // order by the statement's text collation
        d.setField("送货地址", "新地址");
        QCOMPARE(d.state(), Dataset::State::Edit);
        QCOMPARE(t.count("cust", "送货地址 = '新地址'"), 0);  // not written yet
        QVERIFY(d.setCurrentRow(1));
        QCOMPARE(d.state(), Dataset::State::Browse);
        QCOMPARE(t.scalar("select 送货地址 from cust where 客户名称 = '乙'").toString(), QStringLiteral("新地址"));
    }

    void cancelRestoresAndAskingCanDrop() {
        TestDatabase t;
        addCustomers(t);
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from cust order by psid"});
        d.setUpdateTable("cust", "psid");
        d.open();
        d.setField("送货地址", "改了");
        d.cancel();
        QCOMPARE(d.text("送货地址"), QStringLiteral("一路"));
        int asked = 0;
        d.onLeaveModifiedRow = [&] { ++asked; return false; };  // the user answered No
        d.setField("送货地址", "又改了");
        QVERIFY(d.setCurrentRow(1));
        QCOMPARE(asked, 1);
        QCOMPARE(t.scalar("select 送货地址 from cust where psid = 1").toString(), QStringLiteral("一路"));
        QCOMPARE(d.value(0, "送货地址").toString(), QStringLiteral("一路"));
    }

    void appendInsertsAndTakesTheKey() {
        TestDatabase t;
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from cust"});
        d.setUpdateTable("cust", "psid");
        d.open();
        QVERIFY(d.isEmpty());
        d.append({{"客户名称", "新客户"}, {"fatherid", 0}});
        QCOMPARE(d.state(), Dataset::State::Insert);
        d.post();
        QVERIFY(d.field("psid").toLongLong() > 0);
        QCOMPARE(t.count("cust"), 1);
        // An insert that is cancelled leaves no row behind.
        d.append({{"客户名称", "不要"}});
        d.cancel();
        QCOMPARE(d.count(), 1);
        QCOMPARE(t.count("cust"), 1);
    }

    void removeDeletesByKey() {
        TestDatabase t;
        addCustomers(t);
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from cust where 客户名称 = :name"});
        d.setUpdateTable("cust", "psid");
        d.setParam("name", "甲");
        d.open();
        QCOMPARE(d.count(), 1);
        d.remove();
        QVERIFY(d.isEmpty());
        QCOMPARE(d.currentRow(), -1);
        QCOMPARE(t.count("cust"), 1);
    }

    void refusedPostKeepsThePendingEdit() {
        TestDatabase t;
        t.insert("sp", {{"商品编号", "A"}});
        t.insert("sp", {{"商品编号", "B"}});
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from sp order by 商品编号"});
        d.setUpdateTable("sp", "id");
        d.open();
        d.setField("商品编号", "B");  // duplicate key
        QVERIFY_THROWS_EXCEPTION(DbError, d.post());
        QCOMPARE(d.state(), Dataset::State::Edit);
        QCOMPARE(d.text("商品编号"), QStringLiteral("B"));
        d.setField("商品编号", "C");
        d.post();
        QCOMPARE(t.count("sp", "商品编号 = 'C'"), 1);
    }

    void numericCellsRefuseText() {
        TestDatabase t;
        t.insert("cust_sp", {{"客户名称", "甲"}, {"商品编号", "A"}, {"数量", 1}});
        Dataset d("d");
        d.setDatabase(t.db());
        d.setStatement({"select * from cust_sp"});
        d.setUpdateTable("cust_sp", "id");
        d.open();
        const int qty = d.fieldIndex("数量");
        QVERIFY(d.isNumericField("数量"));
        QVERIFY(!d.isNumericField("名称"));
        QVERIFY(!d.setData(d.index(0, qty), QStringLiteral("三")));
        QCOMPARE(d.field("数量").toDouble(), 1.0);
        QVERIFY(d.setData(d.index(0, qty), QStringLiteral(" 2.5 ")));
        QCOMPARE(d.field("数量").toDouble(), 2.5);
        QVERIFY(d.setData(d.index(0, qty), QString()));
        QVERIFY(d.field("数量").isNull());  // an empty cell is Null, not 0
    }

    void detailFollowsTheMastersCurrentRow() {
        TestDatabase t;
        addCustomers(t);
        auto hub = t.openHub();
        hub->sele_qry->open();
        hub->seledt_qry->open();
        QCOMPARE(hub->sele_qry->text("客户名称"), QStringLiteral("乙"));
        QCOMPARE(hub->seledt_qry->count(), 1);
        QSignalSpy reread(hub->seledt_qry, &Dataset::opened);
        hub->sele_qry->locate("客户名称", "甲");
        QCOMPARE(reread.count(), 1);
        QCOMPARE(hub->seledt_qry->count(), 2);
        QCOMPARE(hub->seledt_qry->text("商品编号"), QStringLiteral("A1"));
        // A pending detail edit is posted before the detail follows its master.
        hub->seledt_qry->setField("数量", 9);
        hub->sele_qry->locate("客户名称", "乙");
        QCOMPARE(t.scalar("select 数量 from cust_sp where 商品编号 = 'A1'").toInt(), 9);
    }

    void activationOpensOnlyWhatIsClosed() {
        TestDatabase t;
        t.addDeliveredRows();
        addCustomers(t);
        auto hub = t.openHub();
        hub->openMissing();
        for (Dataset* d : hub->activationOrder()) QVERIFY2(d->isOpen(), qPrintable(d->name()));
        hub->sele_qry->locate("客户名称", "甲");
        t.insert("cust", {{"客户名称", "丙"}});
        hub->openMissing();
        QCOMPARE(hub->sele_qry->text("客户名称"), QStringLiteral("甲"));  // left untouched
        QCOMPARE(hub->sele_qry->count(), 2);
    }
};

QTEST_GUILESS_MAIN(TstDataset)
#include "tst_dataset.moc"
