#include "stock/TkcbjForm.h"

#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/DbError.h"
#include "reports/WorkbookExport.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace stock {

namespace {

QList<ui::GridColumn> alarmColumns() {
    auto col = [](const char* field, int width, const QString& title = {}) {
        ui::GridColumn c;
        c.field = QString::fromUtf8(field);
        c.title = title;
        c.width = width;
        c.readOnly = true;
        return c;
    };
    return {col("商品编号", 80), col("名称", 100),    col("单位", 50),
            col("库存", 80),     col("库存下限", 80), col("库存上限", 80),
            col("售价", 80),     col("进价", 80),     col("折扣", 70, QStringLiteral("折扣(%)")),
            col("规格型号", 80), col("类别", 80),     col("产地", 80)};
}

}  // namespace

TkcbjForm::TkcbjForm(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("TkcbjForm"));
    setWindowTitle(QStringLiteral("库存报警查询"));
    resize(900, 560);

    bjqry_ = new data::Dataset(QStringLiteral("bjqry"), this);
    bjqry_->setDatabase(hub_.cnn);
    bjqry_->setReadOnly(true);

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    auto* bar = new QHBoxLayout(top);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, top);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    QPushButton* below = button("belowButton", QStringLiteral("低于下限&D"));
    QPushButton* above = button("aboveButton", QStringLiteral("高于上限&C"));
    exportButton_ = button("exportButton", QStringLiteral("导出&Excel "));
    QPushButton* close = button("closeButton", QStringLiteral("关闭 &X"));
    bar->addStretch(1);

    bjgrid_ = new ui::DataGrid(this);
    bjgrid_->setObjectName(QStringLiteral("bjgrid"));
    bjgrid_->setColumns(alarmColumns());
    bjgrid_->setDataset(bjqry_);
    bjgrid_->setReadOnly(true);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) statusBar_->addWidget(new QLabel(statusBar_), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(bjgrid_, 1);
    layout->addWidget(statusBar_);

    connect(below, &QPushButton::clicked, this, [this] { showList(AlarmList::BelowMinimum); });
    connect(above, &QPushButton::clicked, this, [this] { showList(AlarmList::AboveMaximum); });
    // Before a list is chosen bjqry is closed, and the export refuses with its message.
    connect(exportButton_, &QPushButton::clicked, this,
            [this] { reports::exportGrid(*bjgrid_, listTitle(), this); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TkcbjForm::showList(AlarmList list) {
    try {
        bjqry_->setStatement(alarmStatement(list));
        bjqry_->requery();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    list_ = list;
    bjgrid_->setColumnVisible(QStringLiteral("库存下限"), list != AlarmList::AboveMaximum);
    bjgrid_->setColumnVisible(QStringLiteral("库存上限"), list != AlarmList::BelowMinimum);
}

}  // namespace stock
