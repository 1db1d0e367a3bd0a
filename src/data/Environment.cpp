#include "data/Environment.h"

#include <QCoreApplication>
#include <QDir>

namespace data {

namespace {
Environment makeProduction() {
    Environment e;
    e.now = [] { return QDateTime::currentDateTime(); };
    e.programDir = [] { return QCoreApplication::applicationDirPath(); };
    return e;
}
}  // namespace

Environment& env() {
    static Environment e = makeProduction();
    return e;
}

QDate today() { return env().now().date(); }
QDateTime now() { return env().now(); }
QString programDir() { return env().programDir(); }
QString programFile(const QString& name) { return QDir(programDir()).filePath(name); }

EnvironmentOverride::EnvironmentOverride() : saved_(env()) {}
EnvironmentOverride::~EnvironmentOverride() { env() = saved_; }

}  // namespace data
