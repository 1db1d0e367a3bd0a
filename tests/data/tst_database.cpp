// The schema, the delivered file, opening, migrations and transactions.
#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Database.h"
#include "data/DbError.h"
#include "data/Transaction.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

using namespace data;

namespace {
QStringList columnsOf(const QSqlDatabase& db, const QString& table) {
    QStringList out;
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (q.next()) out << q.value(1).toString();
    return out;
}
}  // namespace

class TstDatabase : public QObject {
    Q_OBJECT
private slots:
    void schemaHoldsEveryTableAndColumn_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");
        QTest::newRow("usertable") << "usertable" << "用户 密码 职务 权限 提示";
        QTest::newRow("cust") << "cust" << "psid fatherid 客户名称 送货地址 联系电话 送货车牌 开单人员 业务员 发货方式 备注";
        QTest::newRow("cust_sp") << "cust_sp" << "客户名称 psid 商品编号 名称 类别 规格型号 单位 产地 售价 折扣 数量 金额 备注";
        QTest::newRow("sp") << "sp" << "编号 商品编号 名称 类别 规格型号 单位 产地 售价 进价 折扣 含税单价 库存 库存下限 库存上限";
        QTest::newRow("shd") << "shd"
                             << "送货单号 日期 日期2 客户名称 送货地址 联系电话 送货车牌 开单人员 发货方式 业务员 备注 "
                                "录入人员 录入时间 总金额 大写金额 状态 签回人员 签回时间";
        QTest::newRow("shdsp") << "shdsp" << "送货单号 商品编号 名称 类别 规格型号 单位 产地 数量 售价 折扣 金额 备注 客户名称";
        QTest::newRow("purm") << "purm" << "单据编号 日期 供应商 仓库名称 工号 状态";
        QTest::newRow("purd") << "purd" << "ID 单据编号 商品编号 名称 单位 规格型号 类别 产地 数量 进价 折扣 金额 备注";
        QTest::newRow("djno") << "djno" << "送货单日期 送货单号 进仓单日期 进仓单号";
        QTest::newRow("销货单位") << "销货单位"
                              << "中文名称 英文名称 中文简称 公司地址 公司电话 公司传真 公司网址 公司邮箱 公司图标 月天 "
                                 "单位名称 纳税人识别号 地址电话 开户行及帐号";
        QTest::newRow("购货单位") << "购货单位" << "单位名称 纳税人识别号 地址电话 开户行及帐号";
        QTest::newRow("bbmc") << "bbmc" << "编号 报表名称";
        QTest::newRow("title") << "title"
                               << "cid 发票号码 开票日期 购货单位名称 购货单位地址 购货单位银行 购货纳税人识别号 销货单位名称 "
                                  "销货单位地址 销货单位银行 销货纳税人识别号 小写金额 大写金额 是否收款 收款人 备注 密码1 "
                                  "密码2 密码3 密码4 密码5";
        QTest::newRow("detail") << "detail"
                                << "id cid 货物应税名称 规格型号 单位 数量 单价 金额 税率 税额 其它1 其它2 其它3 其它4 其它5 其它6";
        for (const char* t : {"fpset1", "fpset2", "fpset3", "fpdz", "qry1", "qry3"}) QTest::newRow(t) << t << "id";
    }
    void schemaHoldsEveryTableAndColumn() {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        TestDatabase t;
        const QStringList have = columnsOf(t.db(), table);
        for (const QString& c : columns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2(have.contains(c, Qt::CaseInsensitive), qPrintable(table + "." + c));
    }

    void uniqueAndCaseInsensitiveKeys() {
        TestDatabase t;
        t.insert("sp", {{"商品编号", "ab-1"}});
        QVERIFY_THROWS_EXCEPTION(DbError, t.insert("sp", {{"商品编号", "AB-1"}}));
        t.insert("shd", {{"送货单号", "2009110001"}});
        QVERIFY_THROWS_EXCEPTION(DbError, t.insert("shd", {{"送货单号", "2009110001"}}));
        t.insert("purm", {{"单据编号", "JH2009110001"}});
        QVERIFY_THROWS_EXCEPTION(DbError, t.insert("purm", {{"单据编号", "jh2009110001"}}));
        t.insert("cust", {{"客户名称", "Acme"}});
        QCOMPARE(t.count("cust", "客户名称 = 'ACME'"), 1);
    }

    void transactionFailingHalfWayLeavesNothing() {
        TestDatabase t;
        t.insert("sp", {{"商品编号", "A"}, {"库存", 5}});
        QVERIFY_THROWS_EXCEPTION(DbError, inWriteTransaction(t.db(), [&] {
                                     exec(t.db(), Statement{"update sp set 库存 = 0"});
                                     exec(t.db(), Statement{"insert into shd (送货单号) values ('1')"});
                                     exec(t.db(), Statement{"insert into nosuchtable values (1)"});
                                 }));
        QCOMPARE(t.scalar("select 库存 from sp").toInt(), 5);
        QCOMPARE(t.count("shd"), 0);
        // The connection is usable afterwards and commits normally.
        inWriteTransaction(t.db(), [&] { exec(t.db(), Statement{"update sp set 库存 = 7"}); });
        QCOMPARE(t.scalar("select 库存 from sp").toInt(), 7);
    }

    void migrationFromAnOlderFileKeepsDataAndABackup() {
        TestDatabase t;
        t.insert("cust", {{"客户名称", "老客户"}});
        QList<Migration> migrations = builtInMigrations();
        const int next = migrations.last().version + 1;
        migrations << Migration{next, "CREATE TABLE later_table (id INTEGER PRIMARY KEY);\n"
                                      "INSERT INTO later_table (id) VALUES (42);\n"};
        migrate(t.db(), t.path(), migrations);
        QCOMPARE(schemaVersion(t.db()), next);
        QCOMPARE(t.scalar("select 客户名称 from cust").toString(), QStringLiteral("老客户"));
        QCOMPARE(t.scalar("select id from later_table").toInt(), 42);
        QVERIFY(QFile::exists(t.path() + QStringLiteral(".bak-%1").arg(next - 1)));
    }

    void failingMigrationChangesNothing() {
        TestDatabase t;
        QList<Migration> migrations = builtInMigrations();
        const int before = migrations.last().version;
        migrations << Migration{before + 1, "CREATE TABLE half (id INTEGER);\nINSERT INTO nosuch VALUES (1);\n"};
        QVERIFY_THROWS_EXCEPTION(DbError, migrate(t.db(), t.path(), migrations));
        QCOMPARE(schemaVersion(t.db()), before);
        QCOMPARE(t.count("sqlite_master", "name = 'half'"), 0);
    }

    void openingRefusesBadFilesWithTheirText() {
        QTemporaryDir dir;
        const QString missing = dir.filePath("trfp.mdb");
        try {
            openDatabase(missing, "bad1");
            QFAIL("a missing file opened");
        } catch (const DbError& e) {
            QVERIFY(e.text().contains("trfp.mdb"));
        }
        QVERIFY(!QFile::exists(missing));  // never created

        const QString junk = dir.filePath("junk.mdb");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY_THROWS_EXCEPTION(DbError, openDatabase(junk, "bad2"));

        TestDatabase newer;
        exec(newer.db(), Statement{QStringLiteral("PRAGMA user_version=%1").arg(currentSchemaVersion() + 5)});
        try {
            openDatabase(newer.path(), "bad3");
            QFAIL("a newer file opened");
        } catch (const DbError& e) {
            QVERIFY(e.text().contains(QStringLiteral("新")));
        }
    }

    void readOnlyFileIsRefused() {
        if (geteuid() == 0) QSKIP("root can write any file");
        TestDatabase t;
        QFile::setPermissions(t.path(), QFile::ReadOwner);
        QVERIFY_THROWS_EXCEPTION(DbError, openDatabase(t.path(), "ro"));
    }

    void lockedFileFailsWithTheDatabaseText() {
        TestDatabase t;
        t.addDeliveredRows();
        QSqlDatabase other = openDatabase(t.path(), "other");
        execRaw(t.db(), "BEGIN IMMEDIATE");
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_EXCEPTION(DbError, inWriteTransaction(other, [&] {}));
        QVERIFY(timer.elapsed() >= 1000);  // it waited for the other copy before giving up
        execRaw(t.db(), "ROLLBACK");
        inWriteTransaction(other, [&] { exec(other, Statement{"update djno set 送货单号 = 1"}); });
        other.close();
    }

    void hubKeepsGoingWithoutADatabase() {
        QTemporaryDir dir;
        DataHub hub;
        const QString failure = hub.openDatabaseFile(dir.filePath("trfp.mdb"));
        QVERIFY(!failure.isEmpty());
        QVERIFY(!hub.isConnected());
        QVERIFY_THROWS_EXCEPTION(DbError, hub.openMissing());
    }

    void deliveredDatabaseTool() {
        QTemporaryDir dir;
        const QString path = dir.filePath("trfp.mdb");
        const QString tool = QStringLiteral(TRFP_BIN_DIR "/../tools/make-trfp-db");
        QCOMPARE(QProcess::execute(tool, {"--if-missing", path}), 0);
        {
            QSqlDatabase db = openDatabase(path, "delivered");
            QCOMPARE(scalar(db, Statement{"select count(*) from usertable where 权限 = '管理' and ifnull(密码,'') = ''"})
                         .toInt(),
                     1);
            QCOMPARE(scalar(db, Statement{"select count(*) from djno"}).toInt(), 1);
            QCOMPARE(scalar(db, Statement{"select count(*) from 销货单位"}).toInt(), 1);
            QCOMPARE(scalar(db, Statement{"select 报表名称 from bbmc"}).toString(), QStringLiteral("送货单"));
            exec(db, Statement{"insert into cust (客户名称) values ('用户的资料')"});
            db.close();
        }
        QSqlDatabase::removeDatabase("delivered");
        // Running it again never overwrites the user's file.
        QCOMPARE(QProcess::execute(tool, {"--if-missing", path}), 0);
        QSqlDatabase db = openDatabase(path, "again");
        QCOMPARE(scalar(db, Statement{"select count(*) from cust"}).toInt(), 1);
        db.close();
    }
};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
