#include "app/SystemActions.h"

#include "ui/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace app {

void openHelpDocument() {
    const QString path = QDir::current().absoluteFilePath(kHelpDocument);
    if (!QFileInfo::exists(path)) {
        ui::dialogs().warn(QStringLiteral("找不到帮助文档“%1”。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!ui::dialogs().openUrl(QUrl::fromLocalFile(path)))
        ui::dialogs().warn(QStringLiteral("没有可以打开帮助文档“%1”的程序。").arg(kHelpDocument));
}

QStringList calculatorCandidates() {
#ifdef Q_OS_WIN
    return {QStringLiteral("calc.exe")};
#else
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("mate-calc"), QStringLiteral("xcalc")};
#endif
}

QString findCalculator(const QStringList& searchPaths) {
    for (const QString& name : calculatorCandidates()) {
        const QString found = QStandardPaths::findExecutable(name, searchPaths);
        if (!found.isEmpty()) return found;
    }
    return {};
}

void startCalculator(const QStringList& searchPaths) {
    const QString program = findCalculator(searchPaths);
    if (program.isEmpty()) {
        ui::dialogs().warn(QStringLiteral("没有找到计算器程序（%1），请先安装其中之一。")
                               .arg(calculatorCandidates().join(QStringLiteral("、"))));
        return;
    }
    if (!ui::dialogs().startProgram(program, {}))
        ui::dialogs().warn(QStringLiteral("计算器“%1”无法启动。").arg(QDir::toNativeSeparators(program)));
}

}  // namespace app
