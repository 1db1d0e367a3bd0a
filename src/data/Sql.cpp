#include "data/Sql.h"

#include "data/DbError.h"

#include <algorithm>

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

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

void execRaw(const QSqlDatabase& db, const QString& sql) {
    if (!db.isOpen()) throw DbError(QStringLiteral("数据库没有打开：%1").arg(errorText(db.lastError())));
    QSqlQuery q(db);
    if (!q.exec(sql)) throw DbError(errorText(q.lastError()));
}

}  // namespace data
