#include "printing/DesignerModel.h"

#include "printing/Fr3.h"
#include "printing/Report.h"

#include <algorithm>
#include <cmath>

namespace printing {

// Every edit opens one of these first: the outermost one keeps the state before, and records it as an
// undo step when the edit (or the group it belongs to) changed something.
class DesignerModel::Step {
  public:
    explicit Step(DesignerModel& m) : m_(m) { m_.beginGroup(); }
    ~Step() { m_.endGroup(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

  private:
    DesignerModel& m_;
};

namespace {
constexpr qsizetype kMaxUndoSteps = 500;
constexpr double kEdgeToleranceMm = 0.1;
const auto kClipboardMarker = QStringLiteral("DesignerClipboard");
}  // namespace

DesignerModel::DesignerModel(Template tpl, const QString& fileName)
    : tpl_(std::move(tpl)), fileName_(fileName) {}

bool DesignerModel::load(const QString& path, QString* error) {
    auto t = loadFr3(path, error);
    if (!t) return false;
    tpl_ = std::move(*t);
    fileName_ = path;
    selection_.clear();
    modified_ = false;
    undo_.clear();
    redo_.clear();
    groupDepth_ = 0;
    groupChanged_ = false;
    savedAt_ = 0;
    return true;
}

bool DesignerModel::save(QString* error) {
    return saveAs(fileName_, error);
}

bool DesignerModel::saveAs(const QString& path, QString* error) {
    if (!saveFr3(tpl_, path, error)) return false;
    fileName_ = path;
    modified_ = false;
    savedAt_ = undo_.size();
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
    if (really) {
        modified_ = true;
        groupChanged_ = true;
    }
    return true;
}

// --- undo and redo -----------------------------------------------------------------------------------

void DesignerModel::beginGroup() {
    if (groupDepth_++ == 0) {
        groupStart_ = Snapshot{tpl_, selection_};
        groupChanged_ = false;
    }
}

void DesignerModel::endGroup() {
    if (groupDepth_ == 0 || --groupDepth_ > 0) return;
    if (!groupChanged_) {
        groupStart_ = {};  // shares the template's data: let it go before the next edit writes
        return;
    }
    groupChanged_ = false;
    if (savedAt_ > undo_.size()) savedAt_ = -1;  // the saved state was among the redo steps
    redo_.clear();
    undo_.append(std::move(groupStart_));
    groupStart_ = {};
    if (undo_.size() > kMaxUndoSteps) {
        undo_.removeFirst();
        savedAt_ = savedAt_ > 0 ? savedAt_ - 1 : -1;
    }
}

bool DesignerModel::canUndo() const {
    return groupDepth_ == 0 && !undo_.isEmpty();
}

bool DesignerModel::canRedo() const {
    return groupDepth_ == 0 && !redo_.isEmpty();
}

bool DesignerModel::undo() {
    if (!canUndo()) return false;
    redo_.append(Snapshot{tpl_, selection_});
    Snapshot s = undo_.takeLast();
    tpl_ = std::move(s.tpl);
    selection_ = std::move(s.selection);
    modified_ = undo_.size() != savedAt_;
    return true;
}

bool DesignerModel::redo() {
    if (!canRedo()) return false;
    undo_.append(Snapshot{tpl_, selection_});
    Snapshot s = redo_.takeLast();
    tpl_ = std::move(s.tpl);
    selection_ = std::move(s.selection);
    modified_ = undo_.size() != savedAt_;
    return true;
}

// --- edits -----------------------------------------------------------------------------------------

void DesignerModel::moveSelected(double dxMm, double dyMm) {
    Step step(*this);
    for (const QString& n : selection_) move(n, dxMm, dyMm);
}

bool DesignerModel::move(const QString& name, double dxMm, double dyMm) {
    Step step(*this);
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
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    const QRectF g = geometryMm(name);
    return setGeometryMm(name, QRectF(g.x(), g.y(), g.width() + dwMm, g.height() + dhMm));
}

bool DesignerModel::setGeometryMm(const QString& name, const QRectF& mm) {
    Step step(*this);
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
    Step step(*this);
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
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    if (points <= 0 || std::abs(font(name).pointSize - points) < 1e-9) return true;
    ownFont(*o, name);
    o->font.height = -points * 96.0 / 72.0;
    return changed(true);
}

bool DesignerModel::setBold(const QString& name, bool bold) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    if (font(name).bold() == bold) return true;
    ownFont(*o, name);
    o->font.style = bold ? (*o->font.style | 1) : (*o->font.style & ~1);
    return changed(true);
}

bool DesignerModel::setFontName(const QString& name, const QString& family) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    if (family.isEmpty() || font(name).name == family) return true;
    ownFont(*o, name);
    o->font.name = family;
    return changed(true);
}

bool DesignerModel::setHAlign(const QString& name, HAlign a) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->hAlign != a;
    o->hAlign = a;
    return changed(diff);
}

bool DesignerModel::setVAlign(const QString& name, VAlign a) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->vAlign != a;
    o->vAlign = a;
    return changed(diff);
}

bool DesignerModel::setWordWrap(const QString& name, bool wrap) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    const bool diff = o->wordWrap != wrap;
    o->wordWrap = wrap;
    return changed(diff);
}

bool DesignerModel::setFrame(const QString& name, int sides, double widthMm) {
    Step step(*this);
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
    Step step(*this);
    Band* b = tpl_.findBand(bandName);
    if (!b) return false;
    const double h = mmToUnits(std::max(0.0, mm));
    const bool diff = std::abs(b->height - h) > 1e-9;
    b->height = h;
    return changed(diff);
}

QString DesignerModel::rename(const QString& name, const QString& newName) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return QStringLiteral("没有名为 %1 的对象。").arg(name);
    if (isRequiredObject(o->name))
        return QStringLiteral("%1 是打印送货单必需的对象，不能改名。").arg(o->name);
    const QString n = newName.trimmed();
    if (n.isEmpty()) return QStringLiteral("对象名称不能为空。");
    if (n.compare(o->name, Qt::CaseInsensitive) == 0) {
        const qsizetype sel = selection_.indexOf(o->name);
        if (sel >= 0) selection_[sel] = n;
        changed(o->name != n);
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
    Step step(*this);
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

// --- names and bands ---------------------------------------------------------------------------------

static bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// True when an object (of any kind, unknown ones included), a band, a page or one of the seven printed
// objects has the name.
static bool nameInUse(const Template& t, const QString& name) {
    if (DesignerModel::isRequiredObject(name)) return true;
    for (const Page& p : t.pages) {
        if (sameName(p.name, name)) return true;
        for (const ReportObject& o : p.objects)
            if (sameName(o.name, name)) return true;
        for (const Band& b : p.bands) {
            if (sameName(b.name, name)) return true;
            for (const ReportObject& o : b.objects)
                if (sameName(o.name, name)) return true;
        }
    }
    return false;
}

QString DesignerModel::freshName(const QString& prefix) const {
    for (int i = 1;; ++i) {
        const QString n = prefix + QString::number(i);
        if (!nameInUse(tpl_, n)) return n;
    }
}

QList<ReportObject>* DesignerModel::objectsOf(const QString& bandName) {
    if (bandName.isEmpty()) return tpl_.pages.isEmpty() ? nullptr : &tpl_.pages.first().objects;
    Band* b = tpl_.findBand(bandName);
    return b ? &b->objects : nullptr;
}

static QString namePrefix(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Picture:
            return QStringLiteral("Picture");
        case ObjectKind::Line:
            return QStringLiteral("Line");
        case ObjectKind::Shape:
            return QStringLiteral("Shape");
        default:
            return QStringLiteral("Memo");
    }
}

// --- fonts, display format, bands, page ----------------------------------------------------------------

bool DesignerModel::setItalic(const QString& name, bool italic) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    if (font(name).italic() == italic) return true;
    ownFont(*o, name);
    o->font.style = italic ? (*o->font.style | 2) : (*o->font.style & ~2);
    return changed(true);
}

bool DesignerModel::setUnderline(const QString& name, bool underline) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o) return false;
    if (font(name).underline() == underline) return true;
    ownFont(*o, name);
    o->font.style = underline ? (*o->font.style | 4) : (*o->font.style & ~4);
    return changed(true);
}

bool DesignerModel::setDisplayFormat(const QString& name, const DisplayFormat& format) {
    Step step(*this);
    ReportObject* o = find(name);
    if (!o || (o->kind != ObjectKind::Memo && o->kind != ObjectKind::SysMemo)) return false;
    const bool diff = !(o->displayFormat == format);
    o->displayFormat = format;
    return changed(diff);
}

bool DesignerModel::setBandToNRows(const QString& bandName, int rows, const QString& mode) {
    Step step(*this);
    Band* b = tpl_.findBand(bandName);
    static const QStringList modes{"rmCount", "rmTillPageEnds", "rmAddToCount"};
    if (!b || b->kind != BandKind::Child || rows < 0 || !modes.contains(mode)) return false;
    const bool diff = b->toNRows != rows || b->toNRowsMode != mode;
    b->toNRows = rows;
    b->toNRowsMode = mode;
    return changed(diff);
}

DesignerModel::PageSetup DesignerModel::pageSetup() const {
    if (tpl_.pages.isEmpty()) return {};
    const Page& p = tpl_.pages.first();
    return {p.paperWidth, p.paperHeight, p.paperSize, p.landscape,
            p.leftMargin, p.rightMargin, p.topMargin, p.bottomMargin};
}

bool DesignerModel::setPageSetup(const PageSetup& s) {
    Step step(*this);
    if (tpl_.pages.isEmpty()) return false;
    // A page needs room to print on: positive paper, margins that are not negative and leave some of it.
    if (!(s.paperWidth > 0 && s.paperHeight > 0 && s.leftMargin >= 0 && s.rightMargin >= 0 &&
          s.topMargin >= 0 && s.bottomMargin >= 0 && s.leftMargin + s.rightMargin < s.paperWidth &&
          s.topMargin + s.bottomMargin < s.paperHeight))
        return false;
    if (pageSetup() == s) return true;
    Page& p = tpl_.pages.first();
    p.paperWidth = s.paperWidth;
    p.paperHeight = s.paperHeight;
    p.paperSize = s.paperSize;
    p.landscape = s.landscape;
    p.leftMargin = s.leftMargin;
    p.rightMargin = s.rightMargin;
    p.topMargin = s.topMargin;
    p.bottomMargin = s.bottomMargin;
    return changed(true);
}

// --- adding, copying, deleting -------------------------------------------------------------------------

// A field given as ds.field or ds."field" (without brackets) becomes [ds."field"].
static QString fieldText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char('['))) return t;
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot <= 0) return QLatin1Char('[') + t + QLatin1Char(']');
    QString field = t.mid(dot + 1);
    if (!field.startsWith(QLatin1Char('"'))) field = QLatin1Char('"') + field + QLatin1Char('"');
    return QLatin1Char('[') + t.left(dot) + QLatin1Char('.') + field + QLatin1Char(']');
}

QString DesignerModel::addObject(NewObject kind, const QString& bandName, QPointF posMm, const QString& text,
                                 const QByteArray& picture) {
    Step step(*this);
    QList<ReportObject>* objects = objectsOf(bandName);
    if (!objects) return {};
    ReportObject o;
    QSizeF size(30, 5);
    switch (kind) {
        case NewObject::Text:
            o.kind = ObjectKind::Memo;
            o.text = text;
            break;
        case NewObject::Field:
            o.kind = ObjectKind::Memo;
            o.text = fieldText(text);
            break;
        case NewObject::Picture:
            o.kind = ObjectKind::Picture;
            o.picture = picture;
            if (!picture.isEmpty()) o.pictureClass = pictureClassFor(picture);
            size = {20, 20};
            break;
        case NewObject::Line:
            o.kind = ObjectKind::Line;
            size = {30, 0};
            break;
        case NewObject::Rectangle:
            o.kind = ObjectKind::Shape;
            o.shape = QStringLiteral("skRectangle");
            o.frame.typ = Frame::All;
            size = {30, 10};
            break;
    }
    o.name = freshName(namePrefix(o.kind));
    o.left = mmToUnits(posMm.x());
    o.top = mmToUnits(posMm.y());
    o.width = mmToUnits(size.width());
    o.height = mmToUnits(size.height());
    objects->append(o);
    selection_ = {o.name};
    changed(true);
    return o.name;
}

QString DesignerModel::copySelection() const {
    Template clip;
    clip.rootAttributes = {{kClipboardMarker, QStringLiteral("1")}};
    Page page;
    page.name = QStringLiteral("Page1");
    const auto bandFor = [&](const Band& source) -> Band& {
        for (Band& b : page.bands)
            if (b.name == source.name) return b;
        Band b;
        b.kind = source.kind;
        b.name = source.name;
        page.bands.append(b);
        return page.bands.last();
    };
    for (const QString& name : selection_) {
        bool found = false;
        for (const Page& p : tpl_.pages) {
            for (const ReportObject& o : p.objects)
                if (!found && o.name == name) page.objects.append(o), found = true;
            for (const Band& b : p.bands)
                for (const ReportObject& o : b.objects)
                    if (!found && o.name == name) bandFor(b).objects.append(o), found = true;
        }
    }
    if (page.objects.isEmpty() && page.bands.isEmpty()) return {};
    clip.pages.append(page);
    return QString::fromUtf8(writeFr3(clip));
}

QStringList DesignerModel::paste(const QString& clipboard, const QString& fallbackBand) {
    if (!clipboard.contains(kClipboardMarker)) return {};
    const std::optional<Template> clip = readFr3(clipboard.toUtf8());
    if (!clip || clip->rootAttribute(kClipboardMarker).isEmpty()) return {};
    // (target band, object) in the order they were copied
    QList<QPair<QString, ReportObject>> pasted;
    const auto target = [&](const QString& band) {
        return !band.isEmpty() && tpl_.findBand(band) ? tpl_.findBand(band)->name : fallbackBand;
    };
    for (const Page& p : clip->pages) {
        for (const Band& b : p.bands)
            for (const ReportObject& o : b.objects) pasted.append({target(b.name), o});
        for (const ReportObject& o : p.objects) pasted.append({fallbackBand, o});
    }
    Step step(*this);
    QStringList names;
    for (auto& [band, o] : pasted) {
        QList<ReportObject>* objects = objectsOf(band);
        if (!objects || o.kind == ObjectKind::Unknown) continue;
        o.left += mmToUnits(2);
        o.top += mmToUnits(2);
        if (o.name.trimmed().isEmpty() || nameInUse(tpl_, o.name)) {
            QString base = o.name.trimmed();
            while (!base.isEmpty() && base.back().isDigit()) base.chop(1);
            o.name = freshName(base.isEmpty() ? namePrefix(o.kind) : base);
        }
        objects->append(o);
        names << o.name;
    }
    if (names.isEmpty()) return {};
    selection_ = names;
    changed(true);
    return names;
}

QString DesignerModel::removeSelected() {
    for (const QString& n : selection_)
        if (isRequiredObject(n)) return QStringLiteral("%1 是打印送货单必需的对象，不能删除。").arg(n);
    Step step(*this);
    const QStringList names = selection_;
    for (const QString& n : names) {
        const QString why = remove(n);
        if (!why.isEmpty()) return why;  // not reached: every selected object exists
    }
    return {};
}

// --- column-aligned resize -----------------------------------------------------------------------------

static bool isColumnBand(BandKind k) {
    return k == BandKind::PageHeader || k == BandKind::Header || k == BandKind::MasterData ||
           k == BandKind::Child || k == BandKind::Footer;
}

// Bands whose objects are the table's rows: every object there is a cell, and their edges are the
// column borders.
static bool isRowBand(BandKind k) {
    return k == BandKind::Header || k == BandKind::MasterData || k == BandKind::Child;
}

QStringList DesignerModel::resizeEdge(const QString& name, Edge edge, double deltaMm, bool alone) {
    // Opened before taking pointers into the template, so that writing through them never reaches the
    // state kept for undo.
    Step step(*this);
    Page* page = nullptr;
    Band* band = nullptr;
    ReportObject* grabbed = nullptr;
    for (Page& p : tpl_.pages) {
        for (ReportObject& o : p.objects)
            if (!grabbed && o.kind != ObjectKind::Unknown && sameName(o.name, name)) grabbed = &o, page = &p;
        for (Band& b : p.bands)
            for (ReportObject& o : b.objects)
                if (!grabbed && o.kind != ObjectKind::Unknown && sameName(o.name, name))
                    grabbed = &o, page = &p, band = &b;
    }
    if (!grabbed || deltaMm == 0) return {};
    const bool positive = keepsPositiveSize(*grabbed);

    if (edge == Edge::Top || edge == Edge::Bottom) {
        const double h = unitsToMm(grabbed->height);
        double d = deltaMm;
        if (positive) d = edge == Edge::Top ? std::min(d, h) : std::max(d, -h);
        if (d == 0) return {};
        if (edge == Edge::Top) {
            grabbed->top += mmToUnits(d);
            grabbed->height -= mmToUnits(d);
        } else {
            grabbed->height += mmToUnits(d);
        }
        changed(true);
        return {grabbed->name};
    }

    // One object's horizontal extent in page units and which of its ends move.
    struct Change {
        ReportObject* o;
        double x1, x2;  // left and right end (x1 <= x2), page units
        bool move1, move2;
    };
    const auto extent = [](const Band* b, const ReportObject& o) {
        const double base = b ? b->left : 0;
        const double a = base + o.left, c = base + o.left + o.width;
        return std::pair{std::min(a, c), std::max(a, c)};
    };
    const auto [g1, g2] = extent(band, *grabbed);
    QList<Change> changes{{grabbed, g1, g2, edge == Edge::Left, edge == Edge::Right}};
    const double border = edge == Edge::Left ? g1 : g2;
    const double tol = mmToUnits(kEdgeToleranceMm);
    const auto on = [tol](double a, double b) { return std::abs(a - b) <= tol; };

    if (!alone && band && isColumnBand(band->kind)) {
        QList<double> borders;
        for (const Band& b : page->bands)
            if (isRowBand(b.kind))
                for (const ReportObject& o : b.objects) {
                    const auto [x1, x2] = extent(&b, o);
                    borders << x1 << x2;
                }
        const auto isBorder = [&](double x) {
            return std::any_of(borders.begin(), borders.end(), [&](double b) { return on(b, x); });
        };
        if (isBorder(border)) {
            for (Band& b : page->bands) {
                if (!isColumnBand(b.kind)) continue;
                for (ReportObject& o : b.objects) {
                    if (&o == grabbed || o.kind == ObjectKind::Unknown) continue;
                    const auto [x1, x2] = extent(&b, o);
                    const bool m1 = on(x1, border), m2 = on(x2, border);
                    if (!m1 && !m2) continue;
                    // Outside the row bands only cells of the table follow: objects standing between
                    // two column borders, or a vertical rule on one.
                    const bool cell = isRowBand(b.kind) || (isBorder(x1) && isBorder(x2));
                    if (cell) changes.append({&o, x1, x2, m1, m2});
                }
            }
        }
    }

    // Keep every width that must stay positive at 0 or more, for all of them at once, so the cells
    // stay aligned even when the delta is cut.
    double d = mmToUnits(deltaMm);
    for (const Change& c : changes) {
        if (!keepsPositiveSize(*c.o) || c.move1 == c.move2) continue;
        const double w = c.x2 - c.x1;
        d = c.move1 ? std::min(d, w) : std::max(d, -w);
    }
    if (d == 0) return {};

    QStringList names;
    for (const Change& c : changes) {
        const double bandLeft = c.x1 - std::min(c.o->left, c.o->left + c.o->width);
        const double x1 = c.x1 + (c.move1 ? d : 0), x2 = c.x2 + (c.move2 ? d : 0);
        if (c.o->width >= 0) {
            c.o->left = x1 - bandLeft;
            c.o->width = x2 - x1;
        } else {  // a line drawn leftwards: Left is its right end
            c.o->left = x2 - bandLeft;
            c.o->width = x1 - x2;
        }
        names << c.o->name;
    }
    changed(true);
    return names;
}

// --- our own settings ----------------------------------------------------------------------------------

TemplateSettings DesignerModel::settings() const {
    return readSettings(tpl_);
}

void DesignerModel::setSettings(const TemplateSettings& s) {
    Step step(*this);
    if (readSettings(tpl_) == s) return;
    writeSettings(tpl_, s);
    changed(true);
}

}  // namespace printing
