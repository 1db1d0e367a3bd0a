#include "data/DataHub.h"

#include "data/Database.h"
#include "data/DbError.h"

namespace data {

DataHub::DataHub(QObject* parent) : QObject(parent) {
    userqry = make("userqry", QStringLiteral("select * from usertable"), QStringLiteral("usertable"));
    sele_qry = make("sele_qry", QStringLiteral("select * from cust order by 客户名称"), QStringLiteral("cust"),
                    QStringLiteral("psid"));
    seledt_qry = make("seledt_qry", QStringLiteral("select * from cust_sp where 客户名称=:客户名称 order by 商品编号"),
                      QStringLiteral("cust_sp"));
    seledt_qry->setMaster(sele_qry, QStringLiteral("客户名称"), QStringLiteral("客户名称"));
    shdTqry = make("shdTqry", QStringLiteral("select * from shd order by 日期 desc,送货单号 desc"), QStringLiteral("shd"));
    shdDqry = make("shdDqry", QStringLiteral("select * from shdsp where 送货单号=:送货单号 order by 商品编号 "),
                   QStringLiteral("shdsp"));
    shdDqry->setMaster(shdTqry, QStringLiteral("送货单号"), QStringLiteral("送货单号"));
    spqry = make("spqry", QStringLiteral("select * from sp order by 编号"), QStringLiteral("sp"));
    xhqry = make("xhqry", QStringLiteral("select  * from 销货单位 order by 中文简称"), QStringLiteral("销货单位"));
    ghqry = make("ghqry", QStringLiteral("select  * from 购货单位 order by 单位名称"), QStringLiteral("购货单位"));
    fpdz = make("fpdz", QStringLiteral("select * from fpdz"), QStringLiteral("fpdz"));
    skhqry = make("skhqry", QStringLiteral("select distinct 客户名称 from shd order by 客户名称 "));
    scpqry = make("scpqry", QStringLiteral("select distinct 送货车牌 from shd order by 送货车牌 "));
    sztqry = make("sztqry", QStringLiteral("select distinct 状态 from shd order by 状态 "));
    sqhqry = make("sqhqry", QStringLiteral("select distinct 签回人员 from shd order by 签回人员 "));
    skdqry = make("skdqry", QStringLiteral("select distinct 开单人员 from shd order by 开单人员 "));
    sywqry = make("sywqry", QStringLiteral("select distinct 业务员 from shd order by 业务员"));
    cpqry = make("cpqry", QStringLiteral("select distinct 送货车牌 from shd order by 送货车牌"));
    sfhqry = make("sfhqry", QStringLiteral("select distinct 发货方式 from shd order by 发货方式 "));
}

DataHub::~DataHub() {
    for (Dataset* d : findChildren<Dataset*>()) {
        d->close();
        d->setDatabase(QSqlDatabase());  // the copies of the connection must go before it is removed
    }
    const QString name = cnn.connectionName();
    cnn = QSqlDatabase();
    if (!name.isEmpty()) QSqlDatabase::removeDatabase(name);
}

Dataset* DataHub::make(const char* name, const QString& statement, const QString& table, const QString& key) {
    auto* d = new Dataset(QString::fromLatin1(name), this);
    d->setStatement({statement});
    if (!table.isEmpty()) d->setUpdateTable(table, key);
    return d;
}

QString DataHub::openDatabaseFile(const QString& path) {
    try {
        cnn = openDatabase(path, QString::fromLatin1(kConnectionName));
    } catch (const DbError& e) {
        cnn = QSqlDatabase::database(QString::fromLatin1(kConnectionName), false);
        for (Dataset* d : findChildren<Dataset*>()) d->setDatabase(cnn);
        return e.text();
    }
    for (Dataset* d : findChildren<Dataset*>()) d->setDatabase(cnn);
    return {};
}

QList<Dataset*> DataHub::activationOrder() const {
    return {ghqry,  xhqry,  fpdz,   spqry,  sele_qry, seledt_qry, shdTqry, shdDqry,
            skhqry, scpqry, sztqry, sqhqry, skdqry,   sywqry,     cpqry,   sfhqry};
}

void DataHub::openMissing() {
    for (Dataset* d : activationOrder())
        if (!d->isOpen()) d->open();
}

}  // namespace data
