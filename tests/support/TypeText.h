#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// Types text into a widget as a user would, one key event per character: unlike QTest::keyClicks it
// takes any character (Chinese included), and edits emit textEdited as for real typing.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}
