#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QMenu>

namespace ui {

ScriptedDialogs::ScriptedDialogs() { setDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogs(nullptr); }

ScriptedDialogs& ScriptedDialogs::answer(Button b) {
    script_.push_back({QStringLiteral("message"), int(b)});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerInput(std::optional<QString> text) {
    script_.push_back({QStringLiteral("input"), text.value_or(QString()), !text.has_value()});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerFile(const QString& path) {
    script_.push_back({QStringLiteral("file"), path});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerPrint(bool accept) {
    script_.push_back({QStringLiteral("print"), accept});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerPopup(const QString& itemText) {
    script_.push_back({QStringLiteral("popup"), itemText});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerOpenUrl(bool ok) {
    script_.push_back({QStringLiteral("openUrl"), ok});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerStart(bool ok) {
    script_.push_back({QStringLiteral("startProgram"), ok});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerDefaultApplication(const QString& application) {
    script_.push_back({QStringLiteral("defaultApplication"), application});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerFont(std::optional<QFont> f) {
    script_.push_back({QStringLiteral("font"), f ? QVariant(*f) : QVariant(), !f.has_value()});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::answerColor(std::optional<QColor> c) {
    script_.push_back({QStringLiteral("color"), c ? QVariant(*c) : QVariant(), !c.has_value()});
    return *this;
}

QStringList ScriptedDialogs::messages() const {
    QStringList out;
    for (const Asked& a : asked)
        if (a.kind == QLatin1String("message")) out << a.text;
    return out;
}

QString ScriptedDialogs::lastMessage() const {
    const QStringList m = messages();
    return m.isEmpty() ? QString() : m.last();
}

bool ScriptedDialogs::allScripted() const {
    for (const Asked& a : asked)
        if (!a.scripted) return false;
    return true;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::take(const QString& kind, Asked& record) {
    if (!script_.empty() && script_.front().kind == kind) {
        Answer a = script_.front();
        script_.pop_front();
        return a;
    }
    record.scripted = false;
    return std::nullopt;
}

Dialogs::Button ScriptedDialogs::message(const QString& text, const QString& caption, Icon icon,
                                         QList<Button> buttons) {
    Asked rec{QStringLiteral("message"), text, caption, icon, buttons};
    const auto a = take(QStringLiteral("message"), rec);
    asked.push_back(rec);
    if (a) return Button(a->value.toInt());
    return buttons.isEmpty() ? Button::Ok : buttons.first();
}

std::optional<QString> ScriptedDialogs::input(const QString& caption, const QString& prompt, const QString& text) {
    Asked rec{QStringLiteral("input"), prompt, caption};
    Q_UNUSED(text);
    const auto a = take(QStringLiteral("input"), rec);
    asked.push_back(rec);
    if (!a || a->isNull) return std::nullopt;
    return a->value.toString();
}

QString ScriptedDialogs::openFile(const QString& caption, const QString& dir, const QString& filter) {
    Q_UNUSED(dir);
    Asked rec{QStringLiteral("openFile"), caption, filter};
    const auto a = take(QStringLiteral("file"), rec);
    asked.push_back(rec);
    return a ? a->value.toString() : QString();
}

QString ScriptedDialogs::saveFile(const QString& caption, const QString& dir, const QString& filter) {
    Q_UNUSED(dir);
    Asked rec{QStringLiteral("saveFile"), caption, filter};
    const auto a = take(QStringLiteral("file"), rec);
    asked.push_back(rec);
    return a ? a->value.toString() : QString();
}

bool ScriptedDialogs::print(QPrinter*) {
    Asked rec{QStringLiteral("print")};
    const auto a = take(QStringLiteral("print"), rec);
    asked.push_back(rec);
    return a && a->value.toBool();
}

bool ScriptedDialogs::pageSetup(QPrinter*) {
    Asked rec{QStringLiteral("pageSetup")};
    const auto a = take(QStringLiteral("print"), rec);
    asked.push_back(rec);
    return a && a->value.toBool();
}

std::optional<QFont> ScriptedDialogs::font(const QFont&) {
    Asked rec{QStringLiteral("font")};
    const auto a = take(QStringLiteral("font"), rec);
    asked.push_back(rec);
    if (!a || a->isNull) return std::nullopt;
    return a->value.value<QFont>();
}

std::optional<QColor> ScriptedDialogs::color(const QColor&) {
    Asked rec{QStringLiteral("color")};
    const auto a = take(QStringLiteral("color"), rec);
    asked.push_back(rec);
    if (!a || a->isNull) return std::nullopt;
    return a->value.value<QColor>();
}

QAction* ScriptedDialogs::popup(QMenu* menu, const QPoint&) {
    QStringList items;
    for (QAction* act : menu->actions())
        if (!act->isSeparator() && act->isVisible()) items << act->text();
    Asked rec{QStringLiteral("popup"), QString(), items.join(QLatin1Char('|'))};
    const auto a = take(QStringLiteral("popup"), rec);
    asked.push_back(rec);
    if (!a) return nullptr;
    for (QAction* act : menu->actions())
        if (!act->isSeparator() && act->isVisible() && act->isEnabled() && act->text() == a->value.toString()) {
            act->trigger();
            return act;
        }
    return nullptr;
}

bool ScriptedDialogs::openUrl(const QUrl& url) {
    Asked rec{QStringLiteral("openUrl"), url.toString()};
    const auto a = take(QStringLiteral("openUrl"), rec);
    asked.push_back(rec);
    return a ? a->value.toBool() : true;
}

bool ScriptedDialogs::startProgram(const QString& program, const QStringList& args) {
    Asked rec{QStringLiteral("startProgram"), program, args.join(QLatin1Char(' '))};
    const auto a = take(QStringLiteral("startProgram"), rec);
    asked.push_back(rec);
    return a ? a->value.toBool() : true;
}

QString ScriptedDialogs::defaultApplicationFor(const QString& mimeType) {
    Asked rec{QStringLiteral("defaultApplication"), mimeType};
    const auto a = take(QStringLiteral("defaultApplication"), rec);
    asked.push_back(rec);
    return a ? a->value.toString() : QString();
}

}  // namespace ui
