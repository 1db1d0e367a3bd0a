#include "workbook/XlsxWriter.h"

#include <xlsxwriter.h>
#include <QFile>
#include <QFileInfo>

namespace workbook {

XlsxWriter::XlsxWriter(const QString& path, const Options& options) : path_(path) {
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook_options opt{};
    opt.constant_memory = options.rowByRow ? LXW_TRUE : LXW_FALSE;
    opt.use_zip64 = LXW_TRUE;
    book_ = workbook_new_opt(name.constData(), &opt);
    if (!book_) throw WorkbookError(QStringLiteral("无法创建工作簿“%1”").arg(path));
    const QByteArray sheetName = options.sheetName.toUtf8();
    sheet_ = workbook_add_worksheet(book_, options.sheetName.isEmpty() ? nullptr : sheetName.constData());
    dateFormat_ = workbook_add_format(book_);
    if (!sheet_ || !dateFormat_) {
        lxw_workbook_free(book_);
        book_ = nullptr;
        throw WorkbookError(
            QStringLiteral("无法创建工作簿“%1”：工作表名称“%2”无效").arg(path, options.sheetName));
    }
    format_set_num_format(dateFormat_, options.dateFormat.toUtf8().constData());
}

XlsxWriter::~XlsxWriter() {
    // A workbook abandoned before close() (an error half-way) is not written at all.
    if (book_) lxw_workbook_free(book_);
}

void XlsxWriter::check(int error, int row, int col) const {
    if (error == LXW_NO_ERROR) return;
    throw WorkbookError(QStringLiteral("无法写入工作簿“%1”第%2行第%3列：%4")
                            .arg(QFileInfo(path_).fileName())
                            .arg(row)
                            .arg(col)
                            .arg(QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

void XlsxWriter::setTitle(const QString& title) {
    if (!book_) throw WorkbookError(QStringLiteral("工作簿“%1”已经关闭").arg(path_));
    QByteArray utf8 = title.toUtf8();
    lxw_doc_properties props{};
    props.title = utf8.data();  // copied by the library
    check(workbook_set_properties(book_, &props), 0, 0);
}

void XlsxWriter::writeText(int row, int col, const QString& text) {
    if (!book_) throw WorkbookError(QStringLiteral("工作簿“%1”已经关闭").arg(path_));
    if (text.isEmpty()) return;
    if (row < 1 || col < 1) check(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, row, col);
    check(worksheet_write_string(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), text.toUtf8().constData(),
                                 nullptr),
          row, col);
}

void XlsxWriter::writeNumber(int row, int col, double value) {
    if (!book_) throw WorkbookError(QStringLiteral("工作簿“%1”已经关闭").arg(path_));
    if (row < 1 || col < 1) check(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, row, col);
    check(worksheet_write_number(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), value, nullptr), row, col);
}

void XlsxWriter::writeDate(int row, int col, const QDate& date) {
    if (!book_) throw WorkbookError(QStringLiteral("工作簿“%1”已经关闭").arg(path_));
    if (!date.isValid()) return;
    if (row < 1 || col < 1) check(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, row, col);
    lxw_datetime dt{date.year(), date.month(), date.day(), 0, 0, 0.0};
    check(worksheet_write_datetime(sheet_, lxw_row_t(row - 1), lxw_col_t(col - 1), &dt, dateFormat_), row,
          col);
}

void XlsxWriter::close() {
    if (!book_) return;
    const lxw_error error = workbook_close(book_);
    book_ = nullptr;
    sheet_ = nullptr;
    if (error != LXW_NO_ERROR)
        throw WorkbookError(
            QStringLiteral("无法保存工作簿“%1”：%2").arg(path_, QString::fromUtf8(lxw_strerror(error))));
}

}  // namespace workbook
