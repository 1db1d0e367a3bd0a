#include "data/Money.h"

#include <cmath>

namespace data {

Money Money::fromDouble(double value) {
    if (!std::isfinite(value)) return Money();
    return Money(qint64(std::llround(value * 10000.0)));
}

Money Money::fromVariant(const QVariant& v) {
    if (v.isNull()) return Money();
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? fromDouble(d) : Money();
}

namespace {
qint64 divRound(qint64 value, qint64 divisor, bool halfEven) {
    const bool negative = value < 0;
    const qint64 a = negative ? -value : value;
    qint64 q = a / divisor;
    const qint64 r = a % divisor;
    if (2 * r > divisor || (2 * r == divisor && (!halfEven || q % 2 == 1))) ++q;
    return negative ? -q : q;
}
}  // namespace

qint64 Money::fenHalfUp() const { return divRound(raw_, 100, false); }
qint64 Money::fenHalfEven() const { return divRound(raw_, 100, true); }

}  // namespace data
