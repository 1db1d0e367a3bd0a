#include "data/DateText.h"

#include "data/DbError.h"

#include <QRegularExpression>

namespace data {

QString isoDate(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }
QString isoDateTime(const QDateTime& dt) { return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

std::optional<QDate> parseUserDate(const QString& text) {
    static const QRegularExpression forms(QStringLiteral(
        "^(\\d{4})(?:-(\\d{1,2})-(\\d{1,2})|/(\\d{1,2})/(\\d{1,2})|\\.(\\d{1,2})\\.(\\d{1,2})|"
        "\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日)$"));
    const auto m = forms.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    int month = 0, day = 0;
    for (int g = 2; g <= 8; g += 2) {
        if (!m.captured(g).isEmpty()) {
            month = m.captured(g).toInt();
            day = m.captured(g + 1).toInt();
            break;
        }
    }
    const QDate d(m.captured(1).toInt(), month, day);
    if (!d.isValid()) return std::nullopt;
    return d;
}

QDate requireUserDate(const QString& fieldCaption, const QString& text) {
    if (auto d = parseUserDate(text)) return *d;
    throw DbError(QStringLiteral("%1“%2”不是有效的日期，请按 2009-11-07 的格式输入。").arg(fieldCaption, text));
}

std::optional<QDate> parseStoredDate(const QString& text) {
    QString t = text.trimmed();
    // A stored date-time keeps only its date part.
    static const QRegularExpression timePart(QStringLiteral("^(\\S+)\\s+\\d{1,2}:\\d{2}(:\\d{2})?$"));
    if (auto m = timePart.match(t); m.hasMatch()) t = m.captured(1);
    return parseUserDate(t);
}

}  // namespace data
