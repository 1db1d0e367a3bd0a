#pragma once
// Small pieces the two report windows build their panels from.
#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Sql.h"
#include "ui/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
