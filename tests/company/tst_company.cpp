// The company profile window: editing in place, saving, the question on closing, the logo.
#include "TestDatabase.h"
#include "TypeText.h"
#include "company/Txhdwform.h"
#include "data/DataHub.h"
#include "ui/ScriptedDialogs.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using ui::Dialogs;

class TstCompany : public QObject {
    Q_OBJECT

    struct Fixture {
        TestDatabase t;
        std::unique_ptr<data::DataHub> hub;
        std::unique_ptr<company::Txhdwform> form;
        explicit Fixture(const QString& period = QStringLiteral("每月从 1 开始")) {
            t.insert("销货单位", {{"中文名称", "乙公司"}, {"中文简称", "B"}, {"公司电话", "111"}, {"月天", period}});
            t.insert("销货单位", {{"中文名称", "甲公司"}, {"中文简称", "A"}, {"公司电话", "222"}});
            hub = t.openHub();
            hub->openMissing();
            form = std::make_unique<company::Txhdwform>(*hub);
            form->show();
        }
        QLineEdit* edit(const char* column) { return form->findChild<QLineEdit*>(QString::fromUtf8(column)); }
        void type(const char* column, const QString& text) {
            QLineEdit* e = edit(column);
            e->selectAll();
            typeText(e, text);
        }
        QString stored(const char* column, const char* shortName = "A") {
            return t.scalar(QStringLiteral("select %1 from 销货单位 where 中文简称 = '%2'")
                                .arg(QString::fromUtf8(column), QString::fromUtf8(shortName)))
                .toString();
        }
    };

private slots:
    void showsTheFirstRowByShortName() {
        ui::ScriptedDialogs d;
        Fixture f;
        QCOMPARE(f.edit("中文名称")->text(), QStringLiteral("甲公司"));
        QCOMPARE(f.edit("公司电话")->text(), QStringLiteral("222"));
    }

    void saveWritesAndSaysSo() {
        ui::ScriptedDialogs d;
        Fixture f;
        f.type("公司电话", "0571-88888888");
        QCOMPARE(f.stored("公司电话"), QStringLiteral("222"));  // not before saving
        f.form->findChild<QPushButton*>("saveBtn")->click();
        QCOMPARE(f.stored("公司电话"), QStringLiteral("0571-88888888"));
        QCOMPARE(d.lastMessage(), QStringLiteral("资料已经保存!"));
        QCOMPARE(f.stored("公司电话", "B"), QStringLiteral("111"));  // the other row untouched
        // Closing after saving asks nothing.
        d.clear();
        f.form->close();
        QVERIFY(d.messages().isEmpty());
    }

    void closingWithChangesAsks_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes keeps the change") << true;
        QTest::newRow("no drops it") << false;
    }
    void closingWithChangesAsks() {
        QFETCH(bool, yes);
        ui::ScriptedDialogs d;
        Fixture f;
        f.type("公司地址", "新地址");
        d.answer(yes ? Dialogs::Button::Yes : Dialogs::Button::No);
        f.form->findChild<QPushButton*>("closeBtn")->click();
        QVERIFY(!f.form->isVisible());
        QCOMPARE(d.messages(), QStringList{QStringLiteral("您修改了这笔记录,要保存吗?")});
        QCOMPARE(d.asked.front().icon, Dialogs::Icon::Question);
        QCOMPARE(f.stored("公司地址"), yes ? QStringLiteral("新地址") : QString());
        QCOMPARE(f.hub->xhqry->text("公司地址"), yes ? QStringLiteral("新地址") : QString());
    }

    void periodRadioButtons_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("monthly");
        QTest::addColumn<bool>("daily");
        QTest::newRow("monthly") << "每月从 1 开始" << true << false;
        QTest::newRow("daily") << "每天从 1 开始" << false << true;
        QTest::newRow("other text") << "每年" << false << false;
    }
    void periodRadioButtons() {
        QFETCH(QString, stored);
        ui::ScriptedDialogs d;
        TestDatabase t;
        t.insert("销货单位", {{"中文简称", "A"}, {"月天", stored}});
        auto hub = t.openHub();
        hub->openMissing();
        company::Txhdwform form(*hub);
        form.show();
        QTEST(form.findChild<QRadioButton*>("monthly")->isChecked(), "monthly");
        QTEST(form.findChild<QRadioButton*>("daily")->isChecked(), "daily");
        form.findChild<QRadioButton*>("daily")->click();
        QVERIFY(form.save());
        QCOMPARE(t.scalar("select 月天 from 销货单位").toString(), QStringLiteral("每天从 1 开始"));
    }

    void logoIsStoredAndShown() {
        ui::ScriptedDialogs d;
        Fixture f;
        QImage image(400, 100, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString file = f.t.dir() + "/logo.png";
        QVERIFY(image.save(file));
        d.answerFile(file);
        f.form->findChild<QPushButton*>("jrtbBtn")->click();
        const QLabel* view = f.form->findChild<QLabel*>("gsbz");
        QVERIFY(!view->pixmap().isNull());
        QCOMPARE(view->pixmap().width(), 129);  // scaled to the frame, aspect kept
        QCOMPARE(view->pixmap().height(), 129 * 100 / 400 + 0);
        QVERIFY(f.form->save());
        QCOMPARE(QImage::fromData(f.t.scalar("select 公司图标 from 销货单位 where 中文简称 = 'A'").toByteArray()).size(),
                 QSize(400, 100));

        // A file that is no picture is refused and changes nothing.
        const QString text = f.t.dir() + "/not-a-picture.png";
        QFile junk(text);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("hello");
        junk.close();
        d.answerFile(text);
        f.form->findChild<QPushButton*>("jrtbBtn")->click();
        QVERIFY(d.lastMessage().contains(QStringLiteral("不是可以识别的图片")));
        QVERIFY(!f.hub->xhqry->isModified());
    }
};

QTEST_MAIN(TstCompany)
#include "tst_company.moc"
