#include "reports/Profit.h"

#include "data/DateText.h"

namespace reports {

QList<ui::GridColumn> profitColumns() {
    const auto col = ui::reportColumn;
    QList<ui::GridColumn> cols = {
        col("日期2", "日期", 85), col("送货单号", "", 95), col("客户名称", "", 115), col("送货车牌", "", 75),
        col("业务员", "", 55),    col("状态", "", 55),     col("商品编号", "", 80),  col("名称", "", 95),
        col("数量", "", 60),      col("售价", "", 60),     col("折扣", "折扣%", 50), col("进价", "", 60),
        col("利润", "", 78),
    };
    cols[7].footerText = QStringLiteral("合计:");
    cols[8].footerSum = true;
    cols[12].footerSum = true;
    return cols;
}

data::Statement profitStatement(const ProfitInputs& in) {
    // An empty discount means the full price; a discount stored as an empty text is empty too.
    data::Statement st{
        QStringLiteral("SELECT shd.日期2, shd.送货单号, shd.客户名称, shd.送货车牌, shd.业务员,shd.状态, "
                       "shdsp.商品编号,"),
        QStringLiteral(
            "shdsp.名称, shdsp.数量, shdsp.售价, shdsp.折扣, sp.进价, shdsp.数量 * (shdsp.售价 * (CASE WHEN "
            "shdsp.折扣 IS NULL OR trim(shdsp.折扣) = '' THEN 1 ELSE shdsp.折扣 / 100.0 END) - sp.进价) "
            "AS 利润"),
        QStringLiteral(
            "FROM (shd LEFT JOIN shdsp ON shd.送货单号 = shdsp.送货单号) LEFT JOIN sp ON shdsp.商品编号 = "
            "sp.商品编号"),
        QStringLiteral("where (1=1)"),
    };
    if (!in.from.isEmpty() && !in.to.isEmpty()) {
        const QDate from = data::requireUserDate(QStringLiteral("日期从"), in.from);
        const QDate to = data::requireUserDate(QStringLiteral("日期到"), in.to);
        st.line(QStringLiteral(" and ((CDate(shd.日期2) >= :frq) and (CDate(shd.日期2) <=:trq))"))
            .bind(QStringLiteral("frq"), data::isoDate(from))
            .bind(QStringLiteral("trq"), data::isoDate(to));
    }
    const struct {
        const QString& text;
        const char* line;
        const char* param;
    } filters[] = {
        {in.customer, " and (shd.客户名称 like :skh)", "skh"},
        {in.plate, " and (shd.送货车牌 like :scp)", "scp"},
        {in.status, " and (shd.状态 like :szt)", "szt"},
        {in.salesperson, " and (shd.业务员 like :syw)", "syw"},
    };
    for (const auto& f : filters)
        if (!f.text.isEmpty())
            st.line(QString::fromUtf8(f.line))
                .bind(QString::fromUtf8(f.param), QLatin1Char('%') + f.text + QLatin1Char('%'));
    st.line(QStringLiteral(" ORDER BY shd.客户名称,shd.送货单号"));
    return st;
}

}  // namespace reports
