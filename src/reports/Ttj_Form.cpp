#include "reports/Ttj_Form.h"

#include "data/DataHub.h"
#include "data/Environment.h"
#include "reports/FormParts.h"
#include "reports/Statistics.h"
#include "reports/WorkbookExport.h"
#include "ui/DataGrid.h"
#include "ui/LookupButton.h"

#include <QCursor>
#include <QFrame>
#include <QMenu>
#include <QStatusBar>
#include <QVBoxLayout>

namespace reports {

using namespace parts;

Ttj_Form::Ttj_Form(data::DataHub& hub, QWidget* parent)
    : QDialog(parent), hub_(hub), tjqry_(new data::Dataset(QStringLiteral("tjqry"), this)) {
    setObjectName(QStringLiteral("Ttj_Form"));
    setWindowTitle(QStringLiteral("送货统计报表"));
    setModal(true);
    resize(818, 575);
    tjqry_->setDatabase(hub_.cnn);
    tjqry_->setReadOnly(true);

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("toppanel"));
    top->setFixedHeight(71);
    auto* rows = new QVBoxLayout(top);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);

    auto* first = new QHBoxLayout;
    fedit_ = edit("fedit", 90, top);
    fd_ = new ui::DateButton(fedit_, top);
    fd_->setObjectName(QStringLiteral("fd"));
    tedit_ = edit("tedit", 90, top);
    td_ = new ui::DateButton(tedit_, top);
    td_->setObjectName(QStringLiteral("td"));
    khedit_ = edit("khedit", 200, top);
    skh_ = new ui::LookupButton(khedit_, hub_.skhqry, QStringLiteral("客户名称"), top);
    skh_->setObjectName(QStringLiteral("skh"));
    addLabel(first, QStringLiteral("日期 从："), top);
    first->addWidget(fedit_);
    first->addWidget(fd_);
    first->addSpacing(8);
    addLabel(first, QStringLiteral("到："), top);
    first->addWidget(tedit_);
    first->addWidget(td_);
    first->addSpacing(8);
    addLabel(first, QStringLiteral("客户名称："), top);
    first->addWidget(khedit_);
    first->addWidget(skh_);
    first->addStretch(1);

    auto* second = new QHBoxLayout;
    cpEdit_ = edit("cpEdit", 100, top);
    scp_ = new ui::LookupButton(cpEdit_, hub_.scpqry, QStringLiteral("送货车牌"), top);
    scp_->setObjectName(QStringLiteral("scp"));
    ywEdit_ = edit("ywEdit", 100, top);
    syw_ = new ui::LookupButton(ywEdit_, hub_.sywqry, QStringLiteral("业务员"), top);
    syw_->setObjectName(QStringLiteral("syw"));
    auto* chooseBtn = button("selectReportBtn", QStringLiteral("选择报表&T"), top);
    auto* exportBtn = button("exportBtn", QStringLiteral("导出Excel"), top);
    auto* closeBtn = button("closeBtn", QStringLiteral("关闭 &X"), top);
    addLabel(second, QStringLiteral("车牌："), top);
    second->addWidget(cpEdit_);
    second->addWidget(scp_);
    second->addSpacing(8);
    addLabel(second, QStringLiteral("业务员："), top);
    second->addWidget(ywEdit_);
    second->addWidget(syw_);
    second->addSpacing(16);
    second->addWidget(chooseBtn);
    second->addWidget(exportBtn);
    second->addWidget(closeBtn);
    second->addStretch(1);
    Ptype_ = new QLabel(top);
    Ptype_->setObjectName(QStringLiteral("Ptype"));
    Ptype_->setVisible(false);
    second->addWidget(Ptype_);

    rows->addLayout(first);
    rows->addLayout(second);

    tjgrid_ = new ui::DataGrid(this);
    tjgrid_->setObjectName(QStringLiteral("tjgrid"));
    tjgrid_->setColumns(statisticsColumns());
    tjgrid_->setDataset(tjqry_);
    tjgrid_->setReadOnly(true);
    tjgrid_->setFooterVisible(true);
    // Before the first run the grid shows the statement's columns.
    tjgrid_->setColumnVisible(QStringLiteral("月份"), false);

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(top);
    v->addWidget(tjgrid_, 1);
    v->addWidget(status);

    bbMenu_ = new QMenu(this);
    bbMenu_->setObjectName(QStringLiteral("bbMenu"));
    for (const StatisticsVariant& variant : statisticsVariants()) {
        const QString caption = variant.caption;
        connect(bbMenu_->addAction(caption), &QAction::triggered, this,
                [this, caption] { runVariant(caption); });
    }

    connect(chooseBtn, &QPushButton::clicked, this, &Ttj_Form::chooseReport);
    connect(exportBtn, &QPushButton::clicked, this, &Ttj_Form::exportExcel);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString Ttj_Form::reportTitle() const {
    return Ptype_->text();
}

void Ttj_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activate();
}

void Ttj_Form::activate() {
    fd_->setDate(data::today().addDays(-30));
    td_->setDate(data::today());
    openLists({hub_.skhqry, hub_.scpqry, hub_.sywqry});
}

void Ttj_Form::chooseReport() {
    ui::dialogs().popup(bbMenu_, QCursor::pos());
}

void Ttj_Form::runVariant(const QString& caption) {
    const StatisticsVariant* variant = findStatisticsVariant(caption);
    if (!variant) return;
    // The title follows the choice even when the run is refused: the export is titled by it.
    Ptype_->setText(caption);
    const StatisticsInputs in{fedit_->text(), tedit_->text(), khedit_->text(), cpEdit_->text(),
                              ywEdit_->text()};
    if (const QString missing = missingStatisticsInput(*variant, in); !missing.isEmpty()) {
        ui::dialogs().warn(missing);
        return;
    }
    data::Statement st;
    try {
        st = statisticsStatement(*variant, in);
    } catch (const data::DbError& e) {  // an unreadable date: the previous result stays
        ui::dialogs().warn(e.text());
        return;
    }
    if (!openWith(tjqry_, st)) return;
    const QList<ui::GridColumn> cols = statisticsColumns();
    for (int i = 0; i < cols.size(); ++i)
        tjgrid_->setColumnVisible(cols[i].field, variant->visibleColumns.contains(i));
    tjgrid_->setColumnTitle(cols[variant->titledColumn].field, variant->columnTitle);
    tjgrid_->refreshFooter();
}

void Ttj_Form::exportExcel() {
    exportGrid(*tjgrid_, Ptype_->text(), this);
}

}  // namespace reports
