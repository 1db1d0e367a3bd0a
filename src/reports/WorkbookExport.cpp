#include "reports/WorkbookExport.h"

#include "data/Sql.h"
#include "data/Dataset.h"
#include "data/DateText.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "workbook/Sheet.h"
#include "workbook/XlsxWriter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>

#include <algorithm>

namespace reports {

namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

struct ExportColumn {
    int field = -1;  // index in the dataset, -1 when the dataset has no such field (an empty column)
    QString title;
    bool dates = false;  // every value is a date text
};

// Dates are stored as yyyy-MM-dd texts; only that exact form counts as a date here, so that a text
// column that merely holds digits and dashes somewhere stays text.
std::optional<QDate> storedIsoDate(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate) return v.toDate();
    if (v.typeId() != QMetaType::QString) return std::nullopt;
    const QString s = v.toString();
    if (s.size() != 10 || s[4] != QLatin1Char('-') || s[7] != QLatin1Char('-')) return std::nullopt;
    const QDate d = QDate::fromString(s, Qt::ISODate);
    if (!d.isValid()) return std::nullopt;
    return d;
}

QString withoutBlanks(QString title) {
    title.removeIf([](QChar c) { return c.isSpace(); });
    return title;
}

QString fileNameFor(const QString& title) {
    QString base = title;
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar& c : base)
        if (forbidden.contains(c) || c.unicode() < 32) c = QLatin1Char('_');
    base = base.trimmed();
    if (base.isEmpty()) base = QStringLiteral("导出");
    return base + QLatin1Char('_') + data::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString freshPath(const QString& folder, const QString& title) {
    const QDir dir(folder);
    const QString base = fileNameFor(title);
    QString path = dir.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.xlsx").arg(base).arg(n));
    return path;
}

}  // namespace

QString exportFolder() {
    if (!folderOverride().isEmpty()) return folderOverride();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("送货单导出"));
}

void setExportFolder(const QString& folder) {
    folderOverride() = folder;
}

QString writeGridWorkbook(const ui::DataGrid& grid, const QString& title, const QString& folder,
                          const ExportProgress& progress) {
    const data::Dataset* ds = grid.dataset();
    if (!ds || !ds->isOpen()) throw data::DbError(kNotRunMessage);

    // Visible columns in the order the grid shows them (the user may have moved some).
    const QList<ui::GridColumn>& cols = grid.columns();
    QList<int> order;
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].visible) order << i;
    if (const QHeaderView* header = grid.view() ? grid.view()->horizontalHeader() : nullptr)
        std::stable_sort(order.begin(), order.end(),
                         [header](int a, int b) { return header->visualIndex(a) < header->visualIndex(b); });

    const int rows = ds->count();
    QList<ExportColumn> out;
    for (int i : order) {
        ExportColumn c;
        c.field = ds->fieldIndex(cols[i].field);
        c.title = withoutBlanks(cols[i].title.isEmpty() ? cols[i].field : cols[i].title);
        if (c.field >= 0) {
            bool any = false, allDates = true;
            for (int r = 0; r < rows && allDates; ++r) {
                const QVariant v = ds->value(r, cols[i].field);
                if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty())) continue;
                any = true;
                allDates = storedIsoDate(v).has_value();
            }
            c.dates = any && allDates;
        }
        out << c;
    }

    QDir().mkpath(folder);
    workbook::XlsxWriter::Options options;
    options.rowByRow = true;  // constant memory: large lists go straight to the file
    workbook::XlsxWriter w(freshPath(folder, title), options);
    w.setTitle(kExportDocumentTitle);
    w.writeText(1, 3, title);
    if (rows > 0)
        for (int k = 0; k < out.size(); ++k) w.writeText(2, k + 1, out[k].title);

    const QStringList& names = ds->fieldNames();
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < out.size(); ++k) {
            const ExportColumn& c = out[k];
            if (c.field < 0) continue;
            const QVariant v = ds->value(r, names[c.field]);
            if (v.isNull()) continue;
            const int row = r + 3, col = k + 1;
            if (data::isNumberValue(v))
                w.writeNumber(row, col, v.toDouble());
            else if (c.dates && storedIsoDate(v))
                w.writeDate(row, col, *storedIsoDate(v));
            else if (v.typeId() == QMetaType::QDateTime)
                w.writeText(row, col, data::isoDateTime(v.toDateTime()));
            else
                w.writeText(row, col, v.toString());
        }
        if (progress && (r % 500 == 499 || r == rows - 1)) progress(r + 1, rows);
    }
    w.close();
    return w.path();
}

QString exportGrid(const ui::DataGrid& grid, const QString& title, QWidget* parent) {
    const data::Dataset* ds = grid.dataset();
    if (!ds || !ds->isOpen()) {
        ui::dialogs().warn(kNotRunMessage);
        return {};
    }
    QString path;
    {
        std::unique_ptr<QProgressDialog> bar;
        ExportProgress progress;
        if (ds->count() > 2000) {
            bar = std::make_unique<QProgressDialog>(QStringLiteral("正在导出“%1”……").arg(title), QString(), 0,
                                                    ds->count(), parent);
            bar->setWindowTitle(QStringLiteral("信息"));
            bar->setWindowModality(Qt::WindowModal);
            bar->setMinimumDuration(300);
            bar->setCancelButton(nullptr);
            QProgressDialog* b = bar.get();
            progress = [b](int done, int) {
                b->setValue(done);
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            };
        }
        try {
            path = writeGridWorkbook(grid, title, exportFolder(), progress);
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
            return {};
        } catch (const workbook::WorkbookError& e) {
            ui::dialogs().error(e.text());
            return {};
        }
    }
    const QString where = QStringLiteral("导出的文件保存在：\n%1").arg(QDir::toNativeSeparators(path));
    if (ui::dialogs().defaultApplicationFor(kXlsxMimeType).isEmpty()) {
        ui::dialogs().inform(kNoSpreadsheetMessage + QStringLiteral("\n\n") + where);
    } else if (!ui::dialogs().openUrl(QUrl::fromLocalFile(path))) {
        ui::dialogs().warn(QStringLiteral("无法打开导出的文件。\n\n") + where);
    }
    return path;
}

}  // namespace reports
