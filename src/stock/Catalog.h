#pragma once
#include "ui/DataGrid.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace data {
class Dataset;
}

// The rules of the goods catalog (table sp) behind the catalog window.
namespace stock {

// The catalog grid spgrid, one row per column, in the order shown. 进价 starts hidden and is shown or
// hidden by whoever opens the window; 含税单价 is never shown.
QList<ui::GridColumn> catalogColumns();

// The search as you type: every good whose 商品编号, 名称, 类别, 规格型号 or 单位 contains text, ordered
// by 编号. An empty text lists every good with at least one of the five filled. Re-reads catalog.
void applySearch(data::Dataset& catalog, const QString& text);
QStringList searchStatement();

// 编号 of a new good: the greatest 编号 in the catalog plus one (1 for an empty catalog).
double nextGoodsNumber(const QSqlDatabase& db);

// Why a good with this 商品编号 may not be stored: an empty (or blank) code, or a code another good
// already has (compared as the database compares codes, without regard to case). excludeId is the
// good's own row key (Null for a new good). An empty result means the code is fine.
QString goodsCodeRefusal(const QSqlDatabase& db, const QString& code, const QVariant& excludeId);

// Every field of the catalog's row as a map: what a pick hands to its opener.
QVariantMap goodAt(const data::Dataset& catalog, int row);

}  // namespace stock
