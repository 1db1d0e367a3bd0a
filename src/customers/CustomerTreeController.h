#pragma once
#include <QIcon>
#include <QObject>

class QTreeWidget;
class QTreeWidgetItem;
class QAbstractButton;

namespace data {
class DataHub;
}

namespace customers {

// Drives the customer tree of the main window: builds it at start, follows the selection into the
// selected customer (sele_qry) and his delivery list (seledt_qry), narrows the note list (shdTqry) on a
// click, and runs the four buttons and drag and drop. The widgets belong to the main window.
class CustomerTreeController : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPsidRole = Qt::UserRole + 1;  // the node's cust.psid

    CustomerTreeController(QTreeWidget* trv, QAbstractButton* sameLevel, QAbstractButton* oneLevelDown,
                           QAbstractButton* rename, QAbstractButton* remove, data::DataHub& hub,
                           QObject* parent = nullptr);

    // Start-up: builds the tree from cust, gives it the focus and selects the first leaf (which loads
    // that customer and his delivery list, not the note list). An empty tree shows no customer.
    void load();

    QTreeWidget* tree() const { return trv_; }
    qint64 selectedPsid() const;  // 0 when no node is selected
    QTreeWidgetItem* itemOf(qint64 psid) const;
    static qint64 psidOf(const QTreeWidgetItem* item);

    // The buttons.
    void addSameLevel();     // "&F同级"
    void addOneLevelDown();  // "&N次级"
    void renameSelected();   // "&C改名"
    void deleteSelected();   // "&L删除"

    // Drag and drop: whether dragged may be dropped on target (not on itself nor below itself), and
    // the drop itself (the row moves under target, the node with its subtree becomes target's first
    // child, target gets selected).
    static bool dropAllowed(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target);
    bool moveNode(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

    // Selects item (nullptr: no customer) and runs the selection change.
    void select(QTreeWidgetItem* item);

  signals:
    void customerSelected(qint64 psid);  // after the selection change loaded the customer (0: none)
    void customerClicked(qint64 psid);   // after a click narrowed the note list

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void selectionChanged(QTreeWidgetItem* item);
    void clicked(QTreeWidgetItem* item);
    void loadCustomer(qint64 psid);
    void addCustomer(bool oneLevelDown);
    QTreeWidgetItem* makeItem(qint64 psid, const QString& name) const;
    void applyAppearance();

    QTreeWidget* trv_;
    QIcon icon_;  // the one icon every node shows
    data::DataHub& hub_;
};

}  // namespace customers
