#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

class QAbstractButton;
class QLineEdit;

namespace data {
class DataHub;
}

namespace notes {

// What the print window gets when a note is issued for printing now: the header dataset is the current
// customer record (hub.sele_qry), the lines are the list rows with a quantity, and the texts the
// template fills in.
struct PrintRequest {
    data::DataHub* hub = nullptr;
    QList<QVariantMap> lines;  // the rows of cust_sp with 数量 > 0, by 商品编号
    QString number;            // shdno
    QString dateText;          // kpdate
    QString amountInWords;     // jedx
};

// The controls of the entry tab that issuing reads and writes.
struct IssueWidgets {
    QLineEdit* shdno = nullptr;             // 送货单号 of the next note
    QLineEdit* kpdate = nullptr;            // the delivery date text
    QLineEdit* custname = nullptr;          // 客户名称 of the current customer
    QLineEdit* shdz = nullptr;              // 送货地址
    QLineEdit* lxdh = nullptr;              // 联系电话
    QLineEdit* shcp = nullptr;              // 送货车牌
    QLineEdit* kdr = nullptr;               // 开单人员
    QLineEdit* ywy = nullptr;               // 业务员
    QLineEdit* fhedit = nullptr;            // 发货方式
    QLineEdit* bz = nullptr;                // 备注
    QLineEdit* jedx = nullptr;              // the list total in words
    QAbstractButton* printNow = nullptr;    // "送货单打印&P"
    QAbstractButton* printLater = nullptr;  // "以后打印&L"
};

// The two issue buttons of the entry tab.
//
// Print now: the rows with a quantity are collected, the number is checked, the user is asked whether
// stock is to be lowered, the print window runs (printHook), and then the note is stored in one
// transaction: lines, header with status 已打印, the stock deduction if the user said Yes, the counter,
// the list's quantities emptied. Stock therefore falls when the note is stored, after the print window
// has closed, rather than before it opens; nothing the user can see in between depends on it, and no
// write transaction is ever held open while a window waits for the user.
// Print later: the same without the question, the print window and the stock; status 未打印, and the
// message "送货单已经保存!".
class IssueController : public QObject {
    Q_OBJECT
  public:
    IssueController(data::DataHub& hub, const IssueWidgets& widgets, QObject* parent = nullptr);

    // Step 7 of printing now: the print window, shown modally for the entry tab. The printing part
    // plugs its window in here; it returns when the user closes the window, whether or not anything
    // was printed. Unset, the issue goes on as if the window had been closed without printing.
    std::function<void(const PrintRequest&)> printHook;
    // After a note has been stored and the list emptied: the note list re-reads itself (set by the
    // window that owns the note list).
    std::function<void()> afterIssue;

  public slots:
    void printNow();    // "送货单打印&P"
    void printLater();  // "以后打印&L"

  signals:
    void issued(const QString& number);  // after a note has been stored

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;  // a header field left: the customer saved

  private:
    void issue(bool now);

    data::DataHub& hub_;
    IssueWidgets w_;
};

}  // namespace notes
