#pragma once
#include <QDate>
#include <QToolButton>
#include <functional>

class QLineEdit;

namespace data {
class Dataset;
}

namespace ui {

// A narrow drop-down button beside an edit: its list shows one column of a dataset, and the chosen
// text is copied into the edit (which then emits textEdited, as if the user had typed it).
class LookupButton : public QToolButton {
    Q_OBJECT
  public:
    LookupButton(QLineEdit* edit, data::Dataset* list, const QString& field, QWidget* parent = nullptr);
    QStringList items() const;         // the list's current texts (non-empty values)
    void choose(const QString& text);  // as if the user picked text from the list
    void showList();                   // the drop-down list under the edit (a click does this)
  signals:
    // After the edit took the text and emitted textEdited; windows may connect to either.
    void chosen(const QString& text);

  private:
    QLineEdit* edit_;
    data::Dataset* list_;
    QString field_;
};

// A date drop-down: only its arrow shows; the chosen date is written into the edit beside it in the
// short date form yyyy-MM-dd (or through a formatter), and `date()` holds the picked date.
class DateButton : public QToolButton {
    Q_OBJECT
  public:
    explicit DateButton(QLineEdit* edit, QWidget* parent = nullptr);
    QDate date() const { return date_; }
    void setDate(const QDate& d);  // sets the picker only; the edit is not rewritten
    void choose(const QDate& d);   // as if the user picked d: sets the picker and writes the edit
    void setFormatter(std::function<QString(const QDate&)> formatter);
    void showCalendar();                       // the drop-down calendar under the edit (a click does this)
    QWidget* popup() const { return popup_; }  // the calendar's frame, once shown
  signals:
    void chosen(const QDate& date);

  private:
    QLineEdit* edit_;
    QDate date_;
    std::function<QString(const QDate&)> formatter_;
    QWidget* popup_ = nullptr;
};

}  // namespace ui
