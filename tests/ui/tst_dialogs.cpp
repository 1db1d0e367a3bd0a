// The scripted dialog layer the window tests rely on.
#include "ui/ScriptedDialogs.h"

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using ui::Dialogs;

class TstDialogs : public QObject {
    Q_OBJECT

  private slots:
    void answersInOrderAndRecordsEverything() {
        ui::ScriptedDialogs dlg;
        QCOMPARE(&ui::dialogs(), static_cast<Dialogs*>(&dlg));
        dlg.answer(Dialogs::Button::No).answerInput(QStringLiteral("甲")).answerInput(std::nullopt);
        QVERIFY(!ui::dialogs().confirm("删除吗?"));
        QCOMPARE(ui::dialogs().input("输入", "名称：", ""), std::optional<QString>("甲"));
        QCOMPARE(ui::dialogs().input("输入", "名称：", ""), std::optional<QString>());
        QCOMPARE(dlg.pending(), 0);
        QVERIFY(dlg.allScripted());
        ui::dialogs().warn("注意");  // unscripted: OK, and marked
        QVERIFY(!dlg.allScripted());
        QCOMPARE(dlg.asked.size(), size_t(4));
        QCOMPARE(dlg.asked[0].kind, QStringLiteral("message"));
        QCOMPARE(dlg.asked[0].caption, QStringLiteral("信息"));
        QCOMPARE(dlg.asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(dlg.asked[0].buttons, (QList<Dialogs::Button>{Dialogs::Button::Yes, Dialogs::Button::No}));
        QCOMPARE(dlg.asked[1].text, QStringLiteral("名称："));
        QCOMPARE(dlg.asked[3].icon, Dialogs::Icon::Warning);
        QVERIFY(!dlg.asked[3].scripted);
        QCOMPARE(dlg.messages(), (QStringList{"删除吗?", "注意"}));
        QCOMPARE(dlg.lastMessage(), QStringLiteral("注意"));
    }

    void unscriptedCallsTakeTheSafeDefault() {
        ui::ScriptedDialogs dlg;
        QVERIFY(ui::dialogs().confirm("继续吗?"));  // the first button
        QVERIFY(!ui::dialogs().input("c", "p", "t"));
        QVERIFY(ui::dialogs().openFile("打开", "", "*.xls").isEmpty());
        QMenu menu;
        menu.addAction("增加");
        QVERIFY(!ui::dialogs().popup(&menu, {}));
        QCOMPARE(dlg.asked.size(), size_t(4));
        for (const auto& a : dlg.asked) QVERIFY(!a.scripted);
    }

    void popupTriggersTheChosenItem() {
        ui::ScriptedDialogs dlg;
        QMenu menu;
        QAction* add = menu.addAction("增加");
        QAction* del = menu.addAction("删除");
        QSignalSpy added(add, &QAction::triggered);
        QSignalSpy deleted(del, &QAction::triggered);
        dlg.answerPopup("删除").answerPopup("");
        QCOMPARE(ui::dialogs().popup(&menu, {}), del);
        QCOMPARE(ui::dialogs().popup(&menu, {}), nullptr);
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(added.size(), 0);
        QCOMPARE(dlg.asked[0].caption, QStringLiteral("增加|删除"));
        QVERIFY(dlg.allScripted());
    }

    void destroyingRestoresTheRealDialogs() {
        Dialogs* before = &ui::dialogs();
        {
            ui::ScriptedDialogs dlg;
            QVERIFY(&ui::dialogs() == &dlg);
        }
        QCOMPARE(&ui::dialogs(), before);
    }
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
