#include "workbook/XlsxReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>

namespace workbook {

namespace {

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// A relation's target is relative to the folder of the part that names it, or absolute from the
// package root when it starts with "/".
QString resolve(const QString& fromPart, const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return target.mid(1);
    const int slash = int(fromPart.lastIndexOf(QLatin1Char('/')));
    QStringList parts =
        (slash < 0 ? QString() : fromPart.left(slash)).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& p : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
        } else if (p != QLatin1String(".")) {
            parts << p;
        }
    }
    return parts.join(QLatin1Char('/'));
}

QString relsOf(const QString& part) {
    const int slash = int(part.lastIndexOf(QLatin1Char('/')));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// "_x000D_" and the like stand for characters XML cannot carry as they are.
QString unescapeOoxml(QString s) {
    if (!s.contains(QLatin1String("_x"))) return s;
    static const QRegularExpression re(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype last = 0;
    for (auto it = re.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(s).mid(last, m.capturedStart() - last);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        last = m.capturedEnd();
    }
    out += QStringView(s).mid(last);
    return out;
}

// The text of an <si> or <is> element: its <t>, or the <t> of each rich-text run; phonetic
// guides (<rPh>) are not part of the value. The reader stands on the element's start.
QString stringItem(QXmlStreamReader& x) {
    QString text;
    const QString end = x.name().toString();
    while (!x.atEnd()) {
        x.readNext();
        if (x.isEndElement() && x.name() == end) break;
        if (!x.isStartElement()) continue;
        if (x.name() == QLatin1String("t"))
            text += x.readElementText();
        else if (x.name() == QLatin1String("rPh") || x.name() == QLatin1String("phoneticPr"))
            x.skipCurrentElement();
    }
    return unescapeOoxml(text);
}

// Column number (1-based) and row number of a reference such as "AB12"; 0 for a part that is absent.
void parseReference(QStringView ref, int& col, int& row) {
    col = 0;
    row = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) col = col * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    for (; i < ref.size() && ref[i].isDigit(); ++i) row = row * 10 + (ref[i].unicode() - '0');
}

// Whether a number format code shows a date ('d') or a time only ('t'), else 'n'. Quoted texts,
// bracketed sections ([Red], [$-804]) and escaped characters are not part of the pattern.
char formatKind(const QString& code) {
    QString pattern;
    bool quoted = false;
    bool bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (bracket) {
            bracket = c != QLatin1Char(']');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('[')) {
            bracket = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else {
            pattern += c.toLower();
        }
    }
    if (pattern.contains(QLatin1Char('y')) || pattern.contains(QLatin1Char('d'))) return 'd';
    if (pattern.contains(QLatin1Char('h')) || pattern.contains(QLatin1Char('s'))) return 't';
    if (pattern.contains(QLatin1Char('m'))) return 'd';  // "mmm" alone is a month
    return 'n';
}

char builtInFormatKind(int id) {
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) return 'd';
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47)) return 't';
    return 'n';
}

}  // namespace

XlsxReader::XlsxReader(const QString& path) : path_(path) {
    if (!QFileInfo::exists(path)) throw WorkbookError(QStringLiteral("找不到文件“%1”").arg(path));
    if (!zip_.open(path)) throw WorkbookError(QStringLiteral("“%1”不是Excel工作簿").arg(fileName(path)));

    QHash<QString, QString> byId;
    QHash<QString, QString> byType;
    readRelations(QString(), byId, byType);
    QString workbookPart = byType.value(QStringLiteral("officeDocument"));
    if (workbookPart.isEmpty()) workbookPart = QStringLiteral("xl/workbook.xml");
    const QByteArray workbookXml = part(workbookPart, false);
    if (workbookXml.isEmpty()) throw WorkbookError(QStringLiteral("“%1”不是Excel工作簿").arg(fileName(path)));

    byId.clear();
    byType.clear();
    readRelations(workbookPart, byId, byType);

    QXmlStreamReader x(workbookXml);
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement) continue;
        if (x.name() == QLatin1String("workbookPr")) {
            const auto d = x.attributes().value(QLatin1String("date1904"));
            date1904_ = d == QLatin1String("1") || d == QLatin1String("true");
        } else if (x.name() == QLatin1String("sheet")) {
            QString relId;
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == QLatin1String("id") && !a.prefix().isEmpty()) relId = a.value().toString();
            names_ << x.attributes().value(QLatin1String("name")).toString();
            sheetParts_ << byId.value(relId);
        }
    }
    if (x.hasError())
        throw WorkbookError(QStringLiteral("工作簿“%1”已损坏：%2").arg(fileName(path), x.errorString()));

    readSharedStrings(byType.value(QStringLiteral("sharedStrings")));
    readStyles(byType.value(QStringLiteral("styles")));
    readTitle();
}

XlsxReader::~XlsxReader() = default;

QByteArray XlsxReader::part(const QString& name, bool required) const {
    bool ok = false;
    QByteArray data = name.isEmpty() ? QByteArray() : zip_.read(name, &ok);
    if (ok) return data;
    // A part that is there but cannot be inflated is damage, whether needed or not.
    if (required || (!name.isEmpty() && zip_.contains(name)))
        throw WorkbookError(QStringLiteral("工作簿“%1”已损坏：无法读取%2").arg(fileName(path_), name));
    return {};
}

void XlsxReader::readRelations(const QString& partName, QHash<QString, QString>& byId,
                               QHash<QString, QString>& byType) const {
    const QString rels = partName.isEmpty() ? QStringLiteral("_rels/.rels") : relsOf(partName);
    QXmlStreamReader x(part(rels, false));
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement || x.name() != QLatin1String("Relationship"))
            continue;
        const auto attrs = x.attributes();
        if (attrs.value(QLatin1String("TargetMode")) == QLatin1String("External")) continue;
        const QString target = resolve(partName, attrs.value(QLatin1String("Target")).toString());
        const QString type = attrs.value(QLatin1String("Type")).toString();
        byId.insert(attrs.value(QLatin1String("Id")).toString(), target);
        byType.insert(type.mid(type.lastIndexOf(QLatin1Char('/')) + 1), target);
    }
}

void XlsxReader::readSharedStrings(const QString& partName) {
    QXmlStreamReader x(part(partName, false));
    while (!x.atEnd()) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("si"))
            shared_ << stringItem(x);
    }
    if (x.hasError() && x.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        throw WorkbookError(QStringLiteral("工作簿“%1”已损坏：%2").arg(fileName(path_), x.errorString()));
}

void XlsxReader::readStyles(const QString& partName) {
    QHash<int, char> custom;
    QXmlStreamReader x(part(partName, false));
    bool inCellXfs = false;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) inCellXfs = false;
        if (!x.isStartElement()) continue;
        const auto attrs = x.attributes();
        if (x.name() == QLatin1String("numFmt")) {
            custom.insert(attrs.value(QLatin1String("numFmtId")).toInt(),
                          formatKind(attrs.value(QLatin1String("formatCode")).toString()));
        } else if (x.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && x.name() == QLatin1String("xf")) {
            const int id = attrs.value(QLatin1String("numFmtId")).toInt();
            styleKinds_ << (custom.contains(id) ? custom.value(id) : builtInFormatKind(id));
        }
    }
}

void XlsxReader::readTitle() {
    QXmlStreamReader x(part(QStringLiteral("docProps/core.xml"), false));
    while (!x.atEnd()) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("title")) {
            title_ = x.readElementText();
            return;
        }
    }
}

Sheet XlsxReader::sheet(const QString& name) const {
    const int index = sheetIndex(names_, name);
    if (index < 0) throw WorkbookError(noSuchSheetText(path_, name));
    return sheetAt(index);
}

QString XlsxReader::valueText(const QString& type, int style, const QString& v,
                              const QString& inlineText) const {
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int i = v.toInt(&ok);
        return ok && i >= 0 && i < shared_.size() ? shared_[i] : QString();
    }
    if (type == QLatin1String("inlineStr")) return inlineText;
    if (type == QLatin1String("str") || type == QLatin1String("e")) return unescapeOoxml(v);
    if (type == QLatin1String("b"))
        return v.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("d")) return v.endsWith(QLatin1String("T00:00:00")) ? v.left(10) : v;
    if (v.isEmpty()) return inlineText;

    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok) return v;
    const char kind = style >= 0 && style < styleKinds_.size() ? styleKinds_[style] : 'n';
    if (kind == 'n' || !std::isfinite(d) || d < 0 || d > 2958465.0) return numberText(d);
    // Serial day numbers: from 1899-12-30 (which absorbs the 1900 leap-year slip for every date
    // after February 1900), or from 1904-01-01 in workbooks that use the 1904 system.
    const QDateTime epoch(date1904_ ? QDate(1904, 1, 1) : QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const qint64 ms = qint64(std::llround(d * 86400.0)) * 1000;
    const QDateTime t = epoch.addMSecs(ms);
    if (kind == 't' && d < 1.0) return t.toString(QStringLiteral("HH:mm:ss"));
    if (t.time() == QTime(0, 0)) return t.toString(QStringLiteral("yyyy-MM-dd"));
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

Sheet XlsxReader::sheetAt(int index) const {
    if (index < 0 || index >= names_.size())
        throw WorkbookError(noSuchSheetText(path_, QString::number(index + 1)));
    const QByteArray xml = part(sheetParts_[index], true);
    QList<QStringList> grid;
    QXmlStreamReader x(xml);
    int row = 0;
    int col = 0;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement) continue;
        if (x.name() == QLatin1String("row")) {
            const int r = x.attributes().value(QLatin1String("r")).toInt();
            row = r > 0 ? r : row + 1;
            col = 0;
            continue;
        }
        if (x.name() != QLatin1String("c")) continue;
        const auto attrs = x.attributes();
        int refCol = 0;
        int refRow = 0;
        parseReference(attrs.value(QLatin1String("r")), refCol, refRow);
        if (refRow > 0) row = refRow;
        if (row <= 0) row = 1;
        col = refCol > 0 ? refCol : col + 1;
        const QString type = attrs.value(QLatin1String("t")).toString();
        const int style =
            attrs.hasAttribute(QLatin1String("s")) ? attrs.value(QLatin1String("s")).toInt() : -1;
        QString v;
        QString inlineText;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isEndElement() && x.name() == QLatin1String("c")) break;
            if (!x.isStartElement()) continue;
            if (x.name() == QLatin1String("v"))
                v = x.readElementText();
            else if (x.name() == QLatin1String("is"))
                inlineText = stringItem(x);
            else
                x.skipCurrentElement();
        }
        const QString text = valueText(type, style, v, inlineText);
        if (text.isEmpty()) continue;
        if (grid.size() < row) grid.resize(row);
        QStringList& cells = grid[row - 1];
        while (cells.size() < col) cells << QString();
        cells[col - 1] = text;
    }
    if (x.hasError())
        throw WorkbookError(QStringLiteral("工作簿“%1”已损坏：%2").arg(fileName(path_), x.errorString()));
    return makeSheet(names_[index], std::move(grid));
}

}  // namespace workbook
