#pragma once
#include <QString>
#include <QStringList>

namespace data {
class DataHub;
}

namespace users {

// The three right values stored in usertable.权限 (a right may also be empty).
inline const QString kManagement = QStringLiteral("管理");
inline const QString kFinance = QStringLiteral("财务");
inline const QString kOperator = QStringLiteral("操作");

// The refusal of the guarded operations of the main window (receipts, reports, catalog with prices).
inline const QString kNoRightMessage = QStringLiteral("您没有权限使用此功能！");

// 管理 or 财务: what the receipts, reports and priced catalog ask for.
inline QStringList managementOrFinance() {
    return {kManagement, kFinance};
}

// The current user is the row userqry stands on; an empty text when it stands on none.
QString currentUserName(const data::DataHub& hub);
QString currentRight(const data::DataHub& hub);

// Whether the current user's 权限 equals one of rights exactly. Read at every call, never cached,
// so a change to the user's own row takes effect at the next check.
bool hasRight(const data::DataHub& hub, const QStringList& rights);

// As hasRight; on refusal shows refusal (warning icon, caption 信息, OK) through ui::dialogs().
// Returns whether the operation may start.
bool checkRight(const data::DataHub& hub, const QStringList& rights,
                const QString& refusal = kNoRightMessage);

}  // namespace users
