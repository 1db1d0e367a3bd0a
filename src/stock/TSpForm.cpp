#include "stock/TSpForm.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "reports/WorkbookExport.h"
#include "stock/Catalog.h"
#include "stock/WorkbookImport.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace stock {

TSpForm::TSpForm(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("TSpForm"));
    setWindowTitle(QStringLiteral("货品资料----导入Excel资料格式及资料页名称要求，请看帮助"));
    resize(1000, 600);

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    auto* bar = new QHBoxLayout(top);
    bar->addWidget(new QLabel(QStringLiteral("查找："), top));
    locedit_ = new QLineEdit(top);
    locedit_->setObjectName(QStringLiteral("locedit"));
    bar->addWidget(locedit_, 1);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, top);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    QPushButton* add = button("addButton", QStringLiteral("&A增加"));
    QPushButton* edit = button("editButton", QStringLiteral("&E修改"));
    QPushButton* save = button("saveButton", QStringLiteral("&S保存"));
    QPushButton* del = button("deleteButton", QStringLiteral("&D删除"));
    importButton_ = button("importButton", QStringLiteral("&I导入商品"));
    exportButton_ = button("exportButton", QStringLiteral("&I导出Excel"));
    QPushButton* close = button("closeButton", QStringLiteral("&X关闭"));

    cz_ = new QLabel(kBrowse, top);
    cz_->setObjectName(QStringLiteral("cz"));
    cz_->setVisible(false);

    spgrid_ = new ui::DataGrid(this);
    spgrid_->setObjectName(QStringLiteral("spgrid"));
    spgrid_->setColumns(catalogColumns());
    spgrid_->setDataset(hub_.spqry);
    spgrid_->setReadOnly(true);
    spgrid_->setToolTip(QStringLiteral("从购货明细打开，才可以双击鼠标选择商品！"));
    spgrid_->view()->installEventFilter(this);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->addWidget(new QLabel(QStringLiteral("提示："), statusBar_));
    statusBar_->addWidget(
        new QLabel(QStringLiteral("从选择送货商品打开，才可以双击鼠标选择商品！"), statusBar_), 1);
    progress_ = new QProgressBar(statusBar_);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setValue(0);
    progress_->setMaximumWidth(200);
    progress_->hide();  // shown while an import runs
    statusBar_->addPermanentWidget(progress_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(spgrid_, 1);
    layout->addWidget(statusBar_);

    connect(locedit_, &QLineEdit::textChanged, this, &TSpForm::search);
    connect(add, &QPushButton::clicked, this, &TSpForm::addGood);
    connect(edit, &QPushButton::clicked, this, &TSpForm::editGoods);
    connect(save, &QPushButton::clicked, this, &TSpForm::saveGoods);
    connect(del, &QPushButton::clicked, this, &TSpForm::deleteGood);
    connect(exportButton_, &QPushButton::clicked, this,
            [this] { reports::exportGrid(*spgrid_, QStringLiteral("货品资料"), this); });
    connect(importButton_, &QPushButton::clicked, this, [this] {
        // A good being typed is stored (or refused) first: the import re-reads the list.
        if (hub_.spqry->isModified() && !postPending()) return;
        importGoodsWithUi(hub_, progress_);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(spgrid_->view(), &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && spgrid_->isReadOnly()) pick(index.row());
    });

    // Whichever way the pending good is left (another row, saving), its code is checked first; a
    // refusal keeps it pending with everything typed so far.
    hub_.spqry->onLeaveModifiedRow = [this] {
        validatePending();
        return true;
    };
}

void TSpForm::setMode(const QString& mode, PickHandler onPick) {
    cz_->setText(mode);
    onPick_ = std::move(onPick);
}

QString TSpForm::mode() const {
    return cz_->text();
}

void TSpForm::setPurchasePriceVisible(bool visible) {
    spgrid_->setColumnVisible(QStringLiteral("进价"), visible);
}

bool TSpForm::isPurchasePriceVisible() const {
    return spgrid_->isColumnVisible(QStringLiteral("进价"));
}

void TSpForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    try {
        if (!hub_.spqry->isOpen()) hub_.spqry->open();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

bool TSpForm::pick(int row) {
    if (mode() == kBrowse || !onPick_) return false;
    data::Dataset* catalog = hub_.spqry;
    if (row < 0 || row >= catalog->count()) return false;
    try {
        if (!catalog->setCurrentRow(row)) return false;
        if (!onPick_(goodAt(*catalog, catalog->currentRow()))) return false;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return false;
    }
    accept();
    return true;
}

void TSpForm::search(const QString& text) {
    if (!postPending()) return;
    try {
        applySearch(*hub_.spqry, text);
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void TSpForm::validatePending() {
    data::Dataset* catalog = hub_.spqry;
    if (!catalog->isModified()) return;
    const QString code = catalog->text(QStringLiteral("商品编号"));
    QVariant id;
    if (catalog->state() == data::Dataset::State::Edit) {
        id = catalog->field(QStringLiteral("id"));
        // An existing good whose code was not touched is not held to the rule (older rows may lack one).
        const QVariant stored = data::scalar(
            catalog->database(), data::Statement{"select 商品编号 from sp where id=:id"}.bind("id", id));
        if (data::textOf(stored) == code) return;
    }
    const QString refusal = goodsCodeRefusal(catalog->database(), code, id);
    if (!refusal.isEmpty()) throw data::DbError(refusal);
}

bool TSpForm::postPending() {
    data::Dataset* catalog = hub_.spqry;
    if (!catalog->isModified()) return true;
    try {
        validatePending();
        catalog->post();
    } catch (const data::DbError& e) {
        ui::dialogs().warn(e.text());
        return false;
    }
    return true;
}

void TSpForm::addGood() {
    data::Dataset* catalog = hub_.spqry;
    if (!postPending()) return;
    try {
        if (!catalog->isOpen()) catalog->open();
        catalog->append({{QStringLiteral("编号"), nextGoodsNumber(catalog->database())}});
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    spgrid_->setReadOnly(false);
    spgrid_->setCurrentField(QStringLiteral("商品编号"));
    spgrid_->setFocus();
}

void TSpForm::editGoods() {
    spgrid_->setReadOnly(false);
    spgrid_->setFocus();
}

bool TSpForm::saveGoods() {
    if (!postPending()) return false;
    spgrid_->setReadOnly(true);
    ui::dialogs().warn(QStringLiteral("资料已保存!"));
    return true;
}

void TSpForm::deleteGood() {
    data::Dataset* catalog = hub_.spqry;
    if (!catalog->isOpen() || catalog->currentRow() < 0) return;
    if (!ui::dialogs().confirm(QStringLiteral("您是否真的要删除这笔商品记录吗?"))) return;
    try {
        catalog->remove();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void TSpForm::nextColumn() {
    const QList<ui::GridColumn>& cols = spgrid_->columns();
    int at = -1;
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].field == spgrid_->currentField()) at = i;
    for (int step = 1; step <= cols.size(); ++step) {
        const int i = (at + step) % int(cols.size());
        if (spgrid_->isColumnVisible(cols[i].field)) {
            spgrid_->setCurrentField(cols[i].field);
            return;
        }
    }
}

bool TSpForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == spgrid_->view() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter walks along the row and wraps to its first column; it never picks.
            nextColumn();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace stock
