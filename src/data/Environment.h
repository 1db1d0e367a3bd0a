#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

namespace data {

// The things the rules depend on that tests must control: "today", "now" and the program's folder.
// Production uses the local clock and the executable's folder.
struct Environment {
    std::function<QDateTime()> now;       // local date and time
    std::function<QString()> programDir;  // where trfp.mdb and the templates are looked up
    int tipsIntervalMs = 1000;            // the tips timer's tick
};

Environment& env();
QDate today();
QDateTime now();
QString programDir();
QString programFile(const QString& name);  // programDir() + "/" + name

// Restores the production environment when it goes out of scope (for tests that change env()).
class EnvironmentOverride {
public:
    EnvironmentOverride();
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    Environment saved_;
};

}  // namespace data
