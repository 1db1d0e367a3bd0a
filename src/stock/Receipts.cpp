#include "stock/Receipts.h"

#include "data/Dataset.h"
#include "data/DateText.h"
#include "data/Environment.h"
#include "data/Transaction.h"

namespace stock {

namespace {

const QString kMonthFull = QStringLiteral("本月的进货单已满 9999 张，不能再生成新的进货编号！");

double number(const QVariant& v) {
    if (v.isNull()) return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}

bool isEmptyValue(const QVariant& v) {
    return v.isNull() || v.toString().trimmed().isEmpty();
}

// The number drawing itself; the caller holds the write transaction.
QString drawInside(const QSqlDatabase& db) {
    const auto counters = data::rows(
        db, data::Statement{QStringLiteral("select id, 进仓单日期, 进仓单号 from djno order by id limit 1")});
    if (counters.isEmpty()) throw Refusal(QStringLiteral("单据编号表 djno 中没有记录，不能生成进货编号！"));
    const QVariantMap& row = counters.first();
    const QDate today = data::today();
    const QString period = today.toString(QStringLiteral("yyyyMM"));

    qint64 counter = row.value(QStringLiteral("进仓单号")).toLongLong() + 1;
    if (data::textOf(row.value(QStringLiteral("进仓单日期"))).trimmed() != period) {
        counter = 1;
    } else {
        const QVariant highest =
            data::scalar(db, data::Statement{QStringLiteral("SELECT Max(单据编号) AS djbh FROM purm"),
                                             QStringLiteral(" WHERE purm.日期=:today")}
                                 .bind(QStringLiteral("today"), data::isoDate(today)));
        if (!highest.isNull()) {
            const QString tail = highest.toString().right(4);
            bool ok = tail.size() == 4;
            for (QChar c : tail) ok = ok && c.isDigit();
            if (!ok)
                throw Refusal(
                    QStringLiteral("今天最大的进货编号“%"
                                   "1”的末四位不是数字，不能生成新的进货编号！请先改正这张进货单的编号。")
                        .arg(highest.toString()));
            // Never behind the counter: numbers drawn but not saved yet stay taken, so two draws in
            // a row (or two copies) never give the same number.
            counter = qMax(counter, tail.toLongLong() + 1);
        }
    }
    // A number typed by hand (or an older receipt re-dated today) may already carry the next
    // sequence: skip it rather than hand out a number the store refuses.
    while (counter <= 9999 && receiptNumberTaken(db, receiptNumber(today, int(counter)))) ++counter;
    if (counter > 9999) throw Refusal(kMonthFull);

    data::exec(db, data::Statement{QStringLiteral("update djno set 进仓单日期=:p, 进仓单号=:k"),
                                   QStringLiteral("where id=:id")}
                       .bind(QStringLiteral("p"), period)
                       .bind(QStringLiteral("k"), counter)
                       .bind(QStringLiteral("id"), row.value(QStringLiteral("id"))));
    return receiptNumber(today, int(counter));
}

}  // namespace

QString receiptNumber(const QDate& month, int sequence) {
    if (sequence < 1 || sequence > 9999) throw Refusal(kMonthFull);
    return QStringLiteral("JH") + month.toString(QStringLiteral("yyyyMM")) +
           QStringLiteral("%1").arg(sequence, 4, 10, QLatin1Char('0'));
}

QString drawReceiptNumber(const QSqlDatabase& db) {
    return data::inWriteTransaction(db, [&] { return drawInside(db); });
}

double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount) {
    const double gross = number(price) * number(quantity);
    if (isEmptyValue(discount)) return gross;
    return number(discount) * gross / 100.0;
}

bool receiptNumberTaken(const QSqlDatabase& db, const QString& receipt, const QVariant& exceptId) {
    data::Statement st{QStringLiteral("select count(*) from purm where 单据编号=:bh")};
    st.bind(QStringLiteral("bh"), receipt);
    if (!exceptId.isNull()) st.line(QStringLiteral("and id<>:id")).bind(QStringLiteral("id"), exceptId);
    return data::scalar(db, st).toInt() > 0;
}

QVariant storedStatus(const QSqlDatabase& db, const QString& receipt) {
    const auto found =
        data::rows(db, data::Statement{QStringLiteral("select 状态 from purm where 单据编号=:bh")}.bind(
                           QStringLiteral("bh"), receipt));
    if (found.isEmpty()) return {};
    return data::textOf(found.first().value(QStringLiteral("状态")));
}

void postReceipt(const QSqlDatabase& db, const QString& receipt) {
    data::inWriteTransaction(db, [&] {
        const QVariant status = storedStatus(db, receipt);
        if (!status.isValid()) throw Refusal(QStringLiteral("没有找到进货单 %1，不能过账！").arg(receipt));
        if (status.toString() == kPosted) throw Refusal(kPostedTwice);
        data::exec(db, data::Statement{QStringLiteral("update purm set 状态=:zt where 单据编号=:bh")}
                           .bind(QStringLiteral("zt"), kPosted)
                           .bind(QStringLiteral("bh"), receipt));
        const auto lines = data::rows(db, data::Statement{QStringLiteral("select 商品编号,数量 from purd"),
                                                          QStringLiteral("where 单据编号=:bh order by ID")}
                                              .bind(QStringLiteral("bh"), receipt));
        for (const QVariantMap& line : lines) {
            const QVariant quantity = line.value(QStringLiteral("数量"));
            if (quantity.isNull()) continue;  // an empty quantity adds nothing (and must not null the stock)
            data::exec(db, data::Statement{QStringLiteral("update sp set 库存=Nz(库存,0)+:sl"),
                                           QStringLiteral("where 商品编号=:spbh")}
                               .bind(QStringLiteral("sl"), number(quantity))
                               .bind(QStringLiteral("spbh"), line.value(QStringLiteral("商品编号"))));
        }
    });
}

void deleteReceipt(const QSqlDatabase& db, const QString& receipt) {
    data::inWriteTransaction(db, [&] {
        if (storedStatus(db, receipt).toString() == kPosted) throw Refusal(kPostedNotDeletable);
        data::exec(
            db,
            data::Statement{QStringLiteral("delete from purd"), QStringLiteral("where 单据编号=:djno")}.bind(
                QStringLiteral("djno"), receipt));
        data::exec(db, data::Statement{QStringLiteral("delete from purm where 单据编号=:djno")}.bind(
                           QStringLiteral("djno"), receipt));
    });
}

QString copyReceipt(const QSqlDatabase& db, const QString& from, const QString& user) {
    return data::inWriteTransaction(db, [&] {
        const auto header = data::rows(
            db, data::Statement{QStringLiteral("select 仓库名称, 供应商 from purm where 单据编号=:o")}.bind(
                    QStringLiteral("o"), from));
        if (header.isEmpty()) throw Refusal(QStringLiteral("没有找到进货单 %1，不能复制！").arg(from));
        const QString copy = drawInside(db);
        data::exec(
            db, data::Statement{QStringLiteral("insert into purm (单据编号, 日期, 工号, 仓库名称, 供应商)"),
                                QStringLiteral("values (:bh, :rq, :gh, :ck, :gys)")}
                    .bind(QStringLiteral("bh"), copy)
                    .bind(QStringLiteral("rq"), data::isoDate(data::today()))
                    .bind(QStringLiteral("gh"), user)
                    .bind(QStringLiteral("ck"), header.first().value(QStringLiteral("仓库名称")))
                    .bind(QStringLiteral("gys"), header.first().value(QStringLiteral("供应商"))));
        data::exec(
            db,
            data::Statement{
                QStringLiteral("insert into purd "
                               "(单据编号,商品编号,名称,单位,数量,进价,折扣,金额,规格型号,类别,产地,备注)"),
                QStringLiteral("select :bh as 单据编号,purd.商品编号,purd.名称,purd.单位,purd.数量,purd.进价,"
                               "purd.折扣,purd.金额,purd.规格型号,purd.类别,purd.产地,purd.备注 from purd"),
                QStringLiteral("where purd.单据编号=:dno order by ID")}
                .bind(QStringLiteral("bh"), copy)
                .bind(QStringLiteral("dno"), from));
        return copy;
    });
}

data::Statement searchStatement(const QString& text) {
    data::Statement st{
        QStringLiteral("select * from purm"),
        QStringLiteral("where 日期 like :rq or 单据编号 like :djbh or 供应商 like :gys or 仓库名称 like "
                       ":ckmc or 工号 like :gh or 状态 like :zt"),
        QStringLiteral("ORDER BY 单据编号")};
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    for (const char* p : {"rq", "djbh", "gys", "ckmc", "gh", "zt"}) st.bind(QLatin1String(p), pattern);
    return st;
}

// --- ReceiptBook ----------------------------------------------------------------------------------

ReceiptBook::ReceiptBook(const QSqlDatabase& db, QObject* parent)
    : QObject(parent),
      jhmqry(new data::Dataset(QStringLiteral("jhmqry"), this)),
      jhdqry(new data::Dataset(QStringLiteral("jhdqry"), this)),
      ckqry(new data::Dataset(QStringLiteral("ckqry"), this)),
      gysqry(new data::Dataset(QStringLiteral("gysqry"), this)),
      db_(db) {
    for (auto* d : {jhmqry, jhdqry, ckqry, gysqry}) d->setDatabase(db);
    jhmqry->setStatement({QStringLiteral("select * from purM")});
    jhmqry->setUpdateTable(QStringLiteral("purm"), QStringLiteral("id"));
    jhdqry->setStatement({QStringLiteral("select * from purD where 单据编号=:单据编号")});
    jhdqry->setUpdateTable(QStringLiteral("purd"), QStringLiteral("ID"));
    jhdqry->setMaster(jhmqry, QStringLiteral("单据编号"), QStringLiteral("单据编号"));
    ckqry->setStatement({QStringLiteral("select distinct 仓库名称 from purm order by 仓库名称")});
    gysqry->setStatement({QStringLiteral("select distinct 供应商 from purm order by 供应商")});

    // Leaving an edited header goes through the header rules (number check, lines following).
    jhmqry->onLeaveModifiedRow = [this] {
        saveHeader();
        return true;
    };
    connect(jhdqry, &data::Dataset::fieldChanged, this,
            [this](int row, const QString& field) { recomputeAmount(row, field); });
    connect(jhmqry, &data::Dataset::currentRowChanged, this, &ReceiptBook::receiptChanged);
    connect(jhmqry, &data::Dataset::stateChanged, this, &ReceiptBook::receiptChanged);
    connect(jhmqry, &data::Dataset::fieldChanged, this, &ReceiptBook::receiptChanged);
}

void ReceiptBook::openMissing() {
    if (!jhmqry->isOpen()) jhmqry->open();
    if (!jhdqry->isOpen()) jhdqry->open();
}

void ReceiptBook::refillLookups() {
    ckqry->requery();
    gysqry->requery();
}

QString ReceiptBook::storedNumberOf(const QVariant& id) const {
    if (id.isNull()) return {};
    return data::textOf(
        data::scalar(db_, data::Statement{QStringLiteral("select 单据编号 from purm where id=:id")}.bind(
                              QStringLiteral("id"), id)));
}

QString ReceiptBook::storedNumber() const {
    if (jhmqry->currentRow() < 0) return {};
    return storedNumberOf(jhmqry->field(QStringLiteral("id")));
}

bool ReceiptBook::isNew() const {
    return jhmqry->currentRow() >= 0 &&
           (jhmqry->state() == data::Dataset::State::Insert || jhmqry->field(QStringLiteral("id")).isNull());
}

bool ReceiptBook::isPosted() const {
    if (jhmqry->currentRow() < 0 || isNew()) return false;
    const QVariant status =
        data::scalar(db_, data::Statement{QStringLiteral("select 状态 from purm where id=:id")}.bind(
                              QStringLiteral("id"), jhmqry->field(QStringLiteral("id"))));
    return data::textOf(status) == kPosted;
}

void ReceiptBook::addReceipt(const QString& user) {
    openMissing();
    save();
    const QString drawn = drawReceiptNumber(db_);
    jhmqry->append({{QStringLiteral("单据编号"), drawn},
                    {QStringLiteral("工号"), user},
                    {QStringLiteral("日期"), data::isoDate(data::today())}});
}

void ReceiptBook::saveHeader() {
    if (!jhmqry->isModified()) return;
    const QVariant id = jhmqry->field(QStringLiteral("id"));
    if (!id.isNull() && isPosted()) {
        jhmqry->cancel();
        throw Refusal(QStringLiteral("此进货单已经过账,不能再修改!"));
    }
    const QString raw = jhmqry->text(QStringLiteral("单据编号"));
    const QString receipt = raw.trimmed();
    if (receipt.isEmpty()) throw Refusal(QStringLiteral("进货编号不能为空！"));
    if (receipt != raw) jhmqry->setField(QStringLiteral("单据编号"), receipt);
    const QString dateText = jhmqry->text(QStringLiteral("日期")).trimmed();
    if (!dateText.isEmpty()) {
        const QString iso = data::isoDate(data::requireUserDate(QStringLiteral("日期"), dateText));
        if (iso != jhmqry->text(QStringLiteral("日期"))) jhmqry->setField(QStringLiteral("日期"), iso);
    }
    if (receiptNumberTaken(db_, receipt, id))
        throw Refusal(
            QStringLiteral("进货编号 %1 已经有另一张进货单在用，不能重复！请换一个编号。").arg(receipt));
    const QString old = storedNumberOf(id);
    bool linePosted = false;
    try {
        data::inWriteTransaction(db_, [&] {
            // The lines belong to the receipt by its number: a renumbered receipt takes them along,
            // the pending line included.
            if (!old.isEmpty() && old != receipt)
                data::exec(db_,
                           data::Statement{QStringLiteral("update purd set 单据编号=:bh where 单据编号=:old")}
                               .bind(QStringLiteral("bh"), receipt)
                               .bind(QStringLiteral("old"), old));
            if (jhdqry->isModified() && !old.isEmpty()) {
                if (jhdqry->text(QStringLiteral("单据编号")) != receipt)
                    jhdqry->setField(QStringLiteral("单据编号"), receipt);
                jhdqry->post();
                linePosted = true;
            }
            jhmqry->post();
        });
    } catch (...) {
        if (linePosted) jhdqry->refresh();  // the line's write was rolled back with the rest
        throw;
    }
    if (jhdqry->isOpen() && data::textOf(jhdqry->param(QStringLiteral("单据编号"))) != receipt) {
        jhdqry->setParam(QStringLiteral("单据编号"), receipt);
        jhdqry->refresh();
    }
    emit receiptChanged();
}

void ReceiptBook::save() {
    saveHeader();
    if (!jhdqry->isModified()) return;
    if (isPosted()) {
        jhdqry->cancel();
        throw Refusal(QStringLiteral("此进货单已经过账,不能再修改!"));
    }
    const QString receipt = storedNumber();
    if (receipt.isEmpty()) throw Refusal(QStringLiteral("请先增加或选择一张进货单！"));
    if (jhdqry->text(QStringLiteral("单据编号")) != receipt)
        jhdqry->setField(QStringLiteral("单据编号"), receipt);
    jhdqry->post();
}

void ReceiptBook::post() {
    if (jhmqry->currentRow() < 0) throw Refusal(QStringLiteral("没有可以过账的进货单！"));
    if (isPosted()) throw Refusal(kPostedTwice);
    save();  // what is posted is what the user sees
    postReceipt(db_, storedNumber());
    jhmqry->refresh();
}

void ReceiptBook::removeReceipt() {
    if (jhmqry->currentRow() < 0) return;
    if (isNew()) {
        if (jhdqry->isModified()) jhdqry->cancel();
        jhmqry->cancel();
        return;
    }
    if (isPosted()) throw Refusal(kPostedNotDeletable);
    if (jhdqry->isModified()) jhdqry->cancel();
    if (jhmqry->isModified()) jhmqry->cancel();  // the receipt goes: its unsaved changes with it
    deleteReceipt(db_, storedNumber());
    jhmqry->refresh();
}

QString ReceiptBook::copy(const QString& user) {
    if (jhmqry->currentRow() < 0) throw Refusal(QStringLiteral("没有可以复制的进货单！"));
    save();
    const QString copied = copyReceipt(db_, storedNumber(), user);
    jhmqry->refresh();
    jhmqry->locate(QStringLiteral("单据编号"), copied);
    return copied;
}

void ReceiptBook::addLine() {
    openMissing();
    if (jhmqry->currentRow() < 0) throw Refusal(QStringLiteral("请先增加或选择一张进货单！"));
    if (isPosted()) return;
    saveHeader();
    jhdqry->append({{QStringLiteral("单据编号"), storedNumber()}});
}

void ReceiptBook::removeLine() {
    if (isPosted()) throw Refusal(kPostedLineNotDeletable);
    if (jhdqry->currentRow() < 0) return;
    jhdqry->remove();
}

void ReceiptBook::fillLineFromGood(const QVariantMap& good) {
    if (jhmqry->currentRow() < 0 || isPosted()) return;
    if (jhdqry->currentRow() < 0)
        addLine();
    else if (!jhdqry->isModified())
        jhdqry->edit();
    auto valueOf = [&good](const QString& field) {
        for (auto it = good.cbegin(); it != good.cend(); ++it)
            if (it.key().compare(field, Qt::CaseInsensitive) == 0) return it.value();
        return QVariant();
    };
    for (const char* field : {"商品编号", "名称", "类别", "规格型号", "单位", "进价", "折扣", "产地"})
        jhdqry->setField(QString::fromUtf8(field), valueOf(QString::fromUtf8(field)));
}

void ReceiptBook::search(const QString& text) {
    save();
    const data::Statement st = searchStatement(text);
    jhmqry->setStatement(st.lines);
    for (auto it = st.params.cbegin(); it != st.params.cend(); ++it) jhmqry->setParam(it.key(), it.value());
    jhmqry->requery();
}

void ReceiptBook::recomputeAmount(int row, const QString& field) {
    if (computing_ || row != jhdqry->currentRow()) return;
    static const QStringList inputs{QStringLiteral("数量"), QStringLiteral("进价"), QStringLiteral("折扣")};
    if (!inputs.contains(field, Qt::CaseInsensitive)) return;
    computing_ = true;
    try {
        jhdqry->setField(QStringLiteral("金额"), lineAmount(jhdqry->field(QStringLiteral("数量")),
                                                            jhdqry->field(QStringLiteral("进价")),
                                                            jhdqry->field(QStringLiteral("折扣"))));
    } catch (...) {
        computing_ = false;
        throw;
    }
    computing_ = false;
}

}  // namespace stock
