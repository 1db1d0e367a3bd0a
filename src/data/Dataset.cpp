#include "data/Dataset.h"

#include "data/DbError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace data {

namespace {
QString quoted(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}
}  // namespace

Dataset::Dataset(const QString& name, QObject* parent) : QAbstractTableModel(parent), name_(name) {
    setObjectName(name);
}

void Dataset::setStatement(const QStringList& lines) {
    QVariantMap kept;
    const QString text = lines.join(QLatin1Char('\n'));
    for (auto it = statement_.params.cbegin(); it != statement_.params.cend(); ++it)
        if (text.contains(QLatin1Char(':') + it.key())) kept.insert(it.key(), it.value());
    statement_.lines = lines;
    statement_.params = kept;
}

void Dataset::setParam(const QString& name, const QVariant& value) {
    statement_.params.insert(name.startsWith(QLatin1Char(':')) ? name.mid(1) : name, value);
}

QVariant Dataset::param(const QString& name) const { return statement_.params.value(name); }

void Dataset::setUpdateTable(const QString& table, const QString& keyField) {
    table_ = table;
    keyField_ = keyField;
    numeric_.clear();
}

void Dataset::setMaster(Dataset* master, const QString& masterField, const QString& param) {
    auto follow = [this, master, masterField, param] {
        if (!isOpen()) return;
        postIfModified();
        setParam(param, master->field(masterField));
        requery();
    };
    connect(master, &Dataset::currentRowChanged, this, follow);
    connect(master, &Dataset::closed, this, [this] {
        if (isOpen()) close();
    });
    masterParam_ = [master, masterField, param, this] { setParam(param, master->field(masterField)); };
}

void Dataset::load() {
    if (keyed_) {
        // Only the keys are read: "select * from" needs to give no more than the key column.
        Statement st = statement_;
        static const QRegularExpression everyColumn(QStringLiteral("^\\s*select\\s+\\*\\s+from\\b"),
                                                    QRegularExpression::CaseInsensitiveOption);
        if (!st.lines.isEmpty()) st.lines[0].replace(everyColumn, QStringLiteral("select %1 from").arg(quoted(keyField_)));
        QVector<QVariant> keys;
        scanColumns(db_, st, {keyField_}, [&](const QVariant* v) {
            keys.append(v[0]);
            return true;
        });
        return adoptKeys(keys);
    }
    QSqlQuery q = exec(db_, statement_);
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (q.next()) {
        QVector<QVariant> r(rec.count());
        for (int i = 0; i < rec.count(); ++i) r[i] = q.value(i);
        rows << r;
    }
    beginResetModel();
    fields_ = names;
    rows_ = std::move(rows);
    keys_.clear();
    dirty_.clear();
    original_.clear();
    endResetModel();
}

void Dataset::adoptKeys(const QVector<QVariant>& keys) {
    QSqlQuery q = exec(db_, Statement{QStringLiteral("select * from %1 where 0").arg(quoted(table_))});
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    QVector<QVector<QVariant>> rows(keys.size());
    for (int i = 0; i < keys.size(); ++i) rows[i] = QVector<QVariant>{keys[i]};
    beginResetModel();
    fields_ = names;
    rows_ = std::move(rows);
    keys_.clear();
    dirty_.clear();
    original_.clear();
    endResetModel();
}

QVariant Dataset::unreadKey(int row) const {
    if (!rows_[row].isEmpty()) return rows_[row].value(0);
    return row < keys_.size() ? QVariant(qlonglong(keys_[row])) : QVariant();
}

void Dataset::dropKeyOf(int row) {
    if (row >= 0 && row < keys_.size()) keys_.removeAt(row);
}

QVariant Dataset::keyAt(int row) const {
    if (row < 0 || row >= rows_.size()) return {};
    if (keyed_ && rows_[row].size() != fields_.size()) return unreadKey(row);
    const int k = fieldIndex(keyField_);
    return k < 0 ? QVariant() : rows_[row][k];
}

void Dataset::fetchRows(int row) const {
    if (!keyed_ || row < 0 || row >= rows_.size() || rows_[row].size() == fields_.size()) return;
    constexpr int kPage = 200;
    const int first = qMax(0, row - kPage / 4);
    const int last = qMin(int(rows_.size()), first + kPage);
    QJsonArray keys;
    QHash<QString, int> rowOfKey;
    for (int r = first; r < last; ++r) {
        if (rows_[r].size() == fields_.size()) continue;
        const QVariant key = unreadKey(r);
        keys.append(QJsonValue::fromVariant(key));
        rowOfKey.insert(key.toString(), r);
    }
    try {
        QSqlQuery q = exec(db_, Statement{QStringLiteral("select * from %1 where %2 in (select value from json_each(:keys))")
                                              .arg(quoted(table_), quoted(keyField_))}
                                    .bind(QStringLiteral("keys"), QString::fromUtf8(QJsonDocument(keys).toJson(
                                                                      QJsonDocument::Compact))));
        const int k = fieldIndex(keyField_);
        while (q.next()) {
            const int r = rowOfKey.take(q.value(k).toString());
            if (r < first) continue;
            QVector<QVariant> values(fields_.size());
            for (int i = 0; i < fields_.size(); ++i) values[i] = q.value(i);
            rows_[r] = std::move(values);
        }
        // Rows another copy of the program deleted meanwhile: empty but for the key.
        for (int r : std::as_const(rowOfKey)) {
            QVector<QVariant> values(fields_.size());
            values[k] = unreadKey(r);
            rows_[r] = std::move(values);
        }
    } catch (const DbError&) {
        // Left unread: the row shows empty and is tried again when next needed.
    }
}

void Dataset::fetchAllRows() const {
    if (!keyed_) return;
    for (int r = 0; r < rows_.size(); ++r) fetchRows(r);
}

void Dataset::openWithKeys(const QStringList& lines, const QVariantMap& params, const QVector<qint64>& keys) {
    setStatement(lines);
    for (auto it = params.cbegin(); it != params.cend(); ++it) setParam(it.key(), it.value());
    QSqlQuery q = exec(db_, Statement{QStringLiteral("select * from %1 where 0").arg(quoted(table_))});
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    beginResetModel();
    fields_ = names;
    rows_ = QVector<QVector<QVariant>>(keys.size());  // empty rows: their keys are in keys_
    keys_ = keys;
    dirty_.clear();
    original_.clear();
    endResetModel();
    current_ = rows_.isEmpty() ? -1 : 0;
    setState(State::Browse);
    emit opened();
    emit currentRowChanged(current_);
}

void Dataset::open() {
    if (masterParam_) masterParam_();
    load();
    current_ = rows_.isEmpty() ? -1 : 0;
    setState(State::Browse);
    emit opened();
    emit currentRowChanged(current_);
}

void Dataset::close() {
    if (state_ == State::Closed) return;
    beginResetModel();
    rows_.clear();
    keys_.clear();
    fields_.clear();
    dirty_.clear();
    current_ = -1;
    endResetModel();
    setState(State::Closed);
    emit closed();
}

void Dataset::refresh() {
    if (!isOpen()) return open();
    const QVariant key = keyField_.isEmpty() ? QVariant() : field(keyField_);
    const int oldRow = current_;
    if (masterParam_) masterParam_();
    load();
    setState(State::Browse);
    current_ = rows_.isEmpty() ? -1 : qBound(0, oldRow, int(rows_.size()) - 1);
    if (!key.isNull()) {
        const int k = fieldIndex(keyField_);
        for (int r = 0; r < rows_.size(); ++r)
            if ((keyed_ ? keyAt(r) : rows_[r][k]) == key) {
                current_ = r;
                break;
            }
    }
    emit opened();
    emit currentRowChanged(current_);
}

void Dataset::requery() {
    if (masterParam_) masterParam_();
    load();
    current_ = rows_.isEmpty() ? -1 : 0;
    setState(State::Browse);
    emit opened();
    emit currentRowChanged(current_);
}

int Dataset::fieldIndex(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Dataset::value(int row, const QString& field) const {
    const int c = fieldIndex(field);
    if (row < 0 || row >= rows_.size() || c < 0) return {};
    fetchRows(row);
    return rows_[row].value(c);
}

bool Dataset::isNumericField(const QString& field) const {
    const QString key = field.toLower();
    if (auto it = numeric_.constFind(key); it != numeric_.constEnd()) return *it;
    bool numeric = false;
    bool known = false;
    if (!table_.isEmpty() && db_.isOpen()) {
        QSqlQuery q(db_);
        if (q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table_)))) {
            while (q.next()) {
                if (q.value(1).toString().compare(field, Qt::CaseInsensitive) == 0) {
                    const QString type = q.value(2).toString().toUpper();
                    numeric = type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("INT")) ||
                              type.contains(QLatin1String("NUM"));
                    known = true;
                }
            }
        }
    }
    if (!known) {
        const int c = fieldIndex(field);
        for (const auto& r : rows_) {
            if (c < 0 || r.size() <= c || r[c].isNull()) continue;
            const auto t = r[c].typeId();
            numeric = t == QMetaType::Double || t == QMetaType::LongLong || t == QMetaType::Int;
            break;
        }
    }
    numeric_.insert(key, numeric);
    return numeric;
}

namespace {
bool isNumber(const QVariant& v) {
    const auto t = v.typeId();
    return t == QMetaType::Double || t == QMetaType::LongLong || t == QMetaType::Int ||
           t == QMetaType::ULongLong || t == QMetaType::UInt || t == QMetaType::Float;
}

// <0, 0, >0 like strcmp; Null before everything.
int compareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return QString::localeAwareCompare(a.toString(), b.toString());
}
}  // namespace

void Dataset::sortRows(const QString& field, Qt::SortOrder order) {
    const int c = fieldIndex(field);
    if (c < 0 || rows_.size() < 2) return;
    postIfModified();
    fetchAllRows();
    QVector<int> order_(rows_.size());
    for (int i = 0; i < order_.size(); ++i) order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(), [&](int x, int y) {
        const int r = compareValues(rows_[x].value(c), rows_[y].value(c));
        return order == Qt::AscendingOrder ? r < 0 : r > 0;
    });
    QVector<QVector<QVariant>> sorted;
    sorted.reserve(rows_.size());
    QVector<qint64> sortedKeys;
    if (!keys_.isEmpty()) sortedKeys.reserve(rows_.size());
    int current = -1;
    for (int i = 0; i < order_.size(); ++i) {
        sorted << rows_[order_[i]];
        if (!keys_.isEmpty()) sortedKeys << keys_.value(order_[i]);
        if (order_[i] == current_) current = i;
    }
    beginResetModel();
    rows_ = std::move(sorted);
    keys_ = std::move(sortedKeys);
    current_ = current;
    endResetModel();
    emit currentRowChanged(current_);
}

bool Dataset::setCurrentRow(int row) {
    if (row < 0 || row >= rows_.size()) return false;
    if (row == current_ && !(state_ == State::Insert && row != int(rows_.size()) - 1)) return true;
    if (isModified()) {
        const bool keep = onLeaveModifiedRow ? onLeaveModifiedRow() : true;
        if (keep) post();
        else cancel();
        if (row >= rows_.size()) row = int(rows_.size()) - 1;
        if (row < 0) return false;
    }
    current_ = row;
    emit currentRowChanged(current_);
    return true;
}

bool Dataset::locate(const QString& name, const QVariant& v) {
    const int c = fieldIndex(name);
    if (c < 0) return false;
    const bool byKey = keyed_ && name.compare(keyField_, Qt::CaseInsensitive) == 0;
    if (!byKey) fetchAllRows();
    for (int r = 0; r < rows_.size(); ++r) {
        const QVariant cell = byKey ? keyAt(r) : rows_[r].value(c);
        const bool equal = (cell.isNull() && v.isNull()) ||
                           (!cell.isNull() && !v.isNull() &&
                            (cell == v || cell.toString().compare(v.toString(), Qt::CaseInsensitive) == 0));
        if (equal) return setCurrentRow(r);
    }
    return false;
}

void Dataset::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    emit stateChanged(s);
}

void Dataset::edit() {
    if (state_ == State::Closed) throw DbError(QStringLiteral("数据集 %1 没有打开").arg(name_));
    if (state_ != State::Browse) return;
    if (current_ < 0) throw DbError(QStringLiteral("没有可以修改的记录"));
    fetchRows(current_);
    original_ = rows_[current_];
    dirty_.clear();
    setState(State::Edit);
}

void Dataset::append(const QVariantMap& values) {
    if (state_ == State::Closed) throw DbError(QStringLiteral("数据集 %1 没有打开").arg(name_));
    postIfModified();
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    rows_ << QVector<QVariant>(fields_.size());
    endInsertRows();
    dirty_.clear();
    original_.clear();
    current_ = row;
    setState(State::Insert);
    emit currentRowChanged(current_);
    for (auto it = values.cbegin(); it != values.cend(); ++it) setField(it.key(), it.value());
}

void Dataset::setField(const QString& name, const QVariant& v) {
    const int c = fieldIndex(name);
    if (c < 0) throw DbError(QStringLiteral("数据集 %1 没有字段 %2").arg(name_, name));
    if (state_ == State::Browse) edit();
    if (current_ < 0) throw DbError(QStringLiteral("没有可以修改的记录"));
    fetchRows(current_);
    rows_[current_][c] = v;
    dirty_.insert(c);
    emit dataChanged(index(current_, c), index(current_, c));
    emit fieldChanged(current_, fields_[c]);
}

QVariantMap Dataset::columnsOfRow(int row) const {
    QVariantMap m;
    for (int c : dirty_) m.insert(fields_[c], rows_[row][c]);
    return m;
}

void Dataset::post() {
    if (!isModified()) return;
    if (table_.isEmpty()) throw DbError(QStringLiteral("数据集 %1 是只读的").arg(name_));
    const int k = fieldIndex(keyField_);
    if (k < 0) throw DbError(QStringLiteral("数据集 %1 没有选出键字段 %2").arg(name_, keyField_));
    const int row = current_;
    const QVariantMap values = columnsOfRow(row);
    if (state_ == State::Edit) {
        if (!values.isEmpty()) {
            Statement st;
            QStringList sets;
            int i = 0;
            for (auto it = values.cbegin(); it != values.cend(); ++it, ++i) {
                sets << QStringLiteral("%1=:v%2").arg(quoted(it.key())).arg(i);
                st.bind(QStringLiteral("v%1").arg(i), it.value());
            }
            st.line(QStringLiteral("update %1 set %2").arg(quoted(table_), sets.join(QLatin1Char(','))));
            st.line(QStringLiteral("where %1=:rowkey").arg(quoted(keyField_)));
            st.bind(QStringLiteral("rowkey"), original_.isEmpty() ? rows_[row][k] : original_[k]);
            exec(db_, st);
        }
    } else {
        Statement st;
        QStringList cols, marks;
        int i = 0;
        for (auto it = values.cbegin(); it != values.cend(); ++it, ++i) {
            if (it.key().compare(keyField_, Qt::CaseInsensitive) == 0 && it.value().isNull()) continue;
            cols << quoted(it.key());
            marks << QStringLiteral(":v%1").arg(i);
            st.bind(QStringLiteral("v%1").arg(i), it.value());
        }
        if (cols.isEmpty()) st.line(QStringLiteral("insert into %1 default values").arg(quoted(table_)));
        else
            st.line(QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(quoted(table_), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        QSqlQuery q = exec(db_, st);
        if (rows_[row][k].isNull()) {
            rows_[row][k] = q.lastInsertId();
            emit dataChanged(index(row, k), index(row, k));
        }
    }
    dirty_.clear();
    original_.clear();
    setState(State::Browse);
    emit posted(row);
}

void Dataset::cancel() {
    if (state_ == State::Insert) {
        const int row = current_;
        // Out of Insert before the row goes, so that a view moving its current row while the row is
        // removed cannot post the row being dropped.
        dirty_.clear();
        state_ = State::Browse;
        beginRemoveRows({}, row, row);
        rows_.removeAt(row);
        dropKeyOf(row);
        current_ = rows_.isEmpty() ? -1 : qMin(row, int(rows_.size()) - 1);
        endRemoveRows();
        emit stateChanged(state_);
        emit currentRowChanged(current_);
        return;
    }
    if (state_ == State::Edit) {
        rows_[current_] = original_;
        emit dataChanged(index(current_, 0), index(current_, columnCount() - 1));
        dirty_.clear();
        original_.clear();
        setState(State::Browse);
        emit currentRowChanged(current_);
    }
}

void Dataset::remove() {
    if (state_ == State::Insert) return cancel();
    if (current_ < 0) throw DbError(QStringLiteral("没有可以删除的记录"));
    if (state_ == State::Edit) cancel();
    if (table_.isEmpty()) throw DbError(QStringLiteral("数据集 %1 是只读的").arg(name_));
    const int k = fieldIndex(keyField_);
    if (k < 0) throw DbError(QStringLiteral("数据集 %1 没有选出键字段 %2").arg(name_, keyField_));
    exec(db_, Statement{QStringLiteral("delete from %1 where %2=:rowkey").arg(quoted(table_), quoted(keyField_))}
                  .bind(QStringLiteral("rowkey"), keyAt(current_)));
    const int row = current_;
    beginRemoveRows({}, row, row);
    rows_.removeAt(row);
    dropKeyOf(row);
    current_ = rows_.isEmpty() ? -1 : qMin(row, int(rows_.size()) - 1);
    endRemoveRows();
    emit removed();
    emit currentRowChanged(current_);
}

void Dataset::postIfModified() {
    if (isModified()) post();
}

int Dataset::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int Dataset::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(fields_.size()); }

QVariant Dataset::data(const QModelIndex& idx, int role) const {
    if (!idx.isValid() || idx.row() >= rows_.size() || idx.column() >= fields_.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        fetchRows(idx.row());
        return rows_[idx.row()].value(idx.column());
    }
    return {};
}

bool Dataset::setData(const QModelIndex& idx, const QVariant& v, int role) {
    if (role != Qt::EditRole || !idx.isValid() || isReadOnly()) return false;
    if (idx.row() != current_ && !setCurrentRow(idx.row())) return false;
    fetchRows(idx.row());
    QVariant stored = v;
    if (isNumericField(fields_[idx.column()]) && v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty()) stored = QVariant();
        else {
            bool ok = false;
            const double d = t.toDouble(&ok);
            if (!ok) return false;
            stored = d;
        }
    }
    if (rows_[idx.row()][idx.column()] == stored && stored.isNull() == rows_[idx.row()][idx.column()].isNull())
        return true;
    setField(fields_[idx.column()], stored);
    return true;
}

Qt::ItemFlags Dataset::flags(const QModelIndex& idx) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(idx);
    if (idx.isValid() && !isReadOnly()) f |= Qt::ItemIsEditable;
    return f;
}

QVariant Dataset::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < fields_.size())
        return fields_[section];
    return QAbstractTableModel::headerData(section, o, role);
}

}  // namespace data
