#include "notes/NoteStatus.h"

#include "data/Dataset.h"
#include "data/DateText.h"
#include "data/DbError.h"
#include "data/Transaction.h"
#include "notes/Issuing.h"
#include "users/Rights.h"

namespace notes {

const QList<StatusMove>& statusMoves() {
    static const QList<StatusMove> moves{
        {QStringLiteral("未打印 &W"),
         kUnprinted,
         {users::kManagement},
         QStringLiteral("管理权限才能将送货单改为未打印状态,!")},
        {QStringLiteral("已打印 &Y"),
         kPrinted,
         {users::kManagement},
         QStringLiteral("管理权限才能将送货单改为已打印状态,!")},
        {QStringLiteral("已签回 &Q"), kSignedBack, {}, {}, true},
        {QStringLiteral("已过账 &G"), kPosted, users::managementOrFinance(),
         QStringLiteral("管理或财务权限才能将送货单改为已过账状态,!")},
        {QStringLiteral("已收款 &S"), kPaid, users::managementOrFinance(),
         QStringLiteral("管理或财务权限才能将送货单改为已收款状态,!")},
        {QStringLiteral("已作废 &F"),
         kVoided,
         {users::kManagement},
         QStringLiteral("管理权限才能将送货单改为已作废状态,!")},
    };
    return moves;
}

QStringList statusMenuItems() {
    QStringList items;
    for (const StatusMove& m : statusMoves()) items << m.item;
    return items << kDeleteItem;
}

const StatusMove* statusMoveOf(const QString& item) {
    for (const StatusMove& m : statusMoves())
        if (m.item == item) return &m;
    return nullptr;
}

bool mayChoose(const StatusMove& move, const QString& right) {
    if (move.rights.isEmpty()) return true;
    return !right.isEmpty() && move.rights.contains(right);
}

void applyStatus(data::Dataset& notes, const StatusMove& move, const QString& user, const QDateTime& now) {
    if (!notes.isOpen() || notes.currentRow() < 0) return;  // no note: nothing to change, nothing to create
    notes.edit();
    try {
        if (move.signsBack) {
            notes.setField(QStringLiteral("签回人员"), user);
            notes.setField(QStringLiteral("签回时间"), data::isoDateTime(now));
        }
        notes.setField(QStringLiteral("状态"), move.status);
        notes.post();
    } catch (...) {
        notes.cancel();
        throw;
    }
}

void deleteCurrentNote(data::Dataset& notes) {
    if (!notes.isOpen() || notes.currentRow() < 0) return;
    const QString number = notes.text(QStringLiteral("送货单号"));
    try {
        data::inWriteTransaction(notes.database(), [&] {
            data::exec(notes.database(), data::Statement{QStringLiteral("delete  from shdsp"),
                                                         QStringLiteral("where 送货单号 =:sno")}
                                             .bind(QStringLiteral("sno"), number));
            notes.remove();  // the header, on the same connection, inside the transaction
        });
    } catch (const data::DbError&) {
        // The rows in memory may no longer be what the rolled-back file holds.
        try {
            notes.refresh();
        } catch (const data::DbError&) {
        }
        throw;
    }
}

}  // namespace notes
