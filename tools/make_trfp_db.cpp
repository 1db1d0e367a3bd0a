// Makes the database the program is delivered with: the schema and the few rows a first start needs.
//   make-trfp-db [--if-missing] <path>
#include "data/Database.h"
#include "data/DbError.h"
#include "data/Sql.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

using namespace data;

namespace {

void deliveredRows(const QSqlDatabase& db) {
    inWriteTransaction(db, [&] {
        exec(db, Statement{QStringLiteral("insert into usertable (用户, 密码, 职务, 权限, 提示)"),
                           QStringLiteral("values (:user, null, :job, '管理', 0)")}
                     .bind(QStringLiteral("user"), QStringLiteral("系统管理员"))
                     .bind(QStringLiteral("job"), QStringLiteral("管理员")));
        exec(db, Statement{QStringLiteral("insert into djno (送货单日期, 送货单号, 进仓单日期, 进仓单号)"),
                           QStringLiteral("values (null, null, null, null)")});
        exec(db, Statement{QStringLiteral("insert into 销货单位 (中文名称, 英文名称, 中文简称, 公司地址, 公司电话, 公司传真, 月天)"),
                           QStringLiteral("values (:name, :en, :short, :addr, :tel, :fax, :period)")}
                     .bind(QStringLiteral("name"), QStringLiteral("本公司名称（请在“系统”→“公司资料”中修改）"))
                     .bind(QStringLiteral("en"), QStringLiteral("Company Name"))
                     .bind(QStringLiteral("short"), QStringLiteral("本公司"))
                     .bind(QStringLiteral("addr"), QStringLiteral("公司地址"))
                     .bind(QStringLiteral("tel"), QStringLiteral("0000-00000000"))
                     .bind(QStringLiteral("fax"), QStringLiteral("0000-00000000"))
                     .bind(QStringLiteral("period"), QStringLiteral("每月从 1 开始")));
        exec(db, Statement{QStringLiteral("insert into bbmc (编号, 报表名称) values (1, :name)")}.bind(
                     QStringLiteral("name"), QStringLiteral("送货单")));
    });
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: make-trfp-db [--if-missing] <path>\n");
        return 2;
    }
    const QString path = args.first();
    if (QFileInfo::exists(path)) {
        if (ifMissing) return 0;
        std::fprintf(stderr, "%s exists already; it is left as it is\n", qPrintable(path));
        return 1;
    }
    try {
        QSqlDatabase db = createDatabase(path, QStringLiteral("make"));
        deliveredRows(db);
        db.close();
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        QFile::remove(path);
        return 1;
    }
    return 0;
}
