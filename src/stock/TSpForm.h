#pragma once
#include <QDialog>
#include <QVariantMap>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QProgressBar;
class QStatusBar;

namespace data {
class DataHub;
}
namespace ui {
class DataGrid;
}

namespace stock {

// What a pick does with the good under the cursor (every field of its sp row). Returns true when the
// pick is done and the window closes; false keeps it open for another pick (e.g. a refused duplicate).
using PickHandler = std::function<bool(const QVariantMap& good)>;

// The goods catalog window: maintenance of sp (search as you type, add, edit, save, delete) and the
// goods picker. The opener sets the mode before showing it modally:
//   "xg"   browse only: a double-click does nothing;
//   "xz"   a double-click hands the good to the delivery list (the handler fills its current row);
//   any other mode with a handler (the receipts use "jhxz") works the same way through its handler.
// Mode, 进价 visibility, search text and query stay from one showing to the next.
//
// Controls (objectName): locedit (search), spgrid, addButton "&A增加", editButton "&E修改",
// saveButton "&S保存", deleteButton "&D删除", importButton "&I导入商品", exportButton "&I导出Excel",
// closeButton "&X关闭", cz (the hidden mode label), StatusBar1, ProgressBar1 (the import's progress).
class TSpForm : public QDialog {
    Q_OBJECT
  public:
    static inline const QString kBrowse = QStringLiteral("xg");
    static inline const QString kPickForDeliveryList = QStringLiteral("xz");

    explicit TSpForm(data::DataHub& hub, QWidget* parent = nullptr);

    void setMode(const QString& mode, PickHandler onPick = {});
    QString mode() const;
    // 进价 is shown when opened from the system menu or a receipt, hidden for a delivery list.
    void setPurchasePriceVisible(bool visible);
    bool isPurchasePriceVisible() const;

    ui::DataGrid* grid() const { return spgrid_; }
    QPushButton* importButton() const { return importButton_; }
    QPushButton* exportButton() const { return exportButton_; }
    QProgressBar* progressBar() const { return progress_; }

    // What a double-click on row does in the current mode; true when a good was handed over.
    bool pick(int row);
    void search(const QString& text);  // the search as you type
    void addGood();                    // "&A增加"
    void editGoods();                  // "&E修改"
    bool saveGoods();                  // "&S保存"; false when the pending good was refused
    void deleteGood();                 // "&D删除"

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void validatePending();  // throws DbError with the reason a pending good may not be stored
    bool postPending();      // validates and writes a pending good; shows the refusal
    void nextColumn();

    data::DataHub& hub_;
    QLineEdit* locedit_;    // 查找：the search text
    ui::DataGrid* spgrid_;  // the catalog list
    QLabel* cz_;            // the mode set by the opener
    QPushButton* importButton_;
    QPushButton* exportButton_;
    QStatusBar* statusBar_;
    QProgressBar* progress_;
    PickHandler onPick_;
};

}  // namespace stock
