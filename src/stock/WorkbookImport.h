#pragma once
#include "workbook/Sheet.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <stdexcept>

class QProgressBar;

namespace data {
class DataHub;
class Dataset;
}  // namespace data

// Filling a master table from a workbook that the user prepared: each row of one sheet becomes a new
// record unless a record with the same key exists.
namespace stock {

// What every failed import tells the user (caption "错误提示"), whatever went wrong.
extern const QString kImportFailedText;
extern const QString kImportDoneText;  // "导入操作成功！" (caption "操作提示")

struct ImportColumn {
    QString name;          // the sheet's heading and the table's column
    bool required = true;  // the sheet must have a column with this heading
    bool numeric = false;  // a filled cell must be a number; it is written as a number
};

// One kind of import: the target table, the key by which an existing record is recognised, and the
// copied columns, each filled from the sheet column with the same heading.
struct ImportSpec {
    QString table;
    QString key;  // one of columns
    QList<ImportColumn> columns;
    QString orderColumn;  // when set, a new record gets the greatest value of this column plus one
};

// Buyer units into 购货单位 by 单位名称; every copied column needs its heading.
const ImportSpec& buyerUnitsImport();
// Goods into sp by 商品编号: 商品编号 and 名称 are required, the others copied when present; the
// prices, discount and stock columns must hold numbers; 编号 follows the greatest 编号.
const ImportSpec& goodsImport();

struct ImportResult {
    int added = 0;     // new records
    int existing = 0;  // rows skipped because their key was already in the table (or earlier in the sheet)
    int blank = 0;     // rows skipped because their key was empty
};

// Why an import failed, in words for a developer or a log; the user only ever sees kImportFailedText.
class ImportError : public std::runtime_error {
  public:
    explicit ImportError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

// Called after the sheet is read with (0, total) and after each row with (rows done, total).
using ImportProgress = std::function<void(int done, int total)>;

// The sheet an import reads from a file: the file's name without its folder and its extension
// ("D:/资料/购货单位.xls" and "购货单位.xlsx" give 购货单位).
QString importSheetName(const QString& path);

// Adds every row of sheet whose key is new to spec's table, in sheet order; a key that stands twice
// is added once, from its first row; rows with an empty key (blanks around it ignored) are skipped.
// Everything runs in one write transaction: on any failure nothing is added and ImportError is
// thrown. Empty cells are written as Null.
ImportResult importSheet(const QSqlDatabase& db, const workbook::Sheet& sheet, const ImportSpec& spec,
                         const ImportProgress& progress = {});
// Reads the sheet importSheetName(path) of the workbook at path (.xls or .xlsx, told apart by content)
// and imports it. Throws ImportError for every failure, the file's included.
ImportResult importWorkbook(const QSqlDatabase& db, const QString& path, const ImportSpec& spec,
                            const ImportProgress& progress = {});

// The import as an importing window runs it: asks for the file (workbooks offered first, any file
// allowed), shows pgb with the rows done while it runs and hides it (back at 0) afterwards, tells
// "导入操作成功！" or kImportFailedText, and in every case, a cancel included, re-reads list so that
// it shows what the table now holds. The window stays painted while a large sheet is imported.
// A pending edit of list is dropped by the re-read: the window posts or cancels it first.
// Returns true when the import ran to its end.
bool importWithUi(const QSqlDatabase& db, const ImportSpec& spec, data::Dataset* list, QProgressBar* pgb);

// "&I导入商品" of the goods catalog: goods into sp, then the catalog list spqry re-read.
bool importGoodsWithUi(data::DataHub& hub, QProgressBar* pgb);
// Buyer units into 购货单位, then ghqry re-read (no window offers it; kept for the invoice data).
bool importBuyerUnitsWithUi(data::DataHub& hub, QProgressBar* pgb);

}  // namespace stock
