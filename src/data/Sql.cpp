#include "data/Sql.h"

#include "data/DbError.h"

#include <algorithm>

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>

namespace data {

namespace {
QString errorText(const QSqlError& e) {
    const QString db = e.databaseText();
    return db.isEmpty() ? e.text() : db;
}

// Qt recognises only ASCII placeholder names, so ":客户名称" is renamed to ":p0" before preparing;
// the statement's own names stay what the callers bind.
QString withAsciiPlaceholders(QString text, const QVariantMap& params, QList<QVariant>& values) {
    QStringList names;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        names << (it.key().startsWith(QLatin1Char(':')) ? it.key().mid(1) : it.key());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& name : names) {
        const QRegularExpression re(QStringLiteral(":%1(?![\\w])").arg(QRegularExpression::escape(name)),
                                    QRegularExpression::UseUnicodePropertiesOption);
        const QString alias = QStringLiteral(":qp%1x").arg(values.size());
        if (!text.contains(re)) continue;
        text.replace(re, alias);
        values << params.value(name, params.value(QLatin1Char(':') + name));
    }
    return text;
}
}  // namespace

QSqlQuery exec(const QSqlDatabase& db, const Statement& st) {
    if (!db.isOpen()) throw DbError(QStringLiteral("数据库没有打开：%1").arg(errorText(db.lastError())));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QList<QVariant> values;
    const QString text = withAsciiPlaceholders(st.text(), st.params, values);
    if (!q.prepare(text)) throw DbError(errorText(q.lastError()));
    for (int i = 0; i < values.size(); ++i) q.bindValue(QStringLiteral(":qp%1x").arg(i), values[i]);
    if (!q.exec()) throw DbError(errorText(q.lastError()));
    return q;
}

QVariant scalar(const QSqlDatabase& db, const Statement& st) {
    QSqlQuery q = exec(db, st);
    return q.next() ? q.value(0) : QVariant();
}

QList<QVariantMap> rows(const QSqlDatabase& db, const Statement& st) {
    QSqlQuery q = exec(db, st);
    QList<QVariantMap> out;
    while (q.next()) {
        const QSqlRecord r = q.record();
        QVariantMap row;
        for (int i = 0; i < r.count(); ++i) row.insert(r.fieldName(i), r.value(i));
        out << row;
    }
    return out;
}

void scanColumns(const QSqlDatabase& db, const Statement& st, const QStringList& columns,
                 const std::function<bool(const QVariant* values)>& onRow) {
    if (!db.isOpen()) throw DbError(QStringLiteral("数据库没有打开：%1").arg(errorText(db.lastError())));
    sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = st.text().toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
    struct Finalize {
        sqlite3_stmt* s;
        ~Finalize() { sqlite3_finalize(s); }
    } finalize{stmt};
    for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt, i);
        if (!name) continue;
        const QString key = QString::fromUtf8(name + 1);
        const QVariant v = st.params.value(key, st.params.value(QLatin1Char(':') + key));
        int rc = SQLITE_OK;
        if (v.isNull()) rc = sqlite3_bind_null(stmt, i);
        else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            rc = sqlite3_bind_double(stmt, i, v.toDouble());
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                 v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::Bool)
            rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
        else {
            const QByteArray value = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
    }
    QList<int> index;
    for (const QString& c : columns) {
        int found = -1;
        for (int i = 0; i < sqlite3_column_count(stmt) && found < 0; ++i)
            if (QString::fromUtf8(sqlite3_column_name(stmt, i)).compare(c, Qt::CaseInsensitive) == 0) found = i;
        if (found < 0) throw DbError(QStringLiteral("查询结果中没有字段 %1").arg(c));
        index << found;
    }
    QVector<QVariant> values(columns.size());
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) return;
        if (rc != SQLITE_ROW) throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
        for (int k = 0; k < index.size(); ++k) {
            const int i = index[k];
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER: values[k] = qlonglong(sqlite3_column_int64(stmt, i)); break;
            case SQLITE_FLOAT: values[k] = sqlite3_column_double(stmt, i); break;
            case SQLITE_NULL: values[k] = QVariant(); break;
            case SQLITE_BLOB:
                values[k] = QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                       sqlite3_column_bytes(stmt, i));
                break;
            default:
                values[k] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                              sqlite3_column_bytes(stmt, i));
            }
        }
        if (!onRow(values.constData())) return;
    }
}

void execRaw(const QSqlDatabase& db, const QString& sql) {
    if (!db.isOpen()) throw DbError(QStringLiteral("数据库没有打开：%1").arg(errorText(db.lastError())));
    QSqlQuery q(db);
    if (!q.exec(sql)) throw DbError(errorText(q.lastError()));
}

}  // namespace data
