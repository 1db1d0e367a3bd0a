#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace data {
class DataHub;
class Dataset;
}  // namespace data
namespace ui {
class DataGrid;
}

namespace users {

// "增加用户、设置权限、密码": the rows of usertable on a dataset of its own, so that moving between
// users here leaves the current user (the row userqry stands on) where he is. Saving or deleting
// re-reads userqry in place, so a change to one's own row counts from the next rights check.
class TepassForm : public QDialog {
    Q_OBJECT
  public:
    explicit TepassForm(data::DataHub& hub, QWidget* parent = nullptr);

    data::Dataset* users() const { return users_; }

    void addUser();     // "&A增加"
    void editUser();    // "&E修改"
    void saveUser();    // "&S保存"
    void deleteUser();  // "&D删除"

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showRow();
    void fieldEdited(const QString& field, const QString& text);
    void userRowsChanged();

    data::DataHub& hub_;
    data::Dataset* users_;  // usertable, positioned independently of userqry
    QLineEdit* uedit_;      // 用户
    QLineEdit* pedit_;      // 密码
    QLineEdit* zwedit_;     // 职务
    QComboBox* qxedit_;     // 权限
    ui::DataGrid* ugrid_;   // 用户, 职务, 权限 of every user
    bool showing_ = false;  // filling the fields from the row, not the user typing
};

}  // namespace users
