#pragma once
#include "data/DbError.h"
#include "data/Sql.h"

#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace data {
class Dataset;
}

namespace stock {

// Purchase receipts (purm headers, purd lines): numbering, line amounts, saving, posting (which raises
// stock), copying, deleting and searching. Every multi-statement write runs in one write transaction.

inline const QString kPosted = QStringLiteral("已过账");  // purm.状态 of a posted receipt

// Messages of the receipt rules, shown as they stand.
inline const QString kPostedTwice = QStringLiteral("此进货单已经过账,不能再过账!");
inline const QString kPostedNotDeletable = QStringLiteral("进货单已过账，不能删除！");
inline const QString kPostedLineNotDeletable = QStringLiteral("进货货品已经过账,不能删除!");
inline const QString kPostedDone = QStringLiteral("进货单货品已经过账!");
inline const QString kCopied = QStringLiteral("进货单资料已复制");
inline const QString kSaved = QStringLiteral("进货资料已经保存！");
inline const QString kAskDeleteReceipt = QStringLiteral("您确定要删除这笔进货单吗?");
inline const QString kAskDeleteLine = QStringLiteral("您确定要删除这笔进货记录吗?");

// A rule said no (as opposed to the database refusing): windows show it as a warning.
class Refusal : public data::DbError {
  public:
    using data::DbError::DbError;
};

// "JH" + yyyyMM of month + the sequence in four digits. A month holds at most 9999 receipts: a
// sequence outside 1..9999 is refused.
QString receiptNumber(const QDate& month, int sequence);

// Draws the next receipt number from djno (进仓单日期, 进仓单号) inside one write transaction, so two
// copies sharing the file never draw the same number. The counter moves on when the number is
// drawn; a month change starts again at 0001; otherwise the number follows the highest number dated
// today, or the counter. A number some receipt already carries is skipped.
QString drawReceiptNumber(const QSqlDatabase& db);

// 金额 of a line: 进价 × 数量, or 折扣 × (进价 × 数量) ÷ 100 when 折扣 is filled. Empty counts as 0.
double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount);

// Whether a receipt other than the one with key exceptId carries number (case-insensitive).
bool receiptNumberTaken(const QSqlDatabase& db, const QString& number, const QVariant& exceptId = {});

// The stored 状态 of a receipt; a null QVariant when no receipt has that number.
QVariant storedStatus(const QSqlDatabase& db, const QString& number);

// Posts the stored receipt: 状态 := "已过账" and every line's 数量 added to the stock of its good, all in
// one transaction. A line with an empty 数量 adds nothing; an empty stock counts as 0; a code that is
// in no sp row changes nothing. Refuses (Refusal) a posted or unknown receipt.
void postReceipt(const QSqlDatabase& db, const QString& number);

// Deletes the stored receipt's lines and header in one transaction; refuses a posted receipt.
void deleteReceipt(const QSqlDatabase& db, const QString& number);

// Copies the receipt `from` (also a posted one) into a new, unposted receipt with a freshly drawn
// number, today's date, the operator `user` and the same warehouse, supplier and lines. Returns the
// new number. One transaction: a failure draws no number and writes nothing.
QString copyReceipt(const QSqlDatabase& db, const QString& from, const QString& user);

// The receipts dataset's statement for the search text t: the six header columns matched with
// "%" + t + "%", ordered by number. Parameters as returned.
data::Statement searchStatement(const QString& text);

// The receipts and the current receipt's lines, with the rules that act on both: what the window
// shows and works on. No widgets; database errors and refusals throw.
class ReceiptBook : public QObject {
    Q_OBJECT
  public:
    explicit ReceiptBook(const QSqlDatabase& db, QObject* parent = nullptr);

    data::Dataset* jhmqry;  // receipt headers (purm)
    data::Dataset* jhdqry;  // the current receipt's lines (purd), following jhmqry
    data::Dataset* ckqry;   // known warehouses (distinct purm.仓库名称)
    data::Dataset* gysqry;  // known suppliers (distinct purm.供应商)

    const QSqlDatabase& database() const { return db_; }
    void openMissing();    // opens the receipts and their lines when closed
    void refillLookups();  // re-reads the warehouse and supplier lists

    // The current receipt as stored: its saved number (empty for a new one) and whether it is posted.
    QString storedNumber() const;
    bool isPosted() const;
    bool isNew() const;

    // A new receipt with a drawn number, the operator user and today's date (not written yet).
    void addReceipt(const QString& user);
    // Writes the header (a changed number is checked against the other receipts and carried over to
    // the lines) and the pending line. Nothing to do when nothing is pending.
    void save();
    // Saves the header only (what entering the lines needs).
    void saveHeader();
    // Saves what is pending, then posts the stored receipt.
    void post();
    // Deletes the current receipt (a new one is just dropped); refuses a posted one.
    void removeReceipt();
    // Copies the current receipt after saving what is pending; stands on the copy; returns its number.
    QString copy(const QString& user);
    // A new empty line on the current receipt (the header is saved first); refused on a posted one.
    void addLine();
    // Deletes the current line; refused on a posted receipt.
    void removeLine();
    // Fills the current line (a receipt without lines gets a new one) from a good of the catalog, in
    // the order 商品编号, 名称, 类别, 规格型号, 单位, 进价, 折扣, 产地; 进价 and 折扣 recompute 金额.
    void fillLineFromGood(const QVariantMap& good);
    // Re-reads the receipts with the search text (see searchStatement) and stands on the first.
    void search(const QString& text);

  signals:
    // The current receipt changed (another one, a new one, a header field or its stored state).
    void receiptChanged();

  private:
    void recomputeAmount(int row, const QString& field);
    QString storedNumberOf(const QVariant& id) const;

    QSqlDatabase db_;
    bool computing_ = false;
};

}  // namespace stock
