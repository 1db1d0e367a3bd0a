// The template designer: its model's edits in millimetres, the refusals for the seven printed objects,
// adding, copying and pasting, undo and redo, the column-aligned resize, the save-and-reload round
// trip, and edits reaching the printed page.
#include "NoteFixture.h"
#include "printing/DesignerModel.h"
#include "printing/Fr3.h"
#include "printing/Report.h"

#include <QBuffer>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace printing;

Q_DECLARE_METATYPE(printing::DesignerModel::NewObject)
Q_DECLARE_METATYPE(printing::DesignerModel::Edge)

static bool near(double a, double b, double eps = 1e-6) {
    return std::abs(a - b) < eps;
}

// The names of the memo cells of one column of the delivered note: title, data cell, empty-row cell.
struct Column {
    QString title, data, empty;
};
static const Column kNameColumn{"btmc", "dmc", "kmc"};
static const Column kSpecColumn{"btggxh", "dggxh", "kggxh"};
static const Column kUnitColumn{"btdw", "ddw", "kdw"};

class TstDesigner : public QObject {
    Q_OBJECT
  private:
    DesignerModel reference() {
        DesignerModel m;
        QString error;
        if (!m.load(referenceTemplatePath(), &error)) qWarning() << error;
        return m;
    }

    // The delivered note printed with n lines: the first page.
    static PreparedPage printed(const QString& file, int lines) {
        Report r;
        if (!r.load(file)) return {};
        fillNoteObjects(r);
        r.setDataset(customerDataset());
        r.setDataset(linesDataset(lines));
        return r.prepare().pages.value(0);
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

    // --- adding ------------------------------------------------------------------------------------

    void addsEachKindWithDefaultSizeAndFreshName_data() {
        QTest::addColumn<DesignerModel::NewObject>("kind");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QSizeF>("sizeMm");
        QTest::newRow("text") << DesignerModel::NewObject::Text << "Memo"
                              << "TfrxMemoView" << QSizeF(30, 5);
        QTest::newRow("field") << DesignerModel::NewObject::Field << "Memo"
                               << "TfrxMemoView" << QSizeF(30, 5);
        QTest::newRow("picture") << DesignerModel::NewObject::Picture << "Picture"
                                 << "TfrxPictureView" << QSizeF(20, 20);
        QTest::newRow("line") << DesignerModel::NewObject::Line << "Line"
                              << "TfrxLineView" << QSizeF(30, 0);
        QTest::newRow("rectangle") << DesignerModel::NewObject::Rectangle << "Shape"
                                   << "TfrxShapeView" << QSizeF(30, 10);
    }
    void addsEachKindWithDefaultSizeAndFreshName() {
        QFETCH(DesignerModel::NewObject, kind);
        QFETCH(QString, prefix);
        QFETCH(QString, element);
        QFETCH(QSizeF, sizeMm);
        DesignerModel m = reference();
        // "<prefix>1" is taken by an object of another kind, "<prefix>2" by a band: the first free is 3.
        QCOMPARE(m.rename("lbkhmc", prefix + "1"), QString());
        Template t = m.tpl();
        t.findBand("Child1")->name = prefix + "2";
        t.findBand("MasterData1")->child = prefix + "2";
        m = DesignerModel(t);

        const QString name = m.addObject(kind, "MasterData1", {12.5, 1}, "sdbst.名称");
        QCOMPARE(name, prefix + "3");
        QCOMPARE(m.selection(), QStringList{name});
        QCOMPARE(m.bandOf(name), QString("MasterData1"));
        const ReportObject* o = m.object(name);
        QVERIFY(o);
        QCOMPARE(o->elementName(), element);
        const QRectF g = m.geometryMm(name);
        QVERIFY(near(g.x(), 12.5) && near(g.y(), 1));
        QVERIFY(near(g.width(), sizeMm.width()) && near(g.height(), sizeMm.height()));
        QVERIFY(m.isModified());
        QVERIFY(m.canUndo());
        QCOMPARE(m.addObject(kind, "MasterData1", {0, 0}), prefix + "4");

        if (kind == DesignerModel::NewObject::Field) QCOMPARE(o->text, QString("[sdbst.\"名称\"]"));
        if (kind == DesignerModel::NewObject::Text) QCOMPARE(o->text, QString("sdbst.名称"));
        if (kind == DesignerModel::NewObject::Rectangle) QCOMPARE(o->shape, QString("skRectangle"));
    }

    void addingToAMissingBandChangesNothing() {
        DesignerModel m = reference();
        QCOMPARE(m.addObject(DesignerModel::NewObject::Text, "NoSuchBand", {0, 0}, "x"), QString());
        QVERIFY(!m.isModified());
        QVERIFY(!m.canUndo());
        // "" is the page's loose objects
        const QString loose = m.addObject(DesignerModel::NewObject::Field, "", {1, 1}, "[xhbdbst.\"备注\"]");
        QCOMPARE(loose, QString("Memo1"));
        QCOMPARE(m.tpl().pages[0].objects.size(), 1);
        QCOMPARE(m.object(loose)->text, QString("[xhbdbst.\"备注\"]"));
    }

    void anAddedPictureKeepsItsImage() {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
        DesignerModel m = reference();
        const QString name = m.addObject(DesignerModel::NewObject::Picture, "PageHeader1", {150, 0}, {}, png);
        QTemporaryDir dir;
        QVERIFY(m.saveAs(dir.filePath("p.fr3")));
        DesignerModel again;
        QVERIFY(again.load(dir.filePath("p.fr3")));
        QCOMPARE(again.object(name)->picture, png);
    }

    // --- undo and redo -------------------------------------------------------------------------------

    void everyEditIsOneUndoableStep() {
        struct Edit {
            const char* what;
            std::function<void(DesignerModel&)> apply;
            QStringList selection{"gsmc"};  // what is selected before the edit
        };
        const QList<Edit> edits{
            {"move", [](DesignerModel& m) { m.move("khmc", 1, 2); }},
            {"moveSelected", [](DesignerModel& m) { m.moveSelected(0.5, 0); }, {"khmc", "lbkhmc", "dmc"}},
            {"resize", [](DesignerModel& m) { m.resize("khmc", 3, 1); }},
            {"setGeometryMm",
             [](DesignerModel& m) {
                 m.setGeometryMm("khmc", {1, 2, 3, 4});
             }},
            {"setText", [](DesignerModel& m) { m.setText("lbkhmc", "客户"); }},
            {"setFontSize", [](DesignerModel& m) { m.setFontSize("khmc", 20); }},
            {"setBold", [](DesignerModel& m) { m.setBold("khmc", true); }},
            {"setItalic", [](DesignerModel& m) { m.setItalic("khmc", true); }},
            {"setUnderline", [](DesignerModel& m) { m.setUnderline("khmc", true); }},
            {"setFontName", [](DesignerModel& m) { m.setFontName("khmc", "黑体"); }},
            {"setHAlign", [](DesignerModel& m) { m.setHAlign("khmc", HAlign::Center); }},
            {"setVAlign", [](DesignerModel& m) { m.setVAlign("khmc", VAlign::Bottom); }},
            {"setWordWrap", [](DesignerModel& m) { m.setWordWrap("khmc", true); }},
            {"setFrame", [](DesignerModel& m) { m.setFrame("khmc", Frame::All, 0.5); }},
            {"setDisplayFormat",
             [](DesignerModel& m) {
                 m.setDisplayFormat("dsl", {"fkNumeric", "%2.0n", ""});
             }},
            {"setBandHeight", [](DesignerModel& m) { m.setBandHeight("MasterData1", 7); }},
            {"setBandToNRows", [](DesignerModel& m) { m.setBandToNRows("Child1", 10, "rmTillPageEnds"); }},
            {"setPageSetup",
             [](DesignerModel& m) {
                 auto s = m.pageSetup();
                 s.topMargin = 5;
                 m.setPageSetup(s);
             }},
            {"rename", [](DesignerModel& m) { m.rename("lbkhmc", "客户标签"); }},
            {"rename case", [](DesignerModel& m) { m.rename("lbkhmc", "LBKHMC"); }},
            {"remove", [](DesignerModel& m) { m.remove("lbkhmc"); }},
            {"removeSelected", [](DesignerModel& m) { m.removeSelected(); }, {"lbkhmc", "dmc"}},
            {"addObject",
             [](DesignerModel& m) { m.addObject(DesignerModel::NewObject::Line, "Child1", {}); }},
            {"paste", [](DesignerModel& m) { m.paste(m.copySelection()); }, {"dmc"}},
            {"resizeEdge", [](DesignerModel& m) { m.resizeEdge("dmc", DesignerModel::Edge::Right, 5); }},
            {"setSettings",
             [](DesignerModel& m) {
                 TemplateSettings s;
                 s.setAdjustment({"打印机 A", 1, -1, 1.01});
                 m.setSettings(s);
             }},
        };
        for (const auto& [what, edit, selection] : edits) {
            DesignerModel m = reference();
            const QByteArray before = writeFr3(m.tpl());
            m.select(selection);
            edit(m);
            const QByteArray after = writeFr3(m.tpl());
            QVERIFY2(after != before, what);
            QVERIFY2(m.isModified(), what);
            const QStringList selectionAfter = m.selection();
            QVERIFY2(m.undo(), what);
            QVERIFY2(!m.canUndo(), what);  // exactly one step
            QVERIFY2(writeFr3(m.tpl()) == before, what);
            QVERIFY2(m.selection() == selection, what);
            QVERIFY2(!m.isModified(), what);  // back at the loaded state
            QVERIFY2(m.redo(), what);
            QVERIFY2(writeFr3(m.tpl()) == after, what);
            QVERIFY2(m.selection() == selectionAfter, what);
            QVERIFY2(m.isModified(), what);
            QVERIFY2(!m.canRedo(), what);
        }
    }

    void refusalsAndNoOpsRecordNoStep() {
        DesignerModel m = reference();
        m.rename("gsmc", "x");
        m.remove("shdno");
        m.select({"lbkhmc", "gsbz"});
        m.removeSelected();
        m.setText("khmc", m.object("khmc")->text);
        m.setBandToNRows("Child1", 12, "rmCount");
        m.setBandToNRows("Child1", 12, "rmNonsense");
        m.setBandToNRows("MasterData1", 3);  // not a child band
        m.setPageSetup(m.pageSetup());
        m.resizeEdge("dmc", DesignerModel::Edge::Right, 0);
        m.setSettings(m.settings());
        m.beginGroup();
        m.move("khmc", 0, 0);
        m.endGroup();
        QVERIFY(!m.canUndo());
        QVERIFY(!m.isModified());
    }

    void undoRedoOfASequenceWithGroups() {
        DesignerModel m = reference();
        const QByteArray s0 = writeFr3(m.tpl());
        m.move("khmc", 3, 0);
        const QByteArray s1 = writeFr3(m.tpl());
        // the panel applying several fields: one step, nested groups included
        m.beginGroup();
        m.setText("khmc", "[xhbdbst.\"备注\"]");
        m.beginGroup();
        m.setFontSize("khmc", 16);
        m.setBold("khmc", true);
        m.endGroup();
        QVERIFY(!m.canUndo());  // refused while a group is open
        m.resize("khmc", 5, 0);
        m.endGroup();
        const QByteArray s2 = writeFr3(m.tpl());
        m.setBandHeight("MasterData1", 6);
        const QByteArray s3 = writeFr3(m.tpl());

        QVERIFY(m.undo());
        QCOMPARE(writeFr3(m.tpl()), s2);
        QVERIFY(m.undo());
        QCOMPARE(writeFr3(m.tpl()), s1);
        QCOMPARE(m.object("khmc")->text, QString("[xhbdbst.\"客户名称\"]"));
        QVERIFY(m.isModified());
        QVERIFY(m.undo());
        QCOMPARE(writeFr3(m.tpl()), s0);
        QVERIFY(!m.isModified());
        QVERIFY(!m.undo());

        QVERIFY(m.redo());
        QVERIFY(m.redo());
        QCOMPARE(writeFr3(m.tpl()), s2);
        QVERIFY(m.canRedo());
        // a new change drops what could be redone
        m.move("lbkhmc", 1, 0);
        QVERIFY(!m.canRedo());
        QVERIFY(!m.redo());
        QVERIFY(writeFr3(m.tpl()) != s3);
        QVERIFY(m.undo());
        QCOMPARE(writeFr3(m.tpl()), s2);
    }

    void theModifiedFlagFollowsTheSavedState() {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.fr3");
        DesignerModel m = reference();
        m.move("khmc", 1, 0);
        QVERIFY(m.saveAs(path));
        m.move("khmc", 1, 0);
        QVERIFY(m.isModified());
        QVERIFY(m.undo());
        QVERIFY(!m.isModified());  // as saved
        QVERIFY(m.undo());
        QVERIFY(m.isModified());  // older than the file
        QVERIFY(m.redo());
        QVERIFY(!m.isModified());
        // the saved state among the dropped redo steps: no way back to it
        QVERIFY(m.undo());
        m.move("lbkhmc", 1, 0);
        QVERIFY(m.undo());
        QVERIFY(m.isModified());

        QVERIFY(m.load(path));
        QVERIFY(!m.canUndo());
        QVERIFY(!m.canRedo());
        QVERIFY(!m.isModified());
    }

    // --- copy and paste ------------------------------------------------------------------------------

    void copyAndPasteKeepBandsAndTakeFreshNames() {
        DesignerModel m = reference();
        m.select({"khmc", "dmc", "lbkhmc"});
        const QString clip = m.copySelection();
        QVERIFY(!clip.isEmpty());
        QVERIFY(!m.isModified());

        const QStringList pasted = m.paste(clip);
        QCOMPARE(pasted, (QStringList{"khmc1", "lbkhmc1", "dmc1"}));  // grouped by band
        QCOMPARE(m.selection(), pasted);
        const QList<QPair<QString, QString>> pairs{{"khmc", "khmc1"}, {"dmc", "dmc1"}, {"lbkhmc", "lbkhmc1"}};
        for (const auto& [from, to] : pairs) {
            QCOMPARE(m.bandOf(to), m.bandOf(from));
            const QRectF a = m.geometryMm(from), b = m.geometryMm(to);
            QVERIFY(near(b.x() - a.x(), 2) && near(b.y() - a.y(), 2));
            QVERIFY(near(b.width(), a.width()) && near(b.height(), a.height()));
            QCOMPARE(m.object(to)->text, m.object(from)->text);
            QCOMPARE(m.font(to), m.font(from));
        }
        // pasting again: the next free names; one undo step removes them all
        QCOMPARE(m.paste(clip), (QStringList{"khmc2", "lbkhmc2", "dmc2"}));
        QVERIFY(m.undo());
        QVERIFY(!m.object("khmc2") && !m.object("dmc2"));
        QVERIFY(m.object("khmc1"));
        QCOMPARE(m.selection(), pasted);
    }

    void pasteIntoATemplateWithoutTheBandUsesTheFallback() {
        DesignerModel m = reference();
        m.select({"dxje", "btmc"});  // page footer and page header
        const QString clip = m.copySelection();
        DesignerModel other;
        QVERIFY(other.load(TRFP_SOURCE_DIR "/tests/printing/fixture.fr3"));
        // neither band exists there; btmc is free there and stays, a required name never is
        QCOMPARE(other.paste(clip, "Child1"), (QStringList{"dxje1", "btmc"}));  // grouped by band
        QCOMPARE(other.bandOf("btmc"), QString("Child1"));
        QCOMPARE(other.bandOf("dxje1"), QString("Child1"));
        // without a fallback band they become the page's loose objects
        QCOMPARE(other.paste(clip), (QStringList{"dxje2", "btmc1"}));
        QCOMPARE(other.tpl().pages[0].objects.last().name, QString("btmc1"));
    }

    void textThatIsNoCopiedObjectPastesNothing_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("plain text") << QString("送货单 DesignerClipboard");
        QTest::newRow("a whole template") << QString::fromUtf8(writeFr3(reference().tpl()));
        QTest::newRow("broken xml") << QString("<TfrxReport DesignerClipboard=\"1\"><TfrxReportPage");
        QTest::newRow("nothing copied") << QString("<TfrxReport DesignerClipboard=\"1\"/>");
    }
    void textThatIsNoCopiedObjectPastesNothing() {
        QFETCH(QString, text);
        DesignerModel m = reference();
        m.select({"khmc"});
        const QByteArray before = writeFr3(m.tpl());
        QVERIFY(m.paste(text, "MasterData1").isEmpty());
        QCOMPARE(writeFr3(m.tpl()), before);
        QCOMPARE(m.selection(), QStringList{"khmc"});
        QVERIFY(!m.isModified());
        QVERIFY(!m.canUndo());
    }

    // --- deleting ------------------------------------------------------------------------------------

    void removeSelectedIsAllOrNothing() {
        DesignerModel m = reference();
        m.select({"lbkhmc", "dmc", "shdno"});
        const QString why = m.removeSelected();
        QVERIFY2(why.contains("shdno") && why.contains("必需"), qPrintable(why));
        QVERIFY(m.object("lbkhmc") && m.object("dmc") && m.object("shdno"));
        QCOMPARE(m.selection(), (QStringList{"lbkhmc", "dmc", "shdno"}));
        QVERIFY(!m.isModified());

        m.select({"lbkhmc", "dmc"});
        QCOMPARE(m.removeSelected(), QString());
        QVERIFY(!m.object("lbkhmc") && !m.object("dmc"));
        QVERIFY(m.selection().isEmpty());
        QVERIFY(m.undo());
        QVERIFY(m.object("lbkhmc") && m.object("dmc"));
        QCOMPARE(m.selection(), (QStringList{"lbkhmc", "dmc"}));
    }

    // --- page, bands, fonts --------------------------------------------------------------------------

    void pageSetupReadsAndWritesTheFirstPage() {
        DesignerModel m = reference();
        const DesignerModel::PageSetup delivered{210, 145, 256, false, 10, 10, 10, 10};
        QCOMPARE(m.pageSetup(), delivered);
        const DesignerModel::PageSetup landscapeA4{297, 210, 9, true, 5, 6, 7, 8};
        QVERIFY(m.setPageSetup(landscapeA4));
        QCOMPARE(m.pageSetup(), landscapeA4);  // kept as it prints, not swapped again
        const Page& p = m.tpl().pages[0];
        QVERIFY(p.landscape && p.paperWidth == 297 && p.paperHeight == 210);

        const QList<DesignerModel::PageSetup> bad{{0, 145, 256, false, 10, 10, 10, 10},
                                                  {210, 145, 256, false, -1, 10, 10, 10},
                                                  {210, 145, 256, false, 105, 105, 10, 10},
                                                  {210, 145, 256, false, 10, 10, 80, 70}};
        for (const auto& s : bad) QVERIFY(!m.setPageSetup(s));
        QCOMPARE(m.pageSetup(), landscapeA4);
        QVERIFY(!DesignerModel().setPageSetup(delivered));  // no page
    }

    void fontStylesKeepEachOther() {
        DesignerModel m = reference();
        QVERIFY(m.font("btmc").bold());
        QVERIFY(m.setItalic("btmc", true));
        QVERIFY(m.setUnderline("btmc", true));
        ResolvedFont f = m.font("btmc");
        QVERIFY(f.bold() && f.italic() && f.underline());
        QVERIFY(m.setItalic("btmc", false));
        f = m.font("btmc");
        QVERIFY(f.bold() && !f.italic() && f.underline());
        QVERIFY(!m.setDisplayFormat("gsbz", {"fkNumeric", "%2.2n", ""}));  // a picture has none
        QVERIFY(!m.setItalic("nothing", true));
    }

    // --- column-aligned resize -------------------------------------------------------------------------

    void widenedColumnStaysAlignedOnThePrintedPage_data() {
        QTest::addColumn<QString>("grabbed");
        QTest::addColumn<DesignerModel::Edge>("edge");
        QTest::newRow("data cell's right edge") << "dmc" << DesignerModel::Edge::Right;
        QTest::newRow("title's right edge") << "btmc" << DesignerModel::Edge::Right;
        QTest::newRow("empty cell's right edge") << "kmc" << DesignerModel::Edge::Right;
        QTest::newRow("neighbour's left edge") << "dggxh" << DesignerModel::Edge::Left;
    }
    void widenedColumnStaysAlignedOnThePrintedPage() {
        QFETCH(QString, grabbed);
        QFETCH(DesignerModel::Edge, edge);
        DesignerModel m = reference();
        const QRectF name0 = m.geometryMm("dmc"), spec0 = m.geometryMm("dggxh");
        const QRectF customer0 = m.geometryMm("shdz");
        const QStringList moved = m.resizeEdge(grabbed, edge, 10);
        QCOMPARE(moved.first(), grabbed);
        QCOMPARE(QSet<QString>(moved.begin(), moved.end()),
                 (QSet<QString>{"btmc", "dmc", "kmc", "btggxh", "dggxh", "kggxh"}));
        QCOMPARE(m.geometryMm("shdz"), customer0);  // the header's other texts stay

        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        QVERIFY(m.saveAs(path));
        const int lines = 3;
        const PreparedPage page = printed(path, lines);
        QCOMPARE(page.count("dmc"), lines);
        QCOMPARE(page.count("kmc"), 12 - lines);

        const auto checkColumn = [&](const Column& c, double left, double width) {
            const PreparedItem* title = page.object(c.title);
            QVERIFY(title);
            QVERIFY2(near(title->rect.left(), left, 1e-4), qPrintable(c.title));
            QVERIFY2(near(title->rect.width(), width, 1e-4), qPrintable(c.title));
            for (int i = 0; i < page.count(c.data); ++i) {
                const QRectF r = page.object(c.data, i)->rect;
                QVERIFY2(near(r.left(), left, 1e-4) && near(r.right(), title->rect.right(), 1e-4),
                         qPrintable(c.data));
            }
            for (int i = 0; i < page.count(c.empty); ++i) {
                const QRectF r = page.object(c.empty, i)->rect;
                QVERIFY2(near(r.left(), left, 1e-4) && near(r.right(), title->rect.right(), 1e-4),
                         qPrintable(c.empty));
            }
        };
        const double margin = 10;
        checkColumn(kNameColumn, margin + name0.left(), name0.width() + 10);
        checkColumn(kSpecColumn, margin + spec0.left() + 10, spec0.width() - 10);
        const QRectF unit0 = reference().geometryMm("ddw");
        checkColumn(kUnitColumn, margin + unit0.left(), unit0.width());
    }

    void altResizesOneObjectAlone() {
        DesignerModel m = reference();
        const DesignerModel before = m;
        QCOMPARE(m.resizeEdge("dmc", DesignerModel::Edge::Right, 10, true), QStringList{"dmc"});
        QVERIFY(near(m.geometryMm("dmc").width(), before.geometryMm("dmc").width() + 10));
        for (const char* n : {"btmc", "kmc", "dggxh", "btggxh", "kggxh"})
            QCOMPARE(m.geometryMm(n), before.geometryMm(n));
        QCOMPARE(m.resizeEdge("dmc", DesignerModel::Edge::Left, -2, true), QStringList{"dmc"});
        QVERIFY(near(m.geometryMm("dmc").left(), before.geometryMm("dmc").left() - 2));
        QCOMPARE(m.geometryMm("dxh"), before.geometryMm("dxh"));
    }

    void theLastColumnsBorderLeavesTheHeaderTextsAlone() {
        // The right end of the table is also the right end of the address, the date and the number.
        DesignerModel m = reference();
        const DesignerModel before = m;
        const QStringList moved = m.resizeEdge("dsssl", DesignerModel::Edge::Right, -5);
        QCOMPARE(QSet<QString>(moved.begin(), moved.end()), (QSet<QString>{"btsssl", "dsssl", "ksssl"}));
        for (const char* n : {"shdz", "shrq", "shdno", "dhcz", "hjje"})
            QCOMPARE(m.geometryMm(n), before.geometryMm(n));
        // an object outside the table moves alone
        QCOMPARE(m.resizeEdge("khmc", DesignerModel::Edge::Right, 3), QStringList{"khmc"});
        QCOMPARE(m.resizeEdge("hjje", DesignerModel::Edge::Left, -3), QStringList{"hjje"});
    }

    void aColumnNeverNarrowsBelowZero() {
        DesignerModel m = reference();
        const QRectF spec0 = m.geometryMm("dggxh"), name0 = m.geometryMm("dmc");
        m.resizeEdge("dmc", DesignerModel::Edge::Right, 100);  // the neighbour is 30 mm wide
        for (const char* n : {"btggxh", "dggxh", "kggxh"}) QVERIFY(near(m.geometryMm(n).width(), 0));
        for (const char* n : {"btmc", "dmc", "kmc"})
            QVERIFY(near(m.geometryMm(n).width(), name0.width() + spec0.width()));
        QCOMPARE(m.resizeEdge("dmc", DesignerModel::Edge::Bottom, -50), QStringList{"dmc"});
        QVERIFY(near(m.geometryMm("dmc").height(), 0));
        QVERIFY(near(m.geometryMm("kmc").height(), 5));  // top and bottom edges move alone
    }

    void verticalRulesOnTheBorderFollow() {
        DesignerModel m = reference();
        const double border = m.geometryMm("dmc").right();
        const QString rule = m.addObject(DesignerModel::NewObject::Line, "Child1", {border, 0});
        QVERIFY(m.setGeometryMm(rule, {border, 0, 0, 5}));
        const QString across = m.addObject(DesignerModel::NewObject::Line, "Child1", {0, 5});
        QVERIFY(m.setGeometryMm(across, {0, 5, 190, 0}));  // from the table's left to its right end
        const QStringList moved = m.resizeEdge("dmc", DesignerModel::Edge::Right, 10);
        QVERIFY(moved.contains(rule));
        QVERIFY(!moved.contains(across));  // neither end on that border
        const QRectF g = m.geometryMm(rule);
        QVERIFY(near(g.x(), border + 10) && near(g.width(), 0) && near(g.height(), 5));
        QVERIFY(m.resizeEdge("dsssl", DesignerModel::Edge::Right, -10).contains(across));
        QVERIFY(near(m.geometryMm(across).width(), 180));
    }

    // --- round trip ----------------------------------------------------------------------------------

    void addedObjectsAndSettingsSurviveSavingAndReloading() {
        QTemporaryDir dir;
        const QString path = dir.filePath("格式.fr3");
        DesignerModel m = reference();
        const QString memo =
            m.addObject(DesignerModel::NewObject::Field, "MasterData1", {180, 0}, "sdbst.类别");
        const QString shape = m.addObject(DesignerModel::NewObject::Rectangle, "PageFooter1", {150, 10});
        m.setDisplayFormat("dsl", {"fkNumeric", "%2.0n", ""});
        m.setBandToNRows("Child1", 8, "rmAddToCount");
        m.resizeEdge("dmc", DesignerModel::Edge::Right, 10);
        auto page = m.pageSetup();
        page.bottomMargin = 8;
        m.setPageSetup(page);
        TemplateSettings s;
        s.setAdjustment({"EPSON LQ-630K", 1.5, -0.5, 1.002});
        m.setSettings(s);
        QCOMPARE(m.settings(), s);
        QString error;
        QVERIFY2(m.saveAs(path, &error), qPrintable(error));

        DesignerModel again;
        QVERIFY2(again.load(path, &error), qPrintable(error));
        QCOMPARE(writeFr3(again.tpl()), writeFr3(m.tpl()));
        QCOMPARE(again.tpl(), m.tpl());
        QCOMPARE(again.settings(), s);
        QCOMPARE(again.bandOf(memo), QString("MasterData1"));
        QCOMPARE(again.object(memo)->text, QString("[sdbst.\"类别\"]"));
        QCOMPARE(again.object(shape)->elementName(), QString("TfrxShapeView"));
        QCOMPARE(again.band("Child1")->toNRows, 8);
        QCOMPARE(again.band("Child1")->toNRowsMode, QString("rmAddToCount"));
        QCOMPARE(again.object("dsl")->displayFormat.formatStr, QString("%2.0n"));
        QCOMPARE(again.pageSetup(), page);
        // the file still prints as a delivery note
        Report r;
        QVERIFY2(r.loadDeliveryNote(path, &error), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TstDesigner)
#include "tst_designer.moc"
