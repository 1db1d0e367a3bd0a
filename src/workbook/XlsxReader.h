#pragma once
#include "workbook/Sheet.h"
#include "workbook/ZipArchive.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace workbook {

// Reads Excel 2007 and later workbooks (.xlsx): the zip package with ZipArchive, its XML parts with
// QXmlStreamReader. Understands the workbook's sheet list and relations, shared strings (rich-text
// runs joined, phonetic runs left out), inline strings, formula results, numbers, booleans
// ("TRUE"/"FALSE") and numbers in a date format (yyyy-MM-dd, with " HH:mm:ss" when the time is not
// midnight). Cells the sheet leaves out are "". Every value is text; numbers by numberText().
//
//     workbook::XlsxReader book(path);
//     const workbook::Sheet s = book.sheetAt(0);
//     s.cell(1, 3);   // C1
//     book.title();   // the document title
class XlsxReader {
  public:
    // Opens the package and reads its sheet list; throws WorkbookError when it is not a workbook.
    explicit XlsxReader(const QString& path);
    ~XlsxReader();
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    const QStringList& sheetNames() const { return names_; }
    // The document title (docProps/core.xml), "" when the workbook has none.
    const QString& title() const { return title_; }
    // The sheet with that name (case ignored); throws WorkbookError when there is none.
    Sheet sheet(const QString& name) const;
    Sheet sheetAt(int index) const;

  private:
    QByteArray part(const QString& name, bool required) const;
    void readRelations(const QString& partName, QHash<QString, QString>& byId,
                       QHash<QString, QString>& byType) const;
    void readSharedStrings(const QString& partName);
    void readStyles(const QString& partName);
    void readTitle();
    QString valueText(const QString& type, int style, const QString& v, const QString& inlineText) const;

    QString path_;
    mutable ZipArchive zip_;
    QStringList names_;
    QStringList sheetParts_;  // the part of each sheet, parallel to names_
    QStringList shared_;      // shared strings
    QList<char> styleKinds_;  // per cell style: 'n' number, 'd' date, 't' time
    bool date1904_ = false;
    QString title_;
};

}  // namespace workbook
