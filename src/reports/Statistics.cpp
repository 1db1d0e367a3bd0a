#include "reports/Statistics.h"

#include "data/DateText.h"

namespace reports {

namespace {

using V = StatisticsVariant;

const QString kFrom = QStringLiteral("FROM shd LEFT JOIN shdsp ON shd.送货单号 = shdsp.送货单号 ");
const QString kWhere = QStringLiteral("WHERE (1=1) ");
// 日期2 is read as a date on both sides, so a stored text in another form still compares by date.
const QString kPeriod = QStringLiteral("  AND (CDate(shd.日期2)>=:fd And CDate(shd.日期2)<=:td)");
const QString kCustomerFilter = QStringLiteral(" and (shd.客户名称 like :skh)");
const QString kPlateFilter = QStringLiteral(" and (shd.送货车牌 like :scp)");
const QString kSalesFilter = QStringLiteral(" and (shd.业务员 like :syw)");

QList<StatisticsVariant> makeVariants() {
    QList<int> allButMonth;
    for (int i = 0; i < 17; ++i)
        if (i != 3) allButMonth << i;
    return {
        {QStringLiteral("对账单"),
         0,
         {},
         QStringLiteral("SELECT shd.送货单号, shd.客户名称, shd.送货车牌, shd.日期2, shd.状态, shd.业务员, "
                        "shdsp.商品编号, shdsp.名称, shdsp.规格型号, shdsp.类别, shdsp.单位, shdsp.数量, "
                        "shdsp.售价,shdsp.折扣, shdsp.金额, shdsp.备注"),
         true,
         V::Customer,
         kCustomerFilter,
         QStringLiteral("order BY shd.送货单号,shd.客户名称 , shd.日期2 "),
         allButMonth,
         2,
         QStringLiteral("客户名称")},
        {QStringLiteral("送货统计报表(客户、月份)"),
         V::From | V::To | V::Customer,
         QStringLiteral("日期和客户不能为空!"),
         QStringLiteral("SELECT shd.客户名称, Month([shd].[日期2]) AS 月份, Sum(shdsp.数量) AS 数量, "
                        "Sum(shdsp.金额) AS 金额"),
         true,
         V::Customer,
         kCustomerFilter,
         QStringLiteral("GROUP BY shd.客户名称, Month([shd].[日期2])"),
         {2, 3, 15},
         2,
         QStringLiteral("客户名称")},
        {QStringLiteral("送货统计报表(客户)"),
         V::Customer,
         QStringLiteral("客户不能为空!"),
         QStringLiteral("SELECT shd.客户名称, '' as 月份, Sum(shdsp.数量) AS 数量, Sum(shdsp.金额) AS 金额"),
         false,
         V::Customer,
         kCustomerFilter,
         QStringLiteral("GROUP BY shd.客户名称"),
         {2, 15},
         2,
         QStringLiteral("客户名称")},
        {QStringLiteral("送货统计报表(车牌、月份)"),
         V::From | V::To | V::Plate,
         QStringLiteral("日期和送货车牌不能为空!"),
         QStringLiteral(
             "SELECT shd.送货车牌 as 客户名称, Month([shd].[日期2]) AS 月份, Sum(shdsp.数量) AS 数量 "
             ",Sum(shdsp.金额) AS 金额"),
         true,
         V::Plate,
         kPlateFilter,
         QStringLiteral("GROUP BY shd.送货车牌, Month([shd].[日期2])"),
         {2, 3, 15},
         2,
         QStringLiteral("送货车牌")},
        {QStringLiteral("送货统计报表(车牌)"),
         V::Plate,
         QStringLiteral("送货车牌不能为空!"),
         QStringLiteral("SELECT shd.送货车牌 as 客户名称, Sum(shdsp.数量) AS 数量, Sum(shdsp.金额) AS 金额"),
         false,
         V::Plate,
         kPlateFilter,
         QStringLiteral("GROUP BY shd.送货车牌"),
         {2, 15},
         2,
         QStringLiteral("送货车牌")},
        {QStringLiteral("送货统计报表(业务员、月份)"),
         V::From | V::To | V::Salesperson,
         QStringLiteral("日期和业务员不能为空!"),
         QStringLiteral(
             "SELECT shd.业务员 as 客户名称, Month([shd].[日期2]) AS 月份, Sum(shdsp.数量) AS 数量, "
             "Sum(shdsp.金额) AS 金额"),
         true,
         V::Salesperson,
         kSalesFilter,
         QStringLiteral("GROUP BY shd.业务员, Month([shd].[日期2])"),
         {2, 3, 15},
         2,
         QStringLiteral("业务员")},
        {QStringLiteral("送货统计报表(业务员)"),
         V::Salesperson,
         QStringLiteral("业务员不能为空!"),
         QStringLiteral("SELECT shd.业务员 as 客户名称, Sum(shdsp.数量) AS 数量, Sum(shdsp.金额) AS 金额"),
         false,
         V::Salesperson,
         kSalesFilter,
         QStringLiteral("GROUP BY shd.业务员"),
         {2, 15},
         2,
         QStringLiteral("业务员")},
        {QStringLiteral("送货统计报表(月份)"),
         V::From | V::To,
         QStringLiteral("日期不能为空!"),
         QStringLiteral(
             "SELECT Month([shd].[日期2]) AS 月份, Sum(shdsp.数量) AS 数量, Sum(shdsp.金额) AS 金额"),
         true,
         0,
         {},
         QStringLiteral("GROUP BY Month([shd].[日期2])"),
         {3, 15},
         3,
         QStringLiteral("月份")},
    };
}

QString inputText(const StatisticsInputs& in, int input) {
    switch (input) {
        case V::From:
            return in.from;
        case V::To:
            return in.to;
        case V::Customer:
            return in.customer;
        case V::Plate:
            return in.plate;
        case V::Salesperson:
            return in.salesperson;
    }
    return {};
}

QString paramOf(int input) {
    switch (input) {
        case V::Customer:
            return QStringLiteral("skh");
        case V::Plate:
            return QStringLiteral("scp");
        case V::Salesperson:
            return QStringLiteral("syw");
    }
    return {};
}

}  // namespace

const QList<StatisticsVariant>& statisticsVariants() {
    static const QList<StatisticsVariant> variants = makeVariants();
    return variants;
}

const StatisticsVariant* findStatisticsVariant(const QString& caption) {
    for (const StatisticsVariant& v : statisticsVariants())
        if (v.caption == caption) return &v;
    return nullptr;
}

QList<ui::GridColumn> statisticsColumns() {
    const auto col = ui::reportColumn;
    QList<ui::GridColumn> cols = {
        col("日期2", "日期", 90), col("送货单号", "", 100), col("客户名称", "客户名称", 130),
        col("月份", "", 80),      col("送货车牌", "", 90),  col("状态", "", 60),
        col("业务员", "", 60),    col("商品编号", "", 80),  col("名称", "", 100),
        col("规格型号", "", 100), col("类别", "", 80),      col("单位", "", 60),
        col("数量", "", 80),      col("售价", "", 80),      col("折扣", "折扣%", 50),
        col("金额", "", 80),      col("备注", "", 80),
    };
    cols[2].footerText = QStringLiteral("合计：");
    cols[12].footerSum = true;
    cols[15].footerSum = true;
    return cols;
}

QString missingStatisticsInput(const StatisticsVariant& v, const StatisticsInputs& in) {
    for (int input : {V::From, V::To, V::Customer, V::Plate, V::Salesperson})
        if ((v.required & input) && inputText(in, input).isEmpty()) return v.missingMessage;
    return {};
}

data::Statement statisticsStatement(const StatisticsVariant& v, const StatisticsInputs& in) {
    data::Statement st{v.select, kFrom, kWhere};
    if (v.byPeriod && !in.from.isEmpty() && !in.to.isEmpty()) {
        const QDate from = data::requireUserDate(QStringLiteral("日期从"), in.from);
        const QDate to = data::requireUserDate(QStringLiteral("日期到"), in.to);
        st.line(kPeriod)
            .bind(QStringLiteral("fd"), data::isoDate(from))
            .bind(QStringLiteral("td"), data::isoDate(to));
    }
    if (v.filterInput && !inputText(in, v.filterInput).isEmpty())
        st.line(v.filterLine).bind(paramOf(v.filterInput), inputText(in, v.filterInput));
    st.line(v.last);
    return st;
}

}  // namespace reports
