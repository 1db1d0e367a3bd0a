#pragma once
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace data {
class Dataset;
}

// The status workflow of a note: every status is reachable from every other; the table holds the
// right each target status needs. Only an unprinted note may be deleted.
namespace notes {

inline const QString kSignedBack = QStringLiteral("已签回");
inline const QString kPosted = QStringLiteral("已过账");
inline const QString kPaid = QStringLiteral("已收款");
inline const QString kVoided = QStringLiteral("已作废");

// One item of the status menu.
struct StatusMove {
    QString item;            // menu caption
    QString status;          // the status set
    QStringList rights;      // the 权限 values that may choose it; empty: every user
    QString refusal;         // shown when the user holds none of them
    bool signsBack = false;  // also writes 签回人员 and 签回时间
};

// The six status items, in menu order.
const QList<StatusMove>& statusMoves();
// The deletion item and its messages.
inline const QString kDeleteItem = QStringLiteral("删除   &D");
inline const QString kNotDeletable = QStringLiteral("送货单不是未打印状态，不能删除送货单!");
inline const QString kConfirmDelete = QStringLiteral("您是否真的要删除这笔送货单记录吗?");
inline const QString kConfirmDeleteCaption = QStringLiteral("提示信息");
// Every item of the menu, in order.
QStringList statusMenuItems();
// The move of a menu item; nullptr for the deletion item or an unknown text.
const StatusMove* statusMoveOf(const QString& item);

// Whether a user whose 权限 is `right` may choose the move (exact comparison).
bool mayChoose(const StatusMove& move, const QString& right);

// Applies the move to the current row of the note list and saves it at once. Does nothing when the
// list stands on no note. Throws data::DbError.
void applyStatus(data::Dataset& notes, const StatusMove& move, const QString& user, const QDateTime& now);

// Removes the current note of the list with its lines, in one transaction. The caller has checked
// that the note is unprinted. Throws data::DbError (nothing is deleted then).
void deleteCurrentNote(data::Dataset& notes);

}  // namespace notes
