#include "printing/DesignerWindow.h"

#include "printing/DesignerCanvas.h"
#include "printing/DesignerPanel.h"
#include "printing/PreviewWindow.h"
#include "printing/PrinterAdjustmentsDialog.h"
#include "printing/SampleData.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
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
        panel_->showSelection();
        updateActions();
    });
    connect(canvas_, &DesignerCanvas::deleteRequested, this, &DesignerWindow::deleteSelected);
    connect(canvas_, &DesignerCanvas::copyRequested, this, &DesignerWindow::copy);
    connect(canvas_, &DesignerCanvas::pasteRequested, this, &DesignerWindow::paste);
    connect(canvas_, &DesignerCanvas::undoRequested, this, &DesignerWindow::undo);
    connect(canvas_, &DesignerCanvas::redoRequested, this, &DesignerWindow::redo);

    panel_ = new DesignerPanel(model_, this);
    connect(panel_, &DesignerPanel::changed, this, &DesignerWindow::refresh);
    connect(canvas_, &DesignerCanvas::bandClicked, panel_, &DesignerPanel::showBand);
    connect(canvas_, &DesignerCanvas::paperClicked, panel_, &DesignerPanel::showPage);

    buildToolBar();
    // A tool button takes no focus: what the panel's field holds is applied before the action runs.
    connect(toolBar_, &QToolBar::actionTriggered, panel_, &DesignerPanel::commitEdits);
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
    middle->addWidget(panel_);
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
    adjustPrinters = [this](const TemplateSettings& settings) -> std::optional<TemplateSettings> {
        const DesignerModel::PageSetup page = model_.pageSetup();
        PrinterAdjustmentsDialog dialog(
            settings, QSizeF(page.paperWidth, page.paperHeight),
            QMarginsF(page.leftMargin, page.topMargin, page.rightMargin, page.bottomMargin), this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.settings();
    };
    refresh();
    canvas_->setFocus();
}

DesignerWindow::~DesignerWindow() {
    // The panel edits model_, which goes before the child widgets do: a field with the focus would
    // otherwise apply itself to it while a shown window is destroyed.
    delete panel_;
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
    panel_->showSelection();
    updateTitle();
    updateActions();
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
    panel_->commitEdits();  // Esc or the window's close button with a field still being typed into
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
