#include "customers/CustomerTree.h"

#include "data/DbError.h"
#include "data/Sql.h"
#include "data/Transaction.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringEncoder>

namespace customers {

namespace {

void addChildren(const QHash<qint64, QList<CustomerNode>>& byFather, qint64 father, QList<CustomerNode>& into,
                 QSet<qint64>& placed) {
    const auto it = byFather.constFind(father);
    if (it == byFather.constEnd()) return;
    for (const CustomerNode& row : *it) {
        // A row reached twice could only come from a ring through the top; never place it again.
        if (placed.contains(row.psid)) continue;
        placed.insert(row.psid);
        CustomerNode node{row.psid, row.name, {}};
        addChildren(byFather, row.psid, node.children, placed);
        into << node;
    }
}

bool isBlankOrControl(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control;
}

}  // namespace

QList<CustomerNode> loadCustomerTree(const QSqlDatabase& db) {
    // One read in table order instead of one statement per node; the children of each father keep the
    // order the table gives them.
    QSqlQuery q =
        data::exec(db, data::Statement{"select psid, fatherid, 客户名称 from cust", "order by psid"});
    QHash<qint64, QList<CustomerNode>> byFather;
    while (q.next()) {
        if (q.value(1).isNull()) continue;  // no father at all: not part of the tree
        byFather[q.value(1).toLongLong()]
            << CustomerNode{q.value(0).toLongLong(), data::textOf(q.value(2)), {}};
    }
    QList<CustomerNode> top;
    QSet<qint64> placed;
    addChildren(byFather, 0, top, placed);
    return top;
}

int gbkLength(const QString& text) {
    QStringEncoder gbk("GBK");
    return int(QByteArray(gbk.encode(text)).size());
}

QString cutToGbkBytes(const QString& text, int maxBytes) {
    QStringEncoder gbk("GBK");
    int bytes = 0;
    int i = 0;
    while (i < text.size()) {
        const int width =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const int charBytes = int(QByteArray(gbk.encode(QStringView(text).mid(i, width))).size());
        if (bytes + charBytes > maxBytes) break;
        bytes += charBytes;
        i += width;
    }
    return text.left(i);
}

QString normalizedName(const QString& entered) {
    const QString cut = cutToGbkBytes(entered, kMaxNameBytes);
    int from = 0, to = int(cut.size());
    while (from < to && isBlankOrControl(cut.at(from))) ++from;
    while (to > from && isBlankOrControl(cut.at(to - 1))) --to;
    return cut.mid(from, to - from);
}

qint64 insertCustomer(const QSqlDatabase& db, qint64 fatherId, const QString& name) {
    QSqlQuery q =
        data::exec(db, data::Statement{"insert into cust (fatherid, 客户名称) values (:father, :name)"}
                           .bind("father", fatherId)
                           .bind("name", name));
    return q.lastInsertId().toLongLong();
}

void renameCustomer(const QSqlDatabase& db, qint64 psid, const QString& name) {
    data::inWriteTransaction(db, [&] {
        data::exec(db, data::Statement{"update cust set 客户名称=:name", "where psid=:psid"}
                           .bind("name", name)
                           .bind("psid", psid));
        data::exec(db, data::Statement{"update cust_sp set 客户名称=:name", "where psid=:psid"}
                           .bind("name", name)
                           .bind("psid", psid));
    });
}

DeleteOutcome deleteCustomer(const QSqlDatabase& db, qint64 psid) {
    return data::inWriteTransaction(db, [&] {
        if (data::scalar(db,
                         data::Statement{"select count(*) from cust where fatherid=:psid"}.bind("psid", psid))
                .toLongLong() > 0)
            return DeleteOutcome::HasChildren;
        if (data::scalar(db,
                         data::Statement{"select count(*) from cust_sp where psid=:psid"}.bind("psid", psid))
                .toLongLong() > 0)
            return DeleteOutcome::HasDeliveryList;
        data::exec(db, data::Statement{"delete from cust where psid=:psid"}.bind("psid", psid));
        return DeleteOutcome::Deleted;
    });
}

bool isSelfOrAncestor(const QSqlDatabase& db, qint64 ancestor, qint64 node) {
    QSet<qint64> seen;
    qint64 at = node;
    while (at != 0 && !seen.contains(at)) {
        if (at == ancestor) return true;
        seen.insert(at);
        const QVariant father =
            data::scalar(db, data::Statement{"select fatherid from cust where psid=:psid"}.bind("psid", at));
        if (!father.isValid() || father.isNull()) return false;
        at = father.toLongLong();
    }
    return false;
}

bool moveCustomer(const QSqlDatabase& db, qint64 psid, qint64 newFather) {
    return data::inWriteTransaction(db, [&] {
        if (isSelfOrAncestor(db, psid, newFather)) return false;
        data::exec(db, data::Statement{"update cust set fatherid=:father", "where psid=:psid"}
                           .bind("father", newFather)
                           .bind("psid", psid));
        return true;
    });
}

}  // namespace customers
