#pragma once
#include "stock/StockAlarm.h"

#include <QDialog>

class QPushButton;
class QStatusBar;

namespace data {
class DataHub;
class Dataset;
}  // namespace data
namespace ui {
class DataGrid;
}

namespace stock {

// The stock alarm: the goods below their minimum or above their maximum stock. The grid is empty
// until a list is chosen; the list, its title and the column visibility stay between showings.
//
// Controls (objectName): belowButton "低于下限&D", aboveButton "高于上限&C", exportButton "导出&Excel ",
// closeButton "关闭 &X", bjgrid, StatusBar1 (three empty panes). Dataset bjqry.
class TkcbjForm : public QDialog {
    Q_OBJECT
  public:
    explicit TkcbjForm(data::DataHub& hub, QWidget* parent = nullptr);

    ui::DataGrid* grid() const { return bjgrid_; }
    data::Dataset* dataset() const { return bjqry_; }
    QPushButton* exportButton() const { return exportButton_; }
    AlarmList list() const { return list_; }
    QString listTitle() const { return alarmTitle(list_); }  // the export title; empty before a list

    void showList(AlarmList list);  // "低于下限&D" / "高于上限&C"; errors are shown

  private:
    data::DataHub& hub_;
    data::Dataset* bjqry_;  // the current alarm list over sp
    ui::DataGrid* bjgrid_;  // the list
    QPushButton* exportButton_;
    QStatusBar* statusBar_;
    AlarmList list_ = AlarmList::None;
};

}  // namespace stock
