#include "printing/DesignerCanvas.h"

#include "printing/Render.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace printing {

namespace {
constexpr double kBandGap = 4;  // mm between bands, room for the band's caption

QString bandCaption(const Band& b) {
    return QStringLiteral("%1 (%2)  高 %3 mm")
        .arg(b.name, b.elementName(), QString::number(unitsToMm(b.height), 'f', 1));
}
}  // namespace

// An object as a box in the scene.
class ObjectItem : public QGraphicsRectItem {
  public:
    ObjectItem(DesignerCanvas* canvas, const ReportObject& o, const ResolvedFont& font)
        : QGraphicsRectItem(0, 0, std::max(0.0, unitsToMm(o.width)), std::max(0.0, unitsToMm(o.height))),
          canvas_(canvas),
          name_(o.name),
          text_(o.text),
          font_(font),
          frame_(o.frame.typ),
          hAlign_(o.hAlign),
          kind_(o.kind) {
        setFlags(ItemIsSelectable | ItemIsMovable);
        setData(0, o.name);
        setToolTip(o.name);
    }

    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QRectF r = rect();
        p->save();
        p->setPen(QPen(QColor(180, 180, 180), 0, Qt::DotLine));
        p->drawRect(r);
        p->setPen(QPen(Qt::black, 0.26));
        if (frame_ & Frame::Left) p->drawLine(r.topLeft(), r.bottomLeft());
        if (frame_ & Frame::Right) p->drawLine(r.topRight(), r.bottomRight());
        if (frame_ & Frame::Top) p->drawLine(r.topLeft(), r.topRight());
        if (frame_ & Frame::Bottom) p->drawLine(r.bottomLeft(), r.bottomRight());
        if (kind_ == ObjectKind::Memo || kind_ == ObjectKind::SysMemo) {
            // Text at a tenth of a millimetre per pixel, so small fonts keep their size.
            QFont f = qfontFor(font_);
            f.setPixelSize(std::max(1, int(font_.pointSize * 25.4 / 72.0 * 10 + 0.5)));
            p->setFont(f);
            p->scale(0.1, 0.1);
            const QRectF tr(r.x() * 10 + 5, r.y() * 10 + 2, r.width() * 10 - 10, r.height() * 10 - 4);
            const int align = (hAlign_ == HAlign::Center  ? Qt::AlignHCenter
                               : hAlign_ == HAlign::Right ? Qt::AlignRight
                                                          : Qt::AlignLeft) |
                              Qt::AlignVCenter | Qt::TextWordWrap;
            p->drawText(tr, align, QString(text_).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        } else {
            p->setFont(QFont());
            p->scale(0.1, 0.1);
            p->drawText(QRectF(r.x() * 10, r.y() * 10, r.width() * 10, r.height() * 10), Qt::AlignCenter,
                        name_);
        }
        p->restore();
        if (isSelected()) {
            p->setPen(QPen(QColor(0, 120, 215), 0, Qt::DashLine));
            p->drawRect(r);
        }
    }

  protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* e) override {
        start_ = pos();
        QGraphicsRectItem::mousePressEvent(e);
    }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* e) override {
        QGraphicsRectItem::mouseReleaseEvent(e);
        const QPointF delta = pos() - start_;
        if (!delta.isNull()) {
            // Every selected item moved with this one; the model moves the selection.
            DesignerCanvas* c = canvas_;
            QTimer::singleShot(0, c, [c, delta] { c->objectDragged(delta); });
        }
    }

  private:
    DesignerCanvas* canvas_;
    QString name_, text_;
    ResolvedFont font_;
    int frame_;
    HAlign hAlign_;
    ObjectKind kind_;
    QPointF start_;
};

DesignerCanvas::DesignerCanvas(DesignerModel& model, QWidget* parent)
    : QGraphicsView(parent), model_(model), scene_(new QGraphicsScene(this)) {
    setObjectName(QStringLiteral("designView"));
    setScene(scene_);
    setDragMode(QGraphicsView::RubberBandDrag);
    setBackgroundBrush(QColor(200, 200, 200));
    const double pxPerMm = logicalDpiX() / 25.4;
    scale(pxPerMm, pxPerMm);
    connect(scene_, &QGraphicsScene::selectionChanged, this, &DesignerCanvas::sceneSelectionChanged);
}

QPointF DesignerCanvas::bandOrigin(const QString& band) const {
    return bandOrigins_.value(band);
}

void DesignerCanvas::rebuild() {
    const QSignalBlocker block(scene_);
    scene_->clear();
    bandOrigins_.clear();
    if (model_.tpl().pages.isEmpty()) return;
    const Page& page = model_.tpl().pages.first();
    const double left = page.leftMargin;
    const double width = page.paperWidth - page.leftMargin - page.rightMargin;
    double y = page.topMargin;

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

    double bottom = y;
    for (const Placed& p : placed) bottom += kBandGap + p.height;
    auto* paper =
        scene_->addRect(0, 0, page.paperWidth, std::max(page.paperHeight, bottom + page.bottomMargin),
                        QPen(Qt::black, 0), QBrush(Qt::white));
    paper->setZValue(-2);

    QFont caption;
    caption.setPixelSize(3);
    for (const Placed& p : placed) {
        auto* text = scene_->addSimpleText(p.band ? bandCaption(*p.band) : QStringLiteral("页面"), caption);
        text->setBrush(QColor(90, 90, 160));
        text->setPos(left, y + 0.2);
        y += kBandGap;
        auto* area = scene_->addRect(left, y, width, p.height, QPen(QColor(90, 90, 160), 0, Qt::DashLine),
                                     QBrush(QColor(245, 247, 255)));
        area->setZValue(-1);
        bandOrigins_.insert(p.name, QPointF(left, y));
        for (const ReportObject& o : *p.objects) {
            auto* item = new ObjectItem(this, o, model_.font(o.name));
            item->setPos(left + unitsToMm(o.left), y + unitsToMm(o.top));
            item->setSelected(model_.selection().contains(o.name));
            scene_->addItem(item);
        }
        y += p.height;
    }
    scene_->setSceneRect(paper->rect().adjusted(-5, -5, 5, 5));
}

void DesignerCanvas::sceneSelectionChanged() {
    QStringList names;
    for (QGraphicsItem* i : scene_->selectedItems()) names << i->data(0).toString();
    model_.select(names);
    emit selectionChanged();
}

void DesignerCanvas::objectDragged(QPointF deltaMm) {
    model_.moveSelected(deltaMm.x(), deltaMm.y());
    emit edited();
}

void DesignerCanvas::keyPressEvent(QKeyEvent* k) {
    const double step = (k->modifiers() & Qt::ControlModifier) ? 0.1 : 0.5;
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
    if (!model_.selection().isEmpty()) {
        model_.moveSelected(dx, dy);
        emit edited();
    }
    k->accept();
}

}  // namespace printing
