// The template designer: its model's edits in millimetres, the refusals for the seven printed objects,
// the save-and-reload round trip, and an edit reaching the printed page.
#include "NoteFixture.h"
#include "printing/DesignerModel.h"
#include "printing/Fr3.h"
#include "printing/Report.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace printing;

class TstDesigner : public QObject {
    Q_OBJECT
  private:
    DesignerModel reference() {
        DesignerModel m;
        QString error;
        if (!m.load(referenceTemplatePath(), &error)) qWarning() << error;
        return m;
    }

  private slots:
    void movesAndResizesInMillimetres() {
        DesignerModel m = reference();
        const QRectF before = m.geometryMm("khmc");
        m.select({"khmc", "KHMC", "nothing"});
        QCOMPARE(m.selection(), QStringList{"khmc"});
        m.moveSelected(3, -0.5);
        QRectF g = m.geometryMm("khmc");
        QVERIFY(qAbs(g.x() - before.x() - 3) < 1e-9);
        QVERIFY(qAbs(g.y() - before.y() + 0.5) < 1e-9);
        QVERIFY(m.isModified());

        QVERIFY(m.resize("khmc", 10, -100));
        g = m.geometryMm("khmc");
        QVERIFY(qAbs(g.width() - before.width() - 10) < 1e-9);
        QCOMPARE(g.height(), 0.0);  // never negative for a text
        QVERIFY(!m.move("nothing", 1, 1));
    }

    void propertiesKeepTheRestOfTheFont() {
        DesignerModel m = reference();
        const ResolvedFont before = m.font("gsmc");
        QVERIFY(before.bold());
        QVERIFY(m.setFontSize("gsmc", 22));
        QVERIFY(m.setBold("gsmc", false));
        const ResolvedFont after = m.font("gsmc");
        QCOMPARE(after.pointSize, 22.0);
        QVERIFY(!after.bold());
        QCOMPARE(after.name, before.name);
        QCOMPARE(after.charset, before.charset);

        QVERIFY(m.setFrame("khmc", Frame::Bottom | 64, 0.5));
        QCOMPARE(m.object("khmc")->frame.typ, int(Frame::Bottom));
        QVERIFY(m.setBandHeight("MasterData1", 6));
        QVERIFY(qAbs(unitsToMm(m.band("MasterData1")->height) - 6) < 1e-9);
    }

    void unchangedValuesLeaveTheModelUnmodified() {
        DesignerModel m = reference();
        const QString text = m.object("khmc")->text;
        m.setText("khmc", text);
        m.setGeometryMm("khmc", m.geometryMm("khmc"));
        m.setFontSize("khmc", m.font("khmc").pointSize);
        m.move("khmc", 0, 0);
        QVERIFY(!m.isModified());
    }

    void requiredObjectsCannotBeRenamedOrDeleted_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : deliveryNoteObjects()) QTest::newRow(qPrintable(n)) << n;
        QTest::newRow("upper case") << QString("GSMC");
    }
    void requiredObjectsCannotBeRenamedOrDeleted() {
        QFETCH(QString, name);
        DesignerModel m = reference();
        QVERIFY(m.object(name));
        const QString renamed = m.rename(name, "other");
        QVERIFY2(renamed.contains("必需"), qPrintable(renamed));
        const QString removed = m.remove(name);
        QVERIFY2(removed.contains("必需"), qPrintable(removed));
        QVERIFY(m.object(name));
        QVERIFY(!m.isModified());
    }

    void otherObjectsCanBeRenamedAndDeleted() {
        DesignerModel m = reference();
        m.select({"lbkhmc"});
        QVERIFY(m.rename("lbkhmc", "gsmc").contains("已被使用"));  // a required name is taken
        QVERIFY(m.rename("lbkhmc", "khmc").contains("已被使用"));
        QVERIFY(!m.rename("lbkhmc", "  ").isEmpty());
        QCOMPARE(m.rename("lbkhmc", "客户标签"), QString());
        QCOMPARE(m.selection(), QStringList{"客户标签"});
        QCOMPARE(m.remove("客户标签"), QString());
        QVERIFY(!m.object("客户标签"));
        QVERIFY(m.selection().isEmpty());
        QVERIFY(!m.remove("客户标签").isEmpty());
    }

    void savingAndReloadingGivesTheSameModel() {
        QTemporaryDir dir;
        DesignerModel m = reference();
        m.move("khmc", 3, 1.5);
        m.resize("dmc", 7, 0);
        m.setText("lbkhmc", "客户：\r\n第二行");
        m.setFontSize("shdno", 14);
        m.setHAlign("khmc", HAlign::Right);
        m.setWordWrap("khmc", false);
        m.setBandHeight("Child1", 5.5);
        QString error;
        const QString path = dir.filePath("我的格式.fr3");
        QVERIFY2(m.saveAs(path, &error), qPrintable(error));
        QVERIFY(!m.isModified());
        QCOMPARE(m.fileName(), path);

        DesignerModel again;
        QVERIFY2(again.load(path, &error), qPrintable(error));
        QCOMPARE(writeFr3(again.tpl()), writeFr3(m.tpl()));
        QVERIFY(qAbs(again.geometryMm("khmc").x() - m.geometryMm("khmc").x()) < 1e-6);
        QCOMPARE(again.object("lbkhmc")->text, QString("客户：\r\n第二行"));
        QCOMPARE(again.font("shdno").pointSize, 14.0);
        QVERIFY(!again.object("khmc")->wordWrap);
    }

    void savingToAnUnwritablePlaceFails() {
        DesignerModel m = reference();
        m.move("khmc", 1, 0);
        QString error;
        QVERIFY(!m.saveAs("/nonexistent/dir/x.fr3", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(m.isModified());
    }

    void aMoveShowsOnThePreparedPage() {
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        const auto customerRect = [](const QString& file) {
            Report r;
            if (!r.load(file)) return QRectF();
            r.setDataset(customerDataset());
            r.setDataset(linesDataset(2));
            const PreparedReport pages = r.prepare();
            const auto found = pages.pages.value(0).findText("东方五金商行");
            return found.isEmpty() ? QRectF() : found.first()->rect;
        };
        const QRectF before = customerRect(referenceTemplatePath());
        QVERIFY(before.isValid());

        DesignerModel m = reference();
        m.select({"khmc"});
        m.moveSelected(3, 0);
        QVERIFY(m.saveAs(path));
        const QRectF after = customerRect(path);
        QVERIFY(after.isValid());
        QVERIFY2(qAbs(after.left() - before.left() - 3) < 0.01, qPrintable(QString::number(after.left())));
        QVERIFY(qAbs(after.top() - before.top()) < 0.01);
        QVERIFY(qAbs(after.width() - before.width()) < 0.01);
    }
};

QTEST_GUILESS_MAIN(TstDesigner)
#include "tst_designer.moc"
