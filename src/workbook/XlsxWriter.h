#pragma once
#include "workbook/Sheet.h"

#include <QDate>
#include <QString>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace workbook {

// Writes a new .xlsx workbook of one worksheet with libxlsxwriter. Rows and columns count from 1, as
// the spreadsheet shows them (and as XlsxReader and Sheet::cell read them back). Every call that
// fails throws WorkbookError; nothing is on disk until close() succeeded.
//
//     workbook::XlsxWriter w(path);
//     w.setTitle(QStringLiteral("数据导出窗口"));
//     w.writeText(1, 3, title);
//     w.writeNumber(3, 1, 12.5);
//     w.close();
class XlsxWriter {
  public:
    struct Options {
        QString sheetName;      // empty: the spreadsheet's default ("Sheet1")
        bool rowByRow = false;  // constant memory: rows must then be written in order, and a
                                // cell of an earlier row can no longer be written
        QString dateFormat = QStringLiteral("yyyy-mm-dd");  // number format of date cells
    };

    explicit XlsxWriter(const QString& path) : XlsxWriter(path, Options()) {}
    XlsxWriter(const QString& path, const Options& options);
    ~XlsxWriter();  // a workbook not closed is dropped: no file is written
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    void setTitle(const QString& title);                    // the document title property
    void writeText(int row, int col, const QString& text);  // "" leaves the cell empty
    void writeNumber(int row, int col, double value);
    void writeDate(int row, int col, const QDate& date);  // invalid date: the cell stays empty
    // Writes the file. Throws WorkbookError when it cannot be written (folder missing, no right).
    void close();

    const QString& path() const { return path_; }

  private:
    void check(int error, int row, int col) const;

    QString path_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* dateFormat_ = nullptr;
};

}  // namespace workbook
