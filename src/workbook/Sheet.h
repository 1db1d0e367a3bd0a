#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace workbook {

// A workbook that cannot be read: not a workbook at all, damaged, or without the sheet asked for.
// `text()` says which, in words a user can follow.
class WorkbookError : public std::runtime_error {
  public:
    explicit WorkbookError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

// One worksheet read as a table of texts: the first row holds the headings, every further row is a
// record. A row ends with its last filled cell (it may be shorter than the headings, or empty); a cell
// that the workbook does not hold is "".
struct Sheet {
    QString name;
    QStringList headings;     // the sheet's first row
    QList<QStringList> rows;  // the rows after the first, in sheet order

    // The cell at (row, col), both counted from 1 as the spreadsheet shows them: row 1 is the
    // headings. "" outside the sheet.
    QString cell(int row, int col) const;
    // Rows and columns the sheet spans, up to its last filled cell (the headings row counts as row 1).
    int rowCount() const;
    int columnCount() const;
    // 0-based column of the first heading equal to `heading` (surrounding blanks ignored); -1 if none.
    int column(const QString& heading) const;
};

// Builds a sheet from its rows as read (row 0 becomes the headings) and drops the empty rows at its end.
Sheet makeSheet(const QString& name, QList<QStringList> grid);

// A number's text as a user typed it: whole numbers without a fraction ("12", not "12.0"), other
// numbers with the digits they need ("12.5", "0.1").
QString numberText(double value);

enum class WorkbookKind { NotWorkbook, Xls, Xlsx };
// What the file is by its first bytes: an OLE2 compound file (Excel 97-2003) or a zip package
// (Excel 2007 and later); the name's extension does not matter.
WorkbookKind workbookKind(const QString& path);

// The sheets of a workbook of either kind, in workbook order. Throws WorkbookError.
QStringList readSheetNames(const QString& path);
// The sheet named sheetName (compared without regard to case, as spreadsheets do) of the workbook at
// path, whichever kind it is. Throws WorkbookError when the file is not a workbook, cannot be read,
// or has no such sheet.
Sheet readWorkbookSheet(const QString& path, const QString& sheetName);

// For the readers: the index of sheetName in names (case ignored), -1 if absent; the error text for a
// workbook without it.
int sheetIndex(const QStringList& names, const QString& sheetName);
QString noSuchSheetText(const QString& path, const QString& sheetName);

}  // namespace workbook
