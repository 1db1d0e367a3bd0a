#include "reports/Tlrform.h"

#include "data/DataHub.h"
#include "data/Environment.h"
#include "reports/FormParts.h"
#include "reports/Profit.h"
#include "reports/WorkbookExport.h"
#include "ui/DataGrid.h"
#include "ui/LookupButton.h"

#include <QFrame>
#include <QStatusBar>
#include <QVBoxLayout>

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

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("toppanel"));
    top->setFixedHeight(72);
    auto* rows = new QVBoxLayout(top);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);

    auto* first = new QHBoxLayout;
    Fqedit_ = edit("Fqedit", 90, top);
    sfd_ = new ui::DateButton(Fqedit_, top);
    sfd_->setObjectName(QStringLiteral("sfd"));
    TqEdit_ = edit("TqEdit", 90, top);
    std_ = new ui::DateButton(TqEdit_, top);
    std_->setObjectName(QStringLiteral("std"));
    khedit_ = edit("khedit", 170, top);
    skh_ = new ui::LookupButton(khedit_, hub_.skhqry, QStringLiteral("客户名称"), top);
    skh_->setObjectName(QStringLiteral("skh"));
    cpedit_ = edit("cpedit", 90, top);
    scp_ = new ui::LookupButton(cpedit_, hub_.scpqry, QStringLiteral("送货车牌"), top);
    scp_->setObjectName(QStringLiteral("scp"));
    ywedit_ = edit("ywedit", 80, top);
    syw_ = new ui::LookupButton(ywedit_, hub_.sywqry, QStringLiteral("业务员"), top);
    syw_->setObjectName(QStringLiteral("syw"));
    ztedit_ = edit("ztedit", 80, top);
    szt_ = new ui::LookupButton(ztedit_, hub_.sztqry, QStringLiteral("状态"), top);
    szt_->setObjectName(QStringLiteral("szt"));
    const struct {
        const char* label;
        QLineEdit* edit;
        QWidget* drop;
    } fields[] = {{"日期从：", Fqedit_, sfd_}, {"到：", TqEdit_, std_},     {"客户：", khedit_, skh_},
                  {"车牌：", cpedit_, scp_},   {"业务员：", ywedit_, syw_}, {"状态：", ztedit_, szt_}};
    for (const auto& f : fields) {
        addLabel(first, QString::fromUtf8(f.label), top);
        first->addWidget(f.edit);
        first->addWidget(f.drop);
        first->addSpacing(6);
    }
    first->addStretch(1);

    auto* second = new QHBoxLayout;
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

    rows->addLayout(first);
    rows->addLayout(second);

    lrgrid_ = new ui::DataGrid(this);
    lrgrid_->setObjectName(QStringLiteral("lrgrid"));
    lrgrid_->setColumns(profitColumns());
    lrgrid_->setDataset(lrqry_);
    lrgrid_->setReadOnly(true);
    lrgrid_->setBanded(true);
    lrgrid_->setFooterVisible(true);

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(top);
    v->addWidget(lrgrid_, 1);
    v->addWidget(status);

    connect(runBtn, &QPushButton::clicked, this, &Tlrform::runQuery);
    connect(exportBtn, &QPushButton::clicked, this, &Tlrform::exportExcel);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void Tlrform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activate();
}

void Tlrform::activate() {
    sfd_->setDate(data::today().addDays(-30));
    std_->setDate(data::today());
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
