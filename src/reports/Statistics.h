#pragma once
#include "data/Sql.h"
#include "ui/DataGrid.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace reports {

// What the user typed into the statistics window; every text is used as it stands.
struct StatisticsInputs {
    QString from;         // fedit
    QString to;           // tedit
    QString customer;     // khedit
    QString plate;        // cpEdit
    QString salesperson;  // ywEdit
};

// One of the eight report variants of the statistics window: a row of the table below.
struct StatisticsVariant {
    enum Input { From = 1, To = 2, Customer = 4, Plate = 8, Salesperson = 16 };

    QString caption;         // menu item, also the export title
    int required = 0;        // Input flags that must not be empty
    QString missingMessage;  // shown when one of them is
    QString select;          // the SELECT line
    bool byPeriod = false;   // has the 日期2 period line
    int filterInput = 0;     // the one Input the filter line reads (0: none)
    QString filterLine;
    QString last;               // GROUP BY / ORDER BY line
    QList<int> visibleColumns;  // indexes into statisticsColumns()
    int titledColumn = 2;       // the column whose title the variant sets
    QString columnTitle;
};

const QList<StatisticsVariant>& statisticsVariants();
const StatisticsVariant* findStatisticsVariant(const QString& caption);

// The seventeen fixed columns of tjgrid; each variant shows some of them.
QList<ui::GridColumn> statisticsColumns();

// The variant's message when a required input is empty; an empty text when all are there.
QString missingStatisticsInput(const StatisticsVariant& v, const StatisticsInputs& in);

// The variant's statement with its parameters. Dates of the period are read with
// data::requireUserDate: an unreadable text throws DbError naming the edit before anything runs.
// Filters match exactly (no wildcards are added).
data::Statement statisticsStatement(const StatisticsVariant& v, const StatisticsInputs& in);

}  // namespace reports
