#include "printing/DesignerModel.h"

#include "printing/Fr3.h"
#include "printing/Report.h"

#include <algorithm>
#include <cmath>

namespace printing {

DesignerModel::DesignerModel(Template tpl, const QString& fileName)
    : tpl_(std::move(tpl)), fileName_(fileName) {}

bool DesignerModel::load(const QString& path, QString* error) {
    auto t = loadFr3(path, error);
    if (!t) return false;
    tpl_ = std::move(*t);
    fileName_ = path;
    selection_.clear();
    modified_ = false;
    return true;
}

bool DesignerModel::save(QString* error) {
    return saveAs(fileName_, error);
}

bool DesignerModel::saveAs(const QString& path, QString* error) {
    if (!saveFr3(tpl_, path, error)) return false;
    fileName_ = path;
    modified_ = false;
    return true;
}

bool DesignerModel::isRequiredObject(const QString& name) {
    return deliveryNoteObjects().contains(name, Qt::CaseInsensitive);
}

QString DesignerModel::bandOf(const QString& objectName) const {
    for (const Page& p : tpl_.pages)
        for (const Band& b : p.bands)
            for (const ReportObject& o : b.objects)
                if (o.name.compare(objectName, Qt::CaseInsensitive) == 0) return b.name;
    return {};
}

QRectF DesignerModel::geometryMm(const QString& name) const {
    const ReportObject* o = object(name);
    if (!o) return {};
    return {unitsToMm(o->left), unitsToMm(o->top), unitsToMm(o->width), unitsToMm(o->height)};
}

ResolvedFont DesignerModel::font(const QString& name) const {
    for (const Page& p : tpl_.pages) {
        const ResolvedFont pageFont = resolveFont(ResolvedFont{}, p.font, std::nullopt);
        for (const ReportObject& o : p.objects)
            if (o.name.compare(name, Qt::CaseInsensitive) == 0)
                return resolveFont(pageFont, o.font, o.parentFont);
        for (const Band& b : p.bands) {
            const ResolvedFont bandFont = resolveFont(pageFont, b.font, b.parentFont);
            for (const ReportObject& o : b.objects)
                if (o.name.compare(name, Qt::CaseInsensitive) == 0)
                    return resolveFont(bandFont, o.font, o.parentFont);
        }
    }
    return {};
}

void DesignerModel::select(const QStringList& names) {
    selection_.clear();
    for (const QString& n : names) addToSelection(n);
}

void DesignerModel::addToSelection(const QString& name) {
    const ReportObject* o = object(name);
    if (o && !selection_.contains(o->name)) selection_ << o->name;
}

bool DesignerModel::changed(bool really) {
    if (really) modified_ = true;
    return true;
}

void DesignerModel::moveSelected(double dxMm, double dyMm) {
    for (const QString& n : selection_) move(n, dxMm, dyMm);
}

bool DesignerModel::move(const QString& name, double dxMm, double dyMm) {
    ReportObject* o = find(name);
    if (!o) return false;
    o->left += mmToUnits(dxMm);
    o->top += mmToUnits(dyMm);
    return changed(dxMm != 0 || dyMm != 0);
}

static bool keepsPositiveSize(const ReportObject& o) {
    return o.kind != ObjectKind::Line;  // lines may run up or left (negative sizes)
}

bool DesignerModel::resize(const QString& name, double dwMm, double dhMm) {
    ReportObject* o = find(name);
    if (!o) return false;
    const QRectF g = geometryMm(name);
    return setGeometryMm(name, QRectF(g.x(), g.y(), g.width() + dwMm, g.height() + dhMm));
}

bool DesignerModel::setGeometryMm(const QString& name, const QRectF& mm) {
    ReportObject* o = find(name);
    if (!o) return false;
    double w = mm.width(), h = mm.height();
    if (keepsPositiveSize(*o)) {
        w = std::max(0.0, w);
        h = std::max(0.0, h);
    }
    const QRectF before = geometryMm(name);
    const auto same = [](double a, double b) { return std::abs(a - b) < 1e-9; };
    if (same(before.x(), mm.x()) && same(before.y(), mm.y()) && same(before.width(), w) &&
        same(before.height(), h))
        return true;
    o->left = mmToUnits(mm.x());
    o->top = mmToUnits(mm.y());
    o->width = mmToUnits(w);
    o->height = mmToUnits(h);
    return changed(true);
}

bool DesignerModel::setText(const QString& name, const QString& text) {
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->text != text;
    o->text = text;
    return changed(diff);
}

void DesignerModel::ownFont(ReportObject& o, const QString& name) {
    const ResolvedFont f = font(name);
    o.font.name = f.name;
    o.font.height = -f.pointSize * 96.0 / 72.0;
    o.font.style = f.style;
    o.font.color = f.color;
    o.font.charset = f.charset;
    o.parentFont = false;
}

bool DesignerModel::setFontSize(const QString& name, double points) {
    ReportObject* o = find(name);
    if (!o) return false;
    if (points <= 0 || std::abs(font(name).pointSize - points) < 1e-9) return true;
    ownFont(*o, name);
    o->font.height = -points * 96.0 / 72.0;
    return changed(true);
}

bool DesignerModel::setBold(const QString& name, bool bold) {
    ReportObject* o = find(name);
    if (!o) return false;
    if (font(name).bold() == bold) return true;
    ownFont(*o, name);
    o->font.style = bold ? (*o->font.style | 1) : (*o->font.style & ~1);
    return changed(true);
}

bool DesignerModel::setFontName(const QString& name, const QString& family) {
    ReportObject* o = find(name);
    if (!o) return false;
    if (family.isEmpty() || font(name).name == family) return true;
    ownFont(*o, name);
    o->font.name = family;
    return changed(true);
}

bool DesignerModel::setHAlign(const QString& name, HAlign a) {
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->hAlign != a;
    o->hAlign = a;
    return changed(diff);
}

bool DesignerModel::setVAlign(const QString& name, VAlign a) {
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->vAlign != a;
    o->vAlign = a;
    return changed(diff);
}

bool DesignerModel::setWordWrap(const QString& name, bool wrap) {
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->wordWrap != wrap;
    o->wordWrap = wrap;
    return changed(diff);
}

bool DesignerModel::setFrame(const QString& name, int sides, double widthMm) {
    ReportObject* o = find(name);
    if (!o) return false;
    sides &= Frame::All;
    const double width = mmToUnits(std::max(0.0, widthMm));
    const bool diff = o->frame.typ != sides || std::abs(o->frame.width - width) > 1e-9;
    o->frame.typ = sides;
    o->frame.width = width;
    return changed(diff);
}

bool DesignerModel::setBandHeight(const QString& bandName, double mm) {
    Band* b = tpl_.findBand(bandName);
    if (!b) return false;
    const double h = mmToUnits(std::max(0.0, mm));
    const bool diff = std::abs(b->height - h) > 1e-9;
    b->height = h;
    return changed(diff);
}

QString DesignerModel::rename(const QString& name, const QString& newName) {
    ReportObject* o = find(name);
    if (!o) return QStringLiteral("没有名为 %1 的对象。").arg(name);
    if (isRequiredObject(o->name))
        return QStringLiteral("%1 是打印送货单必需的对象，不能改名。").arg(o->name);
    const QString n = newName.trimmed();
    if (n.isEmpty()) return QStringLiteral("对象名称不能为空。");
    if (n.compare(o->name, Qt::CaseInsensitive) == 0) {
        o->name = n;
        return {};
    }
    if (isRequiredObject(n) || tpl_.findObject(n) || tpl_.findBand(n))
        return QStringLiteral("名称 %1 已被使用。").arg(n);
    const qsizetype sel = selection_.indexOf(o->name);
    if (sel >= 0) selection_[sel] = n;
    o->name = n;
    changed(true);
    return {};
}

QString DesignerModel::remove(const QString& name) {
    const ReportObject* target = find(name);
    if (!target) return QStringLiteral("没有名为 %1 的对象。").arg(name);
    if (isRequiredObject(target->name))
        return QStringLiteral("%1 是打印送货单必需的对象，不能删除。").arg(target->name);
    const QString exact = target->name;
    const auto drop = [&](QList<ReportObject>& objects) {
        for (qsizetype i = 0; i < objects.size(); ++i)
            if (objects[i].name == exact) {
                objects.removeAt(i);
                return true;
            }
        return false;
    };
    for (Page& p : tpl_.pages) {
        bool done = drop(p.objects);
        for (Band& b : p.bands)
            if (!done) done = drop(b.objects);
        if (done) break;
    }
    selection_.removeAll(exact);
    changed(true);
    return {};
}

}  // namespace printing
