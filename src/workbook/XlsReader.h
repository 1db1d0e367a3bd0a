#pragma once
#include "workbook/Sheet.h"

#include <QString>
#include <QStringList>

namespace workbook {

// Reads Excel 97-2003 workbooks (.xls, BIFF8) with FreeXL. Every cell comes back as text: texts as
// they stand, numbers by numberText(), dates as yyyy-MM-dd (date-times with their time, as FreeXL
// writes them), empty cells as "".
class XlsReader {
  public:
    // Opens the workbook; throws WorkbookError when it is not one FreeXL can read.
    explicit XlsReader(const QString& path);
    ~XlsReader();
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    const QStringList& sheetNames() const { return names_; }
    // The sheet with that name (case ignored); throws WorkbookError when there is none.
    Sheet sheet(const QString& name) const;
    Sheet sheetAt(int index) const;

  private:
    QString path_;
    const void* handle_ = nullptr;
    QStringList names_;
};

}  // namespace workbook
