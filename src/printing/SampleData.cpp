#include "printing/SampleData.h"

namespace printing {

QStringList sampleDatasetNames() {
    return {QStringLiteral("xhbdbst"), QStringLiteral("sdbst")};
}

QStringList sampleFields(const QString& dataset) {
    if (dataset == QLatin1String("xhbdbst"))
        return {"客户名称", "送货地址", "联系电话", "送货车牌", "开单人员", "业务员", "发货方式", "备注"};
    if (dataset == QLatin1String("sdbst"))
        return {"商品编号", "名称", "规格型号", "单位", "数量", "售价", "金额", "备注"};
    return {};
}

Report sampleReport(const Template& tpl, const QString& fileName) {
    Report r(tpl, fileName);
    r.setText("gsmc", QStringLiteral("示例贸易有限公司"));
    r.setText("gsdz", QStringLiteral("地址：示例市示例路 1 号"));
    r.setText("dhcz", QStringLiteral("电话：000-12345678  传真：000-12345679"));
    r.setText("shrq", QStringLiteral("2009-11-01"));
    r.setText("shdno", QStringLiteral("200911 0001"));
    r.setText("dxje", QStringLiteral("壹佰零伍元整"));
    ReportDataset c;
    c.name = QStringLiteral("xhbdbst");
    c.fields = sampleFields(c.name);
    c.rows.append(QVariantMap{{"客户名称", QStringLiteral("示例客户")},
                              {"送货地址", QStringLiteral("示例区示例街 8 号")},
                              {"联系电话", QStringLiteral("000-87654321")},
                              {"业务员", QStringLiteral("李四")},
                              {"开单人员", QStringLiteral("张三")}});
    r.setDataset(c);
    ReportDataset l;
    l.name = QStringLiteral("sdbst");
    l.fields = sampleFields(l.name);
    for (int i = 1; i <= 3; ++i)
        l.rows.append(QVariantMap{{"商品编号", QStringLiteral("SP%1").arg(i)},
                                  {"名称", QStringLiteral("示例商品 %1").arg(i)},
                                  {"规格型号", QStringLiteral("M%1").arg(i)},
                                  {"单位", QStringLiteral("个")},
                                  {"数量", i * 2},
                                  {"售价", 17.5},
                                  {"金额", i * 35.0}});
    r.setDataset(l);
    return r;
}

}  // namespace printing
