#include "customers/DeliveryList.h"

#include "data/Dataset.h"
#include "data/Sql.h"
#include "notes/AmountInWords.h"

namespace customers {

namespace {
double number(const QVariant& v) {
    if (v.isNull()) return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}
}  // namespace

double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount) {
    const double product = number(quantity) * number(price);
    bool hasDiscount = !discount.isNull();
    if (hasDiscount && discount.typeId() == QMetaType::QString)
        hasDiscount = !discount.toString().trimmed().isEmpty();
    return hasDiscount ? number(discount) * product / 100.0 : product;
}

bool affectsLineAmount(const QString& field) {
    return field.compare(QStringLiteral("数量"), Qt::CaseInsensitive) == 0 ||
           field.compare(QStringLiteral("售价"), Qt::CaseInsensitive) == 0 ||
           field.compare(QStringLiteral("折扣"), Qt::CaseInsensitive) == 0;
}

data::Money listTotal(const data::Dataset& list) {
    data::Money total;
    for (int r = 0; r < list.count(); ++r)
        total += data::Money::fromVariant(list.value(r, QStringLiteral("金额")));
    return total;
}

QString totalInWords(const data::Dataset& list) {
    return QStringLiteral("人民币") + notes::AmountInCapitals(listTotal(list));
}

bool listHoldsGood(const QSqlDatabase& db, const QString& customer, const QString& goodsCode) {
    const QVariant found = data::scalar(
        db, data::Statement{"select 商品编号 from cust_sp", "where (商品编号=:spno) and (客户名称=:kf)"}
                .bind("spno", goodsCode)
                .bind("kf", customer));
    return found.isValid();
}

QStringList pickedGoodsFields() {
    return {QStringLiteral("商品编号"), QStringLiteral("名称"), QStringLiteral("类别"),
            QStringLiteral("规格型号"), QStringLiteral("单位"), QStringLiteral("售价"),
            QStringLiteral("产地")};
}

}  // namespace customers
