#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

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

// "送货统计报表": the eight statistics and statement variants over the issued notes, chosen from the
// menu of "选择报表&T", shown in tjgrid with a totals footer and exported with "导出Excel".
class Ttj_Form : public QDialog {
    Q_OBJECT
  public:
    explicit Ttj_Form(data::DataHub& hub, QWidget* parent = nullptr);

    // Runs the variant with that menu caption, as choosing it from the menu does.
    void runVariant(const QString& caption);
    void chooseReport();  // "选择报表&T": the menu of variants at the mouse position
    void exportExcel();   // "导出Excel": the grid, titled by Ptype
    // Pickers back to the last 30 days and lookup lists opened; runs each time the window is shown.
    void activate();

    data::Dataset* tjqry() const { return tjqry_; }
    ui::DataGrid* tjgrid() const { return tjgrid_; }
    QString reportTitle() const;  // Ptype's text

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    data::DataHub& hub_;
    data::Dataset* tjqry_;  // the variant's result on the hub's connection
    ui::DataGrid* tjgrid_;
    QLabel* Ptype_;       // (hidden) the caption of the variant last chosen: the export title
    QLineEdit* fedit_;    // period from (日期2)
    QLineEdit* tedit_;    // period to
    QLineEdit* khedit_;   // customer
    QLineEdit* cpEdit_;   // vehicle plate
    QLineEdit* ywEdit_;   // salesperson
    ui::DateButton* fd_;  // picker for fedit
    ui::DateButton* td_;  // picker for tedit
    ui::LookupButton* skh_;
    ui::LookupButton* scp_;
    ui::LookupButton* syw_;
    QMenu* bbMenu_;  // the eight variants
};

}  // namespace reports
