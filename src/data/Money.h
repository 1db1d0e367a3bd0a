#pragma once
#include <QVariant>
#include <QtGlobal>

namespace data {

// Sums that feed a total, a rounding or the amount in words are taken in fixed point: an integer count
// of ten-thousandths, each amount rounded to four decimal places first. So 1.005 + 2.0 is exactly 3.0050.
class Money {
public:
    Money() = default;
    static Money fromDouble(double value);       // rounded half away from zero to 1/10000
    static Money fromVariant(const QVariant& v);  // Null or text that is no number counts as 0
    static Money fromRaw(qint64 tenThousandths) { return Money(tenThousandths); }

    qint64 raw() const { return raw_; }  // ten-thousandths
    double toDouble() const { return double(raw_) / 10000.0; }
    qint64 fenHalfUp() const;    // whole fen (1/100), half away from zero
    qint64 fenHalfEven() const;  // whole fen, half to even (banker's rounding)

    Money& operator+=(Money o) { raw_ += o.raw_; return *this; }
    friend Money operator+(Money a, Money b) { return a += b; }
    friend bool operator==(Money a, Money b) = default;

private:
    explicit Money(qint64 raw) : raw_(raw) {}
    qint64 raw_ = 0;
};

}  // namespace data
