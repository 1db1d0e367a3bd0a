#pragma once
#include <QSqlDatabase>

namespace data {

// Registers the functions the program's statements use beyond SQLite's own:
//   Date()        local today as yyyy-MM-dd (SQLite's own date('now') is UTC)
//   Now()         local date-time text
//   CDate(x)      x read as a stored date, as yyyy-MM-dd, or NULL when it is no date
//   Year(x), Month(x), Day(x)  parts of CDate(x), NULL when it is no date
//   Str(x)        a number as text, with a leading blank for non-negative numbers
//   Nz(x, y)      x, or y when x is NULL
// LEFT and RIGHT are join keywords in SQLite and cannot name a function: statements use substr().
void registerSqlFunctions(const QSqlDatabase& db);

}  // namespace data
