#pragma once
#include <QString>
#include <QVariant>

namespace data {
class DataHub;
class Dataset;
}  // namespace data

namespace users {

// Whether a typed password opens a stored one. A stored password (also an empty text) is compared with
// blanks around both removed, exactly and case-sensitively; a Null password only takes a completely
// empty field (a single blank fails).
bool passwordMatches(const QVariant& stored, const QString& typed);

// Moves userqry to the first row, in table order, whose 用户 is name; false when there is none.
bool chooseUser(data::Dataset& userqry, const QString& name);

enum class LoginResult { NoUserChosen, WrongPassword, Success };
// Checks the typed password against the row userqry stands on (the chosen user).
LoginResult checkLogin(const data::Dataset& userqry, bool userChosen, const QString& typedPassword);

}  // namespace users
