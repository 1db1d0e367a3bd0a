#pragma once
// Small pieces the two report windows build their panels from.
#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "data/Sql.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "ui/LookupButton.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace reports::parts {

inline QLineEdit* edit(const char* name, int width, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(width);
    return e;
}

inline QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

inline void addLabel(QHBoxLayout* row, const QString& text, QWidget* parent) {
    row->addWidget(new QLabel(text, parent));
}

// A label and its edit, added to a row of the filter panel.
inline QLineEdit* labelledEdit(QHBoxLayout* row, const QString& label, const char* name, int width,
                               QWidget* parent) {
    addLabel(row, label, parent);
    QLineEdit* e = edit(name, width, parent);
    row->addWidget(e);
    return e;
}

// The date picker of an edit, added after it.
inline ui::DateButton* datePicker(QHBoxLayout* row, QLineEdit* e, const char* name, QWidget* parent) {
    auto* b = new ui::DateButton(e, parent);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
    return b;
}

// The drop-down of an edit on a lookup list (its column `field`), added after it.
inline ui::LookupButton* lookupDrop(QHBoxLayout* row, QLineEdit* e, data::Dataset* list, const QString& field,
                                    const char* name, QWidget* parent) {
    auto* b = new ui::LookupButton(e, list, field, parent);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
    return b;
}

// The filter panel at the top of a report window: two rows of fields and buttons.
struct FilterPanel {
    QFrame* frame;
    QHBoxLayout* first;
    QHBoxLayout* second;
};
inline FilterPanel filterPanel(int height, QWidget* parent) {
    auto* top = new QFrame(parent);
    top->setObjectName(QStringLiteral("toppanel"));
    top->setFixedHeight(height);
    auto* rows = new QVBoxLayout(top);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);
    FilterPanel panel{top, new QHBoxLayout, new QHBoxLayout};
    rows->addLayout(panel.first);
    rows->addLayout(panel.second);
    return panel;
}

// A read-only grid of the report's dataset with a totals footer.
inline ui::DataGrid* reportGrid(const char* name, const QList<ui::GridColumn>& columns, data::Dataset* ds,
                                QWidget* parent) {
    auto* grid = new ui::DataGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setColumns(columns);
    grid->setDataset(ds);
    grid->setReadOnly(true);
    grid->setFooterVisible(true);
    return grid;
}

// The window: the filter panel above the grid, a status bar below.
inline void stackReportWindow(QDialog* window, const FilterPanel& panel, ui::DataGrid* grid) {
    auto* status = new QStatusBar(window);
    status->setSizeGripEnabled(false);
    auto* v = new QVBoxLayout(window);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(panel.frame);
    v->addWidget(grid, 1);
    v->addWidget(status);
}

// The period back to the last 30 days.
inline void resetPeriod(ui::DateButton* from, ui::DateButton* to) {
    from->setDate(data::today().addDays(-30));
    to->setDate(data::today());
}

// Replaces the dataset's statement and opens it; a refusal of the database is shown. Returns
// whether it opened.
inline bool openWith(data::Dataset* ds, const data::Statement& st) {
    try {
        ds->close();
        ds->setStatement(st.lines);
        for (auto it = st.params.cbegin(); it != st.params.cend(); ++it) ds->setParam(it.key(), it.value());
        ds->open();
        return true;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return false;
    }
}

// Opens the lookup lists the drop-downs show, if they are not open yet.
inline void openLists(std::initializer_list<data::Dataset*> lists) {
    try {
        for (data::Dataset* ds : lists)
            if (ds && !ds->isOpen()) ds->open();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

}  // namespace reports::parts
