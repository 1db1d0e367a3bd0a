#include "printing/PrinterAdjustmentsDialog.h"

#include "printing/Calibration.h"
#include "printing/PreviewWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace printing {

namespace {

QDoubleSpinBox* spin(QWidget* parent, const QString& name, double min, double max, double step, int decimals,
                     const QString& suffix) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setSingleStep(step);
    s->setDecimals(decimals);
    s->setSuffix(suffix);
    s->setAlignment(Qt::AlignRight);
    return s;
}

}  // namespace

PrinterAdjustmentsDialog::PrinterAdjustmentsDialog(const TemplateSettings& settings, QSizeF paperMm,
                                                   QMarginsF marginsMm, QWidget* parent)
    : QDialog(parent), settings_(settings), paperMm_(paperMm), marginsMm_(marginsMm) {
    setObjectName(QStringLiteral("PrinterAdjustmentsDialog"));
    setWindowTitle(QStringLiteral("打印机校正"));

    printerCombo_ = new QComboBox(this);
    printerCombo_->setObjectName(QStringLiteral("printerCombo"));
    printerCombo_->setEditable(true);
    printerCombo_->setInsertPolicy(QComboBox::NoInsert);
    printerCombo_->setMinimumWidth(260);
    QStringList names = QPrinterInfo::availablePrinterNames();
    for (const PrinterAdjustment& a : settings_.printers)
        if (!names.contains(a.printer, Qt::CaseInsensitive)) names.append(a.printer);
    printerCombo_->addItems(names);
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    const int def = defaultPrinter.isEmpty() ? -1 : printerCombo_->findText(defaultPrinter);
    printerCombo_->setCurrentIndex(def >= 0 ? def : (names.isEmpty() ? -1 : 0));

    dxSpin_ = spin(this, QStringLiteral("dxSpin"), -50, 50, 0.1, 2, QStringLiteral(" mm"));
    dySpin_ = spin(this, QStringLiteral("dySpin"), -50, 50, 0.1, 2, QStringLiteral(" mm"));
    scaleSpin_ = spin(this, QStringLiteral("scaleSpin"), 0.9, 1.1, 0.0005, 4, QString());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("打印机"), printerCombo_);
    form->addRow(QStringLiteral("水平偏移"), dxSpin_);
    form->addRow(QStringLiteral("垂直偏移"), dySpin_);
    form->addRow(QStringLiteral("垂直比例"), scaleSpin_);

    auto* hint = new QLabel(
        QStringLiteral("向右、向下为正。校准页按上面的数值打印：量出的差值加到当前的偏移上；"
                       "上下两个十字的实际距离除以标注距离，乘以当前的垂直比例，即为新的垂直比例。"),
        this);
    hint->setObjectName(QStringLiteral("hintLabel"));
    hint->setWordWrap(true);

    calibrationButton_ = new QPushButton(QStringLiteral("打印校准页"), this);
    calibrationButton_->setObjectName(QStringLiteral("calibrationButton"));
    calibrationButton_->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addButton(calibrationButton_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    showPreview = [this](const PreparedReport& page) {
        PreviewWindow preview(page, this);
        preview.setWindowTitle(QStringLiteral("校准页"));
        preview.setDocumentName(QStringLiteral("校准页"));
        preview.setPrinterName(currentPrinter());
        preview.exec();
    };

    connect(printerCombo_, &QComboBox::currentTextChanged, this, &PrinterAdjustmentsDialog::showPrinter);
    for (QDoubleSpinBox* s : {dxSpin_, dySpin_, scaleSpin_})
        connect(s, &QDoubleSpinBox::valueChanged, this, &PrinterAdjustmentsDialog::storeValues);
    connect(calibrationButton_, &QPushButton::clicked, this, [this] {
        if (showPreview) showPreview(calibrationPage());
    });
    showPrinter();
}

PrinterAdjustmentsDialog::~PrinterAdjustmentsDialog() = default;

QString PrinterAdjustmentsDialog::currentPrinter() const {
    return printerCombo_->currentText().trimmed();
}

PreparedReport PrinterAdjustmentsDialog::calibrationPage() const {
    PreparedReport page = calibrationReport(paperMm_, marginsMm_);
    page.settings = settings_;
    page.settings.background.reset();
    return page;
}

void PrinterAdjustmentsDialog::showPrinter() {
    const QString name = currentPrinter();
    const PrinterAdjustment a = settings_.adjustmentFor(name);
    loading_ = true;
    dxSpin_->setValue(a.dxMm);
    dySpin_->setValue(a.dyMm);
    scaleSpin_->setValue(a.yScale);
    loading_ = false;
    for (QDoubleSpinBox* s : {dxSpin_, dySpin_, scaleSpin_}) s->setEnabled(!name.isEmpty());
    calibrationButton_->setEnabled(!name.isEmpty());
}

void PrinterAdjustmentsDialog::storeValues() {
    if (loading_) return;
    const QString name = currentPrinter();
    if (name.isEmpty()) return;
    // Keep the name as the settings know it when only its case differs.
    QString stored = name;
    for (const PrinterAdjustment& a : settings_.printers)
        if (a.printer.compare(name, Qt::CaseInsensitive) == 0) stored = a.printer;
    settings_.setAdjustment({stored, dxSpin_->value(), dySpin_->value(), scaleSpin_->value()});
}

}  // namespace printing
