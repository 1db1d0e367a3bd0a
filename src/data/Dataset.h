#pragma once
#include "data/Sql.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <QHash>
#include <QSet>
#include <QVector>
#include <functional>

namespace data {

// A statement with parameters, its rows, a current row, and edit/insert/post/cancel/delete on the row
// it stands on, posting by row key. A detail dataset takes a parameter from its master's current row
// and re-reads itself whenever that row changes. It is also the Qt model the grids show.
//
// Errors from the database throw DbError (the caller shows them through the dialog layer).
class Dataset : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class State { Closed, Browse, Edit, Insert };

    Dataset(const QString& name, QObject* parent = nullptr);

    // --- statement -------------------------------------------------------------------------------
    void setDatabase(const QSqlDatabase& db) { db_ = db; }
    const QSqlDatabase& database() const { return db_; }
    void setStatement(const QStringList& lines);  // keeps parameter values whose names recur
    const QStringList& statementLines() const { return statement_.lines; }
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;
    // Where posts go: the table and its key column (which the statement must select). Without a
    // table the dataset is read-only.
    void setUpdateTable(const QString& table, const QString& keyField);
    const QString& updateTable() const { return table_; }
    const QString& keyField() const { return keyField_; }

    // --- master / detail -------------------------------------------------------------------------
    // Re-reads this dataset with parameter `param` = master's `masterField` whenever the master's
    // current row changes or the master is re-read. Nothing happens while this dataset is closed.
    void setMaster(Dataset* master, const QString& masterField, const QString& param);

    // --- opening -----------------------------------------------------------------------------------
    void open();  // runs the statement and stands on the first row
    void close();
    bool isOpen() const { return state_ != State::Closed; }
    // Re-reads with the same statement and parameters; stays on the row with the same key if there is one.
    void refresh();
    // Same as close() + open() with the current statement (moves to the first row).
    void requery();

    // --- large lists -------------------------------------------------------------------------------
    // Keyed loading, for lists of many thousand rows: reading the statement keeps only each row's key,
    // and a row's fields are read from the update table by key when the row is first needed, a page at
    // a time. The statement must give the key column ("select * from" reads only that); the fields are
    // the columns of the update table.
    void setKeyedLoading(bool keyed) { keyed_ = keyed; }
    bool keyedLoading() const { return keyed_; }
    // Opens with rows found elsewhere (e.g. a search run off the interface thread): statement and
    // parameters are set as given, so that refresh() reads them again, and the rows are the rows with
    // these (integer) keys, in this order. Needs keyed loading. The keys are shared, not copied, and no
    // row is read before it is needed, so that a list of many thousand rows opens at once.
    void openWithKeys(const QStringList& lines, const QVariantMap& params, const QVector<qint64>& keys);

    // --- rows and fields ----------------------------------------------------------------------------
    const QString& name() const { return name_; }
    const QStringList& fieldNames() const { return fields_; }
    int fieldIndex(const QString& field) const;  // case-insensitive; -1 when absent
    bool hasField(const QString& field) const { return fieldIndex(field) >= 0; }
    int count() const { return int(rows_.size()); }
    bool isEmpty() const { return rows_.isEmpty(); }
    QVariant value(int row, const QString& field) const;
    int currentRow() const { return current_; }  // -1 when empty
    QVariant field(const QString& field) const { return value(current_, field); }
    QString text(const QString& name) const { return textOf(field(name)); }
    // Column declared numeric (REAL/INTEGER) in the update table, or holding numbers.
    bool isNumericField(const QString& field) const;
    // Reorders the rows in memory by one field (a pending change is posted first); the current row
    // stays on the same record. Null sorts first ascending; numbers compare as numbers, texts by the
    // locale. Unknown fields leave the order alone.
    void sortRows(const QString& field, Qt::SortOrder order);

    // Moves the current row; a pending edit is posted first (posting on leaving a row). Returns false
    // when the move was vetoed or the post failed (the error is rethrown).
    bool setCurrentRow(int row);
    bool first() { return setCurrentRow(0); }
    bool next() { return setCurrentRow(current_ + 1); }
    bool locate(const QString& field, const QVariant& value);  // first row whose field equals value
    bool locateKey(const QVariant& key) { return locate(keyField_, key); }

    // --- editing ---------------------------------------------------------------------------------------
    State state() const { return state_; }
    bool isModified() const { return state_ == State::Edit || state_ == State::Insert; }
    void edit();                                   // Browse -> Edit on the current row
    void append(const QVariantMap& values = {});  // a new row at the end, in Insert state
    void setField(const QString& field, const QVariant& value);  // enters Edit when browsing
    void post();    // writes the pending row by key (insert: takes the new key back)
    void cancel();  // drops the pending change
    void remove();  // deletes the current row by key

    // Asked before the current row changes while a change is pending: return true to post it, false
    // to drop it. Unset: post. (Windows ask "您修改了这笔记录,要保存吗?" here.)
    std::function<bool()> onLeaveModifiedRow;
    // Read-only datasets refuse setData from views.
    void setReadOnly(bool ro) { readOnly_ = ro; }
    bool isReadOnly() const { return readOnly_ || table_.isEmpty(); }

    // --- model ---------------------------------------------------------------------------------------
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

signals:
    void opened();                       // after open / refresh / requery filled the rows
    void closed();
    void currentRowChanged(int row);     // after the current row moved (also after open)
    void fieldChanged(int row, const QString& field);  // a field of a row changed by setField
    void stateChanged(data::Dataset::State state);
    void posted(int row);                // after a row was written
    void removed();                      // after a row was deleted

private:
    void load();
    void adoptKeys(const QVector<QVariant>& keys);  // keyed loading: rows that hold only their key
    void fetchRows(int row) const;                   // keyed loading: reads the page around row
    void fetchAllRows() const;
    QVariant keyAt(int row) const;
    QVariant unreadKey(int row) const;  // keyed loading: the key of a row not read yet
    void dropKeyOf(int row);            // keyed loading: a row goes
    void setState(State s);
    void postIfModified();
    QVariantMap columnsOfRow(int row) const;

    QString name_;
    QSqlDatabase db_;
    Statement statement_;
    QString table_;
    QString keyField_;
    QStringList fields_;
    // Keyed loading: a row not read yet holds only its key, or nothing when its key is in keys_.
    mutable QVector<QVector<QVariant>> rows_;
    QVector<qint64> keys_;  // keys given to openWithKeys, by row (rows appended later have none)
    QVector<QVariant> original_;  // the row as it was before editing (Edit state)
    QSet<int> dirty_;             // columns changed in the pending row
    int current_ = -1;
    State state_ = State::Closed;
    bool readOnly_ = false;
    mutable QHash<QString, bool> numeric_;
    std::function<void()> masterParam_;
    bool keyed_ = false;  // takes the master's value into the parameter
};

}  // namespace data
