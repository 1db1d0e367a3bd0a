#pragma once
#include "data/Sql.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

namespace data {
class DataHub;
class EnvironmentOverride;
}

// A fresh database from the schema in a temporary folder, with the few rows a test adds itself.
// The folder is also the program's folder for the test (templates, trfp.mdb), and the clock is fixed.
class TestDatabase {
public:
    explicit TestDatabase(const QDateTime& now = QDateTime(QDate(2009, 11, 7), QTime(10, 30, 0)));
    ~TestDatabase();

    QSqlDatabase& db() { return db_; }
    QString path() const;   // the trfp.mdb file
    QString dir() const;    // the program's folder
    void setNow(const QDateTime& now);

    // insert into table (keys...) values (...); returns the new row's key.
    qint64 insert(const QString& table, const QVariantMap& values);
    QVariant scalar(const QString& sql, const QVariantMap& params = {});
    int count(const QString& table, const QString& where = {}, const QVariantMap& params = {});

    // The delivered rows: one 管理 user with an empty password, djno, company profile, format "送货单".
    void addDeliveredRows();

    // A hub opened on this file (connection "cnn"); the test's own connection stays open beside it.
    std::unique_ptr<data::DataHub> openHub();

private:
    QTemporaryDir dir_;
    QSqlDatabase db_;
    QString connection_;
    std::unique_ptr<data::EnvironmentOverride> envGuard_;
    QDateTime now_;
};
