#pragma once
#include <QObject>
#include <QVariantMap>
#include <functional>

class QDialog;
class QLineEdit;
class QMenu;

namespace data {
class DataHub;
}
namespace ui {
class DataGrid;
struct GridColumn;
}  // namespace ui
namespace stock {
class TSpForm;
}

namespace customers {

// Drives the selected customer's delivery list on the entry tab: the grid hgrid on seledt_qry, line
// amounts that follow 数量, 售价 and 折扣, the total in words in jedx, the popup menu PopupMenu1, Enter to
// the next row, new rows that belong to the customer, and the goods picker behind the 货品编号 cell.
class DeliveryListController : public QObject {
    Q_OBJECT
  public:
    DeliveryListController(ui::DataGrid* hgrid, QLineEdit* jedx, data::DataHub& hub,
                           QObject* parent = nullptr);

    static QList<ui::GridColumn> columns();  // the columns of hgrid

    // The catalog window the ellipsis of 货品编号 opens as the picker (mode "xz", 进价 hidden).
    // show runs it modally (the main window's showModal, which activates the main window afterwards);
    // unset, the picker's own exec().
    void setPicker(stock::TSpForm* picker, std::function<int(QDialog*)> show = {}) {
        picker_ = picker;
        showPicker_ = std::move(show);
    }
    QMenu* popupMenu() const { return popupMenu_; }  // PopupMenu1

    // The popup menu's items.
    void addRow();     // "增加": an empty row of the current customer at the end of the list
    void deleteRow();  // "删除": asks, then deletes the current row
    void editRow();    // "修改": puts the current row into editing

    // Opens the picker for the list row (the ellipsis button).
    void openPicker(int row);
    // What the picker does with a good in mode "xz": refuses a good the customer's list already holds
    // ("已存在此商品，不能重复输入!", returns false: the picker stays open), otherwise fills the current
    // row (a new one on an empty list) with the good and the customer's psid; true closes the picker.
    bool pickGood(const QVariantMap& good);

    void updateTotal();  // jedx := "人民币" + the total in capital numerals

  private:
    void fieldChanged(int row, const QString& field);
    void claimNewRow();
    bool hasCustomer() const;

    ui::DataGrid* hgrid_;
    QLineEdit* jedx_;
    data::DataHub& hub_;
    QMenu* popupMenu_;
    stock::TSpForm* picker_ = nullptr;
    std::function<int(QDialog*)> showPicker_;
};

}  // namespace customers
