#include "printing/DesignerWindow.h"

#include "printing/DesignerCanvas.h"
#include "printing/PreviewWindow.h"
#include "printing/SampleData.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace printing {

namespace {

const double kZooms[] = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4, 6, 8};
const QString kImageFilter =
    QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.gif *.tif *.tiff);;所有文件 (*)");

// "x,y" in millimetres (also with a full-width comma or blanks between the two numbers).
std::optional<QPointF> parsePoint(const QString& text) {
    QString t = text.trimmed();
    t.replace(QChar(0xFF0C), QLatin1Char(','));
    const QStringList parts =
        t.split(QRegularExpression(QStringLiteral("\\s*[,;\\s]\\s*")), Qt::SkipEmptyParts);
    if (parts.size() != 2) return std::nullopt;
    bool okX = false, okY = false;
    const double x = parts[0].toDouble(&okX), y = parts[1].toDouble(&okY);
    if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return QPointF(x, y);
}

// The image file's bytes, or empty with the reason shown.
QByteArray readImageFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ui::dialogs().warn(QStringLiteral("无法读取图片文件“%1”。").arg(shown));
        return {};
    }
    const QByteArray bytes = f.readAll();
    if (QImage::fromData(bytes).isNull()) {
        ui::dialogs().warn(QStringLiteral("“%1”不是可以读取的图片文件。").arg(shown));
        return {};
    }
    return bytes;
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
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    QString error;
    loaded_ = model_.load(templatePath, &error);
    if (!loaded_) {
        model_ = DesignerModel(Template{}, templatePath);
        ui::dialogs().warn(error);
    }

    canvas_ = new DesignerCanvas(model_, this);
    connect(canvas_, &DesignerCanvas::edited, this, &DesignerWindow::refresh);
    connect(canvas_, &DesignerCanvas::selectionChanged, this, [this] {
        loadPanel();
        updateActions();
    });
    connect(canvas_, &DesignerCanvas::deleteRequested, this, &DesignerWindow::deleteSelected);
    connect(canvas_, &DesignerCanvas::copyRequested, this, &DesignerWindow::copy);
    connect(canvas_, &DesignerCanvas::pasteRequested, this, &DesignerWindow::paste);
    connect(canvas_, &DesignerCanvas::undoRequested, this, &DesignerWindow::undo);
    connect(canvas_, &DesignerCanvas::redoRequested, this, &DesignerWindow::redo);

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

    buildToolBar();
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName("statusLabel");
    auto* positionLabel = new QLabel(this);
    positionLabel->setObjectName("positionLabel");
    connect(canvas_, &DesignerCanvas::pointerMoved, positionLabel, &QLabel::setText);
    connect(canvas_, &DesignerCanvas::pickCancelled, statusLabel_, &QLabel::clear);

    auto* status = new QHBoxLayout;
    status->addWidget(statusLabel_, 1);
    status->addWidget(positionLabel);
    auto* middle = new QHBoxLayout;
    middle->addWidget(canvas_, 1);
    middle->addWidget(panel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(toolBar_);
    layout->addLayout(middle, 1);
    layout->addLayout(status);
    resize(1180, 760);

    showPreview = [this](const PreparedReport& pages) {
        PreviewWindow w(pages, this);
        w.setDocumentName(QFileInfo(model_.fileName()).completeBaseName());
        w.exec();
    };
    refresh();
    canvas_->setFocus();
}

QAction* DesignerWindow::addAction(const char* name, const QString& text, const QString& tip) {
    QAction* a = toolBar_->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) a->setToolTip(tip);
    return a;
}

void DesignerWindow::buildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName("designToolBar");
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(addAction("actText", QStringLiteral("文本"), QStringLiteral("加入文本")), &QAction::triggered,
            this, &DesignerWindow::addText);
    connect(addAction("actField", QStringLiteral("字段"), QStringLiteral("加入数据集的字段")),
            &QAction::triggered, this, &DesignerWindow::addField);
    connect(addAction("actPicture", QStringLiteral("图片"), QStringLiteral("加入图片")), &QAction::triggered,
            this, &DesignerWindow::addPicture);
    connect(addAction("actLine", QStringLiteral("线条"), QStringLiteral("加入线条")), &QAction::triggered,
            this, &DesignerWindow::addLine);
    connect(addAction("actRect", QStringLiteral("矩形"), QStringLiteral("加入矩形")), &QAction::triggered,
            this, &DesignerWindow::addRect);
    toolBar_->addSeparator();
    deleteAct_ = addAction("actDelete", QStringLiteral("删除"), QStringLiteral("删除所选对象 (Delete)"));
    connect(deleteAct_, &QAction::triggered, this, &DesignerWindow::deleteSelected);
    copyAct_ = addAction("actCopy", QStringLiteral("复制"), QStringLiteral("复制所选对象 (Ctrl+C)"));
    connect(copyAct_, &QAction::triggered, this, &DesignerWindow::copy);
    connect(addAction("actPaste", QStringLiteral("粘贴"), QStringLiteral("粘贴 (Ctrl+V)")),
            &QAction::triggered, this, &DesignerWindow::paste);
    undoAct_ = addAction("actUndo", QStringLiteral("撤销"), QStringLiteral("撤销 (Ctrl+Z)"));
    connect(undoAct_, &QAction::triggered, this, &DesignerWindow::undo);
    redoAct_ = addAction("actRedo", QStringLiteral("重做"), QStringLiteral("重做 (Ctrl+Y)"));
    connect(redoAct_, &QAction::triggered, this, &DesignerWindow::redo);
    toolBar_->addSeparator();
    snapAct_ =
        addAction("actSnap", QStringLiteral("对齐网格"), QStringLiteral("拖动和改变大小时对齐到整毫米"));
    snapAct_->setCheckable(true);
    snapAct_->setChecked(canvas_->snapToGrid());
    connect(snapAct_, &QAction::toggled, canvas_, &DesignerCanvas::setSnapToGrid);
    zoomBox_ = new QComboBox(toolBar_);
    zoomBox_->setObjectName("zoomBox");
    for (double z : kZooms) zoomBox_->addItem(QStringLiteral("%1%").arg(qRound(z * 100)), z);
    zoomBox_->setCurrentIndex(zoomBox_->findData(canvas_->zoom()));
    toolBar_->addWidget(zoomBox_);
    connect(zoomBox_, &QComboBox::activated, this,
            [this](int i) { canvas_->setZoom(zoomBox_->itemData(i).toDouble()); });
    connect(canvas_, &DesignerCanvas::zoomChanged, this, [this](double z) {
        int best = 0;
        for (int i = 1; i < zoomBox_->count(); ++i)
            if (std::abs(zoomBox_->itemData(i).toDouble() - z) <
                std::abs(zoomBox_->itemData(best).toDouble() - z))
                best = i;
        zoomBox_->setCurrentIndex(best);
    });
    toolBar_->addSeparator();
    connect(addAction("actSave", QStringLiteral("保存"), QStringLiteral("保存报表格式文件")),
            &QAction::triggered, this, [this] { save(); });
    connect(addAction("actPreview", QStringLiteral("预览"),
                      QStringLiteral("用当前送货单（没有时用示例数据）预览")),
            &QAction::triggered, this, &DesignerWindow::preview);
    toolBar_->addSeparator();
    connect(addAction("actBackground", QStringLiteral("底图…"), QStringLiteral("载入空白表格的扫描或照片")),
            &QAction::triggered, this, &DesignerWindow::loadBackground);
    referenceAct_ = addAction("actReferencePoints", QStringLiteral("设定参考点"),
                              QStringLiteral("在底图上点两个点，输入它们在纸上的位置"));
    connect(referenceAct_, &QAction::triggered, this, &DesignerWindow::setReferencePoints);
    showBackgroundAct_ = addAction("actShowBackground", QStringLiteral("显示底图"));
    showBackgroundAct_->setCheckable(true);
    showBackgroundAct_->setChecked(canvas_->backgroundShown());
    connect(showBackgroundAct_, &QAction::toggled, canvas_, &DesignerCanvas::setBackgroundShown);
    connect(addAction("actPrinterAdjustments", QStringLiteral("打印机校正"),
                      QStringLiteral("各台打印机的偏移和纵向比例，校正打印")),
            &QAction::triggered, this, &DesignerWindow::printerAdjustments);
    toolBar_->addSeparator();
    connect(addAction("actClose", QStringLiteral("关闭")), &QAction::triggered, this,
            &DesignerWindow::reject);
}

QGraphicsView* DesignerWindow::view() const {
    return canvas_;
}

QPointF DesignerWindow::bandOrigin(const QString& band) const {
    return canvas_->bandOrigin(band);
}

void DesignerWindow::updateTitle() {
    setWindowTitle(QStringLiteral("报表设计 - %1%2")
                       .arg(QDir::toNativeSeparators(model_.fileName()), model_.isModified() ? "*" : ""));
}

void DesignerWindow::updateActions() {
    undoAct_->setEnabled(model_.canUndo());
    redoAct_->setEnabled(model_.canRedo());
    const bool any = !model_.selection().isEmpty();
    deleteAct_->setEnabled(any);
    copyAct_->setEnabled(any);
    const TemplateSettings s = model_.settings();
    referenceAct_->setEnabled(s.background && !s.background->image.isEmpty());
}

void DesignerWindow::refresh() {
    canvas_->rebuild();
    loadPanel();
    updateTitle();
    updateActions();
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

// --- adding --------------------------------------------------------------------------------------------

void DesignerWindow::addNew(DesignerModel::NewObject kind, const QString& text, const QByteArray& picture) {
    const auto [band, pos] = canvas_->placeForNewObject();
    model_.beginGroup();
    const QString name = model_.addObject(kind, band, pos, text, picture);
    if (!name.isEmpty()) {
        // Keep the new object inside its band where it fits.
        QRectF g = model_.geometryMm(name);
        const Band* b = model_.band(band);
        if (b) {
            const double w = b->width > 0 ? unitsToMm(b->width) : g.right();
            g.moveLeft(std::max(0.0, std::min(g.left(), w - std::abs(g.width()))));
            g.moveTop(std::max(0.0, std::min(g.top(), unitsToMm(b->height) - std::abs(g.height()))));
            model_.setGeometryMm(name, g);
        }
    }
    model_.endGroup();
    refresh();
}

void DesignerWindow::addText() {
    addNew(DesignerModel::NewObject::Text, QStringLiteral("文本"));
}

void DesignerWindow::addField() {
    QMenu menu(this);
    for (const QString& ds : sampleDatasetNames()) {
        if (!menu.isEmpty()) menu.addSeparator();
        for (const QString& f : sampleFields(ds)) menu.addAction(QStringLiteral("[%1.\"%2\"]").arg(ds, f));
    }
    QPoint pos = QCursor::pos();
    if (QWidget* button = toolBar_->widgetForAction(findChild<QAction*>("actField")))
        pos = button->mapToGlobal(QPoint(0, button->height()));
    if (QAction* chosen = ui::dialogs().popup(&menu, pos))
        addNew(DesignerModel::NewObject::Field, chosen->text());
}

void DesignerWindow::addPicture() {
    const QString file = ui::dialogs().openFile(QStringLiteral("选择图片"), QString(), kImageFilter);
    if (file.isEmpty()) return;
    const QByteArray bytes = readImageFile(file);
    if (!bytes.isEmpty()) addNew(DesignerModel::NewObject::Picture, {}, bytes);
}

void DesignerWindow::addLine() {
    addNew(DesignerModel::NewObject::Line);
}

void DesignerWindow::addRect() {
    addNew(DesignerModel::NewObject::Rectangle);
}

// --- editing -------------------------------------------------------------------------------------------

void DesignerWindow::deleteSelected() {
    if (model_.selection().isEmpty()) return;
    const QString why = model_.removeSelected();
    if (!why.isEmpty()) ui::dialogs().warn(why);
    refresh();
}

void DesignerWindow::copy() {
    const QString text = model_.copySelection();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void DesignerWindow::paste() {
    const QStringList names =
        model_.paste(QGuiApplication::clipboard()->text(), canvas_->placeForNewObject().first);
    if (!names.isEmpty()) refresh();
}

void DesignerWindow::undo() {
    if (model_.undo()) refresh();
}

void DesignerWindow::redo() {
    if (model_.redo()) refresh();
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
    std::optional<Report> r;
    if (noteReport) r = noteReport(model_.tpl(), model_.fileName());
    if (!r) r = sampleReport(model_.tpl(), model_.fileName());
    if (showPreview) showPreview(r->prepare());
}

// --- the background picture ------------------------------------------------------------------------------

void DesignerWindow::loadBackground() {
    const QString file =
        ui::dialogs().openFile(QStringLiteral("选择空白表格的图片"), QString(), kImageFilter);
    if (file.isEmpty()) return;
    const QByteArray bytes = readImageFile(file);
    if (bytes.isEmpty()) return;
    TemplateSettings s = model_.settings();
    BackgroundPicture bg = s.background.value_or(BackgroundPicture{});
    // Points of another picture mean nothing on this one.
    const bool showInPreview = bg.showInPreview;
    bg = BackgroundPicture{};
    bg.image = bytes;
    bg.showInPreview = showInPreview;
    s.background = bg;
    model_.setSettings(s);
    showBackgroundAct_->setChecked(true);
    refresh();
    statusLabel_->setText(
        QStringLiteral("底图已载入，按纸宽放在页面左上角；用“设定参考点”把它对准纸上的位置。"));
}

void DesignerWindow::setReferencePoints() {
    const TemplateSettings s = model_.settings();
    const QImage image = s.background ? QImage::fromData(s.background->image) : QImage();
    if (image.isNull() || model_.tpl().pages.isEmpty()) {
        ui::dialogs().warn(QStringLiteral("请先用“底图…”载入空白表格的图片。"));
        return;
    }
    showBackgroundAct_->setChecked(true);
    const QTransform t =
        s.background->imageToPaper(QSizeF(image.size()), model_.tpl().pages.first().paperWidth);
    pickReferencePoint(1, t, {}, {});
}

void DesignerWindow::pickReferencePoint(int n, const QTransform& imageToPaper, QList<QPointF> imagePoints,
                                        QList<QPointF> paperPoints) {
    statusLabel_->setText(QStringLiteral("设定参考点：请在底图上点击第 %1 个参考点（Esc 取消）。").arg(n));
    canvas_->pickPoint([=, this](QPointF scenePos) mutable {
        const std::optional<QPointF> shown = canvas_->sceneToPaper(scenePos);
        if (!shown) {
            ui::dialogs().warn(QStringLiteral("请在带区里的底图上点击参考点。"));
            pickReferencePoint(n, imageToPaper, imagePoints, paperPoints);
            return;
        }
        const QPointF imagePoint = imageToPaper.inverted().map(*shown);
        std::optional<QPointF> paper;
        QString typed = QStringLiteral("%1,%2").arg(shown->x(), 0, 'f', 1).arg(shown->y(), 0, 'f', 1);
        while (!paper) {
            const std::optional<QString> answer = ui::dialogs().input(
                QStringLiteral("设定参考点"),
                QStringLiteral("第 %1 个参考点在纸上的实际位置（毫米，从纸的左上角量起，格式 x,y）：").arg(n),
                typed);
            if (!answer) {
                statusLabel_->clear();
                return;
            }
            typed = *answer;
            paper = parsePoint(typed);
            if (!paper)
                ui::dialogs().warn(
                    QStringLiteral("“%1”不是纸上的位置，请输入两个毫米数，例如 25,40。").arg(typed));
        }
        imagePoints << imagePoint;
        paperPoints << *paper;
        if (n == 1) {
            pickReferencePoint(2, imageToPaper, imagePoints, paperPoints);
            return;
        }
        statusLabel_->clear();
        const QPointF di = imagePoints[1] - imagePoints[0], dp = paperPoints[1] - paperPoints[0];
        if (std::hypot(di.x(), di.y()) < 1 || std::hypot(dp.x(), dp.y()) < 0.5) {
            ui::dialogs().warn(QStringLiteral("两个参考点离得太近，底图没有改变：请选相距较远的两个点。"));
            return;
        }
        TemplateSettings s = model_.settings();
        if (!s.background) return;
        s.background->hasReferencePoints = true;
        s.background->imagePoint1 = imagePoints[0];
        s.background->imagePoint2 = imagePoints[1];
        s.background->paperPoint1 = paperPoints[0];
        s.background->paperPoint2 = paperPoints[1];
        model_.setSettings(s);
        refresh();
        statusLabel_->setText(QStringLiteral("底图已按两个参考点放好。"));
    });
}

void DesignerWindow::printerAdjustments() {
    if (!adjustPrinters) return;
    const std::optional<TemplateSettings> s = adjustPrinters(model_.settings());
    if (!s) return;
    model_.setSettings(*s);
    refresh();
}

// --- closing -----------------------------------------------------------------------------------------------

void DesignerWindow::reject() {
    if (model_.isModified()) {
        using B = ui::Dialogs::Button;
        const B answer =
            ui::dialogs().message(QStringLiteral("报表格式已修改，是否保存？"), QStringLiteral("信息"),
                                  ui::Dialogs::Icon::Question, {B::Yes, B::No, B::Cancel});
        if (answer == B::Cancel) return;
        if (answer == B::Yes && !save()) return;
    }
    canvas_->cancelPick();
    QDialog::reject();
}

}  // namespace printing
