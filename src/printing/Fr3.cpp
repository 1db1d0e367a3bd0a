#include "printing/Fr3.h"

#include <iconv.h>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <functional>

namespace printing {

// --- bytes and numbers ------------------------------------------------------------------------------

static QString gbkToString(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == iconv_t(-1)) return QString::fromLatin1(bytes);
    QByteArray in = bytes;
    QByteArray out(in.size() * 4 + 4, '\0');
    char* inp = in.data();
    size_t inLeft = size_t(in.size());
    char* outp = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) {
            if (outLeft < 4) break;
            // A byte that is no GBK either: keep it visible as U+FFFD and go on.
            *outp++ = char(0xEF), *outp++ = char(0xBF), *outp++ = char(0xBD);
            outLeft -= 3;
            ++inp, --inLeft;
        }
    }
    iconv_close(cd);
    out.truncate(int(outp - out.data()));
    return QString::fromUtf8(out);
}

static bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = dec.decode(bytes);
    return !dec.hasError();
}

QString decodeTemplateBytes(const QByteArray& bytes) {
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (isValidUtf8(body)) return QString::fromUtf8(body);
    // Piece by piece between double quotes, so each attribute value is decoded on its own: UTF-8 where
    // it is UTF-8, otherwise GBK. A quote byte (0x22) is never part of a GBK character.
    QString out;
    out.reserve(body.size());
    qsizetype start = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf('"', start);
        if (end < 0) end = body.size();
        const QByteArray piece = body.mid(start, end - start);
        out += isValidUtf8(piece) ? QString::fromUtf8(piece) : gbkToString(piece);
        if (end < body.size()) out += QLatin1Char('"');
        start = end + 1;
    }
    return out;
}

std::optional<double> parseFr3Number(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    double v = QLocale::c().toDouble(t, &ok);
    if (!ok) return std::nullopt;
    return v;
}

QString formatFr3Number(double value) {
    if (value == 0) return QStringLiteral("0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

static std::optional<bool> parseBool(const QString& t) {
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

static std::optional<int> parseInt(const QString& t) {
    bool ok = false;
    qlonglong v = t.trimmed().toLongLong(&ok);
    if (ok) return int(v);
    // Some files store colours as hex ($00FF00) or as doubles.
    if (t.startsWith(QLatin1Char('$'))) {
        v = t.mid(1).toLongLong(&ok, 16);
        if (ok) return int(v);
    }
    if (auto d = parseFr3Number(t)) return int(*d);
    return std::nullopt;
}

static QString boolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// --- picture streams -------------------------------------------------------------------------------

QString pictureClassFor(const QByteArray& image) {
    if (image.startsWith("\x89PNG")) return QStringLiteral("TPNGObject");
    if (image.startsWith("\xFF\xD8")) return QStringLiteral("TJPEGImage");
    if (image.startsWith("BM")) return QStringLiteral("TBitmap");
    if (image.startsWith("GIF")) return QStringLiteral("TGIFImage");
    return QStringLiteral("TPNGObject");
}

bool decodePicturePropData(const QString& hex, QByteArray* image, QString* className) {
    const QByteArray b = QByteArray::fromHex(hex.toLatin1());
    // 04 "Data" 0A <len:4 LE> <n> <class name> <image bytes>
    if (b.size() < 12 || uchar(b[0]) != 4 || b.mid(1, 4) != "Data" || uchar(b[5]) != 0x0A) return false;
    const quint32 len = quint32(uchar(b[6])) | quint32(uchar(b[7])) << 8 | quint32(uchar(b[8])) << 16 |
                        quint32(uchar(b[9])) << 24;
    if (qint64(len) > b.size() - 10 || len < 1) return false;
    const QByteArray payload = b.mid(10, int(len));
    const int n = uchar(payload[0]);
    if (n + 1 > payload.size()) return false;
    const QString cls = QString::fromLatin1(payload.mid(1, n));
    QByteArray img = payload.mid(1 + n);
    if (cls == QLatin1String("TBitmap") && img.size() >= 4 && !img.startsWith("BM")) img = img.mid(4);
    if (image) *image = img;
    if (className) *className = cls;
    return true;
}

QString encodePicturePropData(const QByteArray& image, const QString& className) {
    const QString cls = className.isEmpty() ? pictureClassFor(image) : className;
    QByteArray payload;
    const QByteArray name = cls.toLatin1();
    payload += char(name.size());
    payload += name;
    if (cls == QLatin1String("TBitmap")) {
        const quint32 size = quint32(image.size());
        for (int i = 0; i < 4; ++i) payload += char((size >> (8 * i)) & 0xFF);
    }
    payload += image;
    QByteArray b;
    b += char(4);
    b += "Data";
    b += char(0x0A);
    const quint32 len = quint32(payload.size());
    for (int i = 0; i < 4; ++i) b += char((len >> (8 * i)) & 0xFF);
    b += payload;
    return QString::fromLatin1(b.toHex().toUpper());
}

// --- generic XML tree --------------------------------------------------------------------------------

static bool readNode(QXmlStreamReader& xml, XmlNode& node) {
    node.name = xml.name().toString();
    for (const auto& a : xml.attributes())
        node.attributes.append({a.qualifiedName().toString(), a.value().toString()});
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            XmlNode child;
            if (!readNode(xml, child)) return false;
            node.children.append(std::move(child));
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            node.text += xml.text().toString();
        } else if (xml.isEndElement()) {
            return true;
        }
    }
    return !xml.hasError();
}

static QString escapeAttr(const QString& s) {
    QString out;
    out.reserve(s.size() + 8);
    for (QChar c : s) {
        switch (c.unicode()) {
            case '&':
                out += QLatin1String("&#38;");
                break;
            case '"':
                out += QLatin1String("&#34;");
                break;
            case '<':
                out += QLatin1String("&#60;");
                break;
            case '>':
                out += QLatin1String("&#62;");
                break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("&#%1;").arg(int(c.unicode()));
                else
                    out += c;
        }
    }
    return out;
}

static QString escapeText(const QString& s) {
    QString out = s;
    out.replace(QLatin1Char('&'), QLatin1String("&#38;"));
    out.replace(QLatin1Char('<'), QLatin1String("&#60;"));
    out.replace(QLatin1Char('>'), QLatin1String("&#62;"));
    return out;
}

static void writeNode(QString& out, const XmlNode& node, int depth) {
    out += QString(depth * 2, QLatin1Char(' '));
    out += QLatin1Char('<') + node.name;
    for (const auto& a : node.attributes)
        out += QLatin1Char(' ') + a.first + QLatin1String("=\"") + escapeAttr(a.second) + QLatin1Char('"');
    if (node.children.isEmpty() && node.text.isEmpty()) {
        out += QLatin1String("/>\r\n");
        return;
    }
    out += QLatin1Char('>');
    if (!node.text.isEmpty()) out += escapeText(node.text);
    if (!node.children.isEmpty()) {
        out += QLatin1String("\r\n");
        for (const XmlNode& c : node.children) writeNode(out, c, depth + 1);
        out += QString(depth * 2, QLatin1Char(' '));
    }
    out += QLatin1String("</") + node.name + QLatin1String(">\r\n");
}

// --- model from tree ---------------------------------------------------------------------------------

namespace {

// Walks an element's attributes: each known name is handed to its parser, the rest (and known ones whose
// value cannot be read) stay in `extra` in file order.
struct AttrReader {
    Attributes* extra;
    QHash<QString, std::function<bool(const QString&)>> known;

    void add(const char* name, std::function<bool(const QString&)> f) {
        known.insert(QString::fromLatin1(name), std::move(f));
    }
    void num(const char* name, double* v) {
        add(name, [v](const QString& t) {
            auto d = parseFr3Number(t);
            if (d) *v = *d;
            return bool(d);
        });
    }
    void integer(const char* name, int* v) {
        add(name, [v](const QString& t) {
            auto d = parseInt(t);
            if (d) *v = *d;
            return bool(d);
        });
    }
    void boolean(const char* name, bool* v) {
        add(name, [v](const QString& t) {
            auto d = parseBool(t);
            if (d) *v = *d;
            return bool(d);
        });
    }
    void optBool(const char* name, std::optional<bool>* v) {
        add(name, [v](const QString& t) {
            auto d = parseBool(t);
            if (d) *v = *d;
            return bool(d);
        });
    }
    void str(const char* name, QString* v) {
        add(name, [v](const QString& t) {
            *v = t;
            return true;
        });
    }
    void font(FontSpec* f) {
        add("Font.Name", [f](const QString& t) {
            f->name = t;
            return true;
        });
        add("Font.Height", [f](const QString& t) {
            auto d = parseFr3Number(t);
            if (d) f->height = *d;
            return bool(d);
        });
        add("Font.Style", [f](const QString& t) {
            auto d = parseInt(t);
            if (d) f->style = *d;
            return bool(d);
        });
        add("Font.Color", [f](const QString& t) {
            auto d = parseInt(t);
            if (d) f->color = *d;
            return bool(d);
        });
        add("Font.Charset", [f](const QString& t) {
            auto d = parseInt(t);
            if (d) f->charset = *d;
            return bool(d);
        });
    }
    void run(const Attributes& attrs) {
        for (const auto& a : attrs) {
            auto it = known.constFind(a.first);
            if (it == known.constEnd() || !(*it)(a.second)) extra->append(a);
        }
    }
};

}  // namespace

static const QHash<QString, ObjectKind>& objectKinds() {
    static const QHash<QString, ObjectKind> k{
        {QStringLiteral("TfrxMemoView"), ObjectKind::Memo},
        {QStringLiteral("TfrxSysMemoView"), ObjectKind::SysMemo},
        {QStringLiteral("TfrxPictureView"), ObjectKind::Picture},
        {QStringLiteral("TfrxLineView"), ObjectKind::Line},
        {QStringLiteral("TfrxShapeView"), ObjectKind::Shape},
    };
    return k;
}

static const QHash<QString, BandKind>& bandKinds() {
    static const QHash<QString, BandKind> k{
        {QStringLiteral("TfrxReportTitle"), BandKind::ReportTitle},
        {QStringLiteral("TfrxPageHeader"), BandKind::PageHeader},
        {QStringLiteral("TfrxHeader"), BandKind::Header},
        {QStringLiteral("TfrxMasterData"), BandKind::MasterData},
        {QStringLiteral("TfrxChild"), BandKind::Child},
        {QStringLiteral("TfrxFooter"), BandKind::Footer},
        {QStringLiteral("TfrxReportSummary"), BandKind::ReportSummary},
        {QStringLiteral("TfrxPageFooter"), BandKind::PageFooter},
    };
    return k;
}

static ReportObject objectFromNode(const XmlNode& n) {
    ReportObject o;
    auto kind = objectKinds().constFind(n.name);
    if (kind == objectKinds().constEnd()) {
        o.kind = ObjectKind::Unknown;
        o.raw = n;
        for (const auto& a : n.attributes)
            if (a.first == QLatin1String("Name")) o.name = a.second;
        return o;
    }
    o.kind = *kind;
    AttrReader r{&o.extra, {}};
    r.str("Name", &o.name);
    r.num("Left", &o.left);
    r.num("Top", &o.top);
    r.num("Width", &o.width);
    r.num("Height", &o.height);
    r.boolean("Visible", &o.visible);
    r.add("Frame.Typ", [&](const QString& t) {
        if (auto v = parseInt(t)) return o.frame.typ = *v, true;
        // Newer files spell the sides as a set: "ftLeft, ftRight, ftTop, ftBottom".
        static const QHash<QString, int> sides{{"ftLeft", Frame::Left},
                                               {"ftRight", Frame::Right},
                                               {"ftTop", Frame::Top},
                                               {"ftBottom", Frame::Bottom}};
        int typ = 0;
        for (const QString& part : t.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            auto it = sides.constFind(part.trimmed());
            if (it == sides.constEnd()) return false;
            typ |= *it;
        }
        return o.frame.typ = typ, true;
    });
    r.num("Frame.Width", &o.frame.width);
    r.integer("Frame.Color", &o.frame.color);
    r.str("Frame.Style", &o.frame.style);
    r.integer("Fill.BackColor", &o.fillColor);
    r.integer("Color", &o.fillColor);
    if (o.kind == ObjectKind::Memo || o.kind == ObjectKind::SysMemo) {
        // Text wins over the older forms when a file has several.
        QString text, memoText, utf8, utf8w;
        bool hasText = false, hasMemo = false, hasUtf8 = false, hasUtf8w = false;
        r.add("Text", [&](const QString& t) { return text = t, hasText = true; });
        r.add("Memo.Text", [&](const QString& t) { return memoText = t, hasMemo = true; });
        r.add("Memo.UTF8", [&](const QString& t) { return utf8 = t, hasUtf8 = true; });
        r.add("Memo.UTF8W", [&](const QString& t) { return utf8w = t, hasUtf8w = true; });
        r.font(&o.font);
        r.optBool("ParentFont", &o.parentFont);
        r.add("HAlign", [&](const QString& t) {
            static const QHash<QString, HAlign> m{{"haLeft", HAlign::Left},
                                                  {"haCenter", HAlign::Center},
                                                  {"haRight", HAlign::Right},
                                                  {"haBlock", HAlign::Block}};
            auto it = m.constFind(t);
            if (it != m.constEnd()) o.hAlign = *it;
            return it != m.constEnd();
        });
        r.add("VAlign", [&](const QString& t) {
            static const QHash<QString, VAlign> m{
                {"vaTop", VAlign::Top}, {"vaCenter", VAlign::Center}, {"vaBottom", VAlign::Bottom}};
            auto it = m.constFind(t);
            if (it != m.constEnd()) o.vAlign = *it;
            return it != m.constEnd();
        });
        r.boolean("WordWrap", &o.wordWrap);
        r.num("GapX", &o.gapX);
        r.num("GapY", &o.gapY);
        r.boolean("AutoWidth", &o.autoWidth);
        r.add("Rotation", [&](const QString& t) {
            auto d = parseInt(t);
            if (d) o.rotation = *d;
            return bool(d);
        });
        r.boolean("HideZeros", &o.hideZeros);
        r.num("CharSpacing", &o.charSpacing);
        r.num("LineSpacing", &o.lineSpacing);
        r.str("DisplayFormat.Kind", &o.displayFormat.kind);
        r.str("DisplayFormat.FormatStr", &o.displayFormat.formatStr);
        r.str("DisplayFormat.DecimalSeparator", &o.displayFormat.decimalSeparator);
        r.run(n.attributes);
        o.text = hasText ? text : hasMemo ? memoText : hasUtf8w ? utf8w : utf8;
        (void)hasUtf8;
    } else {
        if (o.kind == ObjectKind::Picture) {
            r.boolean("Stretched", &o.stretched);
            r.boolean("KeepAspectRatio", &o.keepAspectRatio);
            r.boolean("Center", &o.center);
            r.add("Picture.PropData",
                  [&](const QString& t) { return decodePicturePropData(t, &o.picture, &o.pictureClass); });
        } else if (o.kind == ObjectKind::Line) {
            r.boolean("Diagonal", &o.diagonal);
        } else if (o.kind == ObjectKind::Shape) {
            r.str("Shape", &o.shape);
            r.num("Curve", &o.curve);
        }
        r.run(n.attributes);
    }
    o.extraChildren = n.children;
    return o;
}

static Band bandFromNode(const XmlNode& n) {
    Band b;
    auto kind = bandKinds().constFind(n.name);
    if (kind == bandKinds().constEnd()) {
        b.kind = BandKind::Unknown;
        b.raw = n;
        for (const auto& a : n.attributes)
            if (a.first == QLatin1String("Name")) b.name = a.second;
        return b;
    }
    b.kind = *kind;
    AttrReader r{&b.extra, {}};
    r.str("Name", &b.name);
    r.num("Left", &b.left);
    r.num("Top", &b.top);
    r.num("Width", &b.width);
    r.num("Height", &b.height);
    r.boolean("Visible", &b.visible);
    r.str("Child", &b.child);
    r.str("DataSetName", &b.dataSetName);
    r.integer("RowCount", &b.rowCount);
    r.boolean("StartNewPage", &b.startNewPage);
    r.boolean("PrintOnFirstPage", &b.printOnFirstPage);
    r.boolean("PrintOnLastPage", &b.printOnLastPage);
    r.integer("ToNRows", &b.toNRows);
    r.str("ToNRowsMode", &b.toNRowsMode);
    r.boolean("Stretched", &b.stretched);
    r.font(&b.font);
    r.optBool("ParentFont", &b.parentFont);
    r.run(n.attributes);
    for (const XmlNode& c : n.children) {
        if (objectKinds().contains(c.name) || c.name.startsWith(QLatin1String("Tfrx")))
            b.objects.append(objectFromNode(c));
        else
            b.extraChildren.append(c);
    }
    return b;
}

static Page pageFromNode(const XmlNode& n) {
    Page p;
    AttrReader r{&p.extra, {}};
    r.str("Name", &p.name);
    r.num("PaperWidth", &p.paperWidth);
    r.num("PaperHeight", &p.paperHeight);
    r.integer("PaperSize", &p.paperSize);
    r.add("Orientation", [&](const QString& t) {
        if (t == QLatin1String("poLandscape")) return p.landscape = true, true;
        if (t == QLatin1String("poPortrait")) return p.landscape = false, true;
        return false;
    });
    r.num("LeftMargin", &p.leftMargin);
    r.num("RightMargin", &p.rightMargin);
    r.num("TopMargin", &p.topMargin);
    r.num("BottomMargin", &p.bottomMargin);
    r.font(&p.font);
    r.run(n.attributes);
    for (const XmlNode& c : n.children) {
        if (objectKinds().contains(c.name))
            p.objects.append(objectFromNode(c));
        else if (c.name.startsWith(QLatin1String("Tfrx")))
            p.bands.append(bandFromNode(c));
        else
            p.extraChildren.append(c);
    }
    return p;
}

std::optional<Template> readFr3(const QByteArray& bytes, QString* error) {
    QXmlStreamReader xml(decodeTemplateBytes(bytes));
    XmlNode root;
    bool found = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            found = readNode(xml, root);
            break;
        }
    }
    if (xml.hasError() || !found) {
        if (error)
            *error = xml.hasError() ? QStringLiteral("第 %1 行第 %2 列：%3")
                                          .arg(xml.lineNumber())
                                          .arg(xml.columnNumber())
                                          .arg(xml.errorString())
                                    : QStringLiteral("文件是空的");
        return std::nullopt;
    }
    if (root.name != QLatin1String("TfrxReport")) {
        if (error) *error = QStringLiteral("根元素是 %1，不是 TfrxReport").arg(root.name);
        return std::nullopt;
    }
    Template t;
    t.rootAttributes = root.attributes;
    for (const XmlNode& c : root.children) {
        if (c.name == QLatin1String("Datasets") && c.attributes.isEmpty() && !t.hasDatasetsElement) {
            t.hasDatasetsElement = true;
            for (const XmlNode& item : c.children) {
                DatasetRef d;
                for (const auto& a : item.attributes) {
                    if (a.first == QLatin1String("DataSet")) d.dataSet = a.second;
                    if (a.first == QLatin1String("DataSetName")) d.dataSetName = a.second;
                }
                t.datasets.append(d);
            }
        } else if (c.name == QLatin1String("TfrxReportPage")) {
            t.pages.append(pageFromNode(c));
        } else if (t.pages.isEmpty()) {
            t.beforePages.append(c);
        } else {
            t.afterPages.append(c);
        }
    }
    return t;
}

std::optional<Template> loadFr3(const QString& path, QString* error) {
    const QString shown = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        if (error) *error = QStringLiteral("找不到报表格式文件“%1”。").arg(shown);
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("无法读取报表格式文件“%1”：%2").arg(shown, f.errorString());
        return std::nullopt;
    }
    QString why;
    auto t = readFr3(f.readAll(), &why);
    if (!t && error) *error = QStringLiteral("报表格式文件“%1”不是有效的报表模板（%2）。").arg(shown, why);
    return t;
}

// --- tree from model ----------------------------------------------------------------------------------

namespace {
struct AttrWriter {
    Attributes a;
    void s(const char* n, const QString& v) { a.append({QString::fromLatin1(n), v}); }
    void num(const char* n, double v) { s(n, formatFr3Number(v)); }
    void integer(const char* n, int v) { s(n, QString::number(v)); }
    void font(const FontSpec& f) {
        if (f.charset) integer("Font.Charset", *f.charset);
        if (f.color) integer("Font.Color", *f.color);
        if (f.height) num("Font.Height", *f.height);
        if (f.name) s("Font.Name", *f.name);
        if (f.style) integer("Font.Style", *f.style);
    }
};
}  // namespace

static XmlNode objectToNode(const ReportObject& o) {
    if (o.kind == ObjectKind::Unknown) return o.raw;
    XmlNode n;
    n.name = o.elementName();
    AttrWriter w;
    w.s("Name", o.name);
    w.num("Left", o.left);
    w.num("Top", o.top);
    w.num("Width", o.width);
    w.num("Height", o.height);
    if (!o.visible) w.s("Visible", boolText(false));
    const bool memo = o.kind == ObjectKind::Memo || o.kind == ObjectKind::SysMemo;
    if (memo) {
        if (o.autoWidth) w.s("AutoWidth", boolText(true));
        if (o.charSpacing != 0) w.num("CharSpacing", o.charSpacing);
        if (!o.displayFormat.decimalSeparator.isEmpty())
            w.s("DisplayFormat.DecimalSeparator", o.displayFormat.decimalSeparator);
        if (!o.displayFormat.formatStr.isEmpty()) w.s("DisplayFormat.FormatStr", o.displayFormat.formatStr);
        if (!o.displayFormat.kind.isEmpty()) w.s("DisplayFormat.Kind", o.displayFormat.kind);
        w.font(o.font);
    }
    if (o.frame.color != 0) w.integer("Frame.Color", o.frame.color);
    if (o.frame.style != QLatin1String("fsSolid")) w.s("Frame.Style", o.frame.style);
    if (o.frame.typ != 0) w.integer("Frame.Typ", o.frame.typ);
    if (o.frame.width != 1) w.num("Frame.Width", o.frame.width);
    if (o.fillColor != kColorNone) w.integer("Fill.BackColor", o.fillColor);
    if (memo) {
        if (o.gapX != 2) w.num("GapX", o.gapX);
        if (o.gapY != 1) w.num("GapY", o.gapY);
        static const char* ha[] = {"haLeft", "haCenter", "haRight", "haBlock"};
        static const char* va[] = {"vaTop", "vaCenter", "vaBottom"};
        if (o.hAlign != HAlign::Left) w.s("HAlign", QString::fromLatin1(ha[int(o.hAlign)]));
        if (o.hideZeros) w.s("HideZeros", boolText(true));
        if (o.lineSpacing != 2) w.num("LineSpacing", o.lineSpacing);
        if (o.parentFont) w.s("ParentFont", boolText(*o.parentFont));
        if (o.rotation != 0) w.integer("Rotation", o.rotation);
        w.s("Text", o.text);
        if (o.vAlign != VAlign::Top) w.s("VAlign", QString::fromLatin1(va[int(o.vAlign)]));
        if (!o.wordWrap) w.s("WordWrap", boolText(false));
    } else if (o.kind == ObjectKind::Picture) {
        if (o.center) w.s("Center", boolText(true));
        if (!o.keepAspectRatio) w.s("KeepAspectRatio", boolText(false));
        if (!o.stretched) w.s("Stretched", boolText(false));
        if (!o.picture.isEmpty()) w.s("Picture.PropData", encodePicturePropData(o.picture, o.pictureClass));
    } else if (o.kind == ObjectKind::Line) {
        if (o.diagonal) w.s("Diagonal", boolText(true));
    } else if (o.kind == ObjectKind::Shape) {
        if (o.curve != 0) w.num("Curve", o.curve);
        if (o.shape != QLatin1String("skRectangle")) w.s("Shape", o.shape);
    }
    n.attributes = w.a + o.extra;
    n.children = o.extraChildren;
    return n;
}

static XmlNode bandToNode(const Band& b) {
    if (b.kind == BandKind::Unknown) return b.raw;
    XmlNode n;
    n.name = b.elementName();
    AttrWriter w;
    w.s("Name", b.name);
    w.num("Left", b.left);
    w.num("Top", b.top);
    w.num("Width", b.width);
    w.num("Height", b.height);
    if (!b.visible) w.s("Visible", boolText(false));
    if (!b.child.isEmpty()) w.s("Child", b.child);
    if (!b.dataSetName.isEmpty()) w.s("DataSetName", b.dataSetName);
    w.font(b.font);
    if (b.parentFont) w.s("ParentFont", boolText(*b.parentFont));
    if (!b.printOnFirstPage) w.s("PrintOnFirstPage", boolText(false));
    if (!b.printOnLastPage) w.s("PrintOnLastPage", boolText(false));
    if (b.rowCount != 0) w.integer("RowCount", b.rowCount);
    if (b.startNewPage) w.s("StartNewPage", boolText(true));
    if (b.stretched) w.s("Stretched", boolText(true));
    if (b.toNRows != 0) w.integer("ToNRows", b.toNRows);
    if (b.toNRowsMode != QLatin1String("rmCount")) w.s("ToNRowsMode", b.toNRowsMode);
    n.attributes = w.a + b.extra;
    for (const ReportObject& o : b.objects) n.children.append(objectToNode(o));
    n.children += b.extraChildren;
    return n;
}

static XmlNode pageToNode(const Page& p) {
    XmlNode n;
    n.name = QStringLiteral("TfrxReportPage");
    AttrWriter w;
    w.s("Name", p.name);
    w.font(p.font);
    if (p.landscape) w.s("Orientation", QStringLiteral("poLandscape"));
    w.num("PaperWidth", p.paperWidth);
    w.num("PaperHeight", p.paperHeight);
    w.integer("PaperSize", p.paperSize);
    w.num("LeftMargin", p.leftMargin);
    w.num("RightMargin", p.rightMargin);
    w.num("TopMargin", p.topMargin);
    w.num("BottomMargin", p.bottomMargin);
    n.attributes = w.a + p.extra;
    for (const Band& b : p.bands) n.children.append(bandToNode(b));
    for (const ReportObject& o : p.objects) n.children.append(objectToNode(o));
    n.children += p.extraChildren;
    return n;
}

QByteArray writeFr3(const Template& t) {
    XmlNode root;
    root.name = QStringLiteral("TfrxReport");
    root.attributes = t.rootAttributes;
    if (t.hasDatasetsElement || !t.datasets.isEmpty()) {
        XmlNode ds;
        ds.name = QStringLiteral("Datasets");
        for (const DatasetRef& d : t.datasets)
            ds.children.append(
                {QStringLiteral("item"), {{"DataSet", d.dataSet}, {"DataSetName", d.dataSetName}}, {}, {}});
        root.children.append(ds);
    }
    root.children += t.beforePages;
    for (const Page& p : t.pages) root.children.append(pageToNode(p));
    root.children += t.afterPages;
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n");
    writeNode(out, root, 0);
    return out.toUtf8();
}

bool saveFr3(const Template& t, const QString& path, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(writeFr3(t)) < 0 || !f.commit()) {
        if (error)
            *error = QStringLiteral("无法保存报表格式文件“%1”：%2")
                         .arg(QFileInfo(path).absoluteFilePath(), f.errorString());
        return false;
    }
    return true;
}

}  // namespace printing
