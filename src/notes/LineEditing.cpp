#include "notes/LineEditing.h"

#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "notes/AmountInWords.h"
#include "notes/Issuing.h"

namespace notes {

namespace {
long double numberOf(const QVariant& v) {
    if (v.isNull()) return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0;
}

// After a failed write the rows in memory may no longer be what the rolled-back file holds.
void reread(data::Dataset& notes, data::Dataset& lines) {
    try {
        if (lines.isModified()) lines.cancel();
        if (notes.isModified()) notes.cancel();
        notes.refresh();
        lines.requery();
    } catch (const data::DbError&) {
    }
}

void writeTotal(data::Dataset& notes, const QString& number) {
    const NoteTotal t = noteTotalOf(noteLinesSum(notes.database(), number));
    notes.setField(QStringLiteral("总金额"), t.total);
    notes.setField(QStringLiteral("大写金额"), t.words);
    notes.post();
}
}  // namespace

double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount) {
    const long double amount = numberOf(price) * numberOf(quantity);
    if (discount.isNull() || discount.toString().trimmed().isEmpty()) return double(amount);
    return double(amount * numberOf(discount) / 100.0L);
}

bool recomputesAmount(const QString& field) {
    return field == QStringLiteral("数量") || field == QStringLiteral("售价") ||
           field == QStringLiteral("折扣");
}

NoteTotal noteTotalOf(data::Money sum) {
    return {double(sum.fenHalfEven()) / 100.0, AmountInWordsText(sum)};
}

data::Money noteLinesSum(const QSqlDatabase& db, const QString& number) {
    data::Money sum;
    for (const QVariantMap& r :
         data::rows(db, data::Statement{QStringLiteral("select 金额 from shdsp where 送货单号=:sno")}.bind(
                            QStringLiteral("sno"), number)))
        sum += data::Money::fromVariant(r.value(QStringLiteral("金额")));
    return sum;
}

bool linesEditable(const data::Dataset& notes) {
    return notes.isOpen() && notes.currentRow() >= 0 && notes.text(QStringLiteral("状态")) == kUnprinted;
}

void saveLineAndTotal(data::Dataset& notes, data::Dataset& lines) {
    if (!notes.isOpen() || notes.currentRow() < 0) return;
    const QString number = notes.text(QStringLiteral("送货单号"));
    try {
        data::inWriteTransaction(notes.database(), [&] {
            lines.post();  // the pending line first, so the stored lines hold the new amount
            writeTotal(notes, number);
        });
    } catch (const data::DbError&) {
        reread(notes, lines);
        throw;
    }
    lines.requery();
}

void deleteLineAndTotal(data::Dataset& notes, data::Dataset& lines) {
    if (!notes.isOpen() || notes.currentRow() < 0 || lines.currentRow() < 0) return;
    const QString number = notes.text(QStringLiteral("送货单号"));
    try {
        data::inWriteTransaction(notes.database(), [&] {
            lines.remove();
            writeTotal(notes, number);
        });
    } catch (const data::DbError&) {
        reread(notes, lines);
        throw;
    }
    lines.requery();
}

}  // namespace notes
