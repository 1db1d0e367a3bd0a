#include "TestDatabase.h"

#include "data/DataHub.h"
#include "data/Database.h"
#include "data/Environment.h"

#include <QDir>
#include <QtTest>

TestDatabase::TestDatabase(const QDateTime& now)
    : envGuard_(std::make_unique<data::EnvironmentOverride>()), now_(now) {
    static int serial = 0;
    connection_ = QStringLiteral("test%1").arg(++serial);
    db_ = data::createDatabase(path(), connection_);
    data::env().now = [this] { return now_; };
    const QString folder = dir();
    data::env().programDir = [folder] { return folder; };
}

TestDatabase::~TestDatabase() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

QString TestDatabase::path() const { return QDir(dir_.path()).filePath(QStringLiteral("trfp.mdb")); }
QString TestDatabase::dir() const { return dir_.path(); }
void TestDatabase::setNow(const QDateTime& now) { now_ = now; }

qint64 TestDatabase::insert(const QString& table, const QVariantMap& values) {
    data::Statement st;
    QStringList cols, marks;
    int i = 0;
    for (auto it = values.cbegin(); it != values.cend(); ++it, ++i) {
        cols << QLatin1Char('"') + it.key() + QLatin1Char('"');
        marks << QStringLiteral(":v%1").arg(i);
        st.bind(QStringLiteral("v%1").arg(i), it.value());
    }
    st.line(QStringLiteral("insert into \"%1\" (%2) values (%3)")
                .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    return data::exec(db_, st).lastInsertId().toLongLong();
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantMap& params) {
    data::Statement st{sql};
    st.params = params;
    return data::scalar(db_, st);
}

int TestDatabase::count(const QString& table, const QString& where, const QVariantMap& params) {
    return scalar(QStringLiteral("select count(*) from \"%1\" %2")
                      .arg(table, where.isEmpty() ? QString() : QStringLiteral("where ") + where),
                  params)
        .toInt();
}

void TestDatabase::addDeliveredRows() {
    insert(QStringLiteral("usertable"), {{QStringLiteral("用户"), QStringLiteral("系统管理员")},
                                         {QStringLiteral("权限"), QStringLiteral("管理")},
                                         {QStringLiteral("提示"), 1}});
    insert(QStringLiteral("djno"), {{QStringLiteral("送货单日期"), QVariant()}});
    insert(QStringLiteral("销货单位"), {{QStringLiteral("中文名称"), QStringLiteral("测试公司")},
                                        {QStringLiteral("中文简称"), QStringLiteral("测试")},
                                        {QStringLiteral("公司地址"), QStringLiteral("测试路1号")},
                                        {QStringLiteral("公司电话"), QStringLiteral("0571-1234567")},
                                        {QStringLiteral("公司传真"), QStringLiteral("0571-7654321")},
                                        {QStringLiteral("月天"), QStringLiteral("每月从 1 开始")}});
    insert(QStringLiteral("bbmc"), {{QStringLiteral("编号"), 1}, {QStringLiteral("报表名称"), QStringLiteral("送货单")}});
}

std::unique_ptr<data::DataHub> TestDatabase::openHub() {
    auto hub = std::make_unique<data::DataHub>();
    const QString failure = hub->openDatabaseFile(path());
    if (!failure.isEmpty()) qFatal("hub could not open the test database: %s", qPrintable(failure));
    return hub;
}
