#pragma once
#include "data/Money.h"

#include <QDate>
#include <QString>

namespace notes {

// The amount in Chinese financial capital numerals, rounded to whole fen (halves up): 12.34 gives
// 壹拾贰圆叁角肆分, 0 gives 零圆整. Callers put "人民币" in front. Defined for 0 <= amount < 10^16 yuan;
// a negative amount is written as its absolute value behind "负", digits above the sixteenth are dropped.
QString AmountInCapitals(data::Money amount);

// "人民币" followed by AmountInCapitals: the text of jedx and shd.大写金额.
QString AmountInWordsText(data::Money amount);

// The delivery date text of a note: year as it stands, "年", two-digit month, "月", two-digit day, "日"
// (5 October 2009 gives 2009年10月05日). An invalid date gives an empty text.
QString DeliveryDateText(const QDate& date);

}  // namespace notes
