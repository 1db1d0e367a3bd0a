#pragma once
#include "data/Sql.h"
#include "ui/DataGrid.h"

#include <QList>
#include <QString>

namespace reports {

// The filters of the profit window; an empty text applies no filter.
struct ProfitInputs {
    QString from;         // Fqedit
    QString to;           // TqEdit
    QString customer;     // khedit
    QString plate;        // cpedit
    QString status;       // ztedit
    QString salesperson;  // ywedit
};

// The thirteen columns of lrgrid.
QList<ui::GridColumn> profitColumns();

// One row per delivered line (a note without lines gives one row of its header), with the profit
// 数量 × (售价 × 折扣/100 − 进价), the discount counting as 100 when empty, and Null when 数量, 售价
// or 进价 is. The period applies only when both dates are given; each is read with
// data::requireUserDate (DbError naming the edit). The other filters match "contains".
data::Statement profitStatement(const ProfitInputs& in);

}  // namespace reports
