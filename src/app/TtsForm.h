#pragma once
#include <QDialog>

class QCheckBox;
class QPushButton;

namespace data {
class DataHub;
}

namespace app {

// The start-up tips ("说明"): the feature summary and "下次不再提示", bound to the current user's 提示.
// "&T确定" saves the tick into the user's row; the close box leaves the row as it was.
class TtsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TtsForm(data::DataHub& hub, QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void confirm();

    data::DataHub& hub_;
    QCheckBox* CheckBox1_;  // "下次不再提示"
    QPushButton* okBtn_;    // "&T确定"
};

}  // namespace app
