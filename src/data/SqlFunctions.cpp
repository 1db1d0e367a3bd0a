#include "data/SqlFunctions.h"

#include "data/DateText.h"
#include "data/DbError.h"
#include "data/Environment.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

#include <optional>

namespace data {

namespace {

QString argText(sqlite3_value* v) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? QString::fromUtf8(t, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

std::optional<QDate> argDate(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_NULL) return std::nullopt;
    return parseStoredDate(argText(v));
}

void fnDate(sqlite3_context* ctx, int, sqlite3_value**) { resultText(ctx, isoDate(today())); }
void fnNow(sqlite3_context* ctx, int, sqlite3_value**) { resultText(ctx, isoDateTime(now())); }

void fnCDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (auto d = argDate(argv[0])) resultText(ctx, isoDate(*d));
    else sqlite3_result_null(ctx);
}

template <int Part>
void fnDatePart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto d = argDate(argv[0]);
    if (!d) return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, Part == 0 ? d->year() : Part == 1 ? d->month() : d->day());
}

void fnStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    if (sqlite3_value_type(v) == SQLITE_NULL) return sqlite3_result_null(ctx);
    bool ok = false;
    const double d = argText(v).toDouble(&ok);
    if (!ok) return resultText(ctx, argText(v));
    const QString digits = QString::number(d, 'g', 15);
    resultText(ctx, d < 0 ? digits : QLatin1Char(' ') + digits);
}

void fnNz(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.data());
}

}  // namespace

void registerSqlFunctions(const QSqlDatabase& db) {
    sqlite3* h = handleOf(db);
    if (!h) throw DbError(QStringLiteral("无法取得数据库连接的句柄"));
    struct Fn {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    const Fn fns[] = {
        {"Date", 0, fnDate, false},          {"Now", 0, fnNow, false},
        {"CDate", 1, fnCDate, true},         {"Year", 1, fnDatePart<0>, true},
        {"Month", 1, fnDatePart<1>, true},   {"Day", 1, fnDatePart<2>, true},
        {"Str", 1, fnStr, true},             {"Nz", 2, fnNz, true},
    };
    for (const Fn& f : fns) {
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(h, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(h)));
    }
}

}  // namespace data
