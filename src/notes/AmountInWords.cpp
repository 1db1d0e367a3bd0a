#include "notes/AmountInWords.h"

#include <array>

namespace notes {

namespace {

const QString kDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const std::array<QString, 4> kPlaces = {QStringLiteral("仟"), QStringLiteral("佰"), QStringLiteral("拾"),
                                        QString()};
// Units of the four groups, highest first: the group above 亿 is written 万 again (10^12 = 壹万亿).
const std::array<QString, 4> kGroupUnits = {QStringLiteral("万"), QStringLiteral("亿"), QStringLiteral("万"),
                                            QStringLiteral("圆")};

QChar digit(int d) {
    return kDigits.at(d);
}

// One group of four digits (value 1..9999), thousands down to units; inner zeros collapse to one 零,
// trailing zeros write nothing, and a ten keeps its digit (10 is 壹拾).
QString groupText(int value) {
    const std::array<int, 4> digits = {value / 1000, value / 100 % 10, value / 10 % 10, value % 10};
    QString text;
    bool started = false;
    bool zeroPending = false;
    for (int i = 0; i < 4; ++i) {
        if (digits[i] != 0) {
            if (zeroPending) text += QStringLiteral("零");
            text += digit(digits[i]);
            text += kPlaces[i];
            zeroPending = false;
            started = true;
        } else if (started) {
            zeroPending = true;
        }
    }
    return text;
}

}  // namespace

QString AmountInCapitals(data::Money amount) {
    qint64 fen = amount.fenHalfUp();
    QString sign;
    if (fen < 0) {
        sign = QStringLiteral("负");
        fen = -fen;
    }
    if (fen == 0) return QStringLiteral("零圆整");

    const qint64 yuan = (fen / 100) % 10000000000000000LL;  // digits above the sixteenth are not written
    const int jiao = int(fen / 10 % 10);
    const int fenDigit = int(fen % 10);

    const std::array<int, 4> groups = {int(yuan / 1000000000000LL % 10000), int(yuan / 100000000 % 10000),
                                       int(yuan / 10000 % 10000), int(yuan % 10000)};
    QString text;
    bool written = false;
    for (int g = 0; g < 4; ++g) {
        if (groups[g] != 0) {
            if (written && groups[g] < 1000) text += QStringLiteral("零");
            text += groupText(groups[g]);
            text += kGroupUnits[g];
            written = true;
        } else if (written && (g == 1 || g == 3)) {
            text += kGroupUnits[g];  // 亿 and 圆 stand even over an empty group
        }
    }

    QString fraction;
    if (fenDigit != 0) fraction = QString(digit(fenDigit)) + QStringLiteral("分");
    if (jiao != 0)
        fraction = fenDigit != 0 ? QString(digit(jiao)) + QStringLiteral("角") + fraction
                                 : QString(digit(jiao)) + QStringLiteral("角整");

    if (jiao == 0 && fenDigit == 0) {
        text += QStringLiteral("整");
    } else {
        if (jiao == 0 && written) text += QStringLiteral("零");
        text += fraction;
    }
    return sign + text;
}

QString AmountInWordsText(data::Money amount) {
    return QStringLiteral("人民币") + AmountInCapitals(amount);
}

QString DeliveryDateText(const QDate& date) {
    if (!date.isValid()) return {};
    return QStringLiteral("%1年%2月%3日")
        .arg(date.year())
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

}  // namespace notes
