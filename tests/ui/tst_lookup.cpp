// The drop-down buttons beside edits: a dataset's texts, and the date picker.
#include "TestDatabase.h"
#include "data/Dataset.h"
#include "ui/LookupButton.h"
#include "ui/ScriptedDialogs.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class TstLookup : public QObject {
    Q_OBJECT

  private slots:
    void listShowsTheFieldsTextsAndChoosingWritesTheEdit() {
        TestDatabase t;
        int n = 0;
        for (const QVariant& plate :
             {QVariant("粤A123"), QVariant(), QVariant(""), QVariant("  "), QVariant("粤B9")})
            t.insert("shd", {{"送货单号", QString::number(++n)}, {"送货车牌", plate}});
        data::Dataset list("cpqry");
        list.setDatabase(t.db());
        list.setStatement({"select distinct 送货车牌 from shd order by 送货车牌"});
        list.open();
        QLineEdit edit;
        ui::LookupButton button(&edit, &list, "送货车牌");
        QCOMPARE(button.items(), (QStringList{"粤A123", "粤B9"}));

        QSignalSpy typed(&edit, &QLineEdit::textEdited);
        QSignalSpy chosen(&button, &ui::LookupButton::chosen);
        ui::ScriptedDialogs dlg;
        dlg.answerPopup("粤B9");
        button.click();
        QCOMPARE(dlg.asked.size(), size_t(1));
        QCOMPARE(dlg.asked.front().caption, QStringLiteral("粤A123|粤B9"));
        QCOMPARE(edit.text(), QStringLiteral("粤B9"));
        QCOMPARE(typed.size(), 1);
        QCOMPARE(typed.at(0).at(0).toString(), QStringLiteral("粤B9"));
        QCOMPARE(chosen.size(), 1);

        button.click();  // nothing picked: the edit keeps its text
        QCOMPARE(edit.text(), QStringLiteral("粤B9"));
        QCOMPARE(chosen.size(), 1);

        list.close();
        QVERIFY(button.items().isEmpty());
        button.click();  // an empty list does not drop down
        QCOMPARE(dlg.asked.size(), size_t(2));
    }

    void dateButton() {
        QLineEdit edit("旧");
        ui::DateButton button(&edit);
        QSignalSpy chosen(&button, &ui::DateButton::chosen);
        button.setDate(QDate(2009, 11, 7));
        QCOMPARE(button.date(), QDate(2009, 11, 7));
        QCOMPARE(edit.text(), QStringLiteral("旧"));
        QCOMPARE(chosen.size(), 0);
        button.choose(QDate(2009, 2, 3));
        QCOMPARE(edit.text(), QStringLiteral("2009-02-03"));
        QCOMPARE(button.date(), QDate(2009, 2, 3));
        QCOMPARE(chosen.size(), 1);
        button.setFormatter([](const QDate& d) { return d.toString("yyyy年MM月dd日"); });
        button.choose(QDate(2009, 12, 1));
        QCOMPARE(edit.text(), QStringLiteral("2009年12月01日"));
    }

    void dateButtonPopsUpACalendar() {
        QLineEdit edit;
        ui::DateButton button(&edit);
        button.setDate(QDate(2009, 11, 7));
        button.click();
        QVERIFY(button.popup());
        QVERIFY(button.popup()->isVisible());
        auto* calendar = button.popup()->findChild<QCalendarWidget*>();
        QCOMPARE(calendar->selectedDate(), QDate(2009, 11, 7));
        emit calendar->clicked(QDate(2009, 11, 20));
        QVERIFY(!button.popup()->isVisible());
        QCOMPARE(edit.text(), QStringLiteral("2009-11-20"));
        QCOMPARE(button.date(), QDate(2009, 11, 20));
    }
};

QTEST_MAIN(TstLookup)
#include "tst_lookup.moc"
