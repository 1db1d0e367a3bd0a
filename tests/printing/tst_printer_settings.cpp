// Our settings kept with a template: per-printer offsets and the background picture of the blank form,
// their round trip through the .fr3 file, and where they take effect.
#include "NoteFixture.h"
#include "printing/Fr3.h"
#include "printing/TemplateSettings.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
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
};

QTEST_MAIN(TstPrinterSettings)
#include "tst_printer_settings.moc"
