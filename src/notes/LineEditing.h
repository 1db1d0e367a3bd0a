#pragma once
#include "data/Money.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace data {
class Dataset;
}

// Correcting the lines of an unprinted note in the note list: every change of a line amount, a line
// deleted, or a discount changed carries the note's total and amount in words along, so that the
// stored total always belongs to the stored lines.
namespace notes {

inline const QString kAddLineRefused = QStringLiteral("送货单不是未打印状态，不能增加商品!");
inline const QString kChangeLineRefused = QStringLiteral("送货单不是未打印状态，不能再修改!");
inline const QString kDeleteLineRefused = QStringLiteral("送货单不是未打印状态，不能删除商品!");
inline const QString kConfirmDeleteLine = QStringLiteral("您真的要删除这个商品吗?");

// 售价 × 数量 × 折扣 / 100, or 售价 × 数量 with an empty 折扣; an empty quantity or price counts as 0.
// Computed in extended precision, unrounded.
double lineAmount(const QVariant& quantity, const QVariant& price, const QVariant& discount);
// 数量, 售价 and 折扣: the fields whose change recomputes 金额.
bool recomputesAmount(const QString& field);

// The stored total of a note from the sum S of its line amounts (each taken to four places):
// S rounded to the cent, halves to even; the words are written from S itself.
struct NoteTotal {
    double total = 0;
    QString words;  // "人民币" and S in capital numerals
};
NoteTotal noteTotalOf(data::Money sum);
// S over the stored lines of the note.
data::Money noteLinesSum(const QSqlDatabase& db, const QString& number);

// Whether the lines of the note list's current note may be changed (it is unprinted).
bool linesEditable(const data::Dataset& notes);

// Writes the pending line (if any) and the note's new total and words into the current note of the
// list, in one transaction, then re-reads the lines. Throws data::DbError.
void saveLineAndTotal(data::Dataset& notes, data::Dataset& lines);
// Deletes the current line and writes the note's new total, in one transaction; re-reads the lines.
void deleteLineAndTotal(data::Dataset& notes, data::Dataset& lines);

}  // namespace notes
