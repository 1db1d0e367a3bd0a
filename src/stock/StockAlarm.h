#pragma once
#include <QString>
#include <QStringList>

namespace stock {

// The two stock alarm lists over sp.
enum class AlarmList { None, BelowMinimum, AboveMaximum };

inline const QString kBelowMinimumTitle = QStringLiteral("低于库存下限产品");
inline const QString kAboveMaximumTitle = QStringLiteral("高于库存上限产品");

// The statement of a list: the goods whose 库存 is below 库存下限 (or above 库存上限), grouped by
// 类别, goods of one category in the catalog's stored order. An empty stock or limit lists nothing,
// since a comparison with Null is never true.
QStringList alarmStatement(AlarmList list);
// The list's title (also the export title); empty for None.
QString alarmTitle(AlarmList list);

}  // namespace stock
