#pragma once
// The pieces of DataGrid that live behind its interface: the model that maps the column table onto
// the dataset, the delegate (ellipsis button, Enter in an editor), the footer row and the find dialog.
#include "ui/DataGrid.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace data {
class Money;
}

namespace ui {

// Cell text of a value: numbers without trailing zeros unless decimals >= 0; Null is empty.
QString formatGridValue(const QVariant& v, int decimals);
QString formatGridNumber(double d, int decimals);
// A footer sum: always four decimal places ("3.0050").
QString formatMoney4(const data::Money& m);

class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(DataGrid::Impl* impl);
    void setDataset(data::Dataset* d);
    void columnsAboutToChange();
    void columnsChanged();
    void titlesChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

  private:
    DataGrid::Impl* impl_;
    data::Dataset* dataset_ = nullptr;
    QList<QMetaObject::Connection> connections_;
};

class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(DataGrid::Impl* impl);
    static QRect ellipsisRect(const QRect& cell);  // the "…" button at the cell's right edge

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    bool hasEllipsis(const QModelIndex& index) const;
    DataGrid::Impl* impl_;
};

class GridFooter : public QWidget {
  public:
    GridFooter(DataGrid::Impl* impl, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    DataGrid::Impl* impl_;
};

class FindDialog : public QDialog {
  public:
    explicit FindDialog(DataGrid* grid);
    void prepare();  // fills the column list, keeps the last choice
    void findNext();

  private:
    DataGrid* grid_;
    QLineEdit* text_;
    QComboBox* column_;
    QRadioButton* backward_;
    QRadioButton* forward_;
};

}  // namespace ui
