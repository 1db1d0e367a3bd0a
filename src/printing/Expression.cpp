#include "printing/Expression.h"

#include "data/Money.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace printing {

struct ExprNode {
    enum class Kind { Literal, Field, Variable, Unary, Binary, Call };
    Kind kind;
    QVariant value;  // Literal
    QString a, b;    // Field: dataset, field; Variable/Call: name; Unary/Binary: operator in a
    std::vector<Expr> args;
};

namespace {

Expr node(ExprNode::Kind k, QVariant v = {}, QString a = {}, QString b = {}, std::vector<Expr> args = {}) {
    return std::make_shared<const ExprNode>(
        ExprNode{k, std::move(v), std::move(a), std::move(b), std::move(args)});
}

bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c.unicode() > 0x7F;
}

class Parser {
  public:
    explicit Parser(const QString& s) : s_(s) {}

    Expr parseAll(QString* error) {
        Expr e = parseOr();
        skip();
        if (e && pos_ < s_.size()) fail(QStringLiteral("多余的“%1”").arg(s_.mid(pos_)));
        if (!error_.isEmpty()) {
            if (error) *error = error_;
            return nullptr;
        }
        return e;
    }

  private:
    void fail(const QString& why) {
        if (error_.isEmpty()) error_ = why;
    }
    void skip() {
        while (pos_ < s_.size() && s_[pos_].isSpace()) ++pos_;
    }
    bool peek(const char* tok) {
        skip();
        return s_.mid(pos_).startsWith(QLatin1String(tok), Qt::CaseInsensitive);
    }
    bool eat(const char* tok) {
        if (!peek(tok)) return false;
        pos_ += int(strlen(tok));
        return true;
    }
    // A word operator (and, or, not, div, mod) only when it stands as a whole word.
    bool eatWord(const char* w) {
        skip();
        const int n = int(strlen(w));
        if (s_.mid(pos_, n).compare(QLatin1String(w), Qt::CaseInsensitive) != 0) return false;
        if (pos_ + n < s_.size() && isIdentChar(s_[pos_ + n])) return false;
        pos_ += n;
        return true;
    }

    Expr parseOr() {
        Expr l = parseAnd();
        while (l && eatWord("or")) l = bin("or", l, parseAnd());
        return l;
    }
    Expr parseAnd() {
        Expr l = parseNot();
        while (l && eatWord("and")) l = bin("and", l, parseNot());
        return l;
    }
    Expr parseNot() {
        if (eatWord("not")) {
            Expr a = parseNot();
            return a ? node(ExprNode::Kind::Unary, {}, QStringLiteral("not"), {}, {a}) : nullptr;
        }
        return parseCmp();
    }
    Expr parseCmp() {
        Expr l = parseAdd();
        if (!l) return l;
        for (const char* op : {"<>", "<=", ">=", "=", "<", ">"}) {
            if (eat(op)) return bin(op, l, parseAdd());
        }
        return l;
    }
    Expr parseAdd() {
        Expr l = parseMul();
        while (l) {
            if (eat("+"))
                l = bin("+", l, parseMul());
            else if (eat("-"))
                l = bin("-", l, parseMul());
            else
                break;
        }
        return l;
    }
    Expr parseMul() {
        Expr l = parseUnary();
        while (l) {
            if (eat("*"))
                l = bin("*", l, parseUnary());
            else if (eat("/"))
                l = bin("/", l, parseUnary());
            else if (eatWord("div"))
                l = bin("div", l, parseUnary());
            else if (eatWord("mod"))
                l = bin("mod", l, parseUnary());
            else
                break;
        }
        return l;
    }
    Expr parseUnary() {
        if (eat("-")) {
            Expr a = parseUnary();
            return a ? node(ExprNode::Kind::Unary, {}, QStringLiteral("-"), {}, {a}) : nullptr;
        }
        if (eat("+")) return parseUnary();
        return parsePrimary();
    }
    Expr bin(const char* op, Expr l, Expr r) {
        if (!r) return nullptr;
        return node(ExprNode::Kind::Binary, {}, QString::fromLatin1(op), {}, {std::move(l), std::move(r)});
    }

    // ds."field" starting at pos_ (the dataset name may hold blanks); nullptr when pos_ holds none.
    Expr tryFieldRef(int end) {
        const int dot = s_.indexOf(QLatin1String(".\""), pos_);
        if (dot < 0 || dot >= end) return nullptr;
        const QString ds = s_.mid(pos_, dot - pos_).trimmed();
        if (ds.isEmpty()) return nullptr;
        for (QChar c : ds)
            if (!isIdentChar(c) && c != QLatin1Char(' ') && c != QLatin1Char('.')) return nullptr;
        const int close = s_.indexOf(QLatin1Char('"'), dot + 2);
        if (close < 0) return nullptr;
        const QString field = s_.mid(dot + 2, close - dot - 2);
        pos_ = close + 1;
        return node(ExprNode::Kind::Field, {}, ds, field);
    }

    Expr parsePrimary() {
        skip();
        if (pos_ >= s_.size()) {
            fail(QStringLiteral("表达式不完整"));
            return nullptr;
        }
        const QChar c = s_[pos_];
        if (c == QLatin1Char('(')) {
            ++pos_;
            Expr e = parseOr();
            if (!eat(")")) fail(QStringLiteral("缺少“)”"));
            return e;
        }
        if (c == QLatin1Char('<')) {
            // <ds."field"> or <Variable>
            int close = -1;
            bool inQuote = false;
            for (int i = pos_ + 1; i < s_.size(); ++i) {
                if (s_[i] == QLatin1Char('"'))
                    inQuote = !inQuote;
                else if (!inQuote && s_[i] == QLatin1Char('>')) {
                    close = i;
                    break;
                }
            }
            if (close < 0) {
                fail(QStringLiteral("缺少“>”"));
                return nullptr;
            }
            const int start = ++pos_;
            if (Expr f = tryFieldRef(close)) {
                skip();
                if (pos_ != close) fail(QStringLiteral("字段引用有误"));
                pos_ = close + 1;
                return f;
            }
            pos_ = close + 1;
            return node(ExprNode::Kind::Variable, {}, s_.mid(start, close - start).trimmed());
        }
        if (c == QLatin1Char('\'')) {
            QString text;
            int i = pos_ + 1;
            for (;; ++i) {
                if (i >= s_.size()) {
                    fail(QStringLiteral("字符串没有结束"));
                    return nullptr;
                }
                if (s_[i] == QLatin1Char('\'')) {
                    if (i + 1 < s_.size() && s_[i + 1] == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        ++i;
                        continue;
                    }
                    break;
                }
                text += s_[i];
            }
            pos_ = i + 1;
            return node(ExprNode::Kind::Literal, text);
        }
        if (c == QLatin1Char('"')) {
            const int close = s_.indexOf(QLatin1Char('"'), pos_ + 1);
            if (close < 0) {
                fail(QStringLiteral("字符串没有结束"));
                return nullptr;
            }
            const QString text = s_.mid(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            return node(ExprNode::Kind::Literal, text);
        }
        if (c.isDigit() || (c == QLatin1Char('.') && pos_ + 1 < s_.size() && s_[pos_ + 1].isDigit())) {
            static const QRegularExpression num(QStringLiteral("^\\d*\\.?\\d+(?:[eE][-+]?\\d+)?|^\\d+\\.?"));
            auto m = num.match(QStringView(s_).mid(pos_));
            const QString t = m.captured(0);
            pos_ += int(t.size());
            bool ok = false;
            const qlonglong i = t.toLongLong(&ok);
            if (ok) return node(ExprNode::Kind::Literal, QVariant(i));
            return node(ExprNode::Kind::Literal, QLocale::c().toDouble(t));
        }
        if (Expr f = tryFieldRef(int(s_.size()))) return f;
        if (isIdentChar(c)) {
            const int start = pos_;
            while (pos_ < s_.size() && (isIdentChar(s_[pos_]) || s_[pos_] == QLatin1Char('.'))) ++pos_;
            const QString name = s_.mid(start, pos_ - start);
            if (eat("(")) {
                std::vector<Expr> args;
                if (!eat(")")) {
                    do {
                        Expr a = parseOr();
                        if (!a) return nullptr;
                        args.push_back(a);
                    } while (eat(","));
                    if (!eat(")")) {
                        fail(QStringLiteral("缺少“)”"));
                        return nullptr;
                    }
                }
                return node(ExprNode::Kind::Call, {}, name, {}, std::move(args));
            }
            if (name.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return node(ExprNode::Kind::Literal, true);
            if (name.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return node(ExprNode::Kind::Literal, false);
            return node(ExprNode::Kind::Variable, {}, name);
        }
        fail(QStringLiteral("无法识别“%1”").arg(s_.mid(pos_)));
        return nullptr;
    }

    const QString& s_;
    int pos_ = 0;
    QString error_;
};

bool isText(const QVariant& v) {
    return v.typeId() == QMetaType::QString;
}

bool truthy(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    double d = 0;
    if (numericValue(v, &d)) return d != 0;
    return !v.toString().isEmpty();
}

int compareValues(const QVariant& a, const QVariant& b) {
    double x = 0, y = 0;
    if (numericValue(a, &x) && numericValue(b, &y) && !(isText(a) && isText(b)))
        return x < y ? -1 : x > y ? 1 : 0;
    return QString::compare(a.toString(), b.toString());
}

QVariant numberResult(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::abs(v) < 1e15) return QVariant(qlonglong(v));
    return v;
}

}  // namespace

bool numericValue(const QVariant& v, double* out) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::Long:
            if (out) *out = v.toDouble();
            return true;
        case QMetaType::QString: {
            const QString t = v.toString().trimmed();
            if (t.isEmpty()) return false;
            bool ok = false;
            const double d = QLocale::c().toDouble(t, &ok);
            if (ok && out) *out = d;
            return ok;
        }
        default:
            return false;
    }
}

Expr parseExpression(const QString& text, QString* error) {
    Parser p(text);
    return p.parseAll(error);
}

QVariant evaluate(const Expr& e, ExpressionContext& ctx) {
    if (!e) return {};
    switch (e->kind) {
        case ExprNode::Kind::Literal:
            return e->value;
        case ExprNode::Kind::Field: {
            auto v = ctx.field(e->a, e->b);
            if (!v) {
                ctx.unknown(QStringLiteral("%1.\"%2\"").arg(e->a, e->b));
                return {};
            }
            // A null keeps its type: 0 in arithmetic, empty when printed.
            return v->isValid() ? *v : QVariant(QString());
        }
        case ExprNode::Kind::Variable: {
            auto v = ctx.variable(e->a);
            if (!v) {
                ctx.unknown(e->a);
                return {};
            }
            return *v;
        }
        case ExprNode::Kind::Unary: {
            const QVariant a = evaluate(e->args[0], ctx);
            if (!a.isValid()) return {};
            if (e->a == QLatin1String("not")) return !truthy(a);
            double d = 0;
            if (!numericValue(a, &d)) return {};
            return numberResult(-d);
        }
        case ExprNode::Kind::Binary: {
            const QString& op = e->a;
            const QVariant a = evaluate(e->args[0], ctx);
            if (op == QLatin1String("and") && a.isValid() && !truthy(a)) return false;
            if (op == QLatin1String("or") && a.isValid() && truthy(a)) return true;
            const QVariant b = evaluate(e->args[1], ctx);
            if (!a.isValid() || !b.isValid()) return {};
            if (op == QLatin1String("and") || op == QLatin1String("or")) return truthy(b);
            if (op == QLatin1String("=")) return compareValues(a, b) == 0;
            if (op == QLatin1String("<>")) return compareValues(a, b) != 0;
            if (op == QLatin1String("<")) return compareValues(a, b) < 0;
            if (op == QLatin1String(">")) return compareValues(a, b) > 0;
            if (op == QLatin1String("<=")) return compareValues(a, b) <= 0;
            if (op == QLatin1String(">=")) return compareValues(a, b) >= 0;
            double x = 0, y = 0;
            // Text joins text (Pascal's string +).
            if (op == QLatin1String("+") && (isText(a) || isText(b))) return formatValue(a) + formatValue(b);
            if (!numericValue(a, &x) || !numericValue(b, &y)) {
                ctx.unknown(QStringLiteral("%1 %2 %3").arg(formatValue(a), op, formatValue(b)));
                return {};
            }
            if (op == QLatin1String("+")) return numberResult(x + y);
            if (op == QLatin1String("-")) return numberResult(x - y);
            if (op == QLatin1String("*")) return numberResult(x * y);
            if (y == 0 &&
                (op == QLatin1String("/") || op == QLatin1String("div") || op == QLatin1String("mod"))) {
                ctx.unknown(QStringLiteral("除以零"));
                return {};
            }
            if (op == QLatin1String("/")) return x / y;  // always a real number, as in Pascal
            if (op == QLatin1String("div")) return qlonglong(std::trunc(x / y));
            if (op == QLatin1String("mod")) return qlonglong(x) % qlonglong(y);
            return {};
        }
        case ExprNode::Kind::Call: {
            const QString fn = e->a.toUpper();
            if (fn == QLatin1String("IIF") && e->args.size() == 3) {
                const QVariant c = evaluate(e->args[0], ctx);
                if (!c.isValid()) return {};
                return evaluate(truthy(c) ? e->args[1] : e->args[2], ctx);
            }
            const bool agg = fn == QLatin1String("SUM") || fn == QLatin1String("COUNT") ||
                             fn == QLatin1String("MIN") || fn == QLatin1String("MAX") ||
                             fn == QLatin1String("AVG");
            if (agg && !e->args.empty() && e->args.size() <= 3) {
                Expr arg;
                QString band;
                int flags = 0;
                auto bandName = [](const Expr& x) {
                    return x && x->kind == ExprNode::Kind::Variable  ? x->a
                           : x && x->kind == ExprNode::Kind::Literal ? x->value.toString()
                                                                     : QString();
                };
                if (fn == QLatin1String("COUNT") && e->args.size() == 1) {
                    band = bandName(e->args[0]);
                } else if (e->args.size() >= 2) {
                    arg = e->args[0];
                    band = bandName(e->args[1]);
                    if (e->args.size() == 3) flags = evaluate(e->args[2], ctx).toInt();
                }
                if (!band.isEmpty()) {
                    auto v = ctx.aggregate(fn, arg, band, flags);
                    if (v) return *v;
                }
            }
            ctx.unknown(e->a + QStringLiteral("(…)"));
            return {};
        }
    }
    return {};
}

BracketPart splitInlineFormat(const QString& inner) {
    // The format follows the last " #" + kind letter that stands outside quotes.
    bool inS = false, inD = false;
    int at = -1;
    for (int i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == QLatin1Char('\'') && !inD)
            inS = !inS;
        else if (c == QLatin1Char('"') && !inS)
            inD = !inD;
        else if (c == QLatin1Char('#') && !inS && !inD && i > 0 && inner[i - 1] == QLatin1Char(' ') &&
                 i + 1 < inner.size()) {
            const QChar k = inner[i + 1].toLower();
            if (k == QLatin1Char('n') || k == QLatin1Char('d') || k == QLatin1Char('b')) at = i;
        }
    }
    BracketPart p;
    if (at < 0) {
        p.expression = inner;
        return p;
    }
    p.expression = inner.left(at).trimmed();
    const QChar k = inner[at + 1].toLower();
    p.format.kind = k == QLatin1Char('n')   ? QStringLiteral("fkNumeric")
                    : k == QLatin1Char('d') ? QStringLiteral("fkDateTime")
                                            : QStringLiteral("fkBoolean");
    p.format.formatStr = inner.mid(at + 2);
    return p;
}

QString formatNumber(double v, int decimals, bool thousands, const QString& decimalSeparator) {
    decimals = std::clamp(decimals, 0, 10);
    QString digits;
    if (decimals <= 4 && std::abs(v) < 1e14) {
        // Through fixed point, so that 1.005 rounds up as the money rules do.
        const qint64 raw = data::Money::fromDouble(v).raw();
        qint64 div = 1;
        for (int i = decimals; i < 4; ++i) div *= 10;
        qint64 mag = raw < 0 ? -raw : raw;
        qint64 q = mag / div;
        if ((mag % div) * 2 >= div) ++q;
        QString s = QString::number(q);
        if (decimals > 0) {
            s = s.rightJustified(decimals + 1, QLatin1Char('0'));
            s.insert(s.size() - decimals, QLatin1Char('.'));
        }
        digits = (raw < 0 && q != 0 ? QStringLiteral("-") : QString()) + s;
    } else {
        digits = QString::number(v, 'f', decimals);
    }
    if (thousands) {
        const bool neg = digits.startsWith(QLatin1Char('-'));
        const int dot = digits.indexOf(QLatin1Char('.'));
        int intEnd = dot < 0 ? int(digits.size()) : dot;
        for (int i = intEnd - 3; i > (neg ? 1 : 0); i -= 3) digits.insert(i, QLatin1Char(','));
    }
    if (decimalSeparator != QLatin1String(".") && !decimalSeparator.isEmpty()) {
        const int dot = digits.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0) digits.replace(dot, 1, decimalSeparator);
    }
    return digits;
}

static QString plainText(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            return QString::number(d, 'g', 15);
        }
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::QDate:
            return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        case QMetaType::QDateTime:
            return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case QMetaType::QTime:
            return v.toTime().toString(QStringLiteral("HH:mm:ss"));
        default:
            return v.toString();
    }
}

// Delphi date picture (yyyy-mm-dd hh:nn:ss) as a Qt format.
static QString qtDateFormat(const QString& delphi) {
    QString out;
    bool afterHour = false;
    for (int i = 0; i < delphi.size();) {
        const QChar c = delphi[i].toLower();
        int n = 1;
        while (i + n < delphi.size() && delphi[i + n].toLower() == c) ++n;
        const QString run(n, c);
        if (c == QLatin1Char('y'))
            out += n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        else if (c == QLatin1Char('m'))
            out += afterHour ? QString(n, QLatin1Char('m')) : QString(n, QLatin1Char('M'));
        else if (c == QLatin1Char('n'))
            out += QString(std::min(n, 2), QLatin1Char('m'));
        else if (c == QLatin1Char('d'))
            out += QString(n, QLatin1Char('d'));
        else if (c == QLatin1Char('h'))
            out += QString(std::min(n, 2), QLatin1Char('H'));
        else if (c == QLatin1Char('s'))
            out += QString(std::min(n, 2), QLatin1Char('s'));
        else if (c.isLetter())
            out += QLatin1Char('\'') + delphi.mid(i, n) + QLatin1Char('\'');
        else
            out += delphi.mid(i, n);
        if (c == QLatin1Char('h'))
            afterHour = true;
        else if (c != QLatin1Char(':') && c != QLatin1Char('m') && !c.isSpace())
            afterHour = false;
        i += n;
    }
    return out;
}

QString formatValue(const QVariant& v, const DisplayFormat& fmt) {
    if (!v.isValid() || v.isNull()) return {};
    const QString sep = fmt.decimalSeparator.isEmpty() ? QStringLiteral(".") : fmt.decimalSeparator;
    if (fmt.kind == QLatin1String("fkNumeric") && !fmt.formatStr.isEmpty()) {
        double d = 0;
        if (!numericValue(v, &d)) return plainText(v);
        const QString f = fmt.formatStr;
        static const QRegularExpression delphi(QStringLiteral("^%-?(\\d*)(?:[.,](\\d+))?([nfmdgeNFMDGE])$"));
        auto m = delphi.match(f);
        if (m.hasMatch()) {
            const QChar kind = m.captured(3)[0].toLower();
            int decimals = m.captured(2).isEmpty() ? 2 : m.captured(2).toInt();
            if (kind == QLatin1Char('d')) return QString::number(qlonglong(std::llround(d)));
            if (kind == QLatin1Char('g'))
                return QString::number(d, 'g', m.captured(2).isEmpty() ? 15 : decimals);
            if (kind == QLatin1Char('e')) return QString::number(d, 'e', decimals);
            return formatNumber(d, decimals, kind == QLatin1Char('n') || kind == QLatin1Char('m'), sep);
        }
        // Picture style: #,##0.00
        if (f.contains(QLatin1Char('0')) || f.contains(QLatin1Char('#'))) {
            const int dot = f.indexOf(QLatin1Char('.'));
            int decimals = 0;
            if (dot >= 0)
                for (int i = dot + 1; i < f.size() && (f[i] == QLatin1Char('0') || f[i] == QLatin1Char('#'));
                     ++i)
                    ++decimals;
            const bool thousands = f.left(dot < 0 ? f.size() : dot).contains(QLatin1Char(','));
            return formatNumber(d, decimals, thousands, sep);
        }
        return plainText(v);
    }
    if (fmt.kind == QLatin1String("fkDateTime") && !fmt.formatStr.isEmpty()) {
        QDateTime dt;
        if (v.typeId() == QMetaType::QDate)
            dt = QDateTime(v.toDate(), QTime(0, 0));
        else if (v.typeId() == QMetaType::QDateTime)
            dt = v.toDateTime();
        else {
            const QString t = v.toString().trimmed();
            dt = QDateTime::fromString(t, Qt::ISODate);
            if (!dt.isValid()) dt = QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
        }
        if (!dt.isValid()) return plainText(v);
        return dt.toString(qtDateFormat(fmt.formatStr));
    }
    if (fmt.kind == QLatin1String("fkBoolean") && !fmt.formatStr.isEmpty()) {
        const QStringList parts = fmt.formatStr.split(QLatin1Char(','));
        if (parts.size() == 2) return truthy(v) ? parts[1] : parts[0];
    }
    return plainText(v);
}

QString expandText(const QString& text, ExpressionContext& ctx, const DisplayFormat& fmt, bool hideZeros) {
    QString out;
    int i = 0;
    while (i < text.size()) {
        const int open = text.indexOf(QLatin1Char('['), i);
        if (open < 0) {
            out += text.mid(i);
            break;
        }
        // The matching ']' outside quotes, with nested brackets.
        int depth = 0, close = -1;
        bool inS = false, inD = false;
        for (int j = open; j < text.size(); ++j) {
            const QChar c = text[j];
            if (c == QLatin1Char('\'') && !inD)
                inS = !inS;
            else if (c == QLatin1Char('"') && !inS)
                inD = !inD;
            else if (!inS && !inD && c == QLatin1Char('['))
                ++depth;
            else if (!inS && !inD && c == QLatin1Char(']') && --depth == 0) {
                close = j;
                break;
            }
        }
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const BracketPart part = splitInlineFormat(text.mid(open + 1, close - open - 1));
        QString error;
        const Expr e = parseExpression(part.expression, &error);
        if (!e) {
            ctx.unknown(QStringLiteral("[%1]（%2）").arg(part.expression, error));
        } else {
            const QVariant v = evaluate(e, ctx);
            double d = 0;
            if (v.isValid() && !(hideZeros && !isText(v) && numericValue(v, &d) && d == 0))
                out += formatValue(v, part.format.kind.isEmpty() ? fmt : part.format);
        }
        i = close + 1;
    }
    return out;
}

}  // namespace printing
