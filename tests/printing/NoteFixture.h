#pragma once
// The delivered note template with a customer and n lines, as the print window hands them over.
#include "printing/Report.h"

#include <QString>

inline QString referenceTemplatePath() {
    return QStringLiteral(TRFP_SOURCE_DIR "/templates/送货单.fr3");
}

inline printing::ReportDataset customerDataset() {
    printing::ReportDataset d;
    d.name = QStringLiteral("xhbdbst");
    d.fields =
        QStringList{"客户名称", "送货地址", "联系电话", "送货车牌", "开单人员", "业务员", "发货方式", "备注"};
    d.rows.append(QVariantMap{{"客户名称", "东方五金商行"},
                              {"送货地址", "广州市天河区中山大道 88 号"},
                              {"联系电话", "020-87654321"},
                              {"送货车牌", "粤A12345"},
                              {"开单人员", "张三"},
                              {"业务员", "李四"},
                              {"发货方式", "送货"},
                              {"备注", QVariant()}});
    return d;
}

// Line i (1-based): quantity i, price 10.5, amount i * 10.5 (line 1 has 1234.5 to show separators).
inline double lineAmount(int i) {
    return i == 1 ? 1234.5 : i * 10.5;
}

inline printing::ReportDataset linesDataset(int n) {
    printing::ReportDataset d;
    d.name = QStringLiteral("sdbst");
    d.fields = QStringList{"商品编号", "名称", "规格型号", "产地", "单位",     "数量",
                           "售价",     "折扣", "金额",     "备注", "客户名称", "类别"};
    for (int i = 1; i <= n; ++i)
        d.rows.append(QVariantMap{{"商品编号", QStringLiteral("SP%1").arg(i, 3, 10, QLatin1Char('0'))},
                                  {"名称", QStringLiteral("螺丝 %1 号").arg(i)},
                                  {"规格型号", QStringLiteral("M%1").arg(i)},
                                  {"产地", "佛山"},
                                  {"单位", "盒"},
                                  {"数量", double(i)},
                                  {"售价", 10.5},
                                  {"折扣", QVariant()},
                                  {"金额", lineAmount(i)},
                                  {"备注", QVariant()},
                                  {"客户名称", "东方五金商行"},
                                  {"类别", "五金"}});
    return d;
}

inline void fillNoteObjects(printing::Report& r) {
    r.setText("gsmc", "广州市宏达贸易有限公司");
    r.setText("gsdz", "广州市白云区机场路 100 号");
    r.setText("dhcz", "TEL: 020-12345678 FAX: 020-12345679");
    r.setText("shrq", "2009年11月07日");
    r.setText("shdno", "2009110001");
    r.setText("dxje", "人民币壹仟叁佰零伍元伍角");
}
