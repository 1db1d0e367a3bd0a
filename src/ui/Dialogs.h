#pragma once
#include <QColor>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QMenu;
class QAction;
class QPrinter;
class QWidget;

namespace ui {

// Every interaction that leaves a window goes through here: message boxes, input boxes, file, print,
// page-setup, font and colour dialogs, popup menus, and handing a file or program to the desktop.
// The program installs RealDialogs; tests install ScriptedDialogs, which answers in order and records
// what it was asked.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Question, Critical };
    enum class Button { Ok = 1, Yes = 2, No = 4, Cancel = 8 };

    virtual ~Dialogs() = default;

    virtual Button message(const QString& text, const QString& caption, Icon icon, QList<Button> buttons) = 0;
    // One-line input; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt, const QString& text) = 0;
    // Empty string when cancelled.
    virtual QString openFile(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString saveFile(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual bool print(QPrinter* printer) = 0;      // QPrintDialog; false when cancelled
    virtual bool pageSetup(QPrinter* printer) = 0;  // QPageSetupDialog
    virtual std::optional<QFont> font(const QFont& initial) = 0;
    virtual std::optional<QColor> color(const QColor& initial) = 0;
    // Shows the menu at pos (global); the chosen action (already triggered), or nullptr.
    virtual QAction* popup(QMenu* menu, const QPoint& pos) = 0;
    // Opens a file or URL with the desktop's default application; false when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program detached; false when it could not start.
    virtual bool startProgram(const QString& program, const QStringList& args) = 0;
    // The desktop's default application for a MIME type (e.g. its .desktop file name); empty when
    // the desktop has none. openUrl cannot tell: it succeeds as soon as the opener starts.
    virtual QString defaultApplicationFor(const QString& mimeType) = 0;

    // --- the program's usual boxes (caption "信息") -----------------------------------------------
    void warn(const QString& text, const QString& caption = QStringLiteral("信息"));    // exclamation, OK
    void inform(const QString& text, const QString& caption = QStringLiteral("信息"));  // information, OK
    void error(const QString& text, const QString& caption = QStringLiteral("信息"));   // critical, OK
    bool confirm(const QString& text, const QString& caption = QStringLiteral("信息"));  // question, Yes/No
};

Dialogs& dialogs();
// Installs d as the program's dialog layer (not owned); nullptr restores the real one.
void setDialogs(Dialogs* d);

// The real Qt dialogs; parent windows are the active modal window.
class RealDialogs : public Dialogs {
public:
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
    QString defaultApplicationFor(const QString& mimeType) override;  // xdg-mime query default
};

}  // namespace ui
