#include "data/Database.h"

#include "data/DbError.h"
#include "data/Sql.h"
#include "data/SqlFunctions.h"
#include "data/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <sqlite3.h>

// The schema files are a resource of this static library; it must be registered by hand.
static void initDataResources() { Q_INIT_RESOURCE(data); }

namespace data {

namespace {

constexpr int kBusyTimeoutMs = 5000;

QString readResource(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw DbError(QStringLiteral("无法读取程序的数据库结构：%1").arg(path));
    return QString::fromUtf8(f.readAll());
}

QString dbErrorText(const QSqlDatabase& db) {
    const QSqlError e = db.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

QSqlDatabase connect(const QString& path, const QString& connectionName, const char* mode) {
    if (QSqlDatabase::contains(connectionName)) QSqlDatabase::removeDatabase(connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                        QStringLiteral("?mode=") + QLatin1String(mode);
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) throw DbError(dbErrorText(db));
    return db;
}

bool isReadOnly(const QSqlDatabase& db) {
    const QVariant h = db.driver()->handle();
    if (!h.isValid()) return false;
    sqlite3* handle = *static_cast<sqlite3* const*>(h.data());
    return sqlite3_db_readonly(handle, "main") == 1;
}

void prepareConnection(const QSqlDatabase& db) {
    // The rollback journal works on network shares, WAL does not.
    execRaw(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
    execRaw(db, QStringLiteral("PRAGMA foreign_keys=OFF"));
    registerSqlFunctions(db);
}

}  // namespace

QList<Migration> builtInMigrations() {
    static const bool registered = (initDataResources(), true);
    Q_UNUSED(registered);
    QList<Migration> out{{1, readResource(QStringLiteral(":/data/sql/schema.sql"))}};
    const QStringList files = QDir(QStringLiteral(":/data/sql")).entryList({QStringLiteral("0*.sql")}, QDir::Files,
                                                                         QDir::Name);
    for (const QString& f : files) {
        const int version = f.section(QLatin1Char('_'), 0, 0).toInt();
        if (version > 1) out << Migration{version, readResource(QStringLiteral(":/data/sql/") + f)};
    }
    return out;
}

int currentSchemaVersion() { return builtInMigrations().last().version; }

int schemaVersion(const QSqlDatabase& db) {
    return scalar(db, Statement{QStringLiteral("PRAGMA user_version")}).toInt();
}

void runScript(const QSqlDatabase& db, const QString& script) {
    static const QRegularExpression comment(QStringLiteral("--[^\n]*"));
    QString text = script;
    text.remove(comment);
    static const QRegularExpression end(QStringLiteral(";\\s*(\n|$)"));
    for (const QString& st : text.split(end, Qt::SkipEmptyParts)) {
        if (!st.trimmed().isEmpty()) execRaw(db, st);
    }
}

void migrate(QSqlDatabase& db, const QString& path, const QList<Migration>& migrations) {
    const int have = schemaVersion(db);
    const int latest = migrations.isEmpty() ? 0 : migrations.last().version;
    if (have > latest)
        throw DbError(QStringLiteral("数据库文件 %1 的结构版本是 %2，比本程序认识的版本 %3 新。请使用新版本的程序打开它。")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(have)
                          .arg(latest));
    if (have == latest) return;
    if (have > 0) {
        const QString backup = path + QStringLiteral(".bak-%1").arg(have);
        QFile::remove(backup);
        if (!QFile::copy(path, backup))
            throw DbError(QStringLiteral("升级数据库前无法备份到 %1，数据库没有改动。").arg(QDir::toNativeSeparators(backup)));
    }
    inWriteTransaction(db, [&] {
        for (const Migration& m : migrations) {
            if (m.version <= have) continue;
            runScript(db, m.sql);
            execRaw(db, QStringLiteral("PRAGMA user_version=%1").arg(m.version));
        }
    });
}

QSqlDatabase openDatabase(const QString& path, const QString& connectionName) {
    if (!QFileInfo::exists(path))
        throw DbError(QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    QSqlDatabase db = connect(path, connectionName, "rw");
    try {
        prepareConnection(db);
        if (isReadOnly(db))
            throw DbError(QStringLiteral("数据库文件 %1 是只读的，无法保存任何资料。请检查文件的权限。")
                              .arg(QDir::toNativeSeparators(path)));
        migrate(db, path, builtInMigrations());
    } catch (const DbError& e) {
        db.close();
        throw DbError(e.text());
    }
    return db;
}

QSqlDatabase createDatabase(const QString& path, const QString& connectionName) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("文件 %1 已经存在").arg(QDir::toNativeSeparators(path)));
    QSqlDatabase db = connect(path, connectionName, "rwc");
    prepareConnection(db);
    migrate(db, path, builtInMigrations());
    return db;
}

}  // namespace data
