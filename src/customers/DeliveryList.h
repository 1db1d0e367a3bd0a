#pragma once
#include "data/Money.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace data {
class Dataset;
}

// The rules of a customer's standing delivery list (cust_sp rows found by 客户名称).
namespace customers {

// 金额 of a line: 数量 × 售价 × 折扣 / 100, or 数量 × 售价 when 折扣 is empty. An empty (or non-numeric)
// quantity or price counts as 0, so the amount is then 0, never empty. Unrounded.
double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount);

// The fields whose change recomputes 金额.
bool affectsLineAmount(const QString& field);

// Sum of 金额 over every row of the list, in fixed point.
data::Money listTotal(const data::Dataset& list);
// "人民币" followed by the total in capital numerals: what jedx shows.
QString totalInWords(const data::Dataset& list);

// Whether the customer's list already holds the good (商品编号, compared as the database does).
bool listHoldsGood(const QSqlDatabase& db, const QString& customer, const QString& goodsCode);

// The goods fields a pick copies from the catalog into a list row (数量, 折扣, 金额, 备注 stay).
QStringList pickedGoodsFields();

}  // namespace customers
