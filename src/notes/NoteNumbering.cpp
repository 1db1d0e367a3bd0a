#include "notes/NoteNumbering.h"

#include "data/DateText.h"
#include "data/Sql.h"
#include "data/Transaction.h"

namespace notes {

namespace {

// The one djno row; a database without it gets one (an empty counter), so numbering never stalls.
struct CounterRow {
    qint64 id = 0;
    NoteCounter counter;
};

CounterRow readCounter(const QSqlDatabase& db) {
    const QList<QVariantMap> found = data::rows(
        db, data::Statement{QStringLiteral("select id, 送货单日期, 送货单号 from djno order by id limit 1")});
    if (found.isEmpty()) {
        data::exec(
            db, data::Statement{QStringLiteral("insert into djno (送货单日期, 送货单号) values (NULL, 1)")});
        return readCounter(db);
    }
    const QVariantMap& row = found.first();
    CounterRow result;
    result.id = row.value(QStringLiteral("id")).toLongLong();
    result.counter.prefix = data::textOf(row.value(QStringLiteral("送货单日期")));
    bool ok = false;
    const qint64 n = row.value(QStringLiteral("送货单号")).toLongLong(&ok);
    result.counter.next = ok ? n : 0;
    return result;
}

void writeCounter(const QSqlDatabase& db, qint64 id, const NoteCounter& counter) {
    data::exec(db, data::Statement{QStringLiteral("update djno set 送货单日期 = :prefix, 送货单号 = :next"),
                                   QStringLiteral("where id = :id")}
                       .bind(QStringLiteral("prefix"), counter.prefix)
                       .bind(QStringLiteral("next"), counter.next)
                       .bind(QStringLiteral("id"), id));
}

QString nextNumberInTransaction(const QSqlDatabase& db, const QDate& today) {
    const QString prefix = notePrefix(today);
    const CounterRow row = readCounter(db);
    const bool sameMonth = row.counter.prefix.trimmed() == prefix;
    const NoteCounter next = nextNoteCounter(
        row.counter, prefix, sameMonth ? greatestSequenceOfDay(db, today, prefix) : std::nullopt);
    if (!(next == row.counter)) writeCounter(db, row.id, next);
    return formatNoteNumber(next.prefix, next.next);
}

}  // namespace

QString notePrefix(const QDate& date) {
    return QStringLiteral("%1%2").arg(date.year()).arg(date.month(), 2, 10, QLatin1Char('0'));
}

QString formatNoteNumber(const QString& prefix, qint64 sequence) {
    return prefix + QStringLiteral("%1").arg(sequence, 4, 10, QLatin1Char('0'));
}

std::optional<int> noteSequence(const QString& number, const QString& prefix) {
    if (number.size() != prefix.size() + 4 || !number.startsWith(prefix)) return std::nullopt;
    int sequence = 0;
    for (QChar c : number.mid(prefix.size())) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        sequence = sequence * 10 + (c.unicode() - '0');
    }
    return sequence;
}

NoteCounter nextNoteCounter(const NoteCounter& stored, const QString& prefix,
                            std::optional<int> greatestTodaySequence) {
    if (stored.prefix.trimmed() != prefix) return {prefix, 1};
    if (greatestTodaySequence) return {stored.prefix, qint64(*greatestTodaySequence) + 1};
    return {stored.prefix, std::max<qint64>(stored.next, 1)};
}

std::optional<int> greatestSequenceOfDay(const QSqlDatabase& db, const QDate& today, const QString& prefix) {
    // GLOB is case-sensitive and exact, so only prefix + four digits qualify; their greatest as text is
    // their greatest as a number.
    const QVariant greatest = data::scalar(
        db, data::Statement{QStringLiteral("select max(送货单号) as djbh from shd"),
                            QStringLiteral("where CDate(日期) = :today and 送货单号 glob :pattern")}
                .bind(QStringLiteral("today"), data::isoDate(today))
                .bind(QStringLiteral("pattern"), prefix + QStringLiteral("[0-9][0-9][0-9][0-9]")));
    if (!greatest.isValid() || greatest.isNull()) return std::nullopt;
    return noteSequence(greatest.toString(), prefix);
}

QString NextNoteNumber(const QSqlDatabase& db, const QDate& today) {
    return data::inWriteTransaction(db, [&] { return nextNumberInTransaction(db, today); });
}

QString advanceNoteNumberInTransaction(const QSqlDatabase& db, const QDate& today) {
    CounterRow row = readCounter(db);
    row.counter.next = std::max<qint64>(row.counter.next, 0) + 1;
    writeCounter(db, row.id, row.counter);
    return nextNumberInTransaction(db, today);
}

QString AdvanceNoteNumber(const QSqlDatabase& db, const QDate& today) {
    return data::inWriteTransaction(db, [&] { return advanceNoteNumberInTransaction(db, today); });
}

}  // namespace notes
