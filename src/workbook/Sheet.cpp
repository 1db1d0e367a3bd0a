#include "workbook/Sheet.h"

#include "workbook/XlsReader.h"
#include "workbook/XlsxReader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace workbook {

QString Sheet::cell(int row, int col) const {
    if (row < 1 || col < 1) return {};
    const QStringList* r = row == 1 ? &headings : (row - 2 < rows.size() ? &rows[row - 2] : nullptr);
    return r && col <= r->size() ? r->at(col - 1) : QString();
}

int Sheet::rowCount() const {
    if (rows.isEmpty() && headings.isEmpty()) return 0;
    return int(rows.size()) + 1;
}

int Sheet::columnCount() const {
    qsizetype width = headings.size();
    for (const QStringList& r : rows) width = std::max(width, r.size());
    return int(width);
}

int Sheet::column(const QString& heading) const {
    const QString wanted = heading.trimmed();
    for (int i = 0; i < headings.size(); ++i)
        if (headings[i].trimmed() == wanted) return i;
    return -1;
}

Sheet makeSheet(const QString& name, QList<QStringList> grid) {
    const auto isEmptyRow = [](const QStringList& r) {
        return std::all_of(r.cbegin(), r.cend(), [](const QString& c) { return c.isEmpty(); });
    };
    while (!grid.isEmpty() && isEmptyRow(grid.last())) grid.removeLast();
    // Each row keeps its own length: a lone cell far to the right must not widen every row.
    for (QStringList& r : grid)
        while (!r.isEmpty() && r.last().isEmpty()) r.removeLast();
    Sheet s;
    s.name = name;
    if (!grid.isEmpty()) {
        s.headings = grid.takeFirst();
        s.rows = std::move(grid);
    }
    return s;
}

QString numberText(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    // Whole numbers that a double holds exactly are written as integers, whatever their size.
    if (value == std::trunc(value) && std::fabs(value) < 1e15) return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

WorkbookKind workbookKind(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return WorkbookKind::NotWorkbook;
    const QByteArray head = f.read(8);
    if (head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) return WorkbookKind::Xls;
    if (head.startsWith(QByteArrayLiteral("PK\x03\x04"))) return WorkbookKind::Xlsx;
    return WorkbookKind::NotWorkbook;
}

namespace {
[[noreturn]] void notWorkbook(const QString& path) {
    if (!QFileInfo::exists(path)) throw WorkbookError(QStringLiteral("找不到文件“%1”").arg(path));
    throw WorkbookError(QStringLiteral("“%1”不是Excel工作簿").arg(QFileInfo(path).fileName()));
}
}  // namespace

QStringList readSheetNames(const QString& path) {
    switch (workbookKind(path)) {
        case WorkbookKind::Xls:
            return XlsReader(path).sheetNames();
        case WorkbookKind::Xlsx:
            return XlsxReader(path).sheetNames();
        case WorkbookKind::NotWorkbook:
            break;
    }
    notWorkbook(path);
}

Sheet readWorkbookSheet(const QString& path, const QString& sheetName) {
    switch (workbookKind(path)) {
        case WorkbookKind::Xls:
            return XlsReader(path).sheet(sheetName);
        case WorkbookKind::Xlsx:
            return XlsxReader(path).sheet(sheetName);
        case WorkbookKind::NotWorkbook:
            break;
    }
    notWorkbook(path);
}

int sheetIndex(const QStringList& names, const QString& sheetName) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(sheetName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString noSuchSheetText(const QString& path, const QString& sheetName) {
    return QStringLiteral("工作簿“%1”中没有名为“%2”的工作表").arg(QFileInfo(path).fileName(), sheetName);
}

}  // namespace workbook
