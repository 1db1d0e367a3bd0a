#include "customers/CustomerTreeController.h"

#include "customers/CustomerTree.h"
#include "data/DataHub.h"
#include "data/DbError.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

namespace customers {

namespace {

const QStringList kSelectedCustomer = {QStringLiteral("select * from cust"),
                                       QStringLiteral("where psid=:psid")};
const QStringList kCustomerNotes = {QStringLiteral("select * from shd"), QStringLiteral("where 客户名称=:kh"),
                                    QStringLiteral(" order by 日期 desc,送货单号 desc")};

void showError(const data::DbError& e) {
    ui::dialogs().error(e.text());
}

}  // namespace

CustomerTreeController::CustomerTreeController(QTreeWidget* trv, QAbstractButton* sameLevel,
                                               QAbstractButton* oneLevelDown, QAbstractButton* rename,
                                               QAbstractButton* remove, data::DataHub& hub, QObject* parent)
    : QObject(parent), trv_(trv), hub_(hub) {
    applyAppearance();
    connect(trv_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { selectionChanged(current); });
    connect(trv_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { clicked(item); });
    if (sameLevel) connect(sameLevel, &QAbstractButton::clicked, this, &CustomerTreeController::addSameLevel);
    if (oneLevelDown)
        connect(oneLevelDown, &QAbstractButton::clicked, this, &CustomerTreeController::addOneLevelDown);
    if (rename) connect(rename, &QAbstractButton::clicked, this, &CustomerTreeController::renameSelected);
    if (remove) connect(remove, &QAbstractButton::clicked, this, &CustomerTreeController::deleteSelected);
    trv_->viewport()->installEventFilter(this);
}

void CustomerTreeController::applyAppearance() {
    QFont font = trv_->font();
    // 宋体 where the machine has it; otherwise the first Chinese face that is installed.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(15);
    trv_->setFont(font);
    trv_->setIndentation(19);
    icon_ = trv_->style()->standardIcon(QStyle::SP_DirIcon);
    trv_->setColumnCount(1);
    trv_->setHeaderHidden(true);
    trv_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection stays visible while another control has the focus.
    QPalette pal = trv_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    trv_->setPalette(pal);
    trv_->setDragEnabled(true);
    trv_->setAcceptDrops(true);
    trv_->setDragDropMode(QAbstractItemView::InternalMove);
    trv_->setDefaultDropAction(Qt::MoveAction);
}

qint64 CustomerTreeController::psidOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPsidRole).toLongLong() : 0;
}

qint64 CustomerTreeController::selectedPsid() const {
    return psidOf(trv_->currentItem());
}

QTreeWidgetItem* CustomerTreeController::itemOf(qint64 psid) const {
    for (QTreeWidgetItemIterator it(trv_); *it; ++it)
        if (psidOf(*it) == psid) return *it;
    return nullptr;
}

QTreeWidgetItem* CustomerTreeController::makeItem(qint64 psid, const QString& name) const {
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, kPsidRole, psid);
    item->setIcon(0, icon_);
    item->setFlags(item->flags() | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    return item;
}

void CustomerTreeController::load() {
    QList<CustomerNode> nodes;
    try {
        nodes = loadCustomerTree(hub_.cnn);
    } catch (const data::DbError& e) {
        showError(e);
    }
    {
        const QSignalBlocker blocker(trv_);
        trv_->clear();
        std::function<void(const QList<CustomerNode>&, QTreeWidgetItem*)> add =
            [&](const QList<CustomerNode>& list, QTreeWidgetItem* under) {
                for (const CustomerNode& n : list) {
                    QTreeWidgetItem* item = makeItem(n.psid, n.name);
                    if (under)
                        under->addChild(item);
                    else
                        trv_->addTopLevelItem(item);
                    add(n.children, item);
                }
            };
        add(nodes, nullptr);
    }
    trv_->setFocus();
    QTreeWidgetItem* leaf = trv_->topLevelItem(0);
    while (leaf && leaf->childCount() > 0) leaf = leaf->child(0);
    select(leaf);
}

void CustomerTreeController::select(QTreeWidgetItem* item) {
    {
        const QSignalBlocker blocker(trv_);
        trv_->setCurrentItem(item);
        if (!item) trv_->clearSelection();
    }
    if (item) {
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
        trv_->scrollToItem(item);
    }
    selectionChanged(item);
}

void CustomerTreeController::loadCustomer(qint64 psid) {
    data::Dataset* customer = hub_.sele_qry;
    data::Dataset* list = hub_.seledt_qry;
    // A pending change of the list or the header belongs to the customer shown so far: write it before
    // the datasets move on (re-reading would drop it).
    if (list->isModified()) list->post();
    if (customer->isModified()) customer->post();
    customer->setStatement(kSelectedCustomer);
    customer->setParam(QStringLiteral("psid"), psid);
    customer->requery();  // the list follows its master when open
    if (!list->isOpen()) list->open();
}

void CustomerTreeController::selectionChanged(QTreeWidgetItem* item) {
    try {
        loadCustomer(psidOf(item));
    } catch (const data::DbError& e) {
        showError(e);
        return;
    }
    emit customerSelected(psidOf(item));
}

void CustomerTreeController::clicked(QTreeWidgetItem* item) {
    if (!item) return;
    try {
        loadCustomer(psidOf(item));
        data::Dataset* notes = hub_.shdTqry;
        notes->setStatement(kCustomerNotes);
        notes->setParam(QStringLiteral("kh"), hub_.sele_qry->field(QStringLiteral("客户名称")));
        notes->requery();
    } catch (const data::DbError& e) {
        showError(e);
        return;
    }
    emit customerClicked(psidOf(item));
}

void CustomerTreeController::addSameLevel() {
    addCustomer(false);
}
void CustomerTreeController::addOneLevelDown() {
    addCustomer(true);
}

void CustomerTreeController::addCustomer(bool oneLevelDown) {
    const auto entered =
        oneLevelDown
            ? ui::dialogs().input(QStringLiteral("新增次级"), QStringLiteral("请输入次级名称：  "), {})
            : ui::dialogs().input(QStringLiteral("新增同级"), QStringLiteral("请输入同级名称：  "), {});
    if (!entered) return;
    const QString name = normalizedName(*entered);
    if (name.isEmpty()) return;
    QTreeWidgetItem* selected = trv_->currentItem();
    QTreeWidgetItem* parentItem = oneLevelDown ? selected : (selected ? selected->parent() : nullptr);
    qint64 psid = 0;
    try {
        // The row first: a refused insert leaves no node without a row behind.
        psid = insertCustomer(hub_.cnn, psidOf(parentItem), name);
    } catch (const data::DbError& e) {
        showError(e);
        return;
    }
    QTreeWidgetItem* item = makeItem(psid, name);
    if (parentItem)
        parentItem->addChild(item);
    else
        trv_->addTopLevelItem(item);
    select(item);
}

void CustomerTreeController::renameSelected() {
    QTreeWidgetItem* item = trv_->currentItem();
    if (!item) return;
    const auto entered = ui::dialogs().input(QStringLiteral("修改"), QStringLiteral("请输入新的名称： "), {});
    if (!entered) return;
    const QString name = normalizedName(*entered);
    if (name.isEmpty()) return;
    try {
        // A pending list row still carries the old name; written after the rename it would fall out of
        // the list.
        if (hub_.seledt_qry->isModified()) hub_.seledt_qry->post();
        if (hub_.sele_qry->isModified()) hub_.sele_qry->post();
        renameCustomer(hub_.cnn, psidOf(item), name);
    } catch (const data::DbError& e) {
        showError(e);
        return;
    }
    item->setText(0, name);
    selectionChanged(item);
}

void CustomerTreeController::deleteSelected() {
    QTreeWidgetItem* item = trv_->currentItem();
    if (!item) return;
    if (!ui::dialogs().confirm(QStringLiteral("是否删除分类及下级分类？"), QStringLiteral("提示"))) return;
    DeleteOutcome outcome;
    try {
        if (hub_.seledt_qry->isModified()) hub_.seledt_qry->post();
        outcome = deleteCustomer(hub_.cnn, psidOf(item));
    } catch (const data::DbError& e) {
        showError(e);
        return;
    }
    if (outcome == DeleteOutcome::HasChildren) {
        ui::dialogs().warn(QStringLiteral("该类别下有子类别,不能删除该类别"));
        return;
    }
    if (outcome == DeleteOutcome::HasDeliveryList) {
        ui::dialogs().warn(QStringLiteral("该类别下有商品资料,不能删除该类别"));
        return;
    }
    // The neighbour the user expects: the next sibling, else the previous one, else the father.
    QTreeWidgetItem* parent = item->parent();
    const int index = parent ? parent->indexOfChild(item) : trv_->indexOfTopLevelItem(item);
    const int siblings = parent ? parent->childCount() : trv_->topLevelItemCount();
    auto sibling = [&](int i) { return parent ? parent->child(i) : trv_->topLevelItem(i); };
    QTreeWidgetItem* neighbour =
        index + 1 < siblings ? sibling(index + 1) : (index > 0 ? sibling(index - 1) : parent);
    {
        const QSignalBlocker blocker(trv_);
        delete item;
    }
    select(neighbour);
}

bool CustomerTreeController::dropAllowed(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target) {
    if (!dragged || !target) return false;
    for (const QTreeWidgetItem* at = target; at; at = at->parent())
        if (at == dragged) return false;
    return true;
}

bool CustomerTreeController::moveNode(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
    if (!dropAllowed(dragged, target)) return false;
    try {
        if (hub_.seledt_qry->isModified()) hub_.seledt_qry->post();
        if (!moveCustomer(hub_.cnn, psidOf(dragged), psidOf(target))) return false;
    } catch (const data::DbError& e) {
        showError(e);
        return false;
    }
    trv_->setUpdatesEnabled(false);
    {
        const QSignalBlocker blocker(trv_);
        const bool expanded = dragged->isExpanded();
        if (QTreeWidgetItem* from = dragged->parent())
            from->removeChild(dragged);
        else
            trv_->takeTopLevelItem(trv_->indexOfTopLevelItem(dragged));
        target->insertChild(0, dragged);  // the subtree travels with its node
        dragged->setExpanded(expanded);
    }
    trv_->setUpdatesEnabled(true);
    select(target);
    return true;
}

bool CustomerTreeController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != trv_->viewport()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->source() == trv_)
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* dragged = trv_->currentItem();
            QTreeWidgetItem* target = trv_->itemAt(e->position().toPoint());
            const bool ok = e->source() == trv_ && dropAllowed(dragged, target);
            if (event->type() == QEvent::DragMove) {
                if (ok) {
                    e->setDropAction(Qt::MoveAction);
                    e->accept();
                } else {
                    e->ignore();
                }
                return true;
            }
            // The move is done here; the drop is reported as ignored so the view does not remove the
            // dragged rows a second time.
            if (ok) moveNode(dragged, target);
            e->ignore();
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace customers
