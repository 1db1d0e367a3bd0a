#include "ui/LookupButton.h"

#include "data/Dataset.h"
#include "ui/Dialogs.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace ui {

namespace {
void makeArrowButton(QToolButton* b, QLineEdit* edit) {
    b->setArrowType(Qt::DownArrow);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedWidth(18);
    if (edit) b->setFixedHeight(qMax(edit->sizeHint().height(), 20));
}

QPoint below(QLineEdit* edit, QWidget* fallback) {
    QWidget* w = edit ? static_cast<QWidget*>(edit) : fallback;
    return w->mapToGlobal(QPoint(0, w->height()));
}
}  // namespace

LookupButton::LookupButton(QLineEdit* edit, data::Dataset* list, const QString& field, QWidget* parent)
    : QToolButton(parent), edit_(edit), list_(list), field_(field) {
    makeArrowButton(this, edit);
    connect(this, &QToolButton::clicked, this, &LookupButton::showList);
}

QStringList LookupButton::items() const {
    QStringList out;
    if (!list_) return out;
    for (int r = 0; r < list_->count(); ++r) {
        const QVariant v = list_->value(r, field_);
        if (v.isNull()) continue;
        const QString t = v.toString();
        if (!t.trimmed().isEmpty() && !out.contains(t)) out << t;
    }
    return out;
}

void LookupButton::choose(const QString& text) {
    if (edit_) {
        edit_->setText(text);
        // The windows filter on textEdited; a pick from the list counts as typing.
        emit edit_->textEdited(text);
    }
    emit chosen(text);
}

void LookupButton::showList() {
    const QStringList texts = items();
    if (texts.isEmpty()) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("lookupList"));
    if (edit_) menu.setMinimumWidth(edit_->width() + width());
    for (const QString& t : texts) {
        QAction* a = menu.addAction(t);
        a->setCheckable(edit_ && edit_->text() == t);
        a->setChecked(edit_ && edit_->text() == t);
    }
    if (QAction* a = dialogs().popup(&menu, below(edit_, this))) choose(a->text());
}

DateButton::DateButton(QLineEdit* edit, QWidget* parent) : QToolButton(parent), edit_(edit) {
    makeArrowButton(this, edit);
    formatter_ = [](const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); };
    connect(this, &QToolButton::clicked, this, &DateButton::showCalendar);
}

void DateButton::setDate(const QDate& d) {
    date_ = d;
}

void DateButton::choose(const QDate& d) {
    if (!d.isValid()) return;
    date_ = d;
    if (edit_) edit_->setText(formatter_ ? formatter_(d) : d.toString(QStringLiteral("yyyy-MM-dd")));
    emit chosen(d);
}

void DateButton::setFormatter(std::function<QString(const QDate&)> formatter) {
    formatter_ = std::move(formatter);
}

void DateButton::showCalendar() {
    if (!popup_) {
        auto* frame = new QFrame(this, Qt::Popup);
        frame->setObjectName(QStringLiteral("datePopup"));
        frame->setFrameShape(QFrame::Box);
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(1, 1, 1, 1);
        auto* calendar = new QCalendarWidget(frame);
        calendar->setObjectName(QStringLiteral("calendar"));
        calendar->setGridVisible(true);
        layout->addWidget(calendar);
        connect(calendar, &QCalendarWidget::clicked, this, [this, frame](const QDate& d) {
            frame->hide();
            choose(d);
        });
        connect(calendar, &QCalendarWidget::activated, this, [this, frame](const QDate& d) {
            frame->hide();
            choose(d);
        });
        popup_ = frame;
    }
    auto* calendar = popup_->findChild<QCalendarWidget*>();
    calendar->setSelectedDate(date_.isValid() ? date_ : QDate::currentDate());
    popup_->adjustSize();
    popup_->move(below(edit_, this));
    popup_->show();
    calendar->setFocus();
}

}  // namespace ui
