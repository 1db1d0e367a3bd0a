#pragma once
#include <QDialog>

class QLineEdit;

namespace data {
class DataHub;
class Dataset;
}  // namespace data
namespace ui {
class DataGrid;
class DateButton;
class LookupButton;
}  // namespace ui

namespace reports {

// "利润统计": the gross profit of every delivered line, narrowed by period, customer, plate, status
// and salesperson, totalled in the footer and exported with "导出 &Excel".
class Tlrform : public QDialog {
    Q_OBJECT
  public:
    explicit Tlrform(data::DataHub& hub, QWidget* parent = nullptr);

    void runQuery();     // "确定 &T"
    void exportExcel();  // "导出 &Excel", titled "利润统计"
    // Pickers back to the last 30 days and lookup lists opened; runs each time the window is shown.
    void activate();

    data::Dataset* lrqry() const { return lrqry_; }
    ui::DataGrid* lrgrid() const { return lrgrid_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    data::DataHub& hub_;
    data::Dataset* lrqry_;  // the profit list on the hub's connection
    ui::DataGrid* lrgrid_;
    QLineEdit* Fqedit_;  // period from (日期2)
    QLineEdit* TqEdit_;  // period to
    QLineEdit* khedit_;  // customer contains
    QLineEdit* cpedit_;  // plate contains
    QLineEdit* ywedit_;  // salesperson contains
    QLineEdit* ztedit_;  // status contains
    ui::DateButton* sfd_;
    ui::DateButton* std_;
    ui::LookupButton* skh_;
    ui::LookupButton* scp_;
    ui::LookupButton* syw_;
    ui::LookupButton* szt_;
};

}  // namespace reports
