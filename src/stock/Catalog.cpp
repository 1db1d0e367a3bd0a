#include "stock/Catalog.h"

#include "data/Dataset.h"
#include "data/Sql.h"

namespace stock {

QList<ui::GridColumn> catalogColumns() {
    auto col = [](const char* field, int width, const QString& title = {}, bool visible = true) {
        ui::GridColumn c;
        c.field = QString::fromUtf8(field);
        c.title = title;
        c.width = width;
        c.visible = visible;
        c.sortable = false;  // the catalog keeps the order of 编号
        return c;
    };
    // 进价 starts hidden: purchase prices show only once an opener with the right asks for them.
    return {col("商品编号", 80),
            col("名称", 160),
            col("类别", 80),
            col("规格型号", 110),
            col("单位", 50),
            col("折扣", 60, QStringLiteral("折扣(%)")),
            col("进价", 80, {}, false),
            col("售价", 80),
            col("含税单价", 100, {}, false),
            col("库存", 80),
            col("库存下限", 80),
            col("库存上限", 80),
            col("产地", 100)};
}

QStringList searchStatement() {
    return {QStringLiteral("select * from sp"),
            QStringLiteral("where 商品编号 like :bm or 名称 like :mc or 类别 like :lb or 规格型号 like :xh "
                           "or 单位 like :dw"),
            QStringLiteral("ORDER BY 编号")};
}

void applySearch(data::Dataset& catalog, const QString& text) {
    catalog.setStatement(searchStatement());
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    for (const char* p : {"bm", "mc", "lb", "xh", "dw"}) catalog.setParam(QString::fromLatin1(p), pattern);
    catalog.requery();
}

double nextGoodsNumber(const QSqlDatabase& db) {
    return data::scalar(db, data::Statement{"select coalesce(max(编号), 0) + 1 from sp"}).toDouble();
}

QString goodsCodeRefusal(const QSqlDatabase& db, const QString& code, const QVariant& excludeId) {
    if (code.trimmed().isEmpty()) return QStringLiteral("商品编号不能为空，请输入商品编号!");
    const QVariant other = data::scalar(
        db, data::Statement{"select id from sp", "where 商品编号=:code and id<>coalesce(:self, -1)"}
                .bind("code", code)
                .bind("self", excludeId.isValid() ? excludeId : QVariant()));
    if (other.isValid()) return QStringLiteral("商品编号“%1”已经存在，不能重复输入!").arg(code);
    return {};
}

QVariantMap goodAt(const data::Dataset& catalog, int row) {
    QVariantMap good;
    if (row < 0 || row >= catalog.count()) return good;
    for (const QString& f : catalog.fieldNames()) good.insert(f, catalog.value(row, f));
    return good;
}

}  // namespace stock
