// The designer's property panel on the delivered template: each kind of field reaching the model as one
// undo step, the refusals to rename, inserting a field, several selected objects, bands and the page.
#include "NoteFixture.h"
#include "TypeText.h"
#include "printing/DesignerCanvas.h"
#include "printing/DesignerModel.h"
#include "printing/DesignerPanel.h"
#include "printing/DesignerWindow.h"
#include "printing/Report.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace printing;

namespace {

struct Designer {
    DesignerModel model;
    std::unique_ptr<DesignerPanel> panel;
    Designer() {
        QString error;
        if (!model.load(referenceTemplatePath(), &error)) qWarning() << error;
        panel = std::make_unique<DesignerPanel>(model);
        panel->resize(280, 1000);  // every field in sight: clicks land where the field is
        panel->show();
        panel->activateWindow();
        if (!QTest::qWaitForWindowActive(panel.get())) qWarning() << "panel not active";
    }
    template <class W>
    W* field(const QString& name) {
        W* w = panel->findChild<W*>(name);
        if (!w) qWarning() << "no field" << name;
        return w;
    }
    // "page", "band:Name" or object names separated by ","
    void show(const QString& target) {
        if (target == QLatin1String("page")) {
            panel->showPage();
        } else if (target.startsWith(QLatin1String("band:"))) {
            panel->showBand(target.mid(5));
        } else {
            model.select(target.split(QLatin1Char(',')));
            panel->showSelection();
        }
    }
};

QString mm(double v, int decimals = 2) {
    return QString::number(v, 'f', decimals);
}

// A property of the model as text, for the table's expected values.
QString modelValue(const DesignerModel& m, const QString& target, const QString& prop) {
    const QString name = target.section(QLatin1Char(','), 0, 0);
    if (prop == QLatin1String("selection")) return m.selection().join(QLatin1Char(','));
    if (target.startsWith(QLatin1String("band:"))) {
        const Band* b = m.band(target.mid(5));
        if (!b) return "no band";
        if (prop == QLatin1String("bandHeight")) return mm(unitsToMm(b->height));
        if (prop == QLatin1String("toNRows"))
            return QStringLiteral("%1 %2").arg(b->toNRows).arg(b->toNRowsMode);
    }
    if (target == QLatin1String("page")) {
        const DesignerModel::PageSetup s = m.pageSetup();
        if (prop == QLatin1String("paper"))
            return QStringLiteral("%1 %2×%3 %4")
                .arg(s.paperSize)
                .arg(mm(s.paperWidth, 1), mm(s.paperHeight, 1), s.landscape ? "横向" : "纵向");
        if (prop == QLatin1String("margins"))
            return QStringList{mm(s.leftMargin, 1), mm(s.rightMargin, 1), mm(s.topMargin, 1),
                               mm(s.bottomMargin, 1)}
                .join(' ');
    }
    const ReportObject* o = m.object(name);
    if (!o) return "no object";
    const QRectF g = m.geometryMm(name);
    const ResolvedFont f = m.font(name);
    if (prop == QLatin1String("left")) return mm(g.x());
    if (prop == QLatin1String("top")) return mm(g.y());
    if (prop == QLatin1String("width")) return mm(g.width());
    if (prop == QLatin1String("height")) return mm(g.height());
    if (prop == QLatin1String("fontSize")) return mm(f.pointSize, 1);
    if (prop == QLatin1String("fontName")) return f.name;
    if (prop == QLatin1String("bold")) return f.bold() ? "true" : "false";
    if (prop == QLatin1String("italic")) return f.italic() ? "true" : "false";
    if (prop == QLatin1String("underline")) return f.underline() ? "true" : "false";
    if (prop == QLatin1String("hAlign")) return QString::number(int(o->hAlign));
    if (prop == QLatin1String("vAlign")) return QString::number(int(o->vAlign));
    if (prop == QLatin1String("wordWrap")) return o->wordWrap ? "true" : "false";
    if (prop == QLatin1String("frameTyp")) return QString::number(o->frame.typ);
    if (prop == QLatin1String("frameWidth")) return mm(unitsToMm(o->frame.width));
    if (prop == QLatin1String("format")) return o->displayFormat.kind + '|' + o->displayFormat.formatStr;
    if (prop == QLatin1String("text")) return o->text;
    return "unknown property " + prop;
}

// Enters value into a field the way a user finishes it: typed and Enter, a click, a choice in a list.
void enter(QWidget* w, const QString& value) {
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));  // on the box
    } else if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) {
        s->setFocus();
        s->selectAll();
        typeText(s, value);
        QTest::keyClick(s, Qt::Key_Return);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (cb->isEditable()) {
            cb->lineEdit()->setFocus();
            cb->lineEdit()->selectAll();
            typeText(cb->lineEdit(), value);
            QTest::keyClick(cb->lineEdit(), Qt::Key_Return);
        } else {
            const int i = cb->findText(value);
            QVERIFY2(i >= 0, qPrintable(value));
            cb->setCurrentIndex(i);
            emit cb->activated(i);
        }
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setFocus();
        e->selectAll();
        typeText(e, value);
        QTest::keyClick(e, Qt::Key_Return);
    } else {
        QFAIL("no way to enter a value into this field");
    }
}

}  // namespace

class TstDesignerPanel : public QObject {
    Q_OBJECT
  private slots:
    void aFieldChangesTheModelAsOneUndoStep_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const char* target, const char* field, const char* value,
                            const char* prop, const char* expected) {
            QTest::newRow(tag) << QString::fromUtf8(target) << QString::fromUtf8(field)
                               << QString::fromUtf8(value) << QString::fromUtf8(prop)
                               << QString::fromUtf8(expected);
        };
        row("left", "btmc", "leftSpin", "12.3", "left", "12.30");
        row("top", "btmc", "topSpin", "30.5", "top", "30.50");
        row("width", "btmc", "widthSpin", "50", "width", "50.00");
        row("height", "btmc", "heightSpin", "6.5", "height", "6.50");
        row("font size", "btmc", "fontSizeSpin", "12", "fontSize", "12.0");
        row("font", "btmc", "fontCombo", "黑体", "fontName", "黑体");
        row("font not in the list", "btmc", "fontCombo", "方正姚体", "fontName", "方正姚体");
        row("bold off", "btmc", "boldCheck", "", "bold", "false");
        row("italic", "btmc", "italicCheck", "", "italic", "true");
        row("underline", "btmc", "underlineCheck", "", "underline", "true");
        row("block alignment", "btmc", "hAlignCombo", "两端", "hAlign", "3");
        row("bottom alignment", "btmc", "vAlignCombo", "下", "vAlign", "2");
        row("no word wrap", "btmc", "wordWrapCheck", "", "wordWrap", "false");
        row("left side off", "btmc", "frameLeftCheck", "", "frameTyp", "14");
        row("bottom side off", "btmc", "frameBottomCheck", "", "frameTyp", "7");
        row("bottom side on", "khmc", "frameBottomCheck", "", "frameTyp", "8");
        row("frame width", "btmc", "frameWidthSpin", "0.5", "frameWidth", "0.50");
        row("date format", "btmc", "formatKindCombo", "日期时间", "format", "fkDateTime|yyyy-mm-dd");
        row("numeric to none", "dje", "formatKindCombo", "无", "format", "|");
        row("format string", "dje", "formatEdit", "%2.0n", "format", "fkNumeric|%2.0n");
        row("rename", "lbkhmc", "nameEdit", "客户标签", "selection", "客户标签");
        row("band height", "band:MasterData1", "bandHeightSpin", "6", "bandHeight", "6.00");
        row("fill rows", "band:Child1", "toNRowsSpin", "10", "toNRows", "10 rmCount");
        row("fill mode", "band:Child1", "toNRowsModeCombo", "填满页面", "toNRows", "12 rmTillPageEnds");
        row("paper", "page", "paperCombo", "A4 210×297", "paper", "9 210.0×297.0 纵向");
        row("landscape", "page", "orientationCombo", "横向", "paper", "256 145.0×210.0 横向");
        row("left margin", "page", "marginLeftSpin", "15", "margins", "15.0 10.0 10.0 10.0");
        row("bottom margin", "page", "marginBottomSpin", "4.5", "margins", "10.0 10.0 10.0 4.5");
    }
    void aFieldChangesTheModelAsOneUndoStep() {
        QFETCH(QString, target);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, prop);
        QFETCH(QString, expected);
        Designer d;
        d.show(target);
        const QString before = modelValue(d.model, target, prop);
        QVERIFY(before != expected);
        QWidget* w = d.field<QWidget>(field);
        QVERIFY(w);
        QVERIFY2(w->isVisible() && w->isEnabled(), qPrintable(field));
        QSignalSpy changed(d.panel.get(), &DesignerPanel::changed);

        enter(w, value);
        QCOMPARE(modelValue(d.model, target, prop), expected);
        QCOMPARE(changed.count(), 1);
        QVERIFY(d.model.isModified());

        QVERIFY(d.model.undo());
        QCOMPARE(modelValue(d.model, target, prop), before);
        QVERIFY(!d.model.canUndo());
    }

    void positionKeepsTheExactValuesThatWereNotTyped() {
        Designer d;
        d.show("khmc");
        const QRectF before = d.model.geometryMm("khmc");
        enter(d.field<QWidget>("widthSpin"), "100");
        const QRectF after = d.model.geometryMm("khmc");
        QCOMPARE(after.x(), before.x());
        QCOMPARE(after.y(), before.y());
        QCOMPARE(after.height(), before.height());
        QCOMPARE(after.width(), 100.0);
        QCOMPARE(d.field<QDoubleSpinBox>("widthSpin")->value(), 100.0);
    }

    void textIsAppliedOnCtrlEnterAndOnLeavingIt() {
        Designer d;
        d.show("lbkhmc");
        auto* text = d.field<QPlainTextEdit>("textEdit");
        QCOMPARE(text->toPlainText(), QString("客户名称："));
        QSignalSpy changed(d.panel.get(), &DesignerPanel::changed);
        text->setFocus();
        text->moveCursor(QTextCursor::End);
        QTest::keyClick(text, Qt::Key_Return);  // a line break, not the end of the edit
        typeText(text, "第二行");
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称："));
        QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称：\r\n第二行"));
        QCOMPARE(changed.count(), 1);

        typeText(text, "!");
        d.field<QLineEdit>("nameEdit")->setFocus();
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称：\r\n第二行!"));
        QCOMPARE(changed.count(), 2);
        QVERIFY(d.model.undo());
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称：\r\n第二行"));

        // Leaving the text without typing changes nothing.
        text->setFocus();
        d.field<QLineEdit>("nameEdit")->setFocus();
        QCOMPARE(changed.count(), 2);
    }

    void renameRefusalsAreShownAndTheOldNameComesBack_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("required object") << "gsmc"
                                         << "公司名"
                                         << "必需";
        QTest::newRow("required object, upper case") << "SHDNO"
                                                     << "no"
                                                     << "必需";
        QTest::newRow("name of a required object") << "lbkhmc"
                                                   << "dxje"
                                                   << "已被使用";
        QTest::newRow("name in use") << "lbkhmc"
                                     << "khmc"
                                     << "已被使用";
        QTest::newRow("name of a band") << "lbkhmc"
                                        << "Child1"
                                        << "已被使用";
        QTest::newRow("blank") << "lbkhmc"
                               << "  "
                               << "不能为空";
    }
    void renameRefusalsAreShownAndTheOldNameComesBack() {
        QFETCH(QString, object);
        QFETCH(QString, newName);
        QFETCH(QString, reason);
        ui::ScriptedDialogs dialogs;
        Designer d;
        d.show(object);
        const QString exact = d.model.object(object)->name;
        auto* name = d.field<QLineEdit>("nameEdit");
        QCOMPARE(name->text(), exact);
        QSignalSpy changed(d.panel.get(), &DesignerPanel::changed);
        enter(name, newName);
        name->clearFocus();  // a second editingFinished must not ask again
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.lastMessage().contains(reason), qPrintable(dialogs.lastMessage()));
        QCOMPARE(name->text(), exact);
        QVERIFY(d.model.object(exact));
        QCOMPARE(changed.count(), 0);
        QVERIFY(!d.model.canUndo());
        QVERIFY(!d.model.isModified());
    }

    void insertsAFieldAtTheCursor() {
        ui::ScriptedDialogs dialogs;
        Designer d;
        d.show("lbkhmc");
        auto* text = d.field<QPlainTextEdit>("textEdit");
        text->setFocus();
        text->moveCursor(QTextCursor::End);
        QSignalSpy changed(d.panel.get(), &DesignerPanel::changed);
        dialogs.answerPopup(R"([xhbdbst."送货车牌"])");
        QTest::mouseClick(d.field<QPushButton>("fieldButton"), Qt::LeftButton);
        QCOMPARE(d.model.object("lbkhmc")->text, QString(R"(客户名称：[xhbdbst."送货车牌"])"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(d.model.undo());
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称："));

        // The menu lists every field of both datasets and the seven objects the program fills.
        QCOMPARE(dialogs.asked.size(), size_t(1));
        const QStringList items = dialogs.asked.front().caption.split('|');
        QVERIFY(items.contains(R"([sdbst."金额"])"));
        QVERIFY(items.contains("[Line#]"));
        for (const QString& n : deliveryNoteObjects())
            QVERIFY2(items.contains(n + "（由程序填写）"), qPrintable(n));

        // Those are shown for information only: choosing one inserts nothing.
        dialogs.answerPopup("gsmc（由程序填写）");
        QTest::mouseClick(d.field<QPushButton>("fieldButton"), Qt::LeftButton);
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称："));
        dialogs.answerPopup("");  // the menu closed without a choice
        QTest::mouseClick(d.field<QPushButton>("fieldButton"), Qt::LeftButton);
        QCOMPARE(d.model.object("lbkhmc")->text, QString("客户名称："));
        QCOMPARE(changed.count(), 1);
    }

    void severalObjectsTakeAFontTogether() {
        Designer d;
        d.show("khmc,lxdh,ywy");
        QVERIFY(!d.field<QLineEdit>("nameEdit")->isEnabled());
        QVERIFY(!d.field<QPlainTextEdit>("textEdit")->isEnabled());
        QVERIFY(!d.field<QPushButton>("fieldButton")->isEnabled());
        QCOMPARE(d.field<QDoubleSpinBox>("leftSpin")->value(),
                 std::round(d.model.geometryMm("khmc").x() * 10) / 10);  // the first one's

        enter(d.field<QWidget>("fontCombo"), "黑体");
        enter(d.field<QWidget>("fontSizeSpin"), "11");
        for (const char* n : {"khmc", "lxdh", "ywy"}) {
            QCOMPARE(d.model.font(n).name, QString("黑体"));
            QCOMPARE(d.model.font(n).pointSize, 11.0);
        }
        QVERIFY(d.model.undo());  // the size, for all three
        QVERIFY(d.model.undo());  // the font, for all three
        QVERIFY(!d.model.canUndo());
        for (const char* n : {"khmc", "lxdh", "ywy"}) QCOMPARE(d.model.font(n).name, QString("宋体"));

        // A width typed in is every selected object's; each keeps its own position.
        const double lxdhLeft = d.model.geometryMm("lxdh").x();
        enter(d.field<QWidget>("widthSpin"), "30");
        for (const char* n : {"khmc", "lxdh", "ywy"}) QCOMPARE(d.model.geometryMm(n).width(), 30.0);
        QCOMPARE(d.model.geometryMm("lxdh").x(), lxdhLeft);
    }

    void fieldsAnObjectKindHasNoUseForAreDisabled() {
        Designer d;
        d.show("gsbz");  // the logo picture
        QVERIFY(d.field<QWidget>("leftSpin")->isEnabled());
        QVERIFY(d.field<QWidget>("frameLeftCheck")->isEnabled());
        for (const char* f :
             {"textEdit", "fieldButton", "fontCombo", "boldCheck", "hAlignCombo", "formatKindCombo"})
            QVERIFY2(!d.field<QWidget>(f)->isEnabled(), f);

        const QString line = d.model.addObject(DesignerModel::NewObject::Line, "PageFooter1", QPointF(0, 1));
        QVERIFY(!line.isEmpty());
        d.panel->showSelection();
        QCOMPARE(d.panel->shownObjects(), QStringList{line});
        QVERIFY(!d.field<QWidget>("frameTopCheck")->isEnabled());
        QVERIFY(d.field<QWidget>("frameWidthSpin")->isEnabled());
        QVERIFY(!d.field<QWidget>("textEdit")->isEnabled());

        d.show("khmc");
        QVERIFY(!d.field<QWidget>("formatEdit")->isEnabled());  // no display format chosen
        d.show("dje");
        QVERIFY(d.field<QWidget>("formatEdit")->isEnabled());
        QCOMPARE(d.field<QLineEdit>("formatEdit")->text(), QString("%2.2n"));
    }

    void showsTheBandItWasShownUntilObjectsAreSelected() {
        Designer d;
        d.panel->showBand("Child1");
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Band);
        QVERIFY(d.field<QWidget>("toNRowsSpin")->isVisible());
        QCOMPARE(d.field<QSpinBox>("toNRowsSpin")->value(), 12);
        enter(d.field<QWidget>("bandHeightSpin"), "5.5");
        d.panel->showSelection();  // what the window does after a change
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Band);
        QCOMPARE(d.panel->shownBand(), QString("Child1"));

        d.panel->showBand("MasterData1");
        QVERIFY(!d.field<QWidget>("toNRowsSpin")->isVisible());  // only a child band fills rows
        QVERIFY(d.field<QLineEdit>("bandNameEdit")->isReadOnly());

        d.show("khmc");
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Objects);
        d.model.clearSelection();
        d.panel->showSelection();
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Page);
        d.panel->showBand("nothing");
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Page);

        // A deleted object leaves the panel.
        d.show("lbkhmc");
        QCOMPARE(d.model.removeSelected(), QString());
        d.panel->showSelection();
        QCOMPARE(d.panel->showing(), DesignerPanel::Showing::Page);
    }

    void marginsWiderThanThePaperAreRefused() {
        ui::ScriptedDialogs dialogs;
        Designer d;
        d.panel->showPage();
        enter(d.field<QWidget>("marginLeftSpin"), "200");
        QVERIFY2(dialogs.lastMessage().contains("页边距"), qPrintable(dialogs.lastMessage()));
        QCOMPARE(d.field<QDoubleSpinBox>("marginLeftSpin")->value(), 10.0);
        QCOMPARE(modelValue(d.model, "page", "margins"), QString("10.0 10.0 10.0 10.0"));
        QVERIFY(!d.model.canUndo());
    }

    // What the window does before it saves, previews or closes: an unfinished field is applied.
    void unfinishedFieldsAreCommitted() {
        Designer d;
        d.show("khmc");
        auto* width = d.field<QDoubleSpinBox>("widthSpin");
        width->setFocus();
        width->selectAll();
        typeText(width, "77");
        QVERIFY(qAbs(d.model.geometryMm("khmc").width() - 77) > 1);
        d.panel->commitEdits();
        QCOMPARE(d.model.geometryMm("khmc").width(), 77.0);

        auto* text = d.field<QPlainTextEdit>("textEdit");
        text->setFocus();
        text->selectAll();
        typeText(text, "[xhbdbst.\"备注\"]");
        d.panel->commitEdits();
        QCOMPARE(d.model.object("khmc")->text, QString("[xhbdbst.\"备注\"]"));
        QCOMPARE(d.model.geometryMm("khmc").width(), 77.0);
        d.panel->commitEdits();  // nothing more to apply
        QVERIFY(d.model.undo());
        QVERIFY(d.model.undo());
        QVERIFY(!d.model.canUndo());
    }

    void customPaperTakesTypedSizes() {
        Designer d;
        d.panel->showPage();
        auto* paper = d.field<QComboBox>("paperCombo");
        QCOMPARE(paper->currentText(), QString("送货单 210×145"));
        QVERIFY(!d.field<QWidget>("paperWidthSpin")->isEnabled());

        enter(paper, "自定义");
        QVERIFY(d.field<QWidget>("paperWidthSpin")->isEnabled());
        enter(d.field<QWidget>("paperWidthSpin"), "241");
        enter(d.field<QWidget>("paperHeightSpin"), "93");
        QCOMPARE(modelValue(d.model, "page", "paper"), QString("256 241.0×93.0 纵向"));
        QCOMPARE(paper->currentText(), QString("自定义"));
        enter(d.field<QWidget>("orientationCombo"), "横向");
        QCOMPARE(modelValue(d.model, "page", "paper"), QString("256 93.0×241.0 横向"));
        QCOMPARE(d.field<QDoubleSpinBox>("paperWidthSpin")->value(), 93.0);

        // A known paper in landscape is stored turned.
        enter(paper, "A5 148×210");
        QCOMPARE(modelValue(d.model, "page", "paper"), QString("11 210.0×148.0 横向"));
        QCOMPARE(paper->currentText(), QString("A5 148×210"));
    }

    // --- in the designer window ---------------------------------------------------------------------

    void inTheWindowTheCanvasSelectsAndRedraws() {
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        QVERIFY(QFile::copy(referenceTemplatePath(), path));
        ui::ScriptedDialogs dialogs;
        DesignerWindow w(path);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* canvas = w.findChild<DesignerCanvas*>("designView");
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {},
                          canvas->mapFromScene(canvas->objectRect("lbkhmc").center()));
        QCOMPARE(w.panel()->shownObjects(), QStringList{"lbkhmc"});
        QCOMPARE(w.findChild<QLineEdit*>("nameEdit")->text(), QString("lbkhmc"));

        const double before = canvas->objectRect("lbkhmc").width();
        enter(w.findChild<QWidget*>("widthSpin"), "30");
        QCOMPARE(canvas->objectRect("lbkhmc").width(), 30.0);  // redrawn
        QVERIFY(before != 30.0);
        QVERIFY(w.windowTitle().endsWith('*'));
        QVERIFY(w.findChild<QAction*>("actUndo")->isEnabled());

        // Text being typed goes to the object it was typed for when another one is clicked.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* text = w.findChild<QPlainTextEdit*>("textEdit");
        text->setFocus();
        text->selectAll();
        typeText(text, "客户");
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {},
                          canvas->mapFromScene(canvas->objectRect("lxdh").center()));
        QCOMPARE(w.panel()->shownObjects(), QStringList{"lxdh"});
        QCOMPARE(w.model().object("lbkhmc")->text, QString("客户"));
        QCOMPARE(w.model().object("lxdh")->text, QString(R"([xhbdbst."联系电话"])"));
        QCOMPARE(text->toPlainText(), QString(R"([xhbdbst."联系电话"])"));

        emit canvas->bandClicked("Child1");
        QCOMPARE(w.panel()->showing(), DesignerPanel::Showing::Band);
        emit canvas->paperClicked();
        QCOMPARE(w.panel()->showing(), DesignerPanel::Showing::Page);
        QVERIFY(dialogs.asked.empty());
    }

    void inTheWindowTextBeingTypedIsSavedAndAskedAbout() {
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        QVERIFY(QFile::copy(referenceTemplatePath(), path));
        ui::ScriptedDialogs dialogs;
        DesignerWindow w(path);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.model().select({"lbkhmc"});
        w.refresh();
        auto* text = w.findChild<QPlainTextEdit*>("textEdit");
        text->setFocus();
        text->selectAll();
        typeText(text, "客户：");
        w.findChild<QAction*>("actSave")->trigger();  // the tool button takes no focus
        DesignerModel saved;
        QVERIFY(saved.load(path));
        QCOMPARE(saved.object("lbkhmc")->text, QString("客户："));
        QVERIFY(!w.windowTitle().endsWith('*'));

        // Esc while typing: the text counts as a change, and closing asks to save it.
        typeText(text, "!");
        dialogs.answer(ui::Dialogs::Button::No);
        QTest::keyClick(text, Qt::Key_Escape);
        QCOMPARE(dialogs.messages(), QStringList{"报表格式已修改，是否保存？"});
        QVERIFY(!w.isVisible());
    }

    void aShownWindowGoesAwayWithAFieldBeingTypedInto() {
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        QVERIFY(QFile::copy(referenceTemplatePath(), path));
        ui::ScriptedDialogs dialogs;
        auto w = std::make_unique<DesignerWindow>(path);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->model().select({"khmc"});
        w->refresh();
        auto* text = w->findChild<QPlainTextEdit*>("textEdit");
        text->setFocus();
        typeText(text, "x");
        w.reset();  // the text edit loses the focus while the model is already gone
        QVERIFY(dialogs.asked.empty());
    }
};

QTEST_MAIN(TstDesignerPanel)
#include "tst_designer_panel.moc"
