#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace data {

// One step of the schema: the statements that take a file from version `version - 1` to `version`.
struct Migration {
    int version;
    QString sql;  // statements separated by ";" at line ends
};

// The program's schema: the baseline schema.sql (version 1) and every numbered file after it.
QList<Migration> builtInMigrations();
int currentSchemaVersion();  // the version this program writes and understands

// Opens an existing database file read-write (never creates it), with a busy timeout, the rollback
// journal, the program's SQL functions, and the schema brought up to date (a copy of an older file is
// kept as <file>.bak-<version> first). Throws DbError with the database's text; on failure the named
// connection is left closed.
QSqlDatabase openDatabase(const QString& path, const QString& connectionName);

// Creates a new database file (refuses an existing one) with the current schema, for the tool that
// makes the delivered file and for tests.
QSqlDatabase createDatabase(const QString& path, const QString& connectionName);

// Applies the migrations above the file's version in one transaction, after copying the file aside.
// A file newer than the last migration is refused.
void migrate(QSqlDatabase& db, const QString& path, const QList<Migration>& migrations);

int schemaVersion(const QSqlDatabase& db);

// Splits a script at the ";" that end its lines and runs each statement.
void runScript(const QSqlDatabase& db, const QString& script);

}  // namespace data
