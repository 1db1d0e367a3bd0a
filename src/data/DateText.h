#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace data {

// Dates are stored as ISO text: dates yyyy-MM-dd, date-times yyyy-MM-dd HH:mm:ss. That is also the
// program's short date and date-time text.
QString isoDate(const QDate& d);
QString isoDateTime(const QDateTime& dt);

// Reads a date a user typed: ISO, yyyy/M/d, yyyy.M.d or yyyy年M月d日 (blanks around are ignored).
std::optional<QDate> parseUserDate(const QString& text);

// As parseUserDate, but an unreadable text is refused with a message that names the field and the text.
// Throws DbError so that the action stops where a statement would have.
QDate requireUserDate(const QString& fieldCaption, const QString& text);

// Reads a stored text as a date (also a stored date-time, whose time part is dropped, and the
// 2009年11月07日 form of a note's 日期). Unreadable is simply no date.
std::optional<QDate> parseStoredDate(const QString& text);

}  // namespace data
