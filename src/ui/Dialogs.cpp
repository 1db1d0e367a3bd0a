#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

namespace ui {

namespace {
RealDialogs& realDialogs() {
    static RealDialogs real;
    return real;
}
Dialogs* installed = nullptr;

QWidget* parentWindow() {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    return QApplication::activeWindow();
}
}  // namespace

Dialogs& dialogs() { return installed ? *installed : realDialogs(); }
void setDialogs(Dialogs* d) { installed = d; }

void Dialogs::warn(const QString& text, const QString& caption) {
    message(text, caption, Icon::Warning, {Button::Ok});
}
void Dialogs::inform(const QString& text, const QString& caption) {
    message(text, caption, Icon::Information, {Button::Ok});
}
void Dialogs::error(const QString& text, const QString& caption) {
    message(text, caption, Icon::Critical, {Button::Ok});
}
bool Dialogs::confirm(const QString& text, const QString& caption) {
    return message(text, caption, Icon::Question, {Button::Yes, Button::No}) == Button::Yes;
}

Dialogs::Button RealDialogs::message(const QString& text, const QString& caption, Icon icon,
                                     QList<Button> buttons) {
    QMessageBox box(parentWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons.isEmpty()) buttons = {Button::Ok};
    QHash<QAbstractButton*, Button> map;
    for (Button b : buttons) {
        QAbstractButton* qb = nullptr;
        switch (b) {
            case Button::Ok: qb = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole); break;
            case Button::Yes: qb = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole); break;
            case Button::No: qb = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole); break;
            case Button::Cancel: qb = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole); break;
        }
        map.insert(qb, b);
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(map.key(buttons.first())));
    box.exec();
    return map.value(box.clickedButton(), buttons.contains(Button::Cancel) ? Button::Cancel
                                          : buttons.contains(Button::No)   ? Button::No
                                                                           : buttons.first());
}

std::optional<QString> RealDialogs::input(const QString& caption, const QString& prompt, const QString& text) {
    QInputDialog d(parentWindow());
    d.setWindowTitle(caption);
    d.setLabelText(prompt);
    d.setTextValue(text);
    d.setOkButtonText(QStringLiteral("确定"));
    d.setCancelButtonText(QStringLiteral("取消"));
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.textValue();
}

QString RealDialogs::openFile(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(parentWindow(), caption, dir, filter);
}

QString RealDialogs::saveFile(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getSaveFileName(parentWindow(), caption, dir, filter);
}

bool RealDialogs::print(QPrinter* printer) {
    QPrintDialog d(printer, parentWindow());
    return d.exec() == QDialog::Accepted;
}

bool RealDialogs::pageSetup(QPrinter* printer) {
    QPageSetupDialog d(printer, parentWindow());
    return d.exec() == QDialog::Accepted;
}

std::optional<QFont> RealDialogs::font(const QFont& initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parentWindow());
    return ok ? std::optional<QFont>(f) : std::nullopt;
}

std::optional<QColor> RealDialogs::color(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parentWindow());
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

QAction* RealDialogs::popup(QMenu* menu, const QPoint& pos) { return menu->exec(pos); }

bool RealDialogs::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool RealDialogs::startProgram(const QString& program, const QStringList& args) {
    return QProcess::startDetached(program, args);
}

QString RealDialogs::defaultApplicationFor(const QString& mimeType) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) {
        query.kill();
        return {};
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace ui
