#include "reports/Ttj_Form.h"

#include "data/DataHub.h"
#include "reports/FormParts.h"
#include "reports/Statistics.h"
#include "reports/WorkbookExport.h"

#include <QCursor>
#include <QMenu>

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

    const FilterPanel panel = filterPanel(71, this);
    QWidget* top = panel.frame;
    QHBoxLayout* first = panel.first;
    fedit_ = labelledEdit(first, QStringLiteral("日期 从："), "fedit", 90, top);
    fd_ = datePicker(first, fedit_, "fd", top);
    first->addSpacing(8);
    tedit_ = labelledEdit(first, QStringLiteral("到："), "tedit", 90, top);
    td_ = datePicker(first, tedit_, "td", top);
    first->addSpacing(8);
    khedit_ = labelledEdit(first, QStringLiteral("客户名称："), "khedit", 200, top);
    skh_ = lookupDrop(first, khedit_, hub_.skhqry, QStringLiteral("客户名称"), "skh", top);
    first->addStretch(1);

    QHBoxLayout* second = panel.second;
    cpEdit_ = labelledEdit(second, QStringLiteral("车牌："), "cpEdit", 100, top);
    scp_ = lookupDrop(second, cpEdit_, hub_.scpqry, QStringLiteral("送货车牌"), "scp", top);
    second->addSpacing(8);
    ywEdit_ = labelledEdit(second, QStringLiteral("业务员："), "ywEdit", 100, top);
    syw_ = lookupDrop(second, ywEdit_, hub_.sywqry, QStringLiteral("业务员"), "syw", top);
    second->addSpacing(16);
    auto* chooseBtn = button("selectReportBtn", QStringLiteral("选择报表&T"), top);
    auto* exportBtn = button("exportBtn", QStringLiteral("导出Excel"), top);
    auto* closeBtn = button("closeBtn", QStringLiteral("关闭 &X"), top);
    second->addWidget(chooseBtn);
    second->addWidget(exportBtn);
    second->addWidget(closeBtn);
    second->addStretch(1);
    Ptype_ = new QLabel(top);
    Ptype_->setObjectName(QStringLiteral("Ptype"));
    Ptype_->setVisible(false);
    second->addWidget(Ptype_);

    tjgrid_ = reportGrid("tjgrid", statisticsColumns(), tjqry_, this);
    // Before the first run the grid shows the statement's columns.
    tjgrid_->setColumnVisible(QStringLiteral("月份"), false);
    stackReportWindow(this, panel, tjgrid_);

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
    resetPeriod(fd_, td_);
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
