#include "users/Login.h"

#include "data/Dataset.h"

namespace users {

bool passwordMatches(const QVariant& stored, const QString& typed) {
    if (stored.isNull()) return typed.isEmpty();
    return stored.toString().trimmed().compare(typed.trimmed(), Qt::CaseSensitive) == 0;
}

bool chooseUser(data::Dataset& userqry, const QString& name) {
    for (int r = 0; r < userqry.count(); ++r)
        if (data::textOf(userqry.value(r, QStringLiteral("用户"))) == name) return userqry.setCurrentRow(r);
    return false;
}

LoginResult checkLogin(const data::Dataset& userqry, bool userChosen, const QString& typedPassword) {
    if (!userChosen || !userqry.isOpen() || userqry.currentRow() < 0) return LoginResult::NoUserChosen;
    return passwordMatches(userqry.field(QStringLiteral("密码")), typedPassword) ? LoginResult::Success
                                                                                 : LoginResult::WrongPassword;
}

}  // namespace users
