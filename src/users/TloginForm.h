#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace data {
class DataHub;
}

namespace users {

// "登录": a user chosen from the list (UID) and his password (upass). "&L 登录" accepts on a matching
// password; "&X 退出" rejects, which ends the program. There is no close box.
class TloginForm : public QDialog {
    Q_OBJECT
  public:
    explicit TloginForm(data::DataHub& hub, QWidget* parent = nullptr);

    void login();  // "&L 登录"
    void quit();   // "&X 退出"

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void fillUserList();

    data::DataHub& hub_;
    QComboBox* UID_;    // 用户ID: the names of userqry in table order
    QLineEdit* upass_;  // 密码
    QPushButton* loginBtn_;
    QPushButton* exitBtn_;
};

}  // namespace users
