#include "users/Rights.h"

#include "data/DataHub.h"
#include "ui/Dialogs.h"

namespace users {

namespace {
QString currentField(const data::DataHub& hub, const QString& field) {
    const data::Dataset* users = hub.userqry;
    if (!users || !users->isOpen() || users->currentRow() < 0) return {};
    return users->text(field);
}
}  // namespace

QString currentUserName(const data::DataHub& hub) {
    return currentField(hub, QStringLiteral("用户"));
}

QString currentRight(const data::DataHub& hub) {
    return currentField(hub, QStringLiteral("权限"));
}

bool hasRight(const data::DataHub& hub, const QStringList& rights) {
    const QString right = currentRight(hub);
    if (right.isEmpty()) return false;  // an empty right holds none, even if "" were listed
    for (const QString& r : rights)
        if (right.compare(r, Qt::CaseSensitive) == 0) return true;
    return false;
}

bool checkRight(const data::DataHub& hub, const QStringList& rights, const QString& refusal) {
    if (hasRight(hub, rights)) return true;
    ui::dialogs().warn(refusal);
    return false;
}

}  // namespace users
