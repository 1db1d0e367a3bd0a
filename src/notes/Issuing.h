#pragma once
#include "data/Money.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>

// Issuing a delivery note: the quantities typed into a customer's delivery list become a stored note
// (lines in shdsp, header in shd), the counter moves on and the list's quantities are emptied.
namespace notes {

inline const QString kPrinted = QStringLiteral("已打印");
inline const QString kUnprinted = QStringLiteral("未打印");

enum class IssueMode { PrintNow, PrintLater };

// The header of a note as the entry tab shows it when the note is issued.
struct NoteHeader {
    QString number;         // shdno
    QString date;           // kpdate: the delivery date text, or whatever the user typed there
    QString customer;       // custname
    QString address;        // shdz
    QString phone;          // lxdh
    QString plate;          // shcp
    QString clerk;          // kdr
    QString dispatch;       // fhedit
    QString remark;         // bz
    QString salesperson;    // ywy
    QString amountInWords;  // jedx
};

// What is stored with a note besides the header fields.
struct IssueContext {
    IssueMode mode = IssueMode::PrintLater;
    QString user;              // the logged-in user's 用户
    QDateTime now;             // 录入时间; its date is 日期2
    bool deductStock = false;  // print now and the user said Yes to the stock question
};

// The rows of the customer's list with a quantity above 0: what becomes the note's lines. Print now
// reads them ordered by goods code, print later in the order the database gives.
QList<QVariantMap> rowsToDeliver(const QSqlDatabase& db, const QString& customer, IssueMode mode);

// Why a number cannot be used for a new note (empty, or a stored note has it already); an empty text
// when it can.
QString numberRefusal(const QSqlDatabase& db, const QString& number);

// The total of the list: 金额 over every row of the customer's list, a row without a quantity that
// still carries an amount included (the list grid's footer).
data::Money listTotal(const QSqlDatabase& db, const QString& customer);

// Lowers sp.库存 of each line's good by the line's 数量 (an empty stock counts as 0; stock may go
// below 0). One update per line. Lines are maps with 商品编号 and 数量.
void DeductStock(const QSqlDatabase& db, const QList<QVariantMap>& lines);

// Empties 数量 and 金额 of every row of the customer's list.
void ClearListQuantities(const QSqlDatabase& db, const QString& customer);

// Writes the lines (the list rows with a quantity) and the header of the note. Must run inside the
// caller's write transaction; refuses (DbError) a number that numberRefusal refuses, before writing.
void SaveDeliveryNote(const QSqlDatabase& db, const NoteHeader& header, const IssueContext& context);

// Issues the note in one write transaction: SaveDeliveryNote, the stock deduction when asked for, the
// counter moved on, the list's quantities emptied. Either all of it is written or nothing. Returns
// the number proposed for the next note. Throws data::DbError.
QString issueNote(const QSqlDatabase& db, const NoteHeader& header, const IssueContext& context);

}  // namespace notes
