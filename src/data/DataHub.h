#pragma once
#include "data/Dataset.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

namespace data {

// The one connection and the datasets that more than one window reads. Owned by the main window;
// every window works on these.
class DataHub : public QObject {
    Q_OBJECT
public:
    explicit DataHub(QObject* parent = nullptr);
    ~DataHub() override;

    // Opens trfp.mdb at path. Returns the database's text on failure (start-up goes on; every later
    // action then fails with its own message), an empty string on success.
    QString openDatabaseFile(const QString& path);
    bool isConnected() const { return cnn.isOpen(); }

    // Opens, in the activation order, every shared dataset that is not open yet. Throws DbError.
    void openMissing();
    QList<Dataset*> activationOrder() const;

    QSqlDatabase cnn;  // the connection

    Dataset* userqry;     // users (usertable); the current user is its current row
    Dataset* sele_qry;    // the selected customer (cust)
    Dataset* seledt_qry;  // the selected customer's delivery list (cust_sp), detail of sele_qry
    Dataset* shdTqry;     // the note list (shd)
    Dataset* shdDqry;     // the current note's lines (shdsp), detail of shdTqry
    Dataset* spqry;       // the goods catalog (sp)
    Dataset* xhqry;       // the company profile (销货单位)
    Dataset* ghqry;       // buyer units (购货单位) of the earlier invoice printing
    Dataset* fpdz;        // invoice layout table of the earlier invoice printing
    // Distinct-value lookup lists over shd, read once per run.
    Dataset* skhqry;  // 客户名称
    Dataset* scpqry;  // 送货车牌
    Dataset* sztqry;  // 状态
    Dataset* sqhqry;  // 签回人员
    Dataset* skdqry;  // 开单人员
    Dataset* sywqry;  // 业务员
    Dataset* cpqry;   // 送货车牌 (entry tab)
    Dataset* sfhqry;  // 发货方式

    static constexpr const char* kConnectionName = "cnn";

private:
    Dataset* make(const char* name, const QString& statement, const QString& table = {},
                  const QString& key = QStringLiteral("id"));
};

}  // namespace data
