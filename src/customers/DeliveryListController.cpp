#include "customers/DeliveryListController.h"

#include "customers/DeliveryList.h"
#include "data/DataHub.h"
#include "data/DbError.h"
#include "stock/TSpForm.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace customers {

namespace {
const QString kCustomerName = QStringLiteral("客户名称");
const QString kPsid = QStringLiteral("psid");
const QString kGoodsCode = QStringLiteral("商品编号");
const QString kAmount = QStringLiteral("金额");
}  // namespace

QList<ui::GridColumn> DeliveryListController::columns() {
    auto col = [](const char* field, int width, const QString& title = {}) {
        ui::GridColumn c;
        c.field = QString::fromUtf8(field);
        c.title = title;
        c.width = width;
        c.sortable = false;  // the list always stands in the order of 商品编号
        return c;
    };
    QList<ui::GridColumn> cols = {col("商品编号", 90, QStringLiteral("货品编号")),
                                  col("名称", 135),
                                  col("类别", 60),
                                  col("规格型号", 100),
                                  col("单位", 50),
                                  col("数量", 70, QStringLiteral("送货数量")),
                                  col("售价", 70),
                                  col("折扣", 70, QStringLiteral("折扣(%)")),
                                  col("金额", 80),
                                  col("产地", 80),
                                  col("备注", 100)};
    cols[0].ellipsis = true;
    cols[2].readOnly = true;
    cols[4].footerText = QStringLiteral("合计：");
    cols[5].titleColor = Qt::red;
    cols[5].highlighted = true;
    cols[5].highlightColor = ui::DataGrid::kBandColor;  // the quantity column always in money green
    cols[5].footerSum = true;
    cols[8].footerSum = true;
    return cols;
}

DeliveryListController::DeliveryListController(ui::DataGrid* hgrid, QLineEdit* jedx, data::DataHub& hub,
                                               QObject* parent)
    : QObject(parent), hgrid_(hgrid), jedx_(jedx), hub_(hub) {
    data::Dataset* list = hub_.seledt_qry;
    hgrid_->setColumns(columns());
    hgrid_->setDataset(list);
    hgrid_->setBanded(true);
    hgrid_->setFooterVisible(true);
    hgrid_->setEnterAction(ui::DataGrid::EnterAction::NextRow);

    popupMenu_ = new QMenu(hgrid_);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    connect(popupMenu_->addAction(QStringLiteral("增加")), &QAction::triggered, this,
            &DeliveryListController::addRow);
    connect(popupMenu_->addAction(QStringLiteral("删除")), &QAction::triggered, this,
            &DeliveryListController::deleteRow);
    connect(popupMenu_->addAction(QStringLiteral("修改")), &QAction::triggered, this,
            &DeliveryListController::editRow);
    hgrid_->setContextMenu(popupMenu_);
    // Down below the last row adds a row of the customer; Ctrl+Delete deletes as the menu does.
    hgrid_->setAppendOnDown([this]() -> QVariantMap {
        if (!hasCustomer()) return {};
        return {{kCustomerName, hub_.sele_qry->field(kCustomerName)}, {kPsid, hub_.sele_qry->field(kPsid)}};
    });
    hgrid_->setDeleteHandler([this] { deleteRow(); });

    connect(hgrid_, &ui::DataGrid::ellipsisClicked, this, [this](int row, const QString& field) {
        if (field.compare(kGoodsCode, Qt::CaseInsensitive) == 0) openPicker(row);
    });
    connect(list, &data::Dataset::fieldChanged, this, &DeliveryListController::fieldChanged);
    connect(list, &data::Dataset::stateChanged, this, [this](data::Dataset::State s) {
        if (s == data::Dataset::State::Insert) claimNewRow();
    });
    // The words follow every change of the list's rows, whoever makes it.
    const auto follow = [this] { updateTotal(); };
    connect(list, &QAbstractItemModel::modelReset, this, follow);
    connect(list, &QAbstractItemModel::rowsInserted, this, follow);
    connect(list, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(list, &QAbstractItemModel::dataChanged, this, follow);
    connect(list, &data::Dataset::currentRowChanged, this, follow);

    // An appended row nobody typed into is dropped on leaving it rather than stored as an empty line.
    // So is one that belongs to nobody (added while no customer was shown): nobody's list would show it.
    list->onLeaveModifiedRow = [list] {
        if (list->state() != data::Dataset::State::Insert) return true;
        if (list->field(kCustomerName).isNull()) return false;
        for (const QString& f : list->fieldNames()) {
            if (f.compare(kCustomerName, Qt::CaseInsensitive) == 0 ||
                f.compare(kPsid, Qt::CaseInsensitive) == 0)
                continue;
            if (!list->field(f).isNull()) return true;
        }
        return false;
    };
    updateTotal();
}

bool DeliveryListController::hasCustomer() const {
    return hub_.sele_qry->isOpen() && hub_.sele_qry->currentRow() >= 0;
}

void DeliveryListController::claimNewRow() {
    // Every row added to the list, whichever way, belongs to the customer shown.
    data::Dataset* list = hub_.seledt_qry;
    if (!hasCustomer()) return;
    if (list->field(kCustomerName).isNull())
        list->setField(kCustomerName, hub_.sele_qry->field(kCustomerName));
    if (list->field(kPsid).isNull()) list->setField(kPsid, hub_.sele_qry->field(kPsid));
}

void DeliveryListController::fieldChanged(int row, const QString& field) {
    if (!affectsLineAmount(field)) return;
    data::Dataset* list = hub_.seledt_qry;
    if (row != list->currentRow()) return;
    list->setField(kAmount,
                   lineAmount(list->field(QStringLiteral("数量")), list->field(QStringLiteral("售价")),
                              list->field(QStringLiteral("折扣"))));
}

void DeliveryListController::updateTotal() {
    if (!jedx_) return;
    jedx_->setText(totalInWords(*hub_.seledt_qry));
    if (hgrid_) hgrid_->refreshFooter();
}

void DeliveryListController::addRow() {
    data::Dataset* list = hub_.seledt_qry;
    if (!hasCustomer() || !list->isOpen()) return;
    try {
        list->append();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    hgrid_->setCurrentField(kGoodsCode);
    hgrid_->setFocus();
}

void DeliveryListController::deleteRow() {
    data::Dataset* list = hub_.seledt_qry;
    if (!list->isOpen() || list->currentRow() < 0) return;
    if (!ui::dialogs().confirm(QStringLiteral("您是否确定要删除这笔记录吗?"))) return;
    try {
        list->remove();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void DeliveryListController::editRow() {
    data::Dataset* list = hub_.seledt_qry;
    if (!list->isOpen() || list->currentRow() < 0) return;
    try {
        list->edit();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void DeliveryListController::openPicker(int row) {
    if (!picker_ || !hasCustomer()) return;
    data::Dataset* list = hub_.seledt_qry;
    try {
        if (row >= 0 && row < list->count() && !list->setCurrentRow(row)) return;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    picker_->setPurchasePriceVisible(false);
    picker_->setMode(stock::TSpForm::kPickForDeliveryList,
                     [this](const QVariantMap& good) { return pickGood(good); });
    if (showPicker_)
        showPicker_(picker_);
    else
        picker_->exec();
}

bool DeliveryListController::pickGood(const QVariantMap& good) {
    data::Dataset* list = hub_.seledt_qry;
    if (!hasCustomer() || !list->isOpen()) return false;
    const QString customer = data::textOf(hub_.sele_qry->field(kCustomerName));
    const QString code = data::textOf(good.value(kGoodsCode));
    // The stored list, and the other rows on screen (a row may still be waiting to be written).
    bool held = listHoldsGood(hub_.cnn, customer, code);
    for (int r = 0; r < list->count() && !held; ++r)
        held = r != list->currentRow() &&
               data::textOf(list->value(r, kGoodsCode)).compare(code, Qt::CaseInsensitive) == 0;
    if (held) {
        ui::dialogs().warn(QStringLiteral("已存在此商品，不能重复输入!"));
        return false;
    }
    if (list->isEmpty())
        list->append();
    else
        list->edit();
    list->setField(kPsid, hub_.sele_qry->field(kPsid));
    for (const QString& f : pickedGoodsFields()) list->setField(f, good.value(f));
    return true;
}

}  // namespace customers
