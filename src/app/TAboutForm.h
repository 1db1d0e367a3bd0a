#pragma once
#include <QDialog>

namespace app {

// "关于": the product title and "确定 &T".
class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace app
