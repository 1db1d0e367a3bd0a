#pragma once
#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QWidget;

namespace data {
class DataHub;
}
namespace ui {
class DataGrid;
class DateButton;
class LookupButton;
}  // namespace ui

namespace app {

class TtsForm;
class TAboutForm;

// The main window and the owner of the data hub. Its controls carry these objectNames:
//
// left panel `leftpan` (225 px): tree `trv`; buttons `tjBtn` "&F同级", `cjBtn` "&N次级", `gmBtn` "&C改名",
//   `scBtn` "&L删除".
// page control `pgc`: tab 0 "客户送货清单" (`entrytab`), tab 1 "客户送货单" (`listtab`).
// bar on the tab row `tabbar` (x = 637): `jhrkBtn` "进货入库&J" (menu `jhMenu`), `tjbbBtn` "统计报表 &R"
//   (menu `tjMenu`), `xtBtn` "系统 &S" (menu `PopupMenu3`), `gbBtn` "关闭 &X".
// entry tab: header `titlepan` with shdno, kpdate + kp, fhedit + sfh, custname, shcp + cpno, ywy + sywy,
// shdz,
//   kdr + skdr, lxdh, bz; grid `hgrid` (menu `PopupMenu1` is the delivery list's); `jedx`; bottom bar
//   `bottompan` with `prnBtn` "送货单打印&P", `laterBtn` "以后打印&L" and, below its visible edge,
//   `exitBtn` "&X 退出", `helpBtn` "&H 帮助", `spBtn` "&M商品".
// list tab: filter panel `Panel9` with locedit, rqedit, TqEdit, khedit + skh, cpedit + scp, ztedit + szt,
//   qhedit + sqh, kdedit + skd, ywedit + syw, `BitBtn6` "送货单操作 &E", `BitBtn7` "送货单打印&P";
//   grids `shdgrid` and `cpgrid` (menu `mxxgpop`).
// timer `Timer1`: the tips timer.
//
// The main window opens every other window modally through showModal(), which runs the activation
// routine after the window closes.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    data::DataHub* hub() const { return hub_; }

    // --- start-up ---------------------------------------------------------------------------------
    // The other windows, in the fixed order, and the subsystems' controllers (TForm1Subsystems.cpp).
    void createSubsystems();
    // Login (modal) and the start-up steps after it. False when the login was left: the program ends.
    bool startUp();
    // The steps after a successful login: tips timer, tree, date, tab, date text, next number.
    void afterLogin();
    // Runs at first show and after every modal window shown from here closes: kp back to today,
    // every shared dataset that is not open is opened. Errors are shown.
    void activate();
    // Shows w modally, then runs the activation routine. Returns the dialog's result.
    int showModal(QDialog* w);

    // Windows by class name (TloginForm, TtsForm, TepassForm, TAboutForm, TSpForm ...), nullptr when
    // the window does not exist.
    void registerWindow(const QString& className, QDialog* window);
    QDialog* window(const QString& className) const;

    // Works out the next note number into shdno and gives it the focus (errors are shown).
    void proposeNoteNumber();
    // The date text of kp's date into kpdate.
    void writeDeliveryDateText();
    // jedx: "人民币" + the delivery list's 金额 total in capital numerals.
    void updateAmountInWords();
    // The header fields show the selected customer's row of sele_qry.
    void showCustomerHeader();

    // The hook that builds the customer tree and selects its first leaf (start-up steps 4 to 6).
    // Set by the customers subsystem; without it the tree stays empty.
    std::function<void()> loadCustomerTree;
    // Opens TSpForm: withPurchasePrices for "货品资料" (browsing, 进价 shown), false for "&M商品" (plain
    // catalog). Set by the catalog subsystem; without it TSpForm, if registered, is simply shown.
    std::function<void(bool withPurchasePrices)> openCatalogHook;

    // --- controls others use ----------------------------------------------------------------------
    QTreeWidget* trv() const { return trv_; }
    QPushButton* sameLevelButton() const { return tjBtn_; }
    QPushButton* oneLevelDownButton() const { return cjBtn_; }
    QPushButton* renameButton() const { return gmBtn_; }
    QPushButton* deleteButton() const { return scBtn_; }
    QTabWidget* pgc() const { return pgc_; }
    ui::DataGrid* hgrid() const { return hgrid_; }
    ui::DataGrid* shdgrid() const { return shdgrid_; }
    ui::DataGrid* cpgrid() const { return cpgrid_; }
    QLineEdit* shdno() const { return shdno_; }
    QLineEdit* kpdate() const { return kpdate_; }
    ui::DateButton* kp() const { return kp_; }
    QLineEdit* jedx() const { return jedx_; }
    QLineEdit* headerEdit(
        const QString& objectName) const;  // custname, shdz, lxdh, shcp, kdr, ywy, fhedit, bz
    QLineEdit* filterEdit(const QString& objectName) const;         // locedit, rqedit, TqEdit, khedit ...
    QPushButton* printNowButton() const { return prnBtn_; }         // "送货单打印&P" of the entry tab
    QPushButton* printLaterButton() const { return laterBtn_; }     // "以后打印&L"
    QPushButton* noteOperationsButton() const { return BitBtn6_; }  // "送货单操作 &E"
    QPushButton* listPrintButton() const { return BitBtn7_; }       // "送货单打印&P" of the list tab
    QMenu* systemMenu() const { return PopupMenu3_; }
    QMenu* lineMenu() const { return mxxgpop_; }  // cpgrid's "增加", "修改", "删除"
    QAction* lineMenuItem(const QString& text) const;
    QTimer* tipsTimer() const { return Timer1_; }
    int tipsTicks() const { return tipsTicks_; }

  public slots:
    // The bar on the tab row and the system menu.
    void receiptsButtonClicked();  // "进货入库&J"
    void reportsButtonClicked();   // "统计报表 &R"
    void systemButtonClicked();    // "系统 &S", also "&H 帮助"

    void openReceipts();           // "进货入库": TJhForm
    void openStockAlarm();         // "库存报警查询": TkcbjForm
    void openStatistics();         // "送货单统计": Ttj_Form
    void openProfit();             // "利润统计": Tlrform
    void openHelp();               // "帮助"
    void openUserAdmin();          // "用户管理": TepassForm
    void openCompanyProfile();     // "公司资料": Txhdwform
    void openCatalogWithPrices();  // "货品资料" (管理 or 财务): TSpForm browsing with 进价 shown
    void openCatalog();            // "&M商品": TSpForm as a plain catalog
    void startCalculator();        // "计算器"
    void openAbout();              // "关于": TAboutForm

  signals:
    // After a successful login and the start-up steps.
    void startedUp();

  private:
    void buildLayout();  // TForm1Layout.cpp
    QWidget* buildLeftPanel();
    QWidget* buildEntryTab();
    QWidget* buildHeaderPanel();
    QWidget* buildListTab();
    QWidget* buildTabRowBar();
    void buildMenus();
    void connectLayout();
    void tipsTick();

    data::DataHub* hub_;
    QHash<QString, QPointer<QDialog>> windows_;
    int tipsTicks_ = 0;

    QTreeWidget* trv_ = nullptr;    // the customer tree
    QPushButton* tjBtn_ = nullptr;  // "&F同级"
    QPushButton* cjBtn_ = nullptr;  // "&N次级"
    QPushButton* gmBtn_ = nullptr;  // "&C改名"
    QPushButton* scBtn_ = nullptr;  // "&L删除"
    QTabWidget* pgc_ = nullptr;
    QWidget* tabbar_ = nullptr;  // the four buttons lying on the tab row
    QPushButton* jhrkBtn_ = nullptr;
    QPushButton* tjbbBtn_ = nullptr;
    QPushButton* xtBtn_ = nullptr;
    QPushButton* gbBtn_ = nullptr;
    QMenu* jhMenu_ = nullptr;      // "进货入库", "库存报警查询"
    QMenu* tjMenu_ = nullptr;      // "送货单统计", "利润统计"
    QMenu* PopupMenu3_ = nullptr;  // the system menu
    QMenu* mxxgpop_ = nullptr;     // cpgrid's line menu

    QLineEdit* shdno_ = nullptr;       // 送货单号 of the next note
    QLineEdit* kpdate_ = nullptr;      // 送货日期, the date text of the note
    ui::DateButton* kp_ = nullptr;     // the date picker beside kpdate
    QLineEdit* jedx_ = nullptr;        // 金额(大写), the list total in words
    ui::DataGrid* hgrid_ = nullptr;    // the delivery list (seledt_qry)
    ui::DataGrid* shdgrid_ = nullptr;  // the note list (shdTqry)
    ui::DataGrid* cpgrid_ = nullptr;   // the current note's lines (shdDqry)
    QPushButton* prnBtn_ = nullptr;
    QPushButton* laterBtn_ = nullptr;
    QPushButton* BitBtn6_ = nullptr;
    QPushButton* BitBtn7_ = nullptr;
    QTimer* Timer1_ = nullptr;  // the tips timer
};

}  // namespace app
