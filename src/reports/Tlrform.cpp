#include "reports/Tlrform.h"

#include "data/DataHub.h"
#include "reports/FormParts.h"
#include "reports/Profit.h"
#include "reports/WorkbookExport.h"

namespace reports {

using namespace parts;

Tlrform::Tlrform(data::DataHub& hub, QWidget* parent)
    : QDialog(parent), hub_(hub), lrqry_(new data::Dataset(QStringLiteral("lrqry"), this)) {
    setObjectName(QStringLiteral("Tlrform"));
    setWindowTitle(QStringLiteral("利润统计"));
    setModal(true);
    resize(1021, 654);
    lrqry_->setDatabase(hub_.cnn);
    lrqry_->setReadOnly(true);

    const FilterPanel panel = filterPanel(72, this);
    QWidget* top = panel.frame;
    QHBoxLayout* first = panel.first;
    Fqedit_ = labelledEdit(first, QStringLiteral("日期从："), "Fqedit", 90, top);
    sfd_ = datePicker(first, Fqedit_, "sfd", top);
    first->addSpacing(6);
    TqEdit_ = labelledEdit(first, QStringLiteral("到："), "TqEdit", 90, top);
    std_ = datePicker(first, TqEdit_, "std", top);
    first->addSpacing(6);
    khedit_ = labelledEdit(first, QStringLiteral("客户："), "khedit", 170, top);
    skh_ = lookupDrop(first, khedit_, hub_.skhqry, QStringLiteral("客户名称"), "skh", top);
    first->addSpacing(6);
    cpedit_ = labelledEdit(first, QStringLiteral("车牌："), "cpedit", 90, top);
    scp_ = lookupDrop(first, cpedit_, hub_.scpqry, QStringLiteral("送货车牌"), "scp", top);
    first->addSpacing(6);
    ywedit_ = labelledEdit(first, QStringLiteral("业务员："), "ywedit", 80, top);
    syw_ = lookupDrop(first, ywedit_, hub_.sywqry, QStringLiteral("业务员"), "syw", top);
    first->addSpacing(6);
    ztedit_ = labelledEdit(first, QStringLiteral("状态："), "ztedit", 80, top);
    szt_ = lookupDrop(first, ztedit_, hub_.sztqry, QStringLiteral("状态"), "szt", top);
    first->addSpacing(6);
    first->addStretch(1);

    QHBoxLayout* second = panel.second;
    auto* hint = new QLabel(
        QStringLiteral("不选择条件则查询所有出货利润，查询条件可以按要求增减，不要的查询条件清空即可。"),
        top);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setStyleSheet(QStringLiteral("color: red;"));
    auto* runBtn = button("runBtn", QStringLiteral("确定 &T"), top);
    auto* exportBtn = button("exportBtn", QStringLiteral("导出 &Excel"), top);
    auto* closeBtn = button("closeBtn", QStringLiteral("关闭 &X"), top);
    second->addWidget(hint);
    second->addSpacing(16);
    second->addWidget(runBtn);
    second->addWidget(exportBtn);
    second->addWidget(closeBtn);
    second->addStretch(1);

    lrgrid_ = reportGrid("lrgrid", profitColumns(), lrqry_, this);
    lrgrid_->setBanded(true);
    stackReportWindow(this, panel, lrgrid_);

    connect(runBtn, &QPushButton::clicked, this, &Tlrform::runQuery);
    connect(exportBtn, &QPushButton::clicked, this, &Tlrform::exportExcel);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void Tlrform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activate();
}

void Tlrform::activate() {
    resetPeriod(sfd_, std_);
    openLists({hub_.skhqry, hub_.scpqry, hub_.sywqry, hub_.sztqry});
}

void Tlrform::runQuery() {
    const ProfitInputs in{Fqedit_->text(), TqEdit_->text(), khedit_->text(),
                          cpedit_->text(), ztedit_->text(), ywedit_->text()};
    data::Statement st;
    try {
        st = profitStatement(in);
    } catch (const data::DbError& e) {  // an unreadable date: the previous result stays
        ui::dialogs().warn(e.text());
        return;
    }
    if (openWith(lrqry_, st)) lrgrid_->refreshFooter();
}

void Tlrform::exportExcel() {
    exportGrid(*lrgrid_, QStringLiteral("利润统计"), this);
}

}  // namespace reports
