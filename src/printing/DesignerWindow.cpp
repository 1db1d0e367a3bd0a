#include "printing/DesignerWindow.h"

#include "printing/PreviewWindow.h"
#include "printing/Render.h"
#include "printing/SampleData.h"
#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace printing {

namespace {

constexpr double kBandGap = 4;  // mm between bands, room for the band's caption

// An object as a box in the scene (scene units are millimetres).
class ObjectItem : public QGraphicsRectItem {
  public:
    ObjectItem(DesignerWindow* window, const ReportObject& o, const ResolvedFont& font)
        : QGraphicsRectItem(0, 0, std::max(0.0, unitsToMm(o.width)), std::max(0.0, unitsToMm(o.height))),
          window_(window),
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
            DesignerWindow* w = window_;
            const QString name = name_;
            QTimer::singleShot(0, w, [w, name, delta] { w->objectDragged(name, delta); });
        }
    }

  private:
    DesignerWindow* window_;
    QString name_, text_;
    ResolvedFont font_;
    int frame_;
    HAlign hAlign_;
    ObjectKind kind_;
    QPointF start_;
};

int bandOrder(BandKind k) {
    return int(k);  // the enum lists bands in the order they print
}

QString bandCaption(const Band& b) {
    return QStringLiteral("%1 (%2)  高 %3 mm")
        .arg(b.name, b.elementName(), QString::number(unitsToMm(b.height), 'f', 1));
}

QDoubleSpinBox* mmSpin(const QString& name, QWidget* parent) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(-1000, 1000);
    s->setDecimals(1);
    s->setSingleStep(0.5);
    s->setSuffix(QStringLiteral(" mm"));
    s->setKeyboardTracking(false);
    return s;
}

}  // namespace

DesignerWindow::DesignerWindow(const QString& templatePath, QWidget* parent) : QDialog(parent) {
    setObjectName("DesignerWindow");
    QString error;
    loaded_ = model_.load(templatePath, &error);
    if (!loaded_) {
        model_ = DesignerModel(Template{}, templatePath);
        ui::dialogs().warn(error);
    }

    scene_ = new QGraphicsScene(this);
    view_ = new QGraphicsView(scene_, this);
    view_->setObjectName("designView");
    view_->setDragMode(QGraphicsView::RubberBandDrag);
    view_->setBackgroundBrush(QColor(200, 200, 200));
    const double pxPerMm = logicalDpiX() / 25.4;
    view_->scale(pxPerMm, pxPerMm);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    connect(scene_, &QGraphicsScene::selectionChanged, this, &DesignerWindow::sceneSelectionChanged);

    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    nameEdit_ = new QLineEdit(panel);
    nameEdit_->setObjectName("nameEdit");
    nameEdit_->setReadOnly(true);
    leftSpin_ = mmSpin("leftSpin", panel);
    topSpin_ = mmSpin("topSpin", panel);
    widthSpin_ = mmSpin("widthSpin", panel);
    heightSpin_ = mmSpin("heightSpin", panel);
    textEdit_ = new QLineEdit(panel);
    textEdit_->setObjectName("textEdit");
    fontSizeSpin_ = new QDoubleSpinBox(panel);
    fontSizeSpin_->setObjectName("fontSizeSpin");
    fontSizeSpin_->setRange(1, 200);
    fontSizeSpin_->setDecimals(1);
    fontSizeSpin_->setKeyboardTracking(false);
    boldCheck_ = new QCheckBox(QStringLiteral("粗体"), panel);
    boldCheck_->setObjectName("boldCheck");
    form->addRow(QStringLiteral("名称"), nameEdit_);
    form->addRow(QStringLiteral("左"), leftSpin_);
    form->addRow(QStringLiteral("上"), topSpin_);
    form->addRow(QStringLiteral("宽"), widthSpin_);
    form->addRow(QStringLiteral("高"), heightSpin_);
    form->addRow(QStringLiteral("文本"), textEdit_);
    form->addRow(QStringLiteral("字号"), fontSizeSpin_);
    form->addRow(QString(), boldCheck_);
    panel->setFixedWidth(260);
    for (QDoubleSpinBox* s : {leftSpin_, topSpin_, widthSpin_, heightSpin_, fontSizeSpin_})
        connect(s, &QDoubleSpinBox::valueChanged, this, &DesignerWindow::applyPanel);
    connect(textEdit_, &QLineEdit::editingFinished, this, &DesignerWindow::applyPanel);
    connect(boldCheck_, &QCheckBox::toggled, this, &DesignerWindow::applyPanel);

    saveBtn_ = new QPushButton(QStringLiteral("保存"), this);
    saveBtn_->setObjectName("saveBtn");
    previewBtn_ = new QPushButton(QStringLiteral("预览"), this);
    previewBtn_->setObjectName("previewBtn");
    closeBtn_ = new QPushButton(QStringLiteral("关闭"), this);
    closeBtn_->setObjectName("closeBtn");
    for (QPushButton* b : {saveBtn_, previewBtn_, closeBtn_}) b->setAutoDefault(false);
    connect(saveBtn_, &QPushButton::clicked, this, [this] { save(); });
    connect(previewBtn_, &QPushButton::clicked, this, &DesignerWindow::preview);
    connect(closeBtn_, &QPushButton::clicked, this, &DesignerWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveBtn_);
    buttons->addWidget(previewBtn_);
    buttons->addStretch();
    buttons->addWidget(closeBtn_);
    auto* middle = new QHBoxLayout;
    middle->addWidget(view_, 1);
    middle->addWidget(panel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(1100, 700);

    showPreview = [this](const PreparedReport& pages) {
        PreviewWindow w(pages, this);
        w.setDocumentName(QFileInfo(model_.fileName()).completeBaseName());
        w.exec();
    };
    rebuildScene();
    loadPanel();
    updateTitle();
}

QPointF DesignerWindow::bandOrigin(const QString& band) const {
    return bandOrigins_.value(band);
}

void DesignerWindow::updateTitle() {
    setWindowTitle(QStringLiteral("报表设计 - %1%2")
                       .arg(QDir::toNativeSeparators(model_.fileName()), model_.isModified() ? "*" : ""));
}

void DesignerWindow::rebuildScene() {
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
    std::stable_sort(bands.begin(), bands.end(), [](const Band* a, const Band* b) {
        return bandOrder(a->kind) != bandOrder(b->kind) ? bandOrder(a->kind) < bandOrder(b->kind)
                                                        : a->top < b->top;
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

void DesignerWindow::refresh() {
    rebuildScene();
    loadPanel();
    updateTitle();
}

void DesignerWindow::sceneSelectionChanged() {
    QStringList names;
    for (QGraphicsItem* i : scene_->selectedItems()) names << i->data(0).toString();
    model_.select(names);
    loadPanel();
}

void DesignerWindow::loadPanel() {
    filling_ = true;
    const QString name = model_.selection().size() == 1 ? model_.selection().first() : QString();
    const ReportObject* o = model_.object(name);
    for (QWidget* w : std::initializer_list<QWidget*>{leftSpin_, topSpin_, widthSpin_, heightSpin_, textEdit_,
                                                      fontSizeSpin_, boldCheck_})
        w->setEnabled(o != nullptr);
    nameEdit_->setText(name);
    if (o) {
        const QRectF g = model_.geometryMm(name);
        leftSpin_->setValue(g.x());
        topSpin_->setValue(g.y());
        widthSpin_->setValue(g.width());
        heightSpin_->setValue(g.height());
        textEdit_->setText(o->text);
        const ResolvedFont f = model_.font(name);
        fontSizeSpin_->setValue(f.pointSize);
        boldCheck_->setChecked(f.bold());
    } else {
        textEdit_->clear();
    }
    filling_ = false;
}

void DesignerWindow::applyPanel() {
    if (filling_) return;
    const QString name = model_.selection().size() == 1 ? model_.selection().first() : QString();
    if (!model_.object(name)) return;
    const QRectF g = model_.geometryMm(name);
    // The panel shows a tenth of a millimetre: keep the exact value unless the user changed it.
    const auto pick = [](double shown, double exact) {
        return std::abs(shown - exact) < 0.05 ? exact : shown;
    };
    model_.setGeometryMm(
        name, QRectF(pick(leftSpin_->value(), g.x()), pick(topSpin_->value(), g.y()),
                     pick(widthSpin_->value(), g.width()), pick(heightSpin_->value(), g.height())));
    model_.setText(name, textEdit_->text());
    if (std::abs(fontSizeSpin_->value() - model_.font(name).pointSize) >= 0.05)
        model_.setFontSize(name, fontSizeSpin_->value());
    model_.setBold(name, boldCheck_->isChecked());
    QTimer::singleShot(0, this, &DesignerWindow::refresh);
}

void DesignerWindow::objectDragged(const QString&, QPointF deltaMm) {
    model_.moveSelected(deltaMm.x(), deltaMm.y());
    refresh();
}

bool DesignerWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == view_ || watched == view_->viewport()) && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
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
                return QDialog::eventFilter(watched, event);
        }
        if (!model_.selection().isEmpty()) {
            model_.moveSelected(dx, dy);
            refresh();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool DesignerWindow::save() {
    QString error;
    if (!model_.save(&error)) {
        ui::dialogs().warn(error);
        return false;
    }
    updateTitle();
    return true;
}

void DesignerWindow::preview() {
    const Report r = sampleReport(model_.tpl(), model_.fileName());
    if (showPreview) showPreview(r.prepare());
}

void DesignerWindow::reject() {
    if (model_.isModified() && ui::dialogs().confirm(QStringLiteral("报表格式已修改，是否保存？")) && !save())
        return;
    QDialog::reject();
}

}  // namespace printing
