#pragma once
#include <QColor>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <functional>

class QTableView;
class QMenu;

namespace data {
class Dataset;
}

namespace ui {

// One column of a grid: a row of the column table a window declares.
struct GridColumn {
    QString field;   // dataset field
    QString title;   // empty: the field name
    int width = 80;  // pixels
    bool visible = true;
    bool readOnly = false;
    bool sortable = true;      // the title is a button that sorts
    bool ellipsis = false;     // an ellipsis button in the cell (always shown); emits ellipsisClicked
    bool highlighted = false;  // the column stands out (a light yellow background)
    QColor highlightColor;     // background of a highlighted column; invalid: light yellow
    QColor titleColor;         // invalid: default
    QString footerText;        // static footer text (e.g. "合计：")
    bool footerSum = false;    // footer shows the live sum of the column, four decimal places
    QColor footerColor = Qt::red;
    int decimals = -1;  // -1: numbers shown as they are (no trailing zeros); n: fixed n places
};

// A read-only report column: field, title (empty: the field name) and width.
inline GridColumn reportColumn(const char* field, const char* title, int width) {
    GridColumn c;
    c.field = QString::fromUtf8(field);
    c.title = QString::fromUtf8(title);
    c.width = width;
    c.readOnly = true;
    return c;
}

// The one grid that serves every list: a dataset shown through Qt's model/view, with banded rows,
// a footer row (static texts and live sums), title buttons that sort with markers, a per-row
// background, a cell ellipsis button, Enter behaviours, and the find dialog (Ctrl+F).
// Database errors raised while the user edits or moves are shown through the dialog layer.
class DataGrid : public QWidget {
    Q_OBJECT
  public:
    enum class EnterAction { NextColumn, NextRow, None };
    // Banding colours the even rows as the user counts them (the second, fourth ...).
    static inline const QColor kBandColor = QColor(192, 220, 192);       // money green
    static inline const QColor kHighlightColor = QColor(255, 255, 204);  // light yellow

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataset(data::Dataset* dataset);
    data::Dataset* dataset() const { return dataset_; }

    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return columns_; }
    void setColumnVisible(const QString& field, bool visible);
    void setColumnTitle(const QString& field, const QString& title);
    bool isColumnVisible(const QString& field) const;
    QString columnTitle(const QString& field) const;  // the title shown (field name when empty)

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    void setBanded(bool banded);          // default on
    void setFooterVisible(bool visible);  // default off
    // Overrides the live sums: the footer text for a field (e.g. sums taken by the database over all
    // matching rows). Return a null QString to fall back to the grid's own sum.
    void setFooterProvider(std::function<QString(const QString& field)> provider);
    QString footerText(const QString& field) const;  // what the footer shows under that column
    void refreshFooter();

    void setRowBackground(std::function<QColor(int row)> background);  // invalid colour: default
    void setEnterAction(EnterAction action);                           // default NextColumn

    // Title clicks: with a handler the window sorts (e.g. re-queries); without one the grid sorts the
    // dataset's rows in memory. A second click on the same title reverses the order.
    void setSortHandler(std::function<void(const QString& field, Qt::SortOrder order)> handler);
    void setSortMarker(const QString& field, Qt::SortOrder order);
    void clearSortMarker();
    QString sortField() const;

    // Shown at the mouse position through the dialog layer on a right click.
    void setContextMenu(QMenu* menu);
    // Down on the last row (or in an empty list) adds a row with these values, e.g. the customer the
    // row belongs to. Unset: the list does not grow from the keyboard.
    void setAppendOnDown(std::function<QVariantMap()> values);
    // Ctrl+Delete on a row calls this; the window asks and deletes as its menu does. Unset: nothing.
    void setDeleteHandler(std::function<void()> handler);
    void setTitlesBold(bool bold);  // default off

    QTableView* view() const { return view_; }
    QString currentField() const;  // field of the current column
    void setCurrentField(const QString& field);
    void openFindDialog();
    // Finds text in one field (or every visible column when field is empty) from the current row,
    // forwards or backwards; moves there and returns true when found.
    bool find(const QString& text, const QString& field, bool forward, bool wholeCell = false);

  signals:
    void ellipsisClicked(int row, const QString& field);
    void cellEdited(int row, const QString& field);  // after the user changed a cell
    void activated(int row);                         // double click or Enter on a read-only grid
    void titleClicked(const QString& field);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class Impl;
    friend class GridModel;
    friend class GridDelegate;
    friend class GridFooter;
    friend class FindDialog;
    data::Dataset* dataset_ = nullptr;
    QList<GridColumn> columns_;
    QTableView* view_ = nullptr;
    bool readOnly_ = false;
    Impl* impl_ = nullptr;
};

}  // namespace ui
