#pragma once
// "打印机校正": the offsets and the vertical scale of each printer a template prints on, and the
// calibration page that lets the user measure them.
//
//   printing::PrinterAdjustmentsDialog dlg(model.settings(), paperMm, marginsMm, this);
//   if (dlg.exec() == QDialog::Accepted) model.setSettings(dlg.settings());
//
// Controls (objectName): printerCombo (editable: the system's printers and the ones the settings
// already know, the default printer chosen), dxSpin "水平偏移", dySpin "垂直偏移" (mm), scaleSpin
// "垂直比例", calibrationButton "打印校准页", okButton "确定", cancelButton "取消". The spin boxes show
// and edit the values of the printer named in the combo.

#include "printing/Report.h"
#include "printing/TemplateSettings.h"

#include <QDialog>
#include <QMarginsF>
#include <QSizeF>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QPushButton;

namespace printing {

class PrinterAdjustmentsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PrinterAdjustmentsDialog(const TemplateSettings& settings, QSizeF paperMm, QMarginsF marginsMm,
                                      QWidget* parent = nullptr);
    ~PrinterAdjustmentsDialog() override;

    // The settings as edited (the background picture and everything else kept as given).
    TemplateSettings settings() const { return settings_; }
    // The printer whose values the spin boxes show.
    QString currentPrinter() const;

    // Shows the calibration page ("打印校准页"): by default in the preview window, the chosen printer
    // preselected; the page carries the edited settings, so printing applies the printer's values.
    // Tests replace it.
    std::function<void(const PreparedReport&)> showPreview;
    // The calibration page as "打印校准页" shows it.
    PreparedReport calibrationPage() const;

  private:
    void showPrinter();  // the chosen printer's values into the spin boxes
    void storeValues();  // the spin boxes' values into the settings

    TemplateSettings settings_;
    QSizeF paperMm_;
    QMarginsF marginsMm_;
    QComboBox* printerCombo_;
    QDoubleSpinBox* dxSpin_;
    QDoubleSpinBox* dySpin_;
    QDoubleSpinBox* scaleSpin_;
    QPushButton* calibrationButton_;
    bool loading_ = false;
};

}  // namespace printing
