// Our settings kept with a template: per-printer offsets and the background picture of the blank form,
// their round trip through the .fr3 file, and where they take effect.
#include "NoteFixture.h"
#include "printing/Calibration.h"
#include "printing/Fr3.h"
#include "printing/PreviewWindow.h"
#include "printing/PrinterAdjustmentsDialog.h"
#include "printing/Render.h"
#include "printing/TemplateSettings.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace printing;

Q_DECLARE_METATYPE(printing::BackgroundPicture)

namespace {

QByteArray pngBytes(int w, int h, QColor c = Qt::red) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

Template referenceTemplate() {
    QString error;
    auto tpl = loadFr3(referenceTemplatePath(), &error);
    if (!tpl) qFatal("%s", qPrintable(error));
    return *tpl;
}

TemplateSettings sampleSettings() {
    TemplateSettings s;
    s.setAdjustment({"Printer A", 3, -2, 1.01});
    s.setAdjustment({"EPSON LQ-730K", 0.25, 1.5, 0.9975});
    BackgroundPicture b;
    b.image = pngBytes(40, 30);
    b.hasReferencePoints = true;
    b.imagePoint1 = {10.5, 20};
    b.imagePoint2 = {300, 220.25};
    b.paperPoint1 = {12, 15.5};
    b.paperPoint2 = {190.125, 130};
    b.showInPreview = true;
    s.background = b;
    return s;
}

bool near(QPointF a, QPointF b, double eps = 1e-6) {
    return qAbs(a.x() - b.x()) < eps && qAbs(a.y() - b.y()) < eps;
}

// A word of a PDF page as poppler reads it back: its text and its box in mm from the paper's corner.
struct PdfWord {
    QString text;
    QRectF box;
};

// The words of a PDF file's first page (pdftotext -bbox of poppler-utils, see scripts/install-deps.sh).
QList<PdfWord> pdfWords(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) qFatal("pdftotext (poppler-utils) is needed to read PDF files back");
    QProcess p;
    p.start(tool, {"-bbox", "-f", "1", "-l", "1", path, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        R"re(<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>)re");
    QList<PdfWord> words;
    const double k = 25.4 / 72;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        words.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble() * k, m.captured(2).toDouble() * k),
                                   QPointF(m.captured(3).toDouble() * k, m.captured(4).toDouble() * k))});
    }
    return words;
}

// Whether every word of `plain` appears in `moved` with its box where the adjustment puts it: the top
// left corner at (x + dx, y * scale + dy), the glyphs as high as before. Tolerances in mm.
QString compareWords(const QList<PdfWord>& plain, const QList<PdfWord>& moved, const PrinterAdjustment& a) {
    if (plain.isEmpty() || plain.size() != moved.size())
        return QString("%1 words against %2").arg(plain.size()).arg(moved.size());
    for (const PdfWord& w : plain) {
        const QPointF expected(w.box.left() + a.dxMm, w.box.top() * a.yScale + a.dyMm);
        bool found = false;
        for (const PdfWord& m : moved)
            if (m.text == w.text && qAbs(m.box.left() - expected.x()) < 0.05 &&
                qAbs(m.box.top() - expected.y()) < 0.1 && qAbs(m.box.height() - w.box.height()) < 0.05 &&
                qAbs(m.box.width() - w.box.width()) < 0.05)
                found = true;
        if (!found)
            return QString("%1 at %2, %3 mm: expected at %4, %5 mm")
                .arg(w.text)
                .arg(w.box.left())
                .arg(w.box.top())
                .arg(expected.x())
                .arg(expected.y());
    }
    return {};
}

bool pdfHasImage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("no PDF %s", qPrintable(path));
    static const QRegularExpression image(R"(/Subtype\s*/Image)");
    return image.match(QString::fromLatin1(f.readAll())).hasMatch();
}

// A page with a few words and no picture, and a large red background picture in its settings.
PreparedReport pageWithBackground() {
    PreparedReport r;
    PreparedPage page;
    page.paperSize = QSizeF(210, 145);
    page.margins = QMarginsF(10, 10, 10, 10);
    PreparedItem t;
    t.kind = PreparedItem::Kind::Text;
    t.rect = QRectF(30, 40, 60, 8);
    t.text = "东方五金商行";
    page.items.append(t);
    r.pages.append(page);
    BackgroundPicture b;
    b.image = pngBytes(420, 290);
    b.showInPreview = true;
    r.settings.background = b;
    return r;
}

}  // namespace

class TstPrinterSettings : public QObject {
    Q_OBJECT
  private slots:
    void settingsRoundTripThroughTheFile() {
        Template tpl = referenceTemplate();
        const Template plain = tpl;
        QCOMPARE(readSettings(tpl), TemplateSettings());

        const TemplateSettings s = sampleSettings();
        writeSettings(tpl, s);
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.fr3");
        QString error;
        QVERIFY2(saveFr3(tpl, path, &error), qPrintable(error));
        auto back = loadFr3(path, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(readSettings(*back), s);

        // Apart from our one element after the pages, the file is the plain template.
        Template withoutOurs = *back;
        QCOMPARE(withoutOurs.afterPages.size(), plain.afterPages.size() + 1);
        QCOMPARE(withoutOurs.afterPages.last().name, QString("DeliveryNoteSettings"));
        withoutOurs.afterPages.removeLast();
        QCOMPARE(withoutOurs, plain);

        // Writing again replaces the element; the defaults remove it.
        TemplateSettings one;
        one.setAdjustment({"Printer B", 1, 0, 1});
        writeSettings(*back, one);
        QCOMPARE(readSettings(*back), one);
        QCOMPARE(back->afterPages.size(), plain.afterPages.size() + 1);
        writeSettings(*back, TemplateSettings());
        QCOMPARE(*back, plain);
    }

    void elementAsWritten() {
        Template tpl = referenceTemplate();
        TemplateSettings s;
        s.setAdjustment({"Printer A", 1.5, -0.5, 1.002});
        writeSettings(tpl, s);
        const QString xml = QString::fromUtf8(writeFr3(tpl));
        QVERIFY2(xml.contains(R"(<Printer Name="Printer A" OffsetX="1.5" OffsetY="-0.5" ScaleY="1.002"/>)"),
                 qPrintable(xml.right(400)));
        // Our element comes after the last page, the file still ends with the root.
        QVERIFY(xml.indexOf("<DeliveryNoteSettings") > xml.lastIndexOf("</TfrxReportPage>"));
        QVERIFY(xml.trimmed().endsWith("</TfrxReport>"));
    }

    void unreadableValuesFallBackToDefaults() {
        const QByteArray png = pngBytes(8, 6);
        const QByteArray file =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<TfrxReport Version=\"5\"><TfrxReportPage Name=\"Page1\"/>\n"
            "<DeliveryNoteSettings Version=\"1\">\n"
            "  <Printer Name=\"P1\" OffsetX=\"1,5\" OffsetY=\"abc\" ScaleY=\"-2\"/>\n"
            "  <Printer Name=\"P2\" OffsetX=\"\" OffsetY=\"2.5E-1\" ScaleY=\"x\"/>\n"
            "  <Printer OffsetX=\"4\"/>\n"
            "  <Printer Name=\"p1\" OffsetX=\"2\"/>\n"
            "  <Future Kind=\"unknown\"/>\n"
            "  <Background ShowInPreview=\"maybe\" ImageX1=\"1\" ImageY1=\"2\" ImageX2=\"q\" "
            "Encoding=\"hex\">" +
            png.toHex() +
            "</Background>\n"
            "</DeliveryNoteSettings></TfrxReport>\n";
        QString error;
        auto tpl = readFr3(file, &error);
        QVERIFY2(tpl, qPrintable(error));
        const TemplateSettings s = readSettings(*tpl);
        // P1 given twice (names are not case-sensitive): the later one counts; a printer without a name
        // is dropped; unreadable numbers are 0, an unreadable or non-positive scale is 1.
        QCOMPARE(s.printers.size(), 2);
        QCOMPARE(s.adjustmentFor("P1"), (PrinterAdjustment{"p1", 2, 0, 1}));
        QCOMPARE(s.adjustmentFor("p2"), (PrinterAdjustment{"P2", 0, 0.25, 1}));
        QVERIFY(s.adjustmentFor("Other").isIdentity());
        QVERIFY(s.background);
        QCOMPARE(s.background->image, png);
        QVERIFY(!s.background->showInPreview);
        QVERIFY(!s.background->hasReferencePoints);

        // Picture data that is no base64 gives no background at all.
        QByteArray broken = file;
        broken.replace("Encoding=\"hex\">", "Encoding=\"base64\">!!");
        QVERIFY(!readSettings(*readFr3(broken)).background);
    }

    void setAdjustmentReplacesAndRemoves() {
        TemplateSettings s;
        s.setAdjustment({"Printer A", 1, 2, 1});
        s.setAdjustment({"printer a", 3, 2, 1});
        QCOMPARE(s.printers.size(), 1);
        QCOMPARE(s.adjustmentFor("PRINTER A").dxMm, 3.0);
        s.setAdjustment({"", 5, 5, 1});
        QCOMPARE(s.printers.size(), 1);
        s.setAdjustment({"Printer A", 0, 0, 1});
        QVERIFY(s.printers.isEmpty());
    }

    void imageToPaper_data() {
        QTest::addColumn<BackgroundPicture>("picture");
        QTest::addColumn<QSizeF>("imageSize");
        QTest::addColumn<QPointF>("imagePoint");
        QTest::addColumn<QPointF>("paperPoint");

        BackgroundPicture none;
        // 2100 px wide on 210 mm paper: 10 px per mm, from the top-left corner.
        QTest::newRow("no points, origin") << none << QSizeF(2100, 1450) << QPointF(0, 0) << QPointF(0, 0);
        QTest::newRow("no points, far corner")
            << none << QSizeF(2100, 1450) << QPointF(2100, 1450) << QPointF(210, 145);
        QTest::newRow("no points, narrow picture")
            << none << QSizeF(420, 100) << QPointF(42, 10) << QPointF(21, 5);

        BackgroundPicture ref;
        ref.hasReferencePoints = true;
        ref.imagePoint1 = {100, 100};
        ref.imagePoint2 = {500, 400};  // 500 px apart
        ref.paperPoint1 = {20, 30};
        ref.paperPoint2 = {60, 60};  // 50 mm apart: 0.1 mm per px
        QTest::newRow("points, first lands")
            << ref << QSizeF(800, 600) << QPointF(100, 100) << QPointF(20, 30);
        QTest::newRow("points, second lands")
            << ref << QSizeF(800, 600) << QPointF(500, 400) << QPointF(60, 60);
        QTest::newRow("points, image origin") << ref << QSizeF(800, 600) << QPointF(0, 0) << QPointF(10, 20);

        // Two image points that lie off the paper's proportion: uniform scale from the distances, the
        // first point exact.
        BackgroundPicture skew = ref;
        skew.paperPoint2 = {20, 80};  // still 50 mm from the first
        QTest::newRow("points, uniform scale")
            << skew << QSizeF(800, 600) << QPointF(200, 100) << QPointF(30, 30);

        BackgroundPicture same = ref;
        same.imagePoint2 = same.imagePoint1;
        QTest::newRow("coinciding image points")
            << same << QSizeF(2100, 1450) << QPointF(1000, 500) << QPointF(100, 50);
    }
    void imageToPaper() {
        QFETCH(BackgroundPicture, picture);
        QFETCH(QSizeF, imageSize);
        QFETCH(QPointF, imagePoint);
        QFETCH(QPointF, paperPoint);
        const QTransform t = picture.imageToPaper(imageSize, 210);
        QVERIFY2(near(t.map(imagePoint), paperPoint),
                 qPrintable(QString("%1, %2").arg(t.map(imagePoint).x()).arg(t.map(imagePoint).y())));
        QVERIFY(!t.isRotating());
        QCOMPARE(t.m11(), t.m22());
    }

    void preparedReportCarriesTheSettings() {
        Report r;
        QVERIFY(r.load(referenceTemplatePath()));
        QCOMPARE(r.prepare().settings, TemplateSettings());
        writeSettings(r.tpl(), sampleSettings());
        QCOMPARE(r.prepare().settings, sampleSettings());
    }

    void printerAdjustmentInThePdfForThatPrinter() {
        Report r;
        QVERIFY(r.load(referenceTemplatePath()));
        fillNoteObjects(r);
        r.setDataset(customerDataset());
        r.setDataset(linesDataset(12));
        TemplateSettings s;
        const PrinterAdjustment a{"Printer A", 3, -2, 1.01};
        s.setAdjustment(a);
        s.setAdjustment({"Printer C", -1, 4, 1});
        writeSettings(r.tpl(), s);
        const PreparedReport note = r.prepare();

        QTemporaryDir dir;
        QString error;
        QVERIFY2(renderPdf(note, dir.filePath("plain.pdf"), &error), qPrintable(error));
        QVERIFY2(renderPdf(note, dir.filePath("a.pdf"), &error, "printer a"), qPrintable(error));
        QVERIFY2(renderPdf(note, dir.filePath("b.pdf"), &error, "Printer B"), qPrintable(error));
        const QList<PdfWord> plain = pdfWords(dir.filePath("plain.pdf"));
        QVERIFY(plain.size() > 50);
        // The note's number and the customer's phone at the top, the last line's amount and words of the
        // footer further down all move as the printer needs (CJK texts read back as other code points,
        // which is no matter: each word is compared with itself).
        auto has = [&](const QString& w) {
            return std::any_of(plain.begin(), plain.end(), [&](const PdfWord& p) { return p.text == w; });
        };
        QVERIFY(has("2009110001") && has("020-87654321") && has("126.00"));
        QVERIFY(std::any_of(plain.begin(), plain.end(), [](const PdfWord& p) { return p.box.top() > 115; }));
        const QString moved = compareWords(plain, pdfWords(dir.filePath("a.pdf")), a);
        QVERIFY2(moved.isEmpty(), qPrintable(moved));
        // Another printer's name: as the template lays it out.
        const QString unmoved = compareWords(plain, pdfWords(dir.filePath("b.pdf")), PrinterAdjustment());
        QVERIFY2(unmoved.isEmpty(), qPrintable(unmoved));
    }

    void adjustedPageMovesPositionsNotSizes() {
        PreparedPage page;
        page.paperSize = QSizeF(210, 145);
        PreparedItem t;
        t.kind = PreparedItem::Kind::Text;
        t.rect = QRectF(20, 100, 30, 5);
        t.font.pointSize = 12;
        t.gapY = 0.3;
        PreparedItem l;
        l.kind = PreparedItem::Kind::Line;
        l.p1 = {10, 50};
        l.p2 = {200, 60};
        page.items << t << l;
        const PreparedPage out = adjustedPage(page, {"P", 3, -2, 1.01});
        QCOMPARE(out.items[0].rect.topLeft(), QPointF(23, 99));
        QCOMPARE(out.items[0].rect.width(), 30.0);
        QVERIFY(qAbs(out.items[0].rect.height() - 5.05) < 1e-9);
        QCOMPARE(out.items[0].font.pointSize, 12.0);
        QCOMPARE(out.items[0].gapY, 0.3);
        QVERIFY(near(out.items[1].p1, {13, 48.5}));
        QVERIFY(near(out.items[1].p2, {203, 58.6}));
        QCOMPARE(out.items[1].frameWidth, l.frameWidth);
    }

    void backgroundDrawnWhereItsPointsSay() {
        // Left half red, right half blue; its top corners at 50 and 100 mm: 0.5 mm a pixel.
        QImage form(100, 100, QImage::Format_RGB32);
        form.fill(Qt::blue);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 50; ++x) form.setPixelColor(x, y, Qt::red);
        BackgroundPicture b;
        b.hasReferencePoints = true;
        b.imagePoint1 = {0, 0};
        b.imagePoint2 = {100, 0};
        b.paperPoint1 = {50, 30};
        b.paperPoint2 = {100, 30};
        const double k = 4;  // px per mm
        QImage paper(QSize(210 * k, 145 * k), QImage::Format_RGB32);
        paper.fill(Qt::white);
        {
            QPainter p(&paper);
            paintBackground(p, form, b.imageToPaper(form.size(), 210), QSizeF(210, 145), k);
        }
        auto at = [&](double x, double y) { return paper.pixelColor(QPointF(x * k, y * k).toPoint()); };
        QCOMPARE(at(60, 40), QColor(Qt::red));
        QCOMPARE(at(90, 75), QColor(Qt::blue));
        QCOMPARE(at(45, 40), QColor(Qt::white));
        QCOMPARE(at(60, 85), QColor(Qt::white));
    }

    void backgroundOnlyInThePreview() {
        ui::ScriptedDialogs dialogs;
        const PreparedReport r = pageWithBackground();
        QTemporaryDir dir;
        QVERIFY(renderPdf(r, dir.filePath("pdf.pdf")));
        QVERIFY(!pdfHasImage(dir.filePath("pdf.pdf")));
        QVERIFY(renderPdf(r, dir.filePath("printer.pdf"), nullptr, "Printer A"));
        QVERIFY(!pdfHasImage(dir.filePath("printer.pdf")));

        PreviewWindow w(r);
        auto* act = w.findChild<QAction*>("actBackground");
        QVERIFY(act);
        QCOMPARE(act->text(), QString("显示底图"));
        QVERIFY(act->isCheckable() && act->isVisible() && act->isChecked());  // showInPreview
        QVERIFY(w.backgroundShown());
        // What the preview draws: the picture under the page while the action is on.
        auto previewDraws = [&](const QString& file) {
            QPrinter pdf(QPrinter::HighResolution);
            pdf.setOutputFormat(QPrinter::PdfFormat);
            pdf.setOutputFileName(dir.filePath(file));
            emit w.findChild<QPrintPreviewWidget*>("preview")->paintRequested(&pdf);
            return pdfHasImage(dir.filePath(file));
        };
        QVERIFY(previewDraws("shown.pdf"));
        act->trigger();
        QVERIFY(!w.backgroundShown());
        QVERIFY(!previewDraws("hidden.pdf"));
        act->trigger();

        // Exporting and printing from the preview, with the picture shown: never in the output.
        dialogs.answerFile(dir.filePath("export.pdf"));
        QVERIFY(w.exportPdf());
        QVERIFY(!pdfHasImage(dir.filePath("export.pdf")));
        w.printer().setOutputFormat(QPrinter::PdfFormat);
        w.printer().setOutputFileName(dir.filePath("printed.pdf"));
        dialogs.answerPrint(true);
        QVERIFY(w.print());
        QVERIFY(!pdfHasImage(dir.filePath("printed.pdf")));

        // Not shown at first unless the settings say so; no action without a picture.
        PreparedReport hidden = r;
        hidden.settings.background->showInPreview = false;
        w.setReport(hidden);
        QVERIFY(act->isVisible() && !act->isChecked());
        PreparedReport none = r;
        none.settings.background.reset();
        w.setReport(none);
        QVERIFY(!act->isVisible() && !w.backgroundShown());
        PreparedReport unreadable = r;
        unreadable.settings.background->image = "no picture";
        w.setReport(unreadable);
        QVERIFY(!act->isVisible() && !w.backgroundShown());
        QVERIFY(dialogs.allScripted());
    }

    void calibrationPageHasTheCrossesWhereItSays_data() {
        QTest::addColumn<QSizeF>("paper");
        QTest::addColumn<QMarginsF>("margins");
        QTest::newRow("delivery note") << QSizeF(210, 145) << QMarginsF(10, 10, 10, 10);
        QTest::newRow("A4 landscape") << QSizeF(297, 210) << QMarginsF(5, 8, 5, 8);
        QTest::newRow("no margins") << QSizeF(241, 93.1) << QMarginsF(0, 0, 0, 0);
    }
    void calibrationPageHasTheCrossesWhereItSays() {
        QFETCH(QSizeF, paper);
        QFETCH(QMarginsF, margins);
        const PreparedReport r = calibrationReport(paper, margins);
        QCOMPARE(r.pageCount(), 1);
        const PreparedPage& page = r.pages[0];
        QCOMPARE(page.paperSize, paper);
        QCOMPARE(page.margins, margins);
        QCOMPARE(page.findText(calibrationInstruction()).size(), 1);

        const double w = paper.width(), h = paper.height();
        const QList<QPointF> crosses = calibrationCrosses(paper);
        QCOMPARE(crosses,
                 (QList<QPointF>{{20, 20}, {w - 20, 20}, {20, h - 20}, {w - 20, h - 20}, {w / 2, h / 2}}));
        static const QRegularExpression coords(R"(^\(([\d.]+), ([\d.]+)\)$)");
        for (int i = 0; i < crosses.size(); ++i) {
            const QString name = QString("cross%1").arg(i + 1);
            // Two strokes through the cross's centre, one across and one down.
            QList<const PreparedItem*> strokes;
            for (const PreparedItem& it : page.items)
                if (it.objectName == name && it.kind == PreparedItem::Kind::Line) strokes << &it;
            QCOMPARE(strokes.size(), 2);
            QVERIFY(near((strokes[0]->p1 + strokes[0]->p2) / 2, crosses[i]));
            QVERIFY(near((strokes[1]->p1 + strokes[1]->p2) / 2, crosses[i]));
            QCOMPARE(strokes[0]->p1.y(), strokes[0]->p2.y());
            QCOMPARE(strokes[1]->p1.x(), strokes[1]->p2.x());
            // Its label beside it gives the same position, and stays on the paper.
            const PreparedItem* label = page.object(name + "Label");
            QVERIFY(label);
            const auto m = coords.match(label->text);
            QVERIFY2(m.hasMatch(), qPrintable(label->text));
            QVERIFY(near(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()), crosses[i], 0.006));
            QVERIFY(QLineF(label->rect.topLeft(), crosses[i]).length() < 3);
            QVERIFY(QRectF(QPointF(0, 0), paper).contains(label->rect));
        }

        // The grid: a line every 5 mm across the whole paper, the 10 mm ones labelled.
        int across = 0, down = 0;
        for (const PreparedItem& it : page.items) {
            if (it.objectName != "grid") continue;
            if (it.p1.x() == it.p2.x()) {
                QCOMPARE(std::fmod(it.p1.x(), 5.0), 0.0);
                QCOMPARE(QPointF(it.p1.y(), it.p2.y()), QPointF(0, h));
                ++down;
            } else {
                QCOMPARE(std::fmod(it.p1.y(), 5.0), 0.0);
                ++across;
            }
        }
        QCOMPARE(down, int(std::ceil(w / 5)) - 1);
        QCOMPARE(across, int(std::ceil(h / 5)) - 1);
        QVERIFY(!page.findText("100").isEmpty());
        QVERIFY(!page.findText("50").isEmpty());
    }

    void dialogEditsEachPrinter() {
        TemplateSettings given;
        given.setAdjustment({"Printer A", 1, 2, 1});
        given.background = sampleSettings().background;
        PrinterAdjustmentsDialog dlg(given, QSizeF(210, 145), QMarginsF(10, 10, 10, 10), nullptr);
        QCOMPARE(dlg.objectName(), QString("PrinterAdjustmentsDialog"));
        QCOMPARE(dlg.windowTitle(), QString("打印机校正"));
        auto* combo = dlg.findChild<QComboBox*>("printerCombo");
        auto* dx = dlg.findChild<QDoubleSpinBox*>("dxSpin");
        auto* dy = dlg.findChild<QDoubleSpinBox*>("dySpin");
        auto* scale = dlg.findChild<QDoubleSpinBox*>("scaleSpin");
        auto* calibrate = dlg.findChild<QPushButton*>("calibrationButton");
        QVERIFY(combo && dx && dy && scale && calibrate);
        QVERIFY(combo->isEditable());
        QCOMPARE(scale->decimals(), 4);
        QCOMPARE(scale->minimum(), 0.9);
        QCOMPARE(scale->maximum(), 1.1);
        QCOMPARE(dx->singleStep(), 0.1);
        QCOMPARE(dx->minimum(), -50.0);
        QCOMPARE(dy->maximum(), 50.0);

        // The printer the settings know is offered and shows its values.
        const int a = combo->findText("Printer A");
        QVERIFY(a >= 0);
        combo->setCurrentIndex(a);
        QCOMPARE(dx->value(), 1.0);
        QCOMPARE(dy->value(), 2.0);
        QCOMPARE(scale->value(), 1.0);

        // A printer typed in starts from no adjustment.
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "Printer B");
        QCOMPARE(dlg.currentPrinter(), QString("Printer B"));
        QCOMPARE(dx->value(), 0.0);
        QCOMPARE(dy->value(), 0.0);
        dx->setValue(0.5);
        dy->selectAll();
        QTest::keyClicks(dy, "-1.5");
        scale->setValue(1.002);

        // Back to the first one: its values, and changing them keeps the other printer's.
        combo->setCurrentIndex(a);
        QCOMPARE(dx->value(), 1.0);
        QCOMPARE(dy->value(), 2.0);
        dx->setValue(2.5);

        const TemplateSettings s = dlg.settings();
        QCOMPARE(s.printers.size(), 2);
        QCOMPARE(s.adjustmentFor("Printer A"), (PrinterAdjustment{"Printer A", 2.5, 2, 1}));
        QCOMPARE(s.adjustmentFor("Printer B"), (PrinterAdjustment{"Printer B", 0.5, -1.5, 1.002}));
        QCOMPARE(s.background, given.background);

        // The calibration page of the template's paper, carrying the printers' values for printing.
        QList<PreparedReport> shown;
        dlg.showPreview = [&](const PreparedReport& r) { shown << r; };
        QTest::mouseClick(calibrate, Qt::LeftButton);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].pages[0].paperSize, QSizeF(210, 145));
        QCOMPARE(shown[0].pages[0].findText(calibrationInstruction()).size(), 1);
        QCOMPARE(shown[0].settings.adjustmentFor("Printer B").dyMm, -1.5);
        QVERIFY(!shown[0].settings.background);
    }

    void calibrationPageOpensInThePreview() {
        ui::ScriptedDialogs dialogs;
        TemplateSettings given;
        given.setAdjustment({"Printer A", 1, 2, 1});
        PrinterAdjustmentsDialog dlg(given, QSizeF(210, 145), QMarginsF(10, 10, 10, 10), nullptr);
        auto* combo = dlg.findChild<QComboBox*>("printerCombo");
        combo->setCurrentIndex(combo->findText("Printer A"));
        PreparedReport seen;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget());
            if (!w) return;
            seen = w->report();
            w->accept();
        });
        QTest::mouseClick(dlg.findChild<QPushButton*>("calibrationButton"), Qt::LeftButton);
        QCOMPARE(seen.pageCount(), 1);
        QCOMPARE(seen.pages[0].count("cross5Label"), 1);
        QCOMPARE(seen.settings.adjustmentFor("Printer A").dyMm, 2.0);
        QVERIFY(dialogs.allScripted());
    }

    void dialogTurnsAPrinterBackToNoAdjustment() {
        TemplateSettings given;
        given.setAdjustment({"Printer A", 1, 2, 1});
        PrinterAdjustmentsDialog dlg(given, QSizeF(210, 145), QMarginsF(), nullptr);
        auto* combo = dlg.findChild<QComboBox*>("printerCombo");
        combo->setCurrentIndex(combo->findText("Printer A"));
        dlg.findChild<QDoubleSpinBox*>("dxSpin")->setValue(0);
        dlg.findChild<QDoubleSpinBox*>("dySpin")->setValue(0);
        QVERIFY(dlg.settings().printers.isEmpty());
        // A combo emptied of any name edits nothing.
        combo->setEditText("");
        QVERIFY(!dlg.findChild<QDoubleSpinBox*>("dxSpin")->isEnabled());
        QVERIFY(!dlg.findChild<QPushButton*>("calibrationButton")->isEnabled());
    }
};

QTEST_MAIN(TstPrinterSettings)
#include "tst_printer_settings.moc"
