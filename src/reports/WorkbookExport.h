#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace ui {
class DataGrid;
}

namespace reports {

inline const QString kExportDocumentTitle = QStringLiteral("数据导出窗口");
inline const QString kNoSpreadsheetMessage = QStringLiteral("没有安装Excel!\n请先安装!");
inline const QString kNotRunMessage = QStringLiteral("还没有查询结果可以导出，请先查询!");
inline const QString kXlsxMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

// The folder exports are written to: the "送货单导出" subfolder of the user's documents folder.
// Tests put another folder in its place; an empty text restores the default.
QString exportFolder();
void setExportFolder(const QString& folder);

// Called every so many rows while a workbook is written (done, total).
using ExportProgress = std::function<void(int done, int total)>;

// Writes what the grid shows into a new workbook in folder and returns its path: the title in C1,
// the titles of the visible columns in display order (packed from column A, blanks removed) in row 2,
// and from row 3 one row per record of the grid's dataset. Numbers are numbers, dates dates, the rest
// text, Null an empty cell; a dataset without records gives the title alone. The grid's current row
// does not move. The file is named by the title and the time and never replaces an earlier export.
// Throws data::DbError when the dataset has not been run (before anything is written), and
// workbook::WorkbookError when the file cannot be written.
QString writeGridWorkbook(const ui::DataGrid& grid, const QString& title, const QString& folder,
                          const ExportProgress& progress = {});

// The export buttons: writes the workbook (with a progress bar for long lists) and opens it with the
// desktop's spreadsheet application; without one, says so and where the file was written. Every
// message goes through ui::dialogs(). Returns the file written, or an empty text when none was.
QString exportGrid(const ui::DataGrid& grid, const QString& title, QWidget* parent = nullptr);

}  // namespace reports
