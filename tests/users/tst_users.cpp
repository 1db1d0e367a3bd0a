#include "TestDatabase.h"
#include "data/DataHub.h"
#include "ui/ScriptedDialogs.h"
#include "users/Login.h"
#include "users/Rights.h"
#include "users/TepassForm.h"
#include "users/TloginForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using ui::ScriptedDialogs;

namespace {

qint64 addUser(TestDatabase& t, const QString& name, const QVariant& password, const QString& right) {
    return t.insert(QStringLiteral("usertable"), {{QStringLiteral("用户"), name},
                                                  {QStringLiteral("密码"), password},
                                                  {QStringLiteral("权限"), right},
                                                  {QStringLiteral("提示"), 0}});
}

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

// Types text (also Chinese, which QTest::keyClicks cannot) into a widget as key presses.
void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace

class TestUsers : public QObject {
    Q_OBJECT
  private slots:
    void passwordMatches_data();
    void passwordMatches();

    void loginRefusesWithoutAChosenUser();
    void loginChecksThePassword_data();
    void loginChecksThePassword();
    void loginTakesTheFirstOfTwoRowsWithOneName();
    void loginWithEmptyUserTableOnlyLeadsOut();

    void rights_data();
    void rights();
    void refusalShowsTheMessage();

    void browsingUsersLeavesTheCurrentUser();
    void ownRightChangeCountsFromTheNextCheck();
    void saveWithNothingPendingStillConfirms();
    void addingAUser();
    void deletingAskesAndOwnRowIsRefused();
};

void TestUsers::passwordMatches_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    const QVariant blanks = QStringLiteral(" abc ");
    QTest::newRow("blanks around stored, none typed") << blanks << QStringLiteral("abc") << true;
    QTest::newRow("only the leading blank typed") << blanks << QStringLiteral(" abc") << true;
    QTest::newRow("only the trailing blank typed") << blanks << QStringLiteral("abc ") << true;
    QTest::newRow("other case") << QVariant(QStringLiteral("Abc")) << QStringLiteral("abc") << false;
    QTest::newRow("different") << QVariant(QStringLiteral("abc")) << QStringLiteral("abd") << false;
    QTest::newRow("null, empty field") << QVariant() << QString() << true;
    QTest::newRow("null, one blank") << QVariant() << QStringLiteral(" ") << false;
    QTest::newRow("empty text, blanks")
        << QVariant(QString(QLatin1String(""))) << QStringLiteral("  ") << true;
    QTest::newRow("empty text, a password")
        << QVariant(QString(QLatin1String(""))) << QStringLiteral("x") << false;
}

void TestUsers::passwordMatches() {
    QFETCH(QVariant, stored);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    QCOMPARE(users::passwordMatches(stored, typed), matches);
}

void TestUsers::loginRefusesWithoutAChosenUser() {
    TestDatabase t;
    addUser(t, QStringLiteral("张三"), QVariant(), QStringLiteral("管理"));
    auto hub = t.openHub();
    ScriptedDialogs d;
    users::TloginForm form(*hub);
    form.show();
    QCOMPARE(child<QComboBox>(&form, "UID")->count(), 1);
    QCOMPARE(child<QComboBox>(&form, "UID")->currentIndex(), -1);
    QTest::mouseClick(child<QPushButton>(&form, "loginBtn"), Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("请先选择用户ID!")});
    QCOMPARE(d.asked.back().icon, ui::Dialogs::Icon::Warning);
    QCOMPARE(d.asked.back().caption, QStringLiteral("信息"));
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void TestUsers::loginChecksThePassword_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right, with blanks") << QVariant(QStringLiteral(" pw ")) << QStringLiteral("pw") << true;
    QTest::newRow("wrong case") << QVariant(QStringLiteral("Pw")) << QStringLiteral("pw") << false;
    QTest::newRow("null and a blank") << QVariant() << QStringLiteral(" ") << false;
    QTest::newRow("null and nothing") << QVariant() << QString() << true;
}

void TestUsers::loginChecksThePassword() {
    QFETCH(QVariant, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TestDatabase t;
    addUser(t, QStringLiteral("李四"), QStringLiteral("x"), QStringLiteral("操作"));
    const qint64 id = addUser(t, QStringLiteral("张三"), stored, QStringLiteral("管理"));
    auto hub = t.openHub();
    ScriptedDialogs d;
    users::TloginForm form(*hub);
    form.show();
    auto* uid = child<QComboBox>(&form, "UID");
    uid->setCurrentIndex(uid->findText(QStringLiteral("张三")));
    QTest::keyClicks(child<QLineEdit>(&form, "upass"), typed);
    QTest::mouseClick(child<QPushButton>(&form, "loginBtn"), Qt::LeftButton);
    QCOMPARE(form.result() == QDialog::Accepted, accepted);
    QCOMPARE(hub->userqry->field(QStringLiteral("id")).toLongLong(), id);
    if (accepted) {
        QVERIFY(d.asked.empty());
        QCOMPARE(users::currentUserName(*hub), QStringLiteral("张三"));
    } else {
        QCOMPARE(d.messages(), QStringList{QStringLiteral("密码不正确,请重新输入!")});
        QVERIFY(form.isVisible());
        QCOMPARE(child<QLineEdit>(&form, "upass")->text(), typed);  // kept for another try
    }
}

void TestUsers::loginTakesTheFirstOfTwoRowsWithOneName() {
    TestDatabase t;
    const qint64 first = addUser(t, QStringLiteral("王五"), QStringLiteral("one"), QStringLiteral("操作"));
    addUser(t, QStringLiteral("王五"), QStringLiteral("two"), QStringLiteral("管理"));
    auto hub = t.openHub();
    ScriptedDialogs d;
    users::TloginForm form(*hub);
    form.show();
    auto* uid = child<QComboBox>(&form, "UID");
    uid->setCurrentIndex(1);  // the second entry of the same name
    QTest::keyClicks(child<QLineEdit>(&form, "upass"), QStringLiteral("two"));
    QTest::mouseClick(child<QPushButton>(&form, "loginBtn"), Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("密码不正确,请重新输入!")});
    child<QLineEdit>(&form, "upass")->setText(QStringLiteral("one"));
    QTest::mouseClick(child<QPushButton>(&form, "loginBtn"), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(hub->userqry->field(QStringLiteral("id")).toLongLong(), first);
    QCOMPARE(users::currentRight(*hub), QStringLiteral("操作"));
}

void TestUsers::loginWithEmptyUserTableOnlyLeadsOut() {
    TestDatabase t;
    auto hub = t.openHub();
    ScriptedDialogs d;
    users::TloginForm form(*hub);
    form.show();
    QTest::mouseClick(child<QPushButton>(&form, "loginBtn"), Qt::LeftButton);
    QCOMPARE(d.lastMessage(), QStringLiteral("请先选择用户ID!"));
    QTest::keyClick(&form, Qt::Key_Escape);  // no way out but the exit button
    QVERIFY(form.isVisible());
    QTest::mouseClick(child<QPushButton>(&form, "exitBtn"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void TestUsers::rights_data() {
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("managementOrFinance");
    QTest::addColumn<bool>("managementOnly");
    QTest::newRow("管理") << QStringLiteral("管理") << true << true;
    QTest::newRow("财务") << QStringLiteral("财务") << true << false;
    QTest::newRow("操作") << QStringLiteral("操作") << false << false;
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("blank after 管理") << QStringLiteral("管理 ") << false << false;  // exact comparison
    QTest::newRow("other text") << QStringLiteral("经理") << false << false;
}

void TestUsers::rights() {
    QFETCH(QString, right);
    QFETCH(bool, managementOrFinance);
    QFETCH(bool, managementOnly);
    TestDatabase t;
    addUser(t, QStringLiteral("甲"), QVariant(), right);
    auto hub = t.openHub();
    hub->userqry->open();
    QCOMPARE(users::hasRight(*hub, users::managementOrFinance()), managementOrFinance);
    QCOMPARE(users::hasRight(*hub, {users::kManagement}), managementOnly);
    QVERIFY(!users::hasRight(*hub, {QString()}));  // an empty right holds nothing, even if asked for
}

void TestUsers::refusalShowsTheMessage() {
    TestDatabase t;
    addUser(t, QStringLiteral("甲"), QVariant(), QStringLiteral("财务"));
    auto hub = t.openHub();
    hub->userqry->open();
    ScriptedDialogs d;
    QVERIFY(users::checkRight(*hub, users::managementOrFinance()));
    QVERIFY(d.asked.empty());
    QVERIFY(!users::checkRight(*hub, {users::kManagement},
                               QStringLiteral("管理权限才能将送货单改为未打印状态,!")));
    QCOMPARE(d.messages(), QStringList{QStringLiteral("管理权限才能将送货单改为未打印状态,!")});
    QVERIFY(!users::checkRight(*hub, {users::kManagement}));
    QCOMPARE(d.lastMessage(), QStringLiteral("您没有权限使用此功能！"));
    QCOMPARE(d.asked.back().icon, ui::Dialogs::Icon::Warning);
}

namespace {

// Logs in the user with that key (userqry stands on his row) and opens the administration window.
struct AdminFixture {
    TestDatabase t;
    std::unique_ptr<data::DataHub> hub;
    std::unique_ptr<users::TepassForm> form;
    qint64 boss = 0, clerk = 0;

    explicit AdminFixture(bool loginAsBoss) {
        boss = addUser(t, QStringLiteral("老板"), QVariant(), QStringLiteral("管理"));
        clerk = addUser(t, QStringLiteral("文员"), QVariant(), QStringLiteral("操作"));
        hub = t.openHub();
        hub->userqry->open();
        hub->userqry->locateKey(loginAsBoss ? boss : clerk);
        form = std::make_unique<users::TepassForm>(*hub);
        form->show();
    }
    void selectInForm(qint64 key) { QVERIFY(form->users()->locateKey(key)); }
};

}  // namespace

void TestUsers::browsingUsersLeavesTheCurrentUser() {
    AdminFixture f(false);
    ScriptedDialogs d;
    f.selectInForm(f.boss);
    QCOMPARE(child<QLineEdit>(f.form.get(), "uedit")->text(), QStringLiteral("老板"));
    QCOMPARE(child<QComboBox>(f.form.get(), "qxedit")->currentText(), QStringLiteral("管理"));
    QTest::mouseClick(child<QPushButton>(f.form.get(), "closeBtn"), Qt::LeftButton);
    QCOMPARE(users::currentUserName(*f.hub), QStringLiteral("文员"));
    QVERIFY(!users::checkRight(*f.hub, users::managementOrFinance()));
    QCOMPARE(d.lastMessage(), QStringLiteral("您没有权限使用此功能！"));
}

void TestUsers::ownRightChangeCountsFromTheNextCheck() {
    AdminFixture f(true);
    ScriptedDialogs d;
    QVERIFY(users::hasRight(*f.hub, {users::kManagement}));
    f.selectInForm(f.boss);
    auto* qx = child<QComboBox>(f.form.get(), "qxedit");
    const int op = qx->findText(QStringLiteral("操作"));
    qx->setCurrentIndex(op);
    emit qx->activated(op);  // as the user picking it
    QCOMPARE(f.form->users()->state(), data::Dataset::State::Edit);
    QVERIFY(users::hasRight(*f.hub, {users::kManagement}));  // not saved yet
    QTest::mouseClick(child<QPushButton>(f.form.get(), "saveBtn"), Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("资料已保存!")});
    QCOMPARE(f.t.scalar(QStringLiteral("select 权限 from usertable where id = :id"),
                        {{QStringLiteral("id"), f.boss}})
                 .toString(),
             QStringLiteral("操作"));
    QVERIFY(!users::hasRight(*f.hub, {users::kManagement}));
    QCOMPARE(users::currentUserName(*f.hub), QStringLiteral("老板"));
}

void TestUsers::saveWithNothingPendingStillConfirms() {
    AdminFixture f(true);
    ScriptedDialogs d;
    f.selectInForm(f.clerk);
    QTest::mouseClick(child<QPushButton>(f.form.get(), "saveBtn"), Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("资料已保存!")});
    QCOMPARE(d.asked.back().icon, ui::Dialogs::Icon::None);
    QCOMPARE(d.asked.back().caption, QStringLiteral("信息"));
    QCOMPARE(f.t.count(QStringLiteral("usertable")), 2);
}

void TestUsers::addingAUser() {
    AdminFixture f(true);
    ScriptedDialogs d;
    QTest::mouseClick(child<QPushButton>(f.form.get(), "addBtn"), Qt::LeftButton);
    QVERIFY(child<QLineEdit>(f.form.get(), "uedit")->text().isEmpty());
    typeText(child<QLineEdit>(f.form.get(), "uedit"), QStringLiteral("新人"));
    QTest::keyClicks(child<QLineEdit>(f.form.get(), "pedit"), QStringLiteral("secret"));
    typeText(child<QLineEdit>(f.form.get(), "zwedit"), QStringLiteral("会计"));
    auto* qx = child<QComboBox>(f.form.get(), "qxedit");
    const int fin = qx->findText(QStringLiteral("财务"));
    qx->setCurrentIndex(fin);
    emit qx->activated(fin);
    QTest::mouseClick(child<QPushButton>(f.form.get(), "saveBtn"), Qt::LeftButton);
    QCOMPARE(
        f.t.count(QStringLiteral("usertable"),
                  QStringLiteral("用户 = '新人' and 密码 = 'secret' and 职务 = '会计' and 权限 = '财务'")),
        1);
    QCOMPARE(users::currentUserName(*f.hub), QStringLiteral("老板"));
    QCOMPARE(f.hub->userqry->count(), 3);  // he can log in at the next start
}

void TestUsers::deletingAskesAndOwnRowIsRefused() {
    AdminFixture f(true);
    ScriptedDialogs d;
    auto* del = child<QPushButton>(f.form.get(), "delBtn");
    f.selectInForm(f.boss);
    QTest::mouseClick(del, Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("不能删除当前登录的用户!")});
    QCOMPARE(f.t.count(QStringLiteral("usertable")), 2);

    d.clear();
    f.selectInForm(f.clerk);
    d.answer(ui::Dialogs::Button::No);
    QTest::mouseClick(del, Qt::LeftButton);
    QCOMPARE(d.messages(), QStringList{QStringLiteral("您是否真的要删除这笔用户记录吗?")});
    QCOMPARE(d.asked.back().icon, ui::Dialogs::Icon::Question);
    QCOMPARE(f.t.count(QStringLiteral("usertable")), 2);

    d.answer(ui::Dialogs::Button::Yes);
    QTest::mouseClick(del, Qt::LeftButton);
    QCOMPARE(f.t.count(QStringLiteral("usertable")), 1);
    QCOMPARE(users::currentUserName(*f.hub), QStringLiteral("老板"));
}

QTEST_MAIN(TestUsers)
#include "tst_users.moc"
