#pragma once
#include "ui/Dialogs.h"

#include <QVariant>
#include <deque>

namespace ui {

// The dialog layer for tests: every call is recorded in `asked`; answers are taken in order from the
// script. A call with no answer scripted takes the default (OK/the first button for messages, cancel
// for everything else) and is marked unscripted, so a test can check nothing unexpected was asked.
class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        QString kind;  // "message", "input", "openFile", "saveFile", "print", "pageSetup", "font",
                       // "color", "popup", "openUrl", "startProgram",
                       // "defaultApplication" (text: the MIME type)
        QString text;     // message text, input prompt, file caption, url, program
        QString caption;  // caption, or for popup the item texts joined with "|"
        Icon icon = Icon::None;
        QList<Button> buttons;
        bool scripted = true;
        Asked(QString k, QString t = {}, QString c = {}, Icon i = Icon::None, QList<Button> b = {})
            : kind(std::move(k)), text(std::move(t)), caption(std::move(c)), icon(i), buttons(std::move(b)) {}
    };

    ScriptedDialogs();  // installs itself
    ~ScriptedDialogs() override;  // restores the real dialogs

    // --- script ---------------------------------------------------------------------------------
    ScriptedDialogs& answer(Button b);              // next message box
    ScriptedDialogs& answerInput(std::optional<QString> text);  // next input box (nullopt: cancel)
    ScriptedDialogs& answerFile(const QString& path);           // next open/save dialog ("" cancels)
    ScriptedDialogs& answerPrint(bool accept);                  // next print / page-setup dialog
    ScriptedDialogs& answerPopup(const QString& itemText);      // next popup: the item with that text ("" none)
    ScriptedDialogs& answerOpenUrl(bool ok);                    // next openUrl
    ScriptedDialogs& answerStart(bool ok);                      // next startProgram
    // next defaultApplicationFor ("" none); unscripted, the desktop has no application
    ScriptedDialogs& answerDefaultApplication(const QString& application);
    ScriptedDialogs& answerFont(std::optional<QFont> f);
    ScriptedDialogs& answerColor(std::optional<QColor> c);

    std::vector<Asked> asked;
    // Convenience for assertions.
    QStringList messages() const;  // texts of every message box, in order
    QString lastMessage() const;
    bool allScripted() const;
    int pending() const { return int(script_.size()); }
    void clear() { asked.clear(); script_.clear(); }

    Button message(const QString& text, const QString& caption, Icon icon, QList<Button> buttons) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& text) override;
    QString openFile(const QString& caption, const QString& dir, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& dir, const QString& filter) override;
    bool print(QPrinter* printer) override;
    bool pageSetup(QPrinter* printer) override;
    std::optional<QFont> font(const QFont& initial) override;
    std::optional<QColor> color(const QColor& initial) override;
    QAction* popup(QMenu* menu, const QPoint& pos) override;
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program, const QStringList& args) override;
    QString defaultApplicationFor(const QString& mimeType) override;

private:
    struct Answer {
        QString kind;
        QVariant value;
        bool isNull = false;
    };
    std::optional<Answer> take(const QString& kind, Asked& record);
    std::deque<Answer> script_;
};

}  // namespace ui
