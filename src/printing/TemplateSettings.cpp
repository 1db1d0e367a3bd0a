#include "printing/TemplateSettings.h"

#include "printing/Fr3.h"

#include <QLineF>
#include <cmath>

// The element, one child of the report's root after the pages:
//
//   <DeliveryNoteSettings Version="1">
//     <Printer Name="Printer A" OffsetX="1.5" OffsetY="-0.5" ScaleY="1.002"/>
//     <Background ShowInPreview="True" Encoding="base64"
//                 ImageX1=".." ImageY1=".." ImageX2=".." ImageY2=".."
//                 PaperX1=".." PaperY1=".." PaperX2=".." PaperY2="..">iVBORw0KGgo...</Background>
//   </DeliveryNoteSettings>
//
// Offsets and paper points are millimetres, image points pixels of the picture, "." as decimal
// separator. The reference points are written only when the user set them. The picture's bytes are
// base64 text (Encoding="hex": hex digits).

namespace printing {

namespace {

const QString kElement = QStringLiteral("DeliveryNoteSettings");
const QString kPrinter = QStringLiteral("Printer");
const QString kBackground = QStringLiteral("Background");

// The smallest distance between the two image points (pixels) that still gives a usable scale.
constexpr double kMinReferenceDistance = 1e-6;

QString attr(const XmlNode& n, const QString& name) {
    for (const Attribute& a : n.attributes)
        if (a.first.compare(name, Qt::CaseInsensitive) == 0) return a.second;
    return {};
}

std::optional<double> number(const XmlNode& n, const QString& name) {
    auto v = parseFr3Number(attr(n, name).trimmed());
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

bool boolean(const XmlNode& n, const QString& name, bool def) {
    const QString v = attr(n, name).trimmed();
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || v == QLatin1String("1")) return true;
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || v == QLatin1String("0")) return false;
    return def;
}

std::optional<PrinterAdjustment> printerFromNode(const XmlNode& n) {
    PrinterAdjustment a;
    a.printer = attr(n, QStringLiteral("Name")).trimmed();
    if (a.printer.isEmpty()) return std::nullopt;
    a.dxMm = number(n, QStringLiteral("OffsetX")).value_or(0);
    a.dyMm = number(n, QStringLiteral("OffsetY")).value_or(0);
    const double scale = number(n, QStringLiteral("ScaleY")).value_or(1);
    a.yScale = scale > 0 ? scale : 1;
    return a;
}

std::optional<BackgroundPicture> backgroundFromNode(const XmlNode& n) {
    BackgroundPicture b;
    const QByteArray text = n.text.trimmed().toLatin1();
    if (attr(n, QStringLiteral("Encoding")).compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
        b.image = QByteArray::fromHex(text);
    } else {
        auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded) b.image = *decoded;
    }
    if (b.image.isEmpty()) return std::nullopt;
    b.showInPreview = boolean(n, QStringLiteral("ShowInPreview"), false);

    auto x1 = number(n, QStringLiteral("ImageX1")), y1 = number(n, QStringLiteral("ImageY1"));
    auto x2 = number(n, QStringLiteral("ImageX2")), y2 = number(n, QStringLiteral("ImageY2"));
    auto px1 = number(n, QStringLiteral("PaperX1")), py1 = number(n, QStringLiteral("PaperY1"));
    auto px2 = number(n, QStringLiteral("PaperX2")), py2 = number(n, QStringLiteral("PaperY2"));
    if (x1 && y1 && x2 && y2 && px1 && py1 && px2 && py2) {
        b.hasReferencePoints = true;
        b.imagePoint1 = {*x1, *y1};
        b.imagePoint2 = {*x2, *y2};
        b.paperPoint1 = {*px1, *py1};
        b.paperPoint2 = {*px2, *py2};
    }
    return b;
}

XmlNode printerToNode(const PrinterAdjustment& a) {
    XmlNode n;
    n.name = kPrinter;
    n.attributes = {{QStringLiteral("Name"), a.printer},
                    {QStringLiteral("OffsetX"), formatFr3Number(a.dxMm)},
                    {QStringLiteral("OffsetY"), formatFr3Number(a.dyMm)},
                    {QStringLiteral("ScaleY"), formatFr3Number(a.yScale)}};
    return n;
}

XmlNode backgroundToNode(const BackgroundPicture& b) {
    XmlNode n;
    n.name = kBackground;
    n.attributes = {
        {QStringLiteral("ShowInPreview"), b.showInPreview ? QStringLiteral("True") : QStringLiteral("False")},
        {QStringLiteral("Encoding"), QStringLiteral("base64")}};
    if (b.hasReferencePoints) {
        auto add = [&](const char* name, double v) {
            n.attributes.append({QString::fromLatin1(name), formatFr3Number(v)});
        };
        add("ImageX1", b.imagePoint1.x());
        add("ImageY1", b.imagePoint1.y());
        add("ImageX2", b.imagePoint2.x());
        add("ImageY2", b.imagePoint2.y());
        add("PaperX1", b.paperPoint1.x());
        add("PaperY1", b.paperPoint1.y());
        add("PaperX2", b.paperPoint2.x());
        add("PaperY2", b.paperPoint2.y());
    }
    n.text = QString::fromLatin1(b.image.toBase64());
    return n;
}

bool isOurElement(const XmlNode& n) {
    return n.name == kElement;
}

}  // namespace

QTransform BackgroundPicture::imageToPaper(QSizeF imageSize, double paperWidthMm) const {
    if (hasReferencePoints) {
        const double imageDistance = QLineF(imagePoint1, imagePoint2).length();
        const double paperDistance = QLineF(paperPoint1, paperPoint2).length();
        if (imageDistance > kMinReferenceDistance && paperDistance > 0 && std::isfinite(paperDistance)) {
            const double s = paperDistance / imageDistance;
            // paper = image * s + (paperPoint1 - imagePoint1 * s)
            return QTransform(s, 0, 0, s, paperPoint1.x() - imagePoint1.x() * s,
                              paperPoint1.y() - imagePoint1.y() * s);
        }
    }
    if (imageSize.width() <= 0 || paperWidthMm <= 0) return QTransform();
    const double s = paperWidthMm / imageSize.width();
    return QTransform::fromScale(s, s);
}

PrinterAdjustment TemplateSettings::adjustmentFor(const QString& printer) const {
    const QString name = printer.trimmed();
    for (const PrinterAdjustment& a : printers)
        if (a.printer.compare(name, Qt::CaseInsensitive) == 0) return a;
    PrinterAdjustment identity;
    identity.printer = printer;
    return identity;
}

void TemplateSettings::setAdjustment(const PrinterAdjustment& adjustment) {
    PrinterAdjustment a = adjustment;
    a.printer = a.printer.trimmed();
    if (a.printer.isEmpty()) return;
    for (qsizetype i = 0; i < printers.size(); ++i) {
        if (printers[i].printer.compare(a.printer, Qt::CaseInsensitive) == 0) {
            if (a.isIdentity())
                printers.removeAt(i);
            else
                printers[i] = a;
            return;
        }
    }
    if (!a.isIdentity()) printers.append(a);
}

TemplateSettings readSettings(const Template& tpl) {
    TemplateSettings s;
    for (const XmlNode& n : tpl.afterPages) {
        if (!isOurElement(n)) continue;
        for (const XmlNode& c : n.children) {
            if (c.name.compare(kPrinter, Qt::CaseInsensitive) == 0) {
                if (auto a = printerFromNode(c)) s.setAdjustment(*a);
            } else if (c.name.compare(kBackground, Qt::CaseInsensitive) == 0 && !s.background) {
                s.background = backgroundFromNode(c);
            }
        }
        break;  // the first of our elements counts
    }
    return s;
}

void writeSettings(Template& tpl, const TemplateSettings& settings) {
    XmlNode node;
    node.name = kElement;
    node.attributes = {{QStringLiteral("Version"), QStringLiteral("1")}};
    for (const PrinterAdjustment& a : settings.printers)
        if (!a.printer.trimmed().isEmpty() && !a.isIdentity()) node.children.append(printerToNode(a));
    if (settings.background && !settings.background->image.isEmpty())
        node.children.append(backgroundToNode(*settings.background));
    const bool keep = !node.children.isEmpty();

    // Replace our element where it stood; drop any further copies.
    bool placed = false;
    for (qsizetype i = 0; i < tpl.afterPages.size();) {
        if (!isOurElement(tpl.afterPages[i])) {
            ++i;
            continue;
        }
        if (keep && !placed) {
            tpl.afterPages[i] = node;
            placed = true;
            ++i;
        } else {
            tpl.afterPages.removeAt(i);
        }
    }
    if (keep && !placed) tpl.afterPages.append(node);
}

}  // namespace printing
