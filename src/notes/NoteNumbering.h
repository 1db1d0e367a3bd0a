#pragma once
#include "data/Environment.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

namespace notes {

// Delivery-note numbers are YYYYMMNNNN: year, two-digit month and a sequence that starts at 0001 in
// every month. The counter of the next sequence lives in djno (送货单日期 = its prefix, 送货单号 = the
// sequence the next note is to get). A number is only a proposal; the user may type another.

// The counter as stored in djno.
struct NoteCounter {
    QString prefix;   // 送货单日期, the YYYYMM the sequence belongs to
    qint64 next = 1;  // 送货单号, the sequence the next note gets
    friend bool operator==(const NoteCounter&, const NoteCounter&) = default;
};

// YYYYMM of a date: the year as it stands, the month with two digits.
QString notePrefix(const QDate& date);
// prefix followed by the sequence with leading zeros to four digits (a fifth digit past 9999).
QString formatNoteNumber(const QString& prefix, qint64 sequence);
// The sequence of a number that is prefix followed by exactly four digits; nothing for any other form.
std::optional<int> noteSequence(const QString& number, const QString& prefix);

// The counter after working out the next number on a day with prefix `prefix`:
//  - a stored prefix (blanks around ignored) other than prefix starts the month at 1, whatever notes exist;
//  - otherwise the greatest sequence among today's notes of the current form, plus one, if there is one;
//  - otherwise the stored counter (below 1 counts as 1).
NoteCounter nextNoteCounter(const NoteCounter& stored, const QString& prefix,
                            std::optional<int> greatestTodaySequence);

// Reads the greatest sequence among the notes whose 日期 is `today` and whose number is the prefix
// followed by four digits (a number typed by hand in another form is passed over).
std::optional<int> greatestSequenceOfDay(const QSqlDatabase& db, const QDate& today, const QString& prefix);

// Works out the next number, stores the counter in djno and returns the number (the window puts it
// into shdno). Reads and writes djno inside one BEGIN IMMEDIATE transaction. Throws data::DbError.
QString NextNoteNumber(const QSqlDatabase& db, const QDate& today = data::today());
// Moves the counter one up, then works out the next number as NextNoteNumber does; one transaction.
QString AdvanceNoteNumber(const QSqlDatabase& db, const QDate& today = data::today());
// The same for a caller that already holds a write transaction (issuing stores the note and moves the
// counter in one).
QString advanceNoteNumberInTransaction(const QSqlDatabase& db, const QDate& today = data::today());

}  // namespace notes
