#include "notes/Issuing.h"

#include "data/DateText.h"
#include "data/DbError.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "notes/NoteNumbering.h"

namespace notes {

QList<QVariantMap> rowsToDeliver(const QSqlDatabase& db, const QString& customer, IssueMode mode) {
    data::Statement st{
        QStringLiteral("select * from cust_sp where (cust_sp.数量>0) and (cust_sp.客户名称=:kmc)")};
    if (mode == IssueMode::PrintNow) st.line(QStringLiteral("order by cust_sp.商品编号"));
    st.bind(QStringLiteral("kmc"), customer);
    return data::rows(db, st);
}

QString numberRefusal(const QSqlDatabase& db, const QString& number) {
    if (number.trimmed().isEmpty()) return QStringLiteral("送货单号不能为空，请填写送货单号!");
    const int stored =
        data::scalar(db, data::Statement{QStringLiteral("select count(*) from shd where 送货单号=:sno")}.bind(
                             QStringLiteral("sno"), number))
            .toInt();
    if (stored > 0) return QStringLiteral("送货单号 %1 已经有送货单了，请换一个送货单号!").arg(number);
    return {};
}

data::Money listTotal(const QSqlDatabase& db, const QString& customer) {
    const auto amounts = data::rows(
        db, data::Statement{QStringLiteral("select 金额 from cust_sp where cust_sp.客户名称=:kmc")}.bind(
                QStringLiteral("kmc"), customer));
    data::Money total;
    for (const QVariantMap& r : amounts) total += data::Money::fromVariant(r.value(QStringLiteral("金额")));
    return total;
}

void DeductStock(const QSqlDatabase& db, const QList<QVariantMap>& lines) {
    for (const QVariantMap& line : lines) {
        data::exec(db, data::Statement{QStringLiteral("update sp set 库存=ifnull(库存,0)-:sl"),
                                       QStringLiteral("where 商品编号=:spbh")}
                           .bind(QStringLiteral("sl"), line.value(QStringLiteral("数量")))
                           .bind(QStringLiteral("spbh"), line.value(QStringLiteral("商品编号"))));
    }
}

void ClearListQuantities(const QSqlDatabase& db, const QString& customer) {
    data::exec(db,
               data::Statement{
                   QStringLiteral("UPDATE cust_sp SET 数量 =null, 金额 =null WHERE cust_sp.客户名称=:kfmc")}
                   .bind(QStringLiteral("kfmc"), customer));
}

void SaveDeliveryNote(const QSqlDatabase& db, const NoteHeader& h, const IssueContext& context) {
    // Checked again here: another copy of the program may have stored the number since it was proposed.
    const QString refusal = numberRefusal(db, h.number);
    if (!refusal.isEmpty()) throw data::DbError(refusal);

    data::exec(db,
               data::Statement{
                   QStringLiteral("insert into shdsp (商品编号, 名称, 规格型号, 产地, 单位, 数量, 售价, "
                                  "折扣, 金额, 备注, 客户名称, 类别, 送货单号)"),
                   QStringLiteral("select cust_sp.商品编号, cust_sp.名称, cust_sp.规格型号, cust_sp.产地, "
                                  "cust_sp.单位, cust_sp.数量, cust_sp.售价, cust_sp.折扣, cust_sp.金额, "
                                  "cust_sp.备注,"),
                   QStringLiteral("cust_sp.客户名称, cust_sp.类别, :sno as 送货单号 from cust_sp where "
                                  "(cust_sp.数量>0) and (cust_sp.客户名称=:kmc)")}
                   .bind(QStringLiteral("sno"), h.number)
                   .bind(QStringLiteral("kmc"), h.customer));

    const data::Money total = listTotal(db, h.customer);
    data::Statement header{QStringLiteral("insert into shd (送货单号, 客户名称, 送货地址, 联系电话, "
                                          "送货车牌, 开单人员, 发货方式, 备注, 业务员,"),
                           QStringLiteral(" 录入人员, 录入时间, 日期2, 总金额, 状态, 大写金额, 日期)"),
                           QStringLiteral("values (:sno, :kh, :dz, :dh, :cp, :kdr, :fh, :bz, :ywy, :lrry, "
                                          ":lrsj, :rq2, :zje, :zt, :dx, :rq)")};
    header.bind(QStringLiteral("sno"), h.number)
        .bind(QStringLiteral("kh"), h.customer)
        .bind(QStringLiteral("dz"), h.address)
        .bind(QStringLiteral("dh"), h.phone)
        .bind(QStringLiteral("cp"), h.plate)
        .bind(QStringLiteral("kdr"), h.clerk)
        .bind(QStringLiteral("fh"), h.dispatch)
        .bind(QStringLiteral("bz"), h.remark)
        .bind(QStringLiteral("ywy"), h.salesperson)
        .bind(QStringLiteral("lrry"), context.user)
        .bind(QStringLiteral("lrsj"), data::isoDateTime(context.now))
        .bind(QStringLiteral("rq2"), data::isoDate(context.now.date()))
        .bind(QStringLiteral("zje"), total.toDouble())
        .bind(QStringLiteral("zt"), context.mode == IssueMode::PrintNow ? kPrinted : kUnprinted)
        .bind(QStringLiteral("dx"), h.amountInWords)
        .bind(QStringLiteral("rq"), h.date);
    data::exec(db, header);
}

QString issueNote(const QSqlDatabase& db, const NoteHeader& header, const IssueContext& context) {
    return data::inWriteTransaction(db, [&] {
        SaveDeliveryNote(db, header, context);
        if (context.mode == IssueMode::PrintNow && context.deductStock)
            DeductStock(db, rowsToDeliver(db, header.customer, IssueMode::PrintNow));
        const QString next = advanceNoteNumberInTransaction(db, context.now.date());
        ClearListQuantities(db, header.customer);
        return next;
    });
}

}  // namespace notes
