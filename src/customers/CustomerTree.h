#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The rules of the customer tree: rows of cust linked by fatherid (0 at the top level), each row a
// customer and, when other rows name it as their father, a group. Every function takes the connection
// and throws data::DbError with the database's text when a statement is refused.
namespace customers {

// One customer of the tree with the customers below it, in table order.
struct CustomerNode {
    qint64 psid = 0;  // cust.psid, the node's identity
    QString name;     // cust.客户名称
    QList<CustomerNode> children;
};

// The whole tree, depth first, each level in table order, starting from fatherid 0. A row whose father
// does not exist, or that hangs in a ring of rows naming each other as father, is never reached from
// the top and so is not part of the result.
QList<CustomerNode> loadCustomerTree(const QSqlDatabase& db);

// Bytes of the GBK form of text (characters GBK cannot hold count as the one byte they become).
int gbkLength(const QString& text);
// The longest leading part of text whose GBK form has at most maxBytes bytes, never cutting a
// character (a surrogate pair stays whole).
QString cutToGbkBytes(const QString& text, int maxBytes);
// A name as the input boxes take it: cut to 255 GBK bytes, then leading and trailing blanks and control
// characters removed. Empty means the operation ends without a change.
QString normalizedName(const QString& entered);
inline constexpr int kMaxNameBytes = 255;

// Inserts a customer below fatherId (0: top level), every other column empty; returns the new psid.
qint64 insertCustomer(const QSqlDatabase& db, qint64 fatherId, const QString& name);

// Renames the customer in cust and in every delivery-list row (cust_sp) that carries its psid, in one
// transaction: either both change or neither. Notes already issued keep the old name.
void renameCustomer(const QSqlDatabase& db, qint64 psid, const QString& name);

enum class DeleteOutcome { Deleted, HasChildren, HasDeliveryList };
// Deletes a customer that has no customers below it and no delivery-list rows; its notes stay.
// The checks and the deletion run in one transaction, so another copy cannot slip a child in between.
DeleteOutcome deleteCustomer(const QSqlDatabase& db, qint64 psid);

// Whether ancestor is node itself or one of the customers above it (following fatherid up to 0; a
// ring of fathers ends the walk).
bool isSelfOrAncestor(const QSqlDatabase& db, qint64 ancestor, qint64 node);
// Moves the customer, with everything below it, under newFather. Refused (false, nothing written) when
// newFather is the customer itself or lies below it, which would cut the group off the tree.
bool moveCustomer(const QSqlDatabase& db, qint64 psid, qint64 newFather);

}  // namespace customers
