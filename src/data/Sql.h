#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <initializer_list>

namespace data {

// A statement is a list of lines joined with line breaks, with named parameters (":kmc") that are
// always bound, never pasted into the text.
struct Statement {
    QStringList lines;
    QVariantMap params;

    Statement() = default;
    Statement(std::initializer_list<QString> l) : lines(l) {}
    Statement& line(const QString& l) { lines << l; return *this; }
    Statement& bind(const QString& name, const QVariant& value) { params.insert(name, value); return *this; }
    QString text() const { return lines.join(QLatin1Char('\n')); }
};

// Runs the statement on db; any refusal throws DbError with the database's text.
QSqlQuery exec(const QSqlDatabase& db, const Statement& st);
// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const Statement& st);
// Every row as field name -> value.
QList<QVariantMap> rows(const QSqlDatabase& db, const Statement& st);
// Reads only `columns` (by name, case-insensitive) of every row of st straight from SQLite, without
// making values of the other columns: for statements that give very many rows. onRow gets the values in
// the order of `columns`; it returns false to stop early. Throws DbError like exec.
void scanColumns(const QSqlDatabase& db, const Statement& st, const QStringList& columns,
                 const std::function<bool(const QVariant* values)>& onRow);
// Runs a raw text with no parameters (pragmas, BEGIN/COMMIT, schema scripts statement by statement).
void execRaw(const QSqlDatabase& db, const QString& sql);

// Text of a value as the grids and statements see it: Null stays an empty string.
inline QString textOf(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

// A value that holds a number (as the database returns REAL and INTEGER columns).
inline bool isNumberValue(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

}  // namespace data
