#include "stock/StockAlarm.h"

namespace stock {

QStringList alarmStatement(AlarmList list) {
    switch (list) {
        case AlarmList::BelowMinimum:
            return {QStringLiteral("select * from sp"),
                    QStringLiteral("where 库存<库存下限 order by 类别, id")};
        case AlarmList::AboveMaximum:
            return {QStringLiteral("select * from sp"),
                    QStringLiteral("where 库存>库存上限 order by 类别, id")};
        case AlarmList::None:
            break;
    }
    return {QStringLiteral("select * from sp where 0")};
}

QString alarmTitle(AlarmList list) {
    switch (list) {
        case AlarmList::BelowMinimum:
            return kBelowMinimumTitle;
        case AlarmList::AboveMaximum:
            return kAboveMaximumTitle;
        case AlarmList::None:
            break;
    }
    return {};
}

}  // namespace stock
