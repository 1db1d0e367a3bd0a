#include "workbook/XlsReader.h"

#include <freexl.h>
#include <QFile>
#include <QFileInfo>

namespace workbook {

namespace {
QString cellText(const FreeXL_CellValue& v) {
    switch (v.type) {
        case FREEXL_CELL_INT:
            return QString::number(v.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return numberText(v.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:  // FreeXL already writes dates as YYYY-MM-DD
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return v.value.text_value ? QString::fromUtf8(v.value.text_value) : QString();
        default:
            return {};
    }
}

QString damaged(const QString& path, int code) {
    return QStringLiteral("无法读取工作簿“%1”（错误 %2）").arg(QFileInfo(path).fileName()).arg(code);
}
}  // namespace

XlsReader::XlsReader(const QString& path) : path_(path) {
    const QByteArray name = QFile::encodeName(path);
    if (int rc = freexl_open(name.constData(), &handle_); rc != FREEXL_OK) {
        handle_ = nullptr;
        if (!QFileInfo::exists(path)) throw WorkbookError(QStringLiteral("找不到文件“%1”").arg(path));
        throw WorkbookError(QStringLiteral("“%1”不是可以读取的Excel 97-2003工作簿（错误 %2）")
                                .arg(QFileInfo(path).fileName())
                                .arg(rc));
    }
    unsigned int info = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(handle_);
        handle_ = nullptr;
        throw WorkbookError(QStringLiteral("工作簿“%1”有密码保护，无法读取").arg(QFileInfo(path).fileName()));
    }
    unsigned int count = 0;
    if (int rc = freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count); rc != FREEXL_OK) {
        freexl_close(handle_);
        handle_ = nullptr;
        throw WorkbookError(damaged(path, rc));
    }
    for (unsigned int i = 0; i < count; ++i) {
        const char* sheetName = nullptr;
        freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &sheetName);
        names_ << (sheetName ? QString::fromUtf8(sheetName) : QString());
    }
}

XlsReader::~XlsReader() {
    if (handle_) freexl_close(handle_);
}

Sheet XlsReader::sheet(const QString& name) const {
    const int index = sheetIndex(names_, name);
    if (index < 0) throw WorkbookError(noSuchSheetText(path_, name));
    return sheetAt(index);
}

Sheet XlsReader::sheetAt(int index) const {
    if (index < 0 || index >= names_.size())
        throw WorkbookError(noSuchSheetText(path_, QString::number(index + 1)));
    if (int rc = freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)); rc != FREEXL_OK)
        throw WorkbookError(damaged(path_, rc));
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (int rc = freexl_worksheet_dimensions(handle_, &rowCount, &columnCount); rc != FREEXL_OK)
        throw WorkbookError(damaged(path_, rc));
    QList<QStringList> grid;
    grid.reserve(rowCount);
    for (unsigned int r = 0; r < rowCount; ++r) {
        QStringList row;
        row.reserve(columnCount);
        for (unsigned short c = 0; c < columnCount; ++c) {
            FreeXL_CellValue v;
            row << (freexl_get_cell_value(handle_, r, c, &v) == FREEXL_OK ? cellText(v) : QString());
        }
        grid << row;
    }
    return makeSheet(names_[index], std::move(grid));
}

}  // namespace workbook
