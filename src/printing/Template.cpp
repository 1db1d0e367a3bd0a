#include "printing/Template.h"

namespace printing {

bool XmlNode::operator==(const XmlNode& o) const {
    return name == o.name && attributes == o.attributes && children == o.children && text == o.text;
}

ResolvedFont resolveFont(const ResolvedFont& parent, const FontSpec& own, std::optional<bool> parentFont) {
    // ParentFont="False" without Font.* means the default font, not the parent's.
    ResolvedFont f = (parentFont && !*parentFont) ? ResolvedFont{} : parent;
    if (own.name && !own.name->isEmpty()) f.name = *own.name;
    if (own.height && *own.height != 0) f.pointSize = std::abs(*own.height) * 72.0 / 96.0;
    if (own.style) f.style = *own.style;
    if (own.color) f.color = *own.color;
    if (own.charset) f.charset = *own.charset;
    return f;
}

static QString extraOf(const Attributes& extra, const QString& attr, const QString& def) {
    for (const auto& a : extra)
        if (a.first.compare(attr, Qt::CaseInsensitive) == 0) return a.second;
    return def;
}

QString ReportObject::elementName() const {
    switch (kind) {
        case ObjectKind::Memo:
            return QStringLiteral("TfrxMemoView");
        case ObjectKind::SysMemo:
            return QStringLiteral("TfrxSysMemoView");
        case ObjectKind::Picture:
            return QStringLiteral("TfrxPictureView");
        case ObjectKind::Line:
            return QStringLiteral("TfrxLineView");
        case ObjectKind::Shape:
            return QStringLiteral("TfrxShapeView");
        case ObjectKind::Unknown:
            break;
    }
    return raw.name;
}

QString ReportObject::extraValue(const QString& attr, const QString& def) const {
    return extraOf(extra, attr, def);
}

QString Band::elementName() const {
    switch (kind) {
        case BandKind::ReportTitle:
            return QStringLiteral("TfrxReportTitle");
        case BandKind::PageHeader:
            return QStringLiteral("TfrxPageHeader");
        case BandKind::Header:
            return QStringLiteral("TfrxHeader");
        case BandKind::MasterData:
            return QStringLiteral("TfrxMasterData");
        case BandKind::Child:
            return QStringLiteral("TfrxChild");
        case BandKind::Footer:
            return QStringLiteral("TfrxFooter");
        case BandKind::ReportSummary:
            return QStringLiteral("TfrxReportSummary");
        case BandKind::PageFooter:
            return QStringLiteral("TfrxPageFooter");
        case BandKind::Unknown:
            break;
    }
    return raw.name;
}

QString Band::extraValue(const QString& attr, const QString& def) const {
    return extraOf(extra, attr, def);
}

QString Template::rootAttribute(const QString& name) const {
    return extraOf(rootAttributes, name, {});
}

const ReportObject* Template::findObject(const QString& name) const {
    return const_cast<Template*>(this)->findObject(name);
}

ReportObject* Template::findObject(const QString& name) {
    if (name.isEmpty()) return nullptr;
    for (Page& p : pages) {
        for (Band& b : p.bands)
            for (ReportObject& o : b.objects)
                if (o.kind != ObjectKind::Unknown && o.name.compare(name, Qt::CaseInsensitive) == 0)
                    return &o;
        for (ReportObject& o : p.objects)
            if (o.kind != ObjectKind::Unknown && o.name.compare(name, Qt::CaseInsensitive) == 0) return &o;
    }
    return nullptr;
}

const Band* Template::findBand(const QString& name) const {
    return const_cast<Template*>(this)->findBand(name);
}

Band* Template::findBand(const QString& name) {
    if (name.isEmpty()) return nullptr;
    for (Page& p : pages)
        for (Band& b : p.bands)
            if (b.kind != BandKind::Unknown && b.name.compare(name, Qt::CaseInsensitive) == 0) return &b;
    return nullptr;
}

}  // namespace printing
