#include "printing/DesignerCanvas.h"

#include "printing/Render.h"
#include "printing/Report.h"
#include "printing/TemplateSettings.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace printing {

namespace {

constexpr double kBandGap = 4;   // mm between bands, room for the band's caption
constexpr int kRulerPx = 22;     // thickness of the rulers
constexpr int kHandlePx = 7;     // side of a resize handle
constexpr int kGrabPx = 4;       // how near (pixels) a handle or a thin line grabs the mouse
constexpr int kDragStartPx = 3;  // a press moves nothing until the mouse went this far
constexpr double kBackgroundOpacity = 0.6;
const double kZoomLevels[] = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4, 6, 8};

const QColor kBandLine(90, 90, 160);
const QColor kSelection(0, 120, 215);

QString bandCaption(const Band& b) {
    return QStringLiteral("%1 (%2)  高 %3 mm")
        .arg(b.name, b.elementName(), QString::number(unitsToMm(b.height), 'f', 1));
}

// The object as the renderer draws it, with its top-left corner (left, top) at the origin and its text
// as written (expressions are not evaluated).
PreparedItem designItem(const ReportObject& o, const ResolvedFont& font) {
    PreparedItem it = preparedItemFor(o, QPointF(0, 0), font);
    if (it.kind == PreparedItem::Kind::Line) it.rect = QRectF(it.p1, it.p2).normalized();
    return it;
}

// Draws a short text in scene millimetres (pixel sizes are whole numbers: drawn at a tenth of a mm).
void drawSmallText(QPainter* p, const QRectF& r, double heightMm, int flags, const QString& text) {
    p->save();
    // A CJK family of our own choosing: a fallback picked per glyph renders badly at these scales.
    QFont f(installedFontFamily(QStringLiteral("黑体")));
    f.setPixelSize(std::max(1, int(heightMm * 10)));
    p->setFont(f);
    p->scale(0.1, 0.1);
    p->drawText(QRectF(r.topLeft() * 10, r.size() * 10), flags, text);
    p->restore();
}

bool isLeft(DesignerCanvas::Handle h) {
    using H = DesignerCanvas::Handle;
    return h == H::TopLeft || h == H::Left || h == H::BottomLeft;
}
bool isRight(DesignerCanvas::Handle h) {
    using H = DesignerCanvas::Handle;
    return h == H::TopRight || h == H::Right || h == H::BottomRight;
}
bool isTop(DesignerCanvas::Handle h) {
    using H = DesignerCanvas::Handle;
    return h == H::TopLeft || h == H::Top || h == H::TopRight;
}
bool isBottom(DesignerCanvas::Handle h) {
    using H = DesignerCanvas::Handle;
    return h == H::BottomLeft || h == H::Bottom || h == H::BottomRight;
}

// A band's name and height above its area.
class CaptionItem : public QGraphicsItem {
  public:
    CaptionItem(const QString& text, const QRectF& rect) : text_(text), rect_(rect) {}
    QRectF boundingRect() const override { return rect_; }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
        p->setPen(kBandLine);
        drawSmallText(p, rect_, 2.8, Qt::AlignLeft | Qt::AlignVCenter, text_);
    }

  private:
    QString text_;
    QRectF rect_;
};

// A band's area: its fill, the background picture where the band prints, the grid and the outline.
class BandItem : public QGraphicsItem {
  public:
    explicit BandItem(const QRectF& rect) : rect_(rect) { setZValue(-1); }
    void setBackground(const QPixmap& pixmap, const QTransform& toScene) {
        pixmap_ = pixmap;
        toScene_ = toScene;
    }
    QRectF boundingRect() const override { return rect_; }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
        p->fillRect(rect_, QColor(251, 252, 255));
        if (!pixmap_.isNull()) {
            p->save();
            p->setClipRect(rect_, Qt::IntersectClip);
            p->setTransform(toScene_, true);
            p->setOpacity(kBackgroundOpacity);
            p->drawPixmap(0, 0, pixmap_);
            p->restore();
        }
        // The 1 mm grid; where millimetres are too close together, every fifth.
        const double pxPerMm = p->worldTransform().m11();
        const QPen fine(QColor(226, 230, 244), 0), five(QColor(200, 206, 232), 0);
        for (int k = 1; k < rect_.width(); ++k) {
            if (k % 5 && pxPerMm < 3) continue;
            p->setPen(k % 5 ? fine : five);
            p->drawLine(QPointF(rect_.left() + k, rect_.top()), QPointF(rect_.left() + k, rect_.bottom()));
        }
        for (int k = 1; k < rect_.height(); ++k) {
            if (k % 5 && pxPerMm < 3) continue;
            p->setPen(k % 5 ? fine : five);
            p->drawLine(QPointF(rect_.left(), rect_.top() + k), QPointF(rect_.right(), rect_.top() + k));
        }
        p->setPen(QPen(kBandLine, 0, Qt::DashLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(rect_);
    }

  private:
    QRectF rect_;
    QPixmap pixmap_;
    QTransform toScene_;
};

// An object drawn by the renderer, with a faint outline (frameless objects can be found), its name where
// it has no text or picture yet, and the selection.
class ObjectItem : public QGraphicsItem {
  public:
    ObjectItem(const ReportObject& o, const ResolvedFont& font)
        : item_(designItem(o, font)), visible_(o.visible) {
        box_ = item_.kind == PreparedItem::Kind::Line ? item_.rect : QRectF(QPointF(0, 0), item_.rect.size());
        box_ = box_.normalized();
        const bool empty =
            o.kind == ObjectKind::Unknown || (o.kind == ObjectKind::Picture && item_.image.isNull()) ||
            ((o.kind == ObjectKind::Memo || o.kind == ObjectKind::SysMemo) && o.text.isEmpty());
        if (empty)
            placeholder_ =
                o.kind == ObjectKind::Unknown ? QStringLiteral("%1 (%2)").arg(o.name, o.raw.name) : o.name;
        line_ = o.kind == ObjectKind::Line;
    }
    void setSelected(bool on) {
        if (selected_ == on) return;
        selected_ = on;
        update();
    }
    QRectF boundingRect() const override { return box_.adjusted(-1, -1, 1, 1); }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
        p->save();
        if (!visible_) p->setOpacity(0.4);
        if (!line_) {
            p->setPen(QPen(QColor(175, 175, 195), 0, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(box_);
        }
        if (!placeholder_.isEmpty()) {
            p->setPen(QColor(150, 150, 170));
            drawSmallText(p, box_, std::clamp(box_.height() * 0.6, 1.5, 3.0),
                          Qt::AlignCenter | Qt::TextDontClip, placeholder_);
        }
        // The renderer draws in device pixels per millimetre: fonts in points then come out at their size.
        const double k = (p->device() ? p->device()->logicalDpiY() : 96) / 25.4;
        p->scale(1 / k, 1 / k);
        PreparedPage page;
        page.items.append(item_);
        paintPage(*p, page, k);
        p->restore();
        if (selected_) {
            p->setPen(QPen(kSelection, 0, Qt::DashLine));
            p->setBrush(QColor(0, 120, 215, 28));
            p->drawRect(box_);
        }
    }

  private:
    PreparedItem item_;
    QRectF box_;
    QString placeholder_;
    bool visible_;
    bool line_ = false;
    bool selected_ = false;
};

}  // namespace

// --- rulers ----------------------------------------------------------------------------------------

class DesignerCanvas::Ruler : public QWidget {
  public:
    Ruler(DesignerCanvas* canvas, Qt::Orientation o) : QWidget(canvas), canvas_(canvas), o_(o) {
        setObjectName(o == Qt::Horizontal ? QStringLiteral("hRuler") : QStringLiteral("vRuler"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(232, 232, 232));
        const double k = canvas_->transform().m11();  // pixels per mm
        if (k <= 0) return;
        const QPointF origin = canvas_->mapToScene(QPoint(0, 0));  // scene point at the viewport's corner
        QFont f = font();
        f.setPixelSize(9);
        p.setFont(f);
        const bool fine = k >= 2.5;
        const int labelEvery = k * 10 >= 24 ? 10 : 20;
        const int thick = o_ == Qt::Horizontal ? height() : width();
        // Ticks along [from, to] mm; zero is at `zero` (scene); `at` maps scene mm to ruler pixels.
        const auto ticks = [&](double zero, double from, double to, auto at) {
            for (int mm = int(std::ceil(from - zero - 1e-9)); mm <= int(std::floor(to - zero + 1e-9)); ++mm) {
                if (!fine && mm % 5) continue;
                const double pos = at(zero + mm);
                const int len = mm % 10 == 0 ? thick * 6 / 10 : mm % 5 == 0 ? thick * 4 / 10 : thick / 5;
                p.setPen(QColor(70, 70, 70));
                if (o_ == Qt::Horizontal)
                    p.drawLine(QPointF(pos, thick - len), QPointF(pos, thick));
                else
                    p.drawLine(QPointF(thick - len, pos), QPointF(thick, pos));
                if (mm % labelEvery == 0) {
                    const QString t = QString::number(mm);
                    if (o_ == Qt::Horizontal)
                        p.drawText(QRectF(pos + 2, 0, 40, thick - len + 2), Qt::AlignLeft | Qt::AlignVCenter,
                                   t);
                    else
                        p.drawText(QRectF(1, pos + 1, thick - 2, 11), Qt::AlignLeft | Qt::AlignTop, t);
                }
            }
        };
        const QString sel = canvas_->singleSelection().isEmpty() && !canvas_->model_.selection().isEmpty()
                                ? canvas_->model_.selection().first()
                                : canvas_->singleSelection();
        const QRectF selRect = sel.isEmpty() ? QRectF() : canvas_->objectRect(sel);
        if (o_ == Qt::Horizontal) {
            const auto at = [&](double x) { return (x - origin.x()) * k; };
            const double paperWidth = canvas_->paperSize_.width();
            p.fillRect(QRectF(QPointF(at(0), 0), QPointF(at(paperWidth), thick)), Qt::white);
            if (!sel.isEmpty())
                p.fillRect(QRectF(QPointF(at(selRect.left()), 0), QPointF(at(selRect.right()), thick)),
                           QColor(200, 222, 245));
            const double left = std::max(0.0, origin.x()),
                         right = std::min(paperWidth, origin.x() + width() / k);
            // Counted from the bands' left edge, as the object positions are.
            ticks(canvas_->areas_.isEmpty() ? 0 : canvas_->areas_.first().rect.left(), left, right, at);
        } else {
            const auto at = [&](double y) { return (y - origin.y()) * k; };
            for (const BandArea& a : canvas_->areas_) {
                p.fillRect(QRectF(QPointF(0, at(a.rect.top())), QPointF(thick, at(a.rect.bottom()))),
                           Qt::white);
                if (!sel.isEmpty() && a.rect.contains(QPointF(a.rect.left(), selRect.top())))
                    p.fillRect(QRectF(QPointF(0, at(selRect.top())), QPointF(thick, at(selRect.bottom()))),
                               QColor(200, 222, 245));
                const double top = std::max(a.rect.top(), origin.y());
                const double bottom = std::min(a.rect.bottom(), origin.y() + height() / k);
                if (top <= bottom) ticks(a.rect.top(), top, bottom, at);
            }
        }
        if (canvas_->pointer_) {
            p.setPen(QColor(220, 40, 40));
            const QPointF sp = *canvas_->pointer_;
            if (o_ == Qt::Horizontal) {
                const double x = (sp.x() - origin.x()) * k;
                p.drawLine(QPointF(x, 0), QPointF(x, thick));
            } else {
                const double y = (sp.y() - origin.y()) * k;
                p.drawLine(QPointF(0, y), QPointF(thick, y));
            }
        }
        p.setPen(QColor(160, 160, 160));
        if (o_ == Qt::Horizontal)
            p.drawLine(0, thick - 1, width(), thick - 1);
        else
            p.drawLine(thick - 1, 0, thick - 1, height());
    }

  private:
    DesignerCanvas* canvas_;
    Qt::Orientation o_;
};

// --- the canvas ------------------------------------------------------------------------------------

DesignerCanvas::DesignerCanvas(DesignerModel& model, QWidget* parent)
    : QGraphicsView(parent), model_(model), scene_(new QGraphicsScene(this)) {
    setObjectName(QStringLiteral("designView"));
    setScene(scene_);
    setDragMode(QGraphicsView::NoDrag);
    setBackgroundBrush(QColor(190, 190, 190));
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setFocusPolicy(Qt::StrongFocus);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    viewport()->setMouseTracking(true);
    setViewportMargins(kRulerPx, kRulerPx, 0, 0);
    hRuler_ = new Ruler(this, Qt::Horizontal);
    vRuler_ = new Ruler(this, Qt::Vertical);
    corner_ = new QWidget(this);
    corner_->setAutoFillBackground(true);
    QPalette pal = corner_->palette();
    pal.setColor(QPalette::Window, QColor(232, 232, 232));
    corner_->setPalette(pal);
    rubber_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    applyTransform();
}

QWidget* DesignerCanvas::horizontalRuler() const {
    return hRuler_;
}
QWidget* DesignerCanvas::verticalRuler() const {
    return vRuler_;
}

void DesignerCanvas::applyTransform() {
    const double k = logicalDpiX() / 25.4 * zoom_;
    setTransform(QTransform::fromScale(k, k));
    updateRulers();
}

void DesignerCanvas::setZoom(double zoom) {
    zoom = std::clamp(zoom, kZoomLevels[0], kZoomLevels[std::size(kZoomLevels) - 1]);
    if (std::abs(zoom - zoom_) < 1e-9) return;
    zoom_ = zoom;
    applyTransform();
    emit zoomChanged(zoom_);
}

void DesignerCanvas::setSnapToGrid(bool on) {
    snap_ = on;
}

void DesignerCanvas::setBackgroundShown(bool on) {
    if (showBackground_ == on) return;
    showBackground_ = on;
    rebuild();
}

void DesignerCanvas::placeRulers() {
    const QRect vg = viewport()->geometry();
    hRuler_->setGeometry(vg.left(), vg.top() - kRulerPx, vg.width(), kRulerPx);
    vRuler_->setGeometry(vg.left() - kRulerPx, vg.top(), kRulerPx, vg.height());
    corner_->setGeometry(vg.left() - kRulerPx, vg.top() - kRulerPx, kRulerPx, kRulerPx);
}

void DesignerCanvas::updateRulers() {
    hRuler_->update();
    vRuler_->update();
}

void DesignerCanvas::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    placeRulers();
}

void DesignerCanvas::scrollContentsBy(int dx, int dy) {
    QGraphicsView::scrollContentsBy(dx, dy);
    updateRulers();
}

// --- building the scene ----------------------------------------------------------------------------

void DesignerCanvas::rebuild() {
    scene_->clear();
    items_.clear();
    hits_.clear();
    areas_.clear();
    paperSize_ = {};
    if (model_.tpl().pages.isEmpty()) {
        scene_->setSceneRect(QRectF(0, 0, 10, 10));
        updateRulers();
        return;
    }
    const Page& page = model_.tpl().pages.first();
    paperSize_ = QSizeF(page.paperWidth, page.paperHeight);
    const double left = page.leftMargin;
    const double width = page.paperWidth - page.leftMargin - page.rightMargin;

    struct Placed {
        const Band* band;
        QString name;
        double height;
        const QList<ReportObject>* objects;
    };
    QList<Placed> placed;
    if (!page.objects.isEmpty()) {
        double h = 0;
        for (const ReportObject& o : page.objects)
            h = std::max(h, unitsToMm(o.top + std::max(0.0, o.height)));
        placed.append({nullptr, QString(), h, &page.objects});
    }
    QList<const Band*> bands;
    for (const Band& b : page.bands) bands << &b;
    // The band kinds are listed in the order they print.
    std::stable_sort(bands.begin(), bands.end(), [](const Band* a, const Band* b) {
        return a->kind != b->kind ? int(a->kind) < int(b->kind) : a->top < b->top;
    });
    for (const Band* b : bands) placed.append({b, b->name, unitsToMm(b->height), &b->objects});

    double bottom = page.topMargin;
    for (const Placed& p : placed) bottom += kBandGap + p.height;
    const QRectF paperRect(0, 0, page.paperWidth, std::max(page.paperHeight, bottom + page.bottomMargin));
    scene_->addRect(paperRect.translated(0.8, 0.8), QPen(Qt::NoPen), QBrush(QColor(150, 150, 150)))
        ->setZValue(-3);
    scene_->addRect(paperRect, QPen(Qt::black, 0), QBrush(Qt::white))->setZValue(-2);

    // The background picture, in paper millimetres.
    QTransform imageToPaper;
    bool withBackground = false;
    if (showBackground_) {
        const TemplateSettings settings = model_.settings();
        if (settings.background && !settings.background->image.isEmpty()) {
            if (settings.background->image != backgroundBytes_) {
                backgroundBytes_ = settings.background->image;
                background_ = QPixmap::fromImage(QImage::fromData(backgroundBytes_));
            }
            if (!background_.isNull()) {
                imageToPaper = settings.background->imageToPaper(QSizeF(background_.size()), page.paperWidth);
                withBackground = true;
            }
        }
    }

    double y = page.topMargin;
    double printed = page.topMargin;  // where the next band prints on the first page
    for (const Placed& p : placed) {
        scene_->addItem(new CaptionItem(p.band ? bandCaption(*p.band) : QStringLiteral("页面"),
                                        QRectF(left, y, width, kBandGap)));
        y += kBandGap;
        BandArea area{p.name, QRectF(left, y, width, p.height), printed};
        if (p.band && p.band->kind == BandKind::PageFooter)
            area.paperTop = page.paperHeight - page.bottomMargin - p.height;
        else
            printed += p.height;
        auto* bandItem = new BandItem(area.rect);
        if (withBackground)
            bandItem->setBackground(
                background_, imageToPaper * QTransform::fromTranslate(0, area.rect.top() - area.paperTop));
        scene_->addItem(bandItem);
        areas_.append(area);
        for (const ReportObject& o : *p.objects) {
            auto* item = new ObjectItem(o, model_.font(o.name));
            item->setPos(left + unitsToMm(o.left), y + unitsToMm(o.top));
            item->setSelected(model_.selection().contains(o.name));
            scene_->addItem(item);
            items_.insert(o.name, item);
            const double w = unitsToMm(o.width), h = unitsToMm(o.height);
            hits_.append({o.name, QRectF(item->pos(), QSizeF(w, h)).normalized()});
        }
        y += p.height;
    }
    scene_->setSceneRect(paperRect.adjusted(-5, -5, 5, 5));
    viewport()->update();
    updateRulers();
}

void DesignerCanvas::updateSelectionMarks() {
    for (auto it = items_.constBegin(); it != items_.constEnd(); ++it)
        static_cast<ObjectItem*>(it.value())->setSelected(model_.selection().contains(it.key()));
    viewport()->update();
    updateRulers();
}

// --- where things are ------------------------------------------------------------------------------

const DesignerCanvas::BandArea* DesignerCanvas::areaOf(const QString& band) const {
    for (const BandArea& a : areas_)
        if (a.name.compare(band, Qt::CaseInsensitive) == 0) return &a;
    return nullptr;
}

const DesignerCanvas::BandArea* DesignerCanvas::areaAt(QPointF sp) const {
    for (const BandArea& a : areas_)
        if (a.rect.contains(sp)) return &a;
    return nullptr;
}

QPointF DesignerCanvas::bandOrigin(const QString& band) const {
    const BandArea* a = areaOf(band);
    return a ? a->rect.topLeft() : QPointF();
}

std::optional<QString> DesignerCanvas::bandAt(QPointF sp) const {
    if (const BandArea* a = areaAt(sp)) return a->name;
    return std::nullopt;
}

QRectF DesignerCanvas::objectRect(const QString& name) const {
    if (!model_.object(name)) return {};
    const QRectF g = model_.geometryMm(name).normalized();
    const BandArea* a = areaOf(model_.bandOf(name));
    return a ? g.translated(a->rect.topLeft()) : g;
}

std::optional<QPointF> DesignerCanvas::sceneToPaper(QPointF sp) const {
    const BandArea* a = areaAt(sp);
    if (!a) return std::nullopt;
    return QPointF(sp.x(), a->paperTop + sp.y() - a->rect.top());
}

QString DesignerCanvas::singleSelection() const {
    const QStringList& sel = model_.selection();
    return sel.size() == 1 && model_.object(sel.first()) ? sel.first() : QString();
}

std::optional<QPointF> DesignerCanvas::handlePos(Handle h) const {
    const QString name = singleSelection();
    if (name.isEmpty()) return std::nullopt;
    const ReportObject* o = model_.object(name);
    if (o->kind == ObjectKind::Line && !o->diagonal) {
        // A straight line has handles at its two ends only.
        const bool horizontal = std::abs(o->width) >= std::abs(o->height);
        if (horizontal ? (h != Handle::Left && h != Handle::Right)
                       : (h != Handle::Top && h != Handle::Bottom))
            return std::nullopt;
    }
    const QRectF r = objectRect(name);
    const double x = isLeft(h) ? r.left() : isRight(h) ? r.right() : r.center().x();
    const double y = isTop(h) ? r.top() : isBottom(h) ? r.bottom() : r.center().y();
    return QPointF(x, y);
}

std::optional<DesignerCanvas::Handle> DesignerCanvas::handleAt(QPoint vp) const {
    // Corners first: on a small object they lie close to the edge handles.
    for (Handle h : {Handle::TopLeft, Handle::TopRight, Handle::BottomRight, Handle::BottomLeft, Handle::Top,
                     Handle::Right, Handle::Bottom, Handle::Left}) {
        const auto pos = handlePos(h);
        if (!pos) continue;
        const QPoint c = mapFromScene(*pos);
        if (std::abs(c.x() - vp.x()) <= kGrabPx && std::abs(c.y() - vp.y()) <= kGrabPx) return h;
    }
    return std::nullopt;
}

QString DesignerCanvas::objectAt(QPoint vp) const {
    const QPointF sp = mapToScene(vp);
    const double k = transform().m11();
    const double tol = k > 0 ? kGrabPx / k : 1;
    for (auto it = hits_.crbegin(); it != hits_.crend(); ++it) {
        QRectF r = it->second;
        // Lines and other thin objects can be grabbed a few pixels beside them.
        if (r.width() < 2 * tol) r.adjust(-tol, 0, tol, 0);
        if (r.height() < 2 * tol) r.adjust(0, -tol, 0, tol);
        if (r.contains(sp)) return it->first;
    }
    return {};
}

std::pair<QString, QPointF> DesignerCanvas::placeForNewObject() const {
    if (lastClick_)
        if (const BandArea* a = areaAt(*lastClick_)) {
            QPointF p = *lastClick_ - a->rect.topLeft();
            if (snap_) p = QPointF(std::round(p.x()), std::round(p.y()));
            return {a->name, p};
        }
    if (!model_.selection().isEmpty()) {
        const QString first = model_.selection().first();
        const QString band = model_.bandOf(first);
        if (areaOf(band)) return {band, model_.geometryMm(first).normalized().topLeft() + QPointF(2, 2)};
    }
    for (const BandArea& a : areas_)
        if (!a.name.isEmpty()) return {a.name, QPointF(0, 0)};
    return {QString(), QPointF(0, 0)};
}

// --- picking a point -------------------------------------------------------------------------------

void DesignerCanvas::pickPoint(std::function<void(QPointF)> handler) {
    pick_ = std::move(handler);
    viewport()->setCursor(pick_ ? Qt::CrossCursor : Qt::ArrowCursor);
}

void DesignerCanvas::cancelPick() {
    if (!pick_) return;
    pick_ = nullptr;
    viewport()->setCursor(Qt::ArrowCursor);
    emit pickCancelled();
}

// --- mouse -----------------------------------------------------------------------------------------

void DesignerCanvas::setHoverCursor(QPoint vp) {
    if (pick_) {
        viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    if (const auto h = handleAt(vp)) {
        switch (*h) {
            case Handle::Left:
            case Handle::Right:
                viewport()->setCursor(Qt::SizeHorCursor);
                break;
            case Handle::Top:
            case Handle::Bottom:
                viewport()->setCursor(Qt::SizeVerCursor);
                break;
            case Handle::TopLeft:
            case Handle::BottomRight:
                viewport()->setCursor(Qt::SizeFDiagCursor);
                break;
            case Handle::TopRight:
            case Handle::BottomLeft:
                viewport()->setCursor(Qt::SizeBDiagCursor);
                break;
        }
        return;
    }
    viewport()->setCursor(objectAt(vp).isEmpty() ? Qt::ArrowCursor : Qt::SizeAllCursor);
}

void DesignerCanvas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    finishGesture();
    const QPointF sp = mapToScene(e->pos());
    if (pick_) {
        auto handler = std::move(pick_);
        pick_ = nullptr;
        viewport()->setCursor(Qt::ArrowCursor);
        handler(sp);
        e->accept();
        return;
    }
    lastClick_ = sp;
    pressPx_ = e->pos();
    pressScene_ = sp;
    applied_ = QPointF();
    const bool shift = e->modifiers() & Qt::ShiftModifier;

    if (!shift)
        if (const auto h = handleAt(e->pos())) {
            mode_ = Mode::Resize;
            handle_ = *h;
            anchor_ = singleSelection();
            resizeStart_ = model_.geometryMm(anchor_).normalized();
            // Alt alone resizes the object by itself; with other keys it is not meant.
            alone_ = (e->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
            e->accept();
            return;
        }

    const QString hit = objectAt(e->pos());
    if (!hit.isEmpty()) {
        const QStringList before = model_.selection();
        if (shift) {
            if (before.contains(hit)) {
                QStringList rest = before;
                rest.removeAll(hit);
                model_.select(rest);
                updateSelectionMarks();
                emit selectionChanged();
                mode_ = Mode::None;
                e->accept();
                return;
            }
            model_.addToSelection(hit);
        } else if (!before.contains(hit)) {
            model_.select({hit});
        }
        if (model_.selection() != before) {
            updateSelectionMarks();
            emit selectionChanged();
        }
        mode_ = Mode::Pressed;
        anchor_ = hit;
        anchorStart_ = model_.geometryMm(hit).topLeft();
        e->accept();
        return;
    }

    if (!shift && !model_.selection().isEmpty()) {
        model_.clearSelection();
        updateSelectionMarks();
        emit selectionChanged();
    }
    if (const BandArea* a = areaAt(sp))
        emit bandClicked(a->name);
    else
        emit paperClicked();
    mode_ = Mode::Rubber;
    rubberBase_ = shift ? model_.selection() : QStringList();
    rubber_->setGeometry(QRect(pressPx_, QSize()));
    rubber_->show();
    e->accept();
}

void DesignerCanvas::mouseMoveEvent(QMouseEvent* e) {
    const QPointF sp = mapToScene(e->pos());
    pointer_ = sp;
    updateRulers();
    if (const BandArea* a = areaAt(sp)) {
        const QPointF mm = sp - a->rect.topLeft();
        emit pointerMoved(QStringLiteral("%1  x %2 mm  y %3 mm")
                              .arg(a->name.isEmpty() ? QStringLiteral("页面") : a->name)
                              .arg(mm.x(), 0, 'f', 1)
                              .arg(mm.y(), 0, 'f', 1));
    } else {
        emit pointerMoved(QString());
    }

    switch (mode_) {
        case Mode::None:
            setHoverCursor(e->pos());
            break;
        case Mode::Pressed:
            if ((e->pos() - pressPx_).manhattanLength() < kDragStartPx) break;
            mode_ = Mode::Drag;
            model_.beginGroup();
            groupOpen_ = true;
            [[fallthrough]];
        case Mode::Drag: {
            QPointF target = anchorStart_ + (sp - pressScene_);
            if (snap_) target = QPointF(std::round(target.x()), std::round(target.y()));
            const QPointF d = target - anchorStart_;
            const QPointF inc = d - applied_;
            if (std::abs(inc.x()) > 1e-9 || std::abs(inc.y()) > 1e-9) {
                model_.moveSelected(inc.x(), inc.y());
                applied_ = d;
                emit edited();
            }
            break;
        }
        case Mode::Resize: {
            if (!groupOpen_) {
                model_.beginGroup();
                groupOpen_ = true;
            }
            const QPointF raw = sp - pressScene_;
            bool changed = false;
            if (isLeft(handle_) || isRight(handle_)) {
                const double edge = isLeft(handle_) ? resizeStart_.left() : resizeStart_.right();
                double target = edge + raw.x();
                if (snap_) target = std::round(target);
                const double inc = (target - edge) - applied_.x();
                if (std::abs(inc) > 1e-9) {
                    model_.resizeEdge(
                        anchor_, isLeft(handle_) ? DesignerModel::Edge::Left : DesignerModel::Edge::Right,
                        inc, alone_);
                    const QRectF g = model_.geometryMm(anchor_).normalized();
                    applied_.setX((isLeft(handle_) ? g.left() : g.right()) - edge);
                    changed = true;
                }
            }
            if (isTop(handle_) || isBottom(handle_)) {
                const double edge = isTop(handle_) ? resizeStart_.top() : resizeStart_.bottom();
                double target = edge + raw.y();
                if (snap_) target = std::round(target);
                const double inc = (target - edge) - applied_.y();
                if (std::abs(inc) > 1e-9) {
                    model_.resizeEdge(anchor_,
                                      isTop(handle_) ? DesignerModel::Edge::Top : DesignerModel::Edge::Bottom,
                                      inc, alone_);
                    const QRectF g = model_.geometryMm(anchor_).normalized();
                    applied_.setY((isTop(handle_) ? g.top() : g.bottom()) - edge);
                    changed = true;
                }
            }
            if (changed) emit edited();
            break;
        }
        case Mode::Rubber:
            rubber_->setGeometry(QRect(pressPx_, e->pos()).normalized());
            break;
    }
    e->accept();
}

void DesignerCanvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    switch (mode_) {
        case Mode::Pressed:
            // A plain click on one of several selected objects selects it alone.
            if (!(e->modifiers() & Qt::ShiftModifier) && model_.selection().size() > 1) {
                model_.select({anchor_});
                updateSelectionMarks();
                emit selectionChanged();
            }
            break;
        case Mode::Rubber: {
            rubber_->hide();
            const QRect r = QRect(pressPx_, e->pos()).normalized();
            if (r.width() > 2 || r.height() > 2) {
                const QRectF sr = mapToScene(r).boundingRect();
                QStringList names = rubberBase_;
                for (const auto& [name, rect] : hits_)
                    if (!names.contains(name) && sr.intersects(rect.adjusted(-0.01, -0.01, 0.01, 0.01)))
                        names << name;
                if (names != model_.selection()) {
                    model_.select(names);
                    updateSelectionMarks();
                    emit selectionChanged();
                }
            }
            break;
        }
        default:
            break;
    }
    finishGesture();
    setHoverCursor(e->pos());
    e->accept();
}

void DesignerCanvas::finishGesture() {
    const bool wasEditing = groupOpen_;
    mode_ = Mode::None;
    rubber_->hide();
    if (groupOpen_) {
        groupOpen_ = false;
        model_.endGroup();
    }
    if (wasEditing) emit edited();  // the undo step is complete now
}

void DesignerCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    // A double click is a second press; nothing more.
    mousePressEvent(e);
}

void DesignerCanvas::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(e);
        updateRulers();
        return;
    }
    const int dir = e->angleDelta().y() > 0 ? 1 : e->angleDelta().y() < 0 ? -1 : 0;
    double next = zoom_;
    if (dir > 0) {
        for (double z : kZoomLevels)
            if (z > zoom_ + 1e-9) {
                next = z;
                break;
            }
    } else if (dir < 0) {
        for (double z : kZoomLevels)
            if (z < zoom_ - 1e-9) next = z;
    }
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setZoom(next);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    e->accept();
}

// --- keys ------------------------------------------------------------------------------------------

void DesignerCanvas::keyPressEvent(QKeyEvent* k) {
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    if (k->key() == Qt::Key_Escape) {
        if (pick_) {
            cancelPick();
        } else if (mode_ != Mode::None) {
            finishGesture();
        } else if (!model_.selection().isEmpty()) {
            model_.clearSelection();
            updateSelectionMarks();
            emit selectionChanged();
        } else {
            QGraphicsView::keyPressEvent(k);  // the window closes
            return;
        }
        k->accept();
        return;
    }
    if (mode_ == Mode::Drag || mode_ == Mode::Resize) {
        k->accept();  // no other edit in the middle of a drag: it is one undo step
        return;
    }
    if (k->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
        emit deleteRequested();
    } else if (k->matches(QKeySequence::Copy)) {
        emit copyRequested();
    } else if (k->matches(QKeySequence::Paste)) {
        emit pasteRequested();
    } else if (k->matches(QKeySequence::Undo)) {
        emit undoRequested();
    } else if (k->matches(QKeySequence::Redo) || (k->key() == Qt::Key_Y && mods == Qt::ControlModifier)) {
        emit redoRequested();
    } else {
        const double step = (mods & Qt::ControlModifier) ? 0.1 : 0.5;
        double dx = 0, dy = 0;
        switch (k->key()) {
            case Qt::Key_Left:
                dx = -step;
                break;
            case Qt::Key_Right:
                dx = step;
                break;
            case Qt::Key_Up:
                dy = -step;
                break;
            case Qt::Key_Down:
                dy = step;
                break;
            default:
                QGraphicsView::keyPressEvent(k);
                return;
        }
        if (!model_.selection().isEmpty() && mode_ == Mode::None) {
            model_.moveSelected(dx, dy);
            emit edited();
        }
    }
    k->accept();
}

// --- handles -----------------------------------------------------------------------------------------

void DesignerCanvas::drawForeground(QPainter* painter, const QRectF&) {
    if (singleSelection().isEmpty()) return;
    painter->save();
    painter->resetTransform();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(kSelection, 1));
    painter->setBrush(Qt::white);
    for (Handle h : {Handle::TopLeft, Handle::Top, Handle::TopRight, Handle::Right, Handle::BottomRight,
                     Handle::Bottom, Handle::BottomLeft, Handle::Left})
        if (const auto pos = handlePos(h)) {
            const QPoint c = mapFromScene(*pos);
            painter->drawRect(
                QRect(c.x() - kHandlePx / 2, c.y() - kHandlePx / 2, kHandlePx - 1, kHandlePx - 1));
        }
    painter->restore();
}

}  // namespace printing
