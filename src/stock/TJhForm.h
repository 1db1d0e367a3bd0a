#pragma once
#include <QDialog>
#include <QHash>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace data {
class DataHub;
}
namespace ui {
class DataGrid;
class DateButton;
class LookupButton;
}  // namespace ui

namespace stock {

class ReceiptBook;
class TSpForm;

// Purchase receipts: entering goods received, saving, copying, searching, deleting and posting
// (posting raises stock). A posted receipt is read-only; only copying remains.
//
// Controls (objectName): buttons addButton "增加 &A", copyButton "复制 &C", editButton "修改 &E",
// saveButton "保存 &S", postButton "过账 &U", deleteButton "删除 &D", closeButton "关闭 &X"; page control
// jhpc with the pages entryPage "录入进货" and browsePage "进货浏览".
// Entry page: ztlabel (状态, red), headerPanel with jcdno (进货编号), ckedit + cklookup (仓库),
// gysedit + gyslookup (供应商), rqedit + rqpicker (日期), ghedit (操作员); line grid jhgrid with its menu
// jhpop (lineAdd "增加 &A", lineEdit "修改 &E", lineDelete "删除 &D").
// Browse page: jhloc (智能查询), jhmgrid (receipts), jhdgrid (the receipt's lines).
class TJhForm : public QDialog {
    Q_OBJECT
  public:
    static inline const QString kPickMode = QStringLiteral("jhxz");  // the catalog picks into a receipt line

    explicit TJhForm(data::DataHub& hub, QWidget* parent = nullptr);
    ~TJhForm() override;

    // The goods catalog that the 商品编号 cell button opens in mode "jhxz".
    void setGoodsPicker(TSpForm* picker) { picker_ = picker; }
    // How the picker is shown (default: modally with exec()); tests may replace it.
    std::function<void(TSpForm*)> showPicker;

    ReceiptBook& book() const { return *book_; }
    ui::DataGrid* jhgrid() const { return jhgrid_; }
    QAction* lineMenuItem(const QString& objectName) const;

    // The operations behind the buttons and menu items; each shows its own messages.
    void addReceipt();
    void copyReceipt();
    void editReceipt();
    void saveReceipt();
    void postReceipt();
    void deleteReceipt();
    void addLine();
    void editLine();
    void deleteLine();
    void openPicker();  // the 商品编号 cell button

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool run(const std::function<void()>& action);  // shows refusals and database errors
    void activate();
    void receiptChanged();
    void showHeader();
    void bindEdit(QLineEdit* edit, const QString& field);
    void setPickerMode();

    data::DataHub& hub_;
    ReceiptBook* book_;
    TSpForm* picker_ = nullptr;
    QTabWidget* jhpc_;      // the entry and browse pages
    QWidget* headerPanel_;  // disabled for a posted receipt
    QLabel* ztlabel_;       // 状态 of the receipt
    QLineEdit* jcdno_;      // 进货编号, the receipt number
    QLineEdit* ckedit_;     // 仓库名称
    QLineEdit* gysedit_;    // 供应商
    QLineEdit* rqedit_;     // 日期
    QLineEdit* ghedit_;     // 工号, the operator
    ui::LookupButton* cklookup_;
    ui::LookupButton* gyslookup_;
    ui::DateButton* rqpicker_;
    ui::DataGrid* jhgrid_;   // the receipt's lines (entry page)
    ui::DataGrid* jhmgrid_;  // the receipts (browse page)
    ui::DataGrid* jhdgrid_;  // the receipt's lines (browse page)
    QLineEdit* jhloc_;       // 智能查询, the search text
    QMenu* jhpop_;           // the line grid's menu
    QStatusBar* statusBar_;
    QHash<QLineEdit*, QString> boundEdits_;
    int postedView_ = -1;  // the posted-state view last applied (-1: none yet)
};

}  // namespace stock
