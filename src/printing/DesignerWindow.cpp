#include "printing/DesignerWindow.h"

#include "printing/DesignerCanvas.h"
#include "printing/PreviewWindow.h"
#include "printing/SampleData.h"
#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace printing {

namespace {

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

    canvas_ = new DesignerCanvas(model_, this);
    connect(canvas_, &DesignerCanvas::edited, this, &DesignerWindow::refresh);
    connect(canvas_, &DesignerCanvas::selectionChanged, this, &DesignerWindow::loadPanel);

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
    middle->addWidget(canvas_, 1);
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
    refresh();
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

void DesignerWindow::refresh() {
    canvas_->rebuild();
    loadPanel();
    updateTitle();
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
