#include "ui/DataGrid.h"

#include "data/Sql.h"
#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Money.h"
#include "ui/Dialogs.h"
#include "ui/GridParts.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace ui {

namespace {

constexpr int kRowHeight = 22;
constexpr int kEllipsisWidth = 18;

bool sameValue(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && a == b;
}

}  // namespace

QString formatGridNumber(double d, int decimals) {
    if (!std::isfinite(d)) return QString::number(d);
    if (decimals >= 0) return QString::number(d, 'f', decimals);
    // Ten places take away the binary noise (0.1 + 0.2) without hiding real digits of money values.
    QString s = QString::number(d, 'f', 10);
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QString formatGridValue(const QVariant& v, int decimals) {
    if (!v.isValid() || v.isNull()) return {};
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return formatGridNumber(v.toDouble(), decimals);
    if (data::isNumberValue(v)) return decimals >= 0 ? formatGridNumber(v.toDouble(), decimals) : v.toString();
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (decimals >= 0 && v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok) return formatGridNumber(d, decimals);
    }
    return v.toString();
}

QString formatMoney4(const data::Money& m) {
    const qint64 raw = m.raw();
    const quint64 a = raw < 0 ? quint64(-(raw + 1)) + 1 : quint64(raw);
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(a / 10000)
        .arg(a % 10000, 4, 10, QLatin1Char('0'));
}

// ------------------------------------------------------------------------------------------------------
// The grid's private half: keeps the view and the dataset in step.

class DataGrid::Impl : public QObject {
  public:
    explicit Impl(DataGrid* grid) : QObject(grid), q(grid) {}

    DataGrid* q;
    GridModel* model = nullptr;
    GridDelegate* delegate = nullptr;
    GridFooter* footer = nullptr;
    FindDialog* findDialog = nullptr;
    QList<GridColumn> autoColumns;  // every field of the dataset, when the window declares none
    QList<QMetaObject::Connection> datasetConnections;
    bool banded = true;
    bool footerVisible = false;
    std::function<QString(const QString&)> footerProvider;
    std::function<QColor(int)> rowBackground;
    std::function<void(const QString&, Qt::SortOrder)> sortHandler;
    EnterAction enterAction = EnterAction::NextColumn;
    QString sortField;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    QMenu* contextMenu = nullptr;
    std::function<QVariantMap()> appendValues;
    std::function<void()> deleteHandler;
    bool titlesBold = false;
    bool syncing = false;  // the view is being moved to the dataset's row
    // The dataset is adding or taking rows: the view's current row moves by itself then, and the
    // dataset tells its new row afterwards.
    bool rowsChanging = false;
    bool inSetData = false;  // guards against a second commit while a message box is up
    bool refused = false;    // the last commit was refused

    const QList<GridColumn>& cols() const { return q->columns_.isEmpty() ? autoColumns : q->columns_; }
    int columnOf(const QString& field) const {
        const auto& c = cols();
        for (int i = 0; i < c.size(); ++i)
            if (c[i].field.compare(field, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    data::Dataset* ds() const { return q->dataset_; }
    bool gridReadOnly() const { return q->readOnly_ || !ds() || ds()->isReadOnly(); }
    bool editable(int col) const {
        if (gridReadOnly() || col < 0 || col >= cols().size()) return false;
        return !cols()[col].readOnly && ds()->hasField(cols()[col].field);
    }

    void rebuildAutoColumns() {
        autoColumns.clear();
        if (!q->columns_.isEmpty() || !ds()) return;
        for (const QString& f : ds()->fieldNames()) {
            GridColumn c;
            c.field = f;
            autoColumns << c;
        }
    }

    void applyColumns() {
        QHeaderView* h = q->view_->horizontalHeader();
        const auto& c = cols();
        for (int i = 0; i < c.size(); ++i) {
            h->resizeSection(i, c[i].width);
            q->view_->setColumnHidden(i, !c[i].visible);
        }
        const int s = columnOf(sortField);
        h->setSortIndicatorShown(s >= 0);
        if (s >= 0) h->setSortIndicator(s, sortOrder);
        q->view_->setEditTriggers(
            gridReadOnly() ? QAbstractItemView::NoEditTriggers
                           : QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        footerChanged();
    }

    QColor background(int row, int col) const {
        if (rowBackground) {
            const QColor c = rowBackground(row);
            if (c.isValid()) return c;
        }
        if (col >= 0 && col < cols().size() && cols()[col].highlighted)
            return cols()[col].highlightColor.isValid() ? cols()[col].highlightColor : kHighlightColor;
        if (banded && row % 2 == 1) return kBandColor;
        return {};
    }

    int firstVisibleColumn(bool editableOnly) const {
        for (int i = 0; i < cols().size(); ++i)
            if (cols()[i].visible && (!editableOnly || editable(i))) return i;
        return editableOnly ? firstVisibleColumn(false) : -1;
    }

    int currentColumn() const {
        const int c = q->view_->currentIndex().column();
        return c >= 0 ? c : firstVisibleColumn(false);
    }

    // Moves the view onto the dataset's current row, keeping the column.
    void syncViewToDataset() {
        if (!ds()) return;
        QScopedValueRollback guard(syncing, true);
        const int row = ds()->currentRow();
        QItemSelectionModel* sel = q->view_->selectionModel();
        if (row < 0 || row >= model->rowCount()) {
            sel->clear();
            return;
        }
        const int col = currentColumn();
        if (col < 0) return;
        const QModelIndex idx = model->index(row, col);
        if (q->view_->currentIndex() != idx || !sel->isRowSelected(row, {}))
            sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        q->view_->scrollTo(idx);
    }

    // The user moved the view: the dataset follows, posting a pending change on the way.
    void viewMoved(const QModelIndex& current) {
        if (syncing || rowsChanging || !ds() || !current.isValid()) return;
        if (current.row() == ds()->currentRow()) return;
        bool ok = false;
        {
            QScopedValueRollback guard(syncing, true);
            try {
                ok = ds()->setCurrentRow(current.row());
            } catch (const data::DbError& e) {
                dialogs().error(e.text());
            }
        }
        if (!ok || ds()->currentRow() != current.row()) {
            syncViewToDataset();
            // The view selects the clicked row after telling about the move; put it back afterwards.
            QTimer::singleShot(0, this, [this] { syncViewToDataset(); });
        }
    }

    bool moveTo(int row, int col) {
        if (!ds() || row < 0 || row >= ds()->count()) return false;
        if (row != ds()->currentRow()) {
            bool ok = false;
            try {
                ok = ds()->setCurrentRow(row);
            } catch (const data::DbError& e) {
                dialogs().error(e.text());
            }
            if (!ok || ds()->currentRow() != row) {
                syncViewToDataset();
                return false;
            }
        }
        QScopedValueRollback guard(syncing, true);
        const QModelIndex idx = model->index(row, col);
        q->view_->selectionModel()->setCurrentIndex(
            idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        q->view_->scrollTo(idx);
        return true;
    }

    bool postPending() {
        if (!ds() || !ds()->isModified()) return true;
        try {
            ds()->post();
            return true;
        } catch (const data::DbError& e) {
            dialogs().error(e.text());
            return false;
        }
    }

    bool setCell(const QModelIndex& idx, const QVariant& value) {
        if (inSetData) return false;
        QScopedValueRollback guard(inSetData, true);
        refused = false;
        if (!ds() || !editable(idx.column())) return false;
        const QString field = cols()[idx.column()].field;
        QVariant v = value;
        if (ds()->isNumericField(field)) {
            const QString t = value.toString().trimmed();
            bool ok = t.isEmpty();
            if (!ok) ok = std::isfinite(t.toDouble(&ok)) && ok;
            if (!ok) {
                refused = true;
                dialogs().warn(QStringLiteral("“%1”不是有效的数字，请重新输入。").arg(t));
                return false;
            }
            v = t;
        }
        const QVariant before = ds()->value(idx.row(), field);
        bool done = false;
        {
            QScopedValueRollback sync(syncing, true);
            try {
                done = ds()->setData(ds()->index(idx.row(), ds()->fieldIndex(field)), v);
            } catch (const data::DbError& e) {
                dialogs().error(e.text());
            }
        }
        if (!done) {
            refused = true;
            QTimer::singleShot(0, this, [this] { syncViewToDataset(); });
            return false;
        }
        const int row = ds()->currentRow();
        if (!sameValue(before, ds()->value(row, field))) emit q->cellEdited(row, field);
        return true;
    }

    void enter() {
        if (gridReadOnly()) {
            if (ds() && ds()->currentRow() >= 0) emit q->activated(ds()->currentRow());
            return;
        }
        if (!ds() || ds()->currentRow() < 0) return;
        const int row = ds()->currentRow();
        const int col = currentColumn();
        switch (enterAction) {
            case EnterAction::None:
                return;
            case EnterAction::NextRow:
                if (row + 1 < ds()->count())
                    moveTo(row + 1, col);
                else
                    postPending();  // the last row stays, but its change is saved
                return;
            case EnterAction::NextColumn: {
                const bool anyEditable = firstVisibleColumn(true) >= 0 && editable(firstVisibleColumn(true));
                for (int c = col + 1; c < cols().size(); ++c)
                    if (cols()[c].visible && (!anyEditable || editable(c))) {
                        moveTo(row, c);
                        return;
                    }
                if (row + 1 < ds()->count()) moveTo(row + 1, firstVisibleColumn(anyEditable));
                return;
            }
        }
    }

    // Down on the last row: a new row, unless the new row is still the one being typed.
    bool appendOnDown() {
        if (!appendValues || gridReadOnly() || !ds()->isOpen()) return false;
        if (ds()->count() > 0 && ds()->currentRow() < ds()->count() - 1) return false;
        if (ds()->state() == data::Dataset::State::Insert) return true;
        const int col = currentColumn();
        try {
            ds()->append(appendValues());
        } catch (const data::DbError& e) {
            dialogs().error(e.text());
        }
        if (col >= 0) moveTo(ds()->currentRow(), col);
        return true;
    }

    bool cancelRow() {
        if (!ds() || !ds()->isModified()) return false;
        try {
            ds()->cancel();
        } catch (const data::DbError& e) {
            dialogs().error(e.text());
        }
        return true;
    }

    void titleClicked(int section) {
        if (section < 0 || section >= cols().size()) return;
        const GridColumn col = cols()[section];
        emit q->titleClicked(col.field);
        if (!col.sortable) {
            applyColumns();  // a click must not leave a marker of its own
            return;
        }
        const Qt::SortOrder order =
            sortField.compare(col.field, Qt::CaseInsensitive) == 0 && sortOrder == Qt::AscendingOrder
                ? Qt::DescendingOrder
                : Qt::AscendingOrder;
        sortField = col.field;
        sortOrder = order;
        try {
            if (sortHandler)
                sortHandler(col.field, order);
            else if (ds())
                ds()->sortRows(col.field, order);
        } catch (const data::DbError& e) {
            dialogs().error(e.text());
        }
        applyColumns();
    }

    void connectDataset() {
        for (const auto& c : datasetConnections) QObject::disconnect(c);
        datasetConnections.clear();
        data::Dataset* d = ds();
        if (!d) return;
        auto footerUpdate = [this] { footerChanged(); };
        datasetConnections << connect(d, &data::Dataset::currentRowChanged, this, [this] {
            if (!syncing) syncViewToDataset();
        });
        datasetConnections << connect(d, &QAbstractItemModel::dataChanged, this, footerUpdate);
        datasetConnections << connect(d, &QAbstractItemModel::rowsInserted, this, footerUpdate);
        datasetConnections << connect(d, &QAbstractItemModel::rowsRemoved, this, footerUpdate);
        datasetConnections << connect(d, &QAbstractItemModel::modelReset, this, footerUpdate);
        datasetConnections << connect(d, &QObject::destroyed, this, [this] {
            datasetConnections.clear();
            q->dataset_ = nullptr;
            model->setDataset(nullptr);
        });
    }

    // Sums are taken once per change of the data, not at every paint (a long list reads every row).
    mutable QHash<int, QString> footerCache;
    void footerChanged() {
        footerCache.clear();
        if (footer) footer->update();
    }

    QString footerAt(int col) const {
        if (col < 0 || col >= cols().size()) return {};
        if (auto it = footerCache.constFind(col); it != footerCache.constEnd()) return *it;
        const QString text = computeFooter(col);
        footerCache.insert(col, text);
        return text;
    }

    QString computeFooter(int col) const {
        const GridColumn& c = cols()[col];
        if (footerProvider) {
            const QString s = footerProvider(c.field);
            if (!s.isNull()) return s;
        }
        if (c.footerSum) {
            data::Money sum;
            if (ds() && ds()->hasField(c.field))
                for (int r = 0; r < ds()->count(); ++r)
                    sum += data::Money::fromVariant(ds()->value(r, c.field));
            return formatMoney4(sum);
        }
        return c.footerText;
    }

    bool matches(int row, int col, const QString& text, bool wholeCell) const {
        const QString cell = formatGridValue(ds()->value(row, cols()[col].field), cols()[col].decimals);
        return wholeCell ? cell.compare(text, Qt::CaseInsensitive) == 0
                         : cell.contains(text, Qt::CaseInsensitive);
    }
};

// ------------------------------------------------------------------------------------------------------

GridModel::GridModel(DataGrid::Impl* impl) : QAbstractTableModel(impl), impl_(impl) {}

void GridModel::setDataset(data::Dataset* d) {
    beginResetModel();
    for (const auto& c : connections_) disconnect(c);
    connections_.clear();
    dataset_ = d;
    impl_->rebuildAutoColumns();
    if (d) {
        connections_ << connect(d, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            impl_->rowsChanging = true;
            beginResetModel();
        });
        connections_ << connect(d, &QAbstractItemModel::modelReset, this, [this] {
            impl_->rebuildAutoColumns();
            impl_->rowsChanging = false;
            endResetModel();
        });
        connections_ << connect(d, &QAbstractItemModel::rowsAboutToBeInserted, this,
                                [this](const QModelIndex&, int first, int last) {
                                    impl_->rowsChanging = true;
                                    beginInsertRows({}, first, last);
                                });
        connections_ << connect(d, &QAbstractItemModel::rowsInserted, this, [this] {
            endInsertRows();
            impl_->rowsChanging = false;
        });
        connections_ << connect(d, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                [this](const QModelIndex&, int first, int last) {
                                    impl_->rowsChanging = true;
                                    beginRemoveRows({}, first, last);
                                });
        connections_ << connect(d, &QAbstractItemModel::rowsRemoved, this, [this] {
            endRemoveRows();
            impl_->rowsChanging = false;
        });
        connections_ << connect(
            d, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& tl, const QModelIndex& br) {
                if (columnCount() > 0)
                    emit dataChanged(index(tl.row(), 0), index(br.row(), columnCount() - 1));
            });
        connections_ << connect(d, &QAbstractItemModel::layoutAboutToBeChanged, this,
                                [this] { beginResetModel(); });
        connections_ << connect(d, &QAbstractItemModel::layoutChanged, this, [this] { endResetModel(); });
    }
    endResetModel();
}

void GridModel::columnsAboutToChange() {
    beginResetModel();
}
void GridModel::columnsChanged() {
    endResetModel();
}
void GridModel::titlesChanged() {
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !dataset_ ? 0 : dataset_->rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(impl_->cols().size());
}

QVariant GridModel::data(const QModelIndex& idx, int role) const {
    if (!idx.isValid() || !dataset_ || idx.column() >= impl_->cols().size()) return {};
    const GridColumn& col = impl_->cols()[idx.column()];
    switch (role) {
        case Qt::DisplayRole:
            return formatGridValue(dataset_->value(idx.row(), col.field), col.decimals);
        case Qt::EditRole:
            return formatGridValue(dataset_->value(idx.row(), col.field), -1);
        case Qt::BackgroundRole: {
            const QColor c = impl_->background(idx.row(), idx.column());
            return c.isValid() ? QVariant(c) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return int(
                (data::isNumberValue(dataset_->value(idx.row(), col.field)) ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter);
        default:
            return {};
    }
}

bool GridModel::setData(const QModelIndex& idx, const QVariant& value, int role) {
    if (role != Qt::EditRole || !idx.isValid()) return false;
    return impl_->setCell(idx, value);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& idx) const {
    if (!idx.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (impl_->editable(idx.column())) f |= Qt::ItemIsEditable;
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || section < 0 || section >= impl_->cols().size())
        return QAbstractTableModel::headerData(section, o, role);
    const GridColumn& col = impl_->cols()[section];
    switch (role) {
        case Qt::DisplayRole:
            return col.title.isEmpty() ? col.field : col.title;
        case Qt::ForegroundRole:
            return col.titleColor.isValid() ? QVariant(col.titleColor) : QVariant();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::FontRole:
            if (impl_->titlesBold) {
                QFont f = QApplication::font();
                f.setBold(true);
                return f;
            }
            return {};
        default:
            return {};
    }
}

// ------------------------------------------------------------------------------------------------------

GridDelegate::GridDelegate(DataGrid::Impl* impl) : QStyledItemDelegate(impl), impl_(impl) {}

bool GridDelegate::hasEllipsis(const QModelIndex& idx) const {
    return idx.isValid() && idx.column() < impl_->cols().size() && impl_->cols()[idx.column()].ellipsis;
}

QRect GridDelegate::ellipsisRect(const QRect& cell) {
    return QRect(cell.right() - kEllipsisWidth + 1, cell.top() + 1, kEllipsisWidth - 1, cell.height() - 2);
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& idx) const {
    if (!hasEllipsis(idx)) return QStyledItemDelegate::paint(painter, option, idx);
    QStyleOptionViewItem cell = option;
    QStyledItemDelegate::paint(painter, cell, idx);
    QStyleOptionButton button;
    button.rect = ellipsisRect(option.rect);
    button.text = QStringLiteral("…");
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    const QWidget* w = option.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &button, painter, w);
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& idx) const {
    QStyledItemDelegate::updateEditorGeometry(editor, option, idx);
    if (hasEllipsis(idx)) editor->setGeometry(editor->geometry().adjusted(0, 0, -kEllipsisWidth, 0));
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& idx) {
    if (hasEllipsis(idx) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick)) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && ellipsisRect(option.rect).contains(me->position().toPoint())) {
            if (event->type() == QEvent::MouseButtonRelease) {
                const QString field = impl_->cols()[idx.column()].field;
                if (impl_->moveTo(idx.row(), idx.column())) emit impl_->q->ellipsisClicked(idx.row(), field);
            }
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, idx);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            auto* editor = qobject_cast<QWidget*>(object);
            if (!editor) return false;
            impl_->refused = false;
            emit commitData(editor);
            const bool refused = impl_->refused;
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            if (!refused) impl_->enter();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ------------------------------------------------------------------------------------------------------

GridFooter::GridFooter(DataGrid::Impl* impl, QWidget* parent) : QWidget(parent), impl_(impl) {
    setFixedHeight(kRowHeight);
    setObjectName(QStringLiteral("footer"));
}

void GridFooter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    QTableView* view = impl_->q->view();
    QHeaderView* header = view->horizontalHeader();
    const int offset = view->viewport()->mapTo(impl_->q, QPoint(0, 0)).x() - x();
    const int right = offset + view->viewport()->width();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setClipRect(QRect(offset, 0, right - offset, height()));
    for (int c = 0; c < impl_->cols().size(); ++c) {
        if (header->isSectionHidden(c)) continue;
        const QRect cell(offset + header->sectionViewportPosition(c), 0, header->sectionSize(c), height());
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        const QString text = impl_->footerAt(c);
        if (text.isEmpty()) continue;
        p.setPen(impl_->cols()[c].footerColor.isValid() ? impl_->cols()[c].footerColor
                                                        : palette().color(QPalette::Text));
        // A sum wider than its column keeps its leading digits: cutting them would show a wrong number.
        const QRect inner = cell.adjusted(3, 0, -4, 0);
        const bool fits = p.fontMetrics().horizontalAdvance(text) <= inner.width();
        p.drawText(inner, (fits ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, text);
    }
}

// ------------------------------------------------------------------------------------------------------

FindDialog::FindDialog(DataGrid* grid) : QDialog(grid), grid_(grid) {
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(QStringLiteral("查找"));
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("findText"));
    column_ = new QComboBox(this);
    column_->setObjectName(QStringLiteral("findColumn"));
    backward_ = new QRadioButton(QStringLiteral("向前"), this);
    backward_->setObjectName(QStringLiteral("findBackward"));
    forward_ = new QRadioButton(QStringLiteral("向后"), this);
    forward_->setObjectName(QStringLiteral("findForward"));
    forward_->setChecked(true);
    auto* next = new QPushButton(QStringLiteral("查找下一个"), this);
    next->setObjectName(QStringLiteral("findNext"));
    next->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("findClose"));

    auto* form = new QVBoxLayout(this);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(new QLabel(QStringLiteral("查找内容："), this));
    row1->addWidget(text_, 1);
    row1->addWidget(next);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(new QLabel(QStringLiteral("查找范围："), this));
    row2->addWidget(column_, 1);
    row2->addWidget(close);
    auto* row3 = new QHBoxLayout;
    row3->addWidget(new QLabel(QStringLiteral("方向："), this));
    row3->addWidget(backward_);
    row3->addWidget(forward_);
    row3->addStretch(1);
    form->addLayout(row1);
    form->addLayout(row2);
    form->addLayout(row3);
    connect(next, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void FindDialog::prepare() {
    const QString keep = column_->currentData().toString();
    column_->clear();
    column_->addItem(QStringLiteral("全部列"), QString());
    for (const GridColumn& c : grid_->columns())
        if (c.visible) column_->addItem(c.title.isEmpty() ? c.field : c.title, c.field);
    const int i = column_->findData(keep);
    column_->setCurrentIndex(i >= 0 ? i : 0);
    const QString field = grid_->currentField();
    if (keep.isEmpty() && !field.isEmpty()) {
        // Start in all columns; the user narrows it when he wants to.
        column_->setCurrentIndex(0);
    }
    text_->selectAll();
    text_->setFocus();
}

void FindDialog::findNext() {
    const QString text = text_->text();
    if (text.isEmpty()) return;
    if (!grid_->find(text, column_->currentData().toString(), forward_->isChecked()))
        dialogs().inform(QStringLiteral("找不到“%1”").arg(text));
}

// ------------------------------------------------------------------------------------------------------

DataGrid::DataGrid(QWidget* parent) : QWidget(parent) {
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("view"));
    impl_ = new Impl(this);
    impl_->model = new GridModel(impl_);
    impl_->delegate = new GridDelegate(impl_);
    view_->setModel(impl_->model);
    view_->setItemDelegate(impl_->delegate);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setShowGrid(true);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(false);  // the grid bands its rows itself
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view_->verticalHeader()->setMinimumSectionSize(kRowHeight);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    view_->horizontalHeader()->setFixedHeight(kRowHeight + 2);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->installEventFilter(this);
    // A current row that stays visible when the focus is elsewhere.
    QPalette pal = view_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    view_->setPalette(pal);

    impl_->footer = new GridFooter(impl_, this);
    impl_->footer->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(impl_->footer);
    setFocusProxy(view_);

    Impl* d = impl_;
    connect(impl_->model, &QAbstractItemModel::modelReset, d, [d] {
        d->applyColumns();
        d->syncViewToDataset();
    });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, d,
            [d](const QModelIndex& current) { d->viewMoved(current); });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, d, [d](int s) { d->titleClicked(s); });
    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, d, [d](int s, int, int size) {
        auto& cols = d->q->columns_.isEmpty() ? d->autoColumns : d->q->columns_;
        if (s >= 0 && s < cols.size() && size > 0) cols[s].width = size;
        d->footer->update();
    });
    connect(view_->horizontalHeader(), &QHeaderView::sectionMoved, d->footer, qOverload<>(&QWidget::update));
    connect(view_->horizontalHeader(), &QHeaderView::geometriesChanged, d->footer,
            qOverload<>(&QWidget::update));
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, d->footer,
            qOverload<>(&QWidget::update));
    connect(view_, &QAbstractItemView::doubleClicked, d, [d](const QModelIndex& idx) {
        if (d->gridReadOnly() && idx.isValid()) emit d->q->activated(idx.row());
    });
    connect(view_, &QWidget::customContextMenuRequested, d, [d](const QPoint& pos) {
        if (!d->contextMenu) return;
        const QModelIndex idx = d->q->view_->indexAt(pos);
        if (idx.isValid() && !d->moveTo(idx.row(), idx.column())) return;
        dialogs().popup(d->contextMenu, d->q->view_->viewport()->mapToGlobal(pos));
    });
}

DataGrid::~DataGrid() {
    // The view asks the model for its titles while it goes away, and the titles live in this object's
    // members: the view must go first, and tell the private half nothing on the way.
    QObject::disconnect(view_->selectionModel(), nullptr, impl_, nullptr);
    QObject::disconnect(view_->horizontalHeader(), nullptr, impl_, nullptr);
    QObject::disconnect(view_->horizontalScrollBar(), nullptr, impl_->footer, nullptr);
    QObject::disconnect(view_, nullptr, impl_, nullptr);
    delete impl_->findDialog;
    impl_->findDialog = nullptr;
    delete impl_->footer;
    impl_->footer = nullptr;
    delete view_;
    view_ = nullptr;
    for (const auto& c : impl_->datasetConnections) QObject::disconnect(c);
    delete impl_;
    impl_ = nullptr;
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_F && (ke->modifiers() & Qt::ControlModifier)) {
            openFindDialog();
            return true;
        }
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            impl_->enter();
            return true;
        }
        if (ke->key() == Qt::Key_Down && ke->modifiers() == Qt::NoModifier && impl_->appendOnDown())
            return true;
        if (ke->key() == Qt::Key_Escape && impl_->cancelRow()) return true;
        if (ke->key() == Qt::Key_Delete && (ke->modifiers() & Qt::ControlModifier)) {
            if (impl_->deleteHandler && dataset_ && dataset_->currentRow() >= 0 && !impl_->gridReadOnly()) {
                try {
                    impl_->deleteHandler();
                } catch (const data::DbError& e) {
                    dialogs().error(e.text());
                }
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DataGrid::setDataset(data::Dataset* dataset) {
    dataset_ = dataset;
    impl_->connectDataset();
    impl_->model->setDataset(dataset);
}

void DataGrid::setColumns(const QList<GridColumn>& columns) {
    impl_->model->columnsAboutToChange();
    columns_ = columns;
    impl_->rebuildAutoColumns();
    impl_->model->columnsChanged();
}

void DataGrid::setColumnVisible(const QString& field, bool visible) {
    const int c = impl_->columnOf(field);
    if (c < 0 || c >= columns_.size()) return;
    columns_[c].visible = visible;
    view_->setColumnHidden(c, !visible);
    impl_->footer->update();
}

void DataGrid::setColumnTitle(const QString& field, const QString& title) {
    const int c = impl_->columnOf(field);
    if (c < 0 || c >= columns_.size()) return;
    columns_[c].title = title;
    impl_->model->titlesChanged();
}

bool DataGrid::isColumnVisible(const QString& field) const {
    const int c = impl_->columnOf(field);
    return c >= 0 && impl_->cols()[c].visible;
}

QString DataGrid::columnTitle(const QString& field) const {
    const int c = impl_->columnOf(field);
    if (c < 0) return {};
    const GridColumn& col = impl_->cols()[c];
    return col.title.isEmpty() ? col.field : col.title;
}

void DataGrid::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    impl_->applyColumns();
}

void DataGrid::setBanded(bool banded) {
    impl_->banded = banded;
    view_->viewport()->update();
}

void DataGrid::setFooterVisible(bool visible) {
    impl_->footerVisible = visible;
    impl_->footer->setVisible(visible);
}

void DataGrid::setFooterProvider(std::function<QString(const QString&)> provider) {
    impl_->footerProvider = std::move(provider);
    refreshFooter();
}

QString DataGrid::footerText(const QString& field) const {
    return impl_->footerAt(impl_->columnOf(field));
}

void DataGrid::refreshFooter() {
    impl_->footerChanged();
}

void DataGrid::setRowBackground(std::function<QColor(int)> background) {
    impl_->rowBackground = std::move(background);
    view_->viewport()->update();
}

void DataGrid::setEnterAction(EnterAction action) {
    impl_->enterAction = action;
}

void DataGrid::setSortHandler(std::function<void(const QString&, Qt::SortOrder)> handler) {
    impl_->sortHandler = std::move(handler);
}

void DataGrid::setSortMarker(const QString& field, Qt::SortOrder order) {
    impl_->sortField = field;
    impl_->sortOrder = order;
    impl_->applyColumns();
}

void DataGrid::clearSortMarker() {
    impl_->sortField.clear();
    impl_->sortOrder = Qt::AscendingOrder;
    impl_->applyColumns();
}

QString DataGrid::sortField() const {
    return impl_->sortField;
}

void DataGrid::setContextMenu(QMenu* menu) {
    impl_->contextMenu = menu;
}

void DataGrid::setAppendOnDown(std::function<QVariantMap()> values) {
    impl_->appendValues = std::move(values);
}

void DataGrid::setDeleteHandler(std::function<void()> handler) {
    impl_->deleteHandler = std::move(handler);
}

void DataGrid::setTitlesBold(bool bold) {
    impl_->titlesBold = bold;
    impl_->model->titlesChanged();
}

QString DataGrid::currentField() const {
    const int c = view_->currentIndex().column();
    return c >= 0 && c < impl_->cols().size() ? impl_->cols()[c].field : QString();
}

void DataGrid::setCurrentField(const QString& field) {
    const int c = impl_->columnOf(field);
    if (c < 0 || !dataset_ || dataset_->currentRow() < 0) return;
    impl_->moveTo(dataset_->currentRow(), c);
}

void DataGrid::openFindDialog() {
    if (!impl_->findDialog) impl_->findDialog = new FindDialog(this);
    impl_->findDialog->prepare();
    impl_->findDialog->show();
    impl_->findDialog->raise();
    impl_->findDialog->activateWindow();
}

bool DataGrid::find(const QString& text, const QString& field, bool forward, bool wholeCell) {
    if (!dataset_ || text.isEmpty() || dataset_->count() == 0) return false;
    QList<int> searched;
    if (field.isEmpty()) {
        for (int c = 0; c < impl_->cols().size(); ++c)
            if (impl_->cols()[c].visible) searched << c;
    } else if (const int c = impl_->columnOf(field); c >= 0) {
        searched << c;
    }
    if (searched.isEmpty()) return false;
    // Cells in reading order, starting after the current cell (before it, backwards).
    const int rows = dataset_->count();
    const int width = int(searched.size());
    const int curRow = qMax(0, dataset_->currentRow());
    int curPos = searched.indexOf(view_->currentIndex().column());
    if (width == 1)
        curPos = 0;
    else if (curPos < 0)
        curPos = forward ? -1 : width;  // the whole current row is still ahead
    const int start = curRow * width + curPos;
    const int step = forward ? 1 : -1;
    for (int cell = start + step; cell >= 0 && cell < rows * width; cell += step) {
        const int r = cell / width;
        const int c = searched[cell % width];
        if (impl_->matches(r, c, text, wholeCell)) return impl_->moveTo(r, c);
    }
    return false;
}

}  // namespace ui
