// Reading and writing .fr3 templates: every property the model knows, the round trip of what it does
// not know, the older spellings (Memo.Text, GBK bytes, "," decimals), pictures, and load errors.
#include "printing/Fr3.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace printing;

namespace {

QByteArray pngBytes() {
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray b;
    QBuffer buf(&b);
    img.save(&buf, "PNG");
    return b;
}

// A template that uses every property the model reads, plus things it does not know.
QByteArray fixture() {
    QFile f(QStringLiteral(TRFP_SOURCE_DIR "/tests/printing/fixture.fr3"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString xml = QString::fromUtf8(f.readAll());
    return xml.arg(encodePicturePropData(pngBytes(), "TPngImage")).toUtf8();
}

}  // namespace

class TstFr3 : public QObject {
    Q_OBJECT
  private slots:
    void readsEveryKnownProperty() {
        QString error;
        const auto t = readFr3(fixture(), &error);
        QVERIFY2(t, qPrintable(error));
        QCOMPARE(t->rootAttribute("ReportOptions.Name"), QString("测试"));
        QCOMPARE(t->datasets.size(), 1);
        QCOMPARE(t->datasets[0].dataSetName, QString("sdbst"));
        QCOMPARE(t->beforePages.size(), 2);  // Variables, TfrxDataPage
        QCOMPARE(t->afterPages.size(), 1);
        QCOMPARE(t->afterPages[0].name, QString("TrfpSettings"));

        const Page& p = t->pages[0];
        QVERIFY(p.landscape);
        QCOMPARE(p.paperWidth, 297.0);
        QCOMPARE(p.leftMargin, 12.5);
        QCOMPARE(p.bottomMargin, 15.0);
        QCOMPARE(*p.font.name, QString("黑体"));
        QCOMPARE(p.extra, Attributes({{"Custom", "kept"}}));
        QCOMPARE(p.bands.size(), 9);
        QCOMPARE(p.objects.size(), 1);

        const Band& title = p.bands[0];
        QCOMPARE(title.kind, BandKind::ReportTitle);
        QCOMPARE(title.top, 18.89765);
        QVERIFY(title.startNewPage && title.stretched);
        QCOMPARE(*title.parentFont, false);
        QCOMPARE(*title.font.style, 1);
        QCOMPARE(title.extra, Attributes({{"OnBeforePrint", "X"}}));
        QCOMPARE(title.objects.size(), 7);

        const ReportObject& m = title.objects[0];
        QCOMPARE(m.kind, ObjectKind::Memo);
        QCOMPARE(m.text, QString("a\r\n\"b\" <c>"));
        QCOMPARE(m.top, 2.5);
        QCOMPARE(m.width, -0.35);
        QCOMPARE(*m.font.name, QString("宋体"));
        QCOMPARE(*m.font.height, -13.0);
        QCOMPARE(*m.font.style, 5);
        QCOMPARE(*m.font.color, 255);
        QCOMPARE(*m.font.charset, 134);
        QCOMPARE(m.hAlign, HAlign::Block);
        QCOMPARE(m.vAlign, VAlign::Bottom);
        QVERIFY(!m.wordWrap && m.autoWidth && m.hideZeros && !m.visible);
        QCOMPARE(m.gapX, 3.0);
        QCOMPARE(m.gapY, 0.0);
        QCOMPARE(m.rotation, 90);
        QCOMPARE(m.charSpacing, 1.5);
        QCOMPARE(m.lineSpacing, 4.0);
        QCOMPARE(m.displayFormat, (DisplayFormat{"fkNumeric", "%2.2n", ","}));
        QCOMPARE(m.frame, (Frame{15, 0.5, 16711680, "fsDash"}));
        QCOMPARE(m.fillColor, kColorButtonFace);
        QCOMPARE(m.extraValue("StretchMode"), QString("smMaxHeight"));
        QCOMPARE(m.extraValue("DataField"), QString("名称"));
        QCOMPARE(m.extraChildren.size(), 1);

        QCOMPARE(title.objects[1].kind, ObjectKind::SysMemo);
        QCOMPARE(title.objects[1].text, QString("[Page#]"));
        QCOMPARE(title.objects[1].fillColor, 65280);
        QCOMPARE(title.objects[1].frame.typ, Frame::Left | Frame::Bottom);
        QCOMPARE(title.objects[2].text, QString("旧的文字"));

        const ReportObject& pic = title.objects[3];
        QCOMPARE(pic.kind, ObjectKind::Picture);
        QCOMPARE(pic.picture, pngBytes());
        QCOMPARE(pic.pictureClass, QString("TPngImage"));
        QVERIFY(!pic.stretched && !pic.keepAspectRatio && pic.center);

        const ReportObject& line = title.objects[4];
        QCOMPARE(line.kind, ObjectKind::Line);
        QVERIFY(line.diagonal);
        QCOMPARE(line.height, -10.0);
        QCOMPARE(line.frame.width, 2.0);
        QCOMPARE(line.frame.color, 128);

        const ReportObject& shape = title.objects[5];
        QCOMPARE(shape.kind, ObjectKind::Shape);
        QCOMPARE(shape.shape, QString("skRoundRectangle"));
        QCOMPARE(shape.curve, 3.0);
        QCOMPARE(shape.fillColor, 16777215);

        QCOMPARE(title.objects[6].kind, ObjectKind::Unknown);
        QCOMPARE(title.objects[6].raw.name, QString("TfrxBarCodeView"));

        QVERIFY(!p.bands[1].printOnFirstPage && !p.bands[1].visible);
        const Band& md = p.bands[2];
        QCOMPARE(md.kind, BandKind::MasterData);
        QCOMPARE(md.child, QString("Child1"));
        QCOMPARE(md.dataSetName, QString("sdbst"));
        QCOMPARE(md.extraValue("DataSet"), QString("frxA"));
        QCOMPARE(p.bands[3].toNRows, 12);
        QCOMPARE(p.bands[3].toNRowsMode, QString("rmTillPageEnds"));
        QCOMPARE(p.bands[4].kind, BandKind::Header);
        QCOMPARE(p.bands[5].kind, BandKind::Footer);
        QCOMPARE(p.bands[6].kind, BandKind::ReportSummary);
        QCOMPARE(p.bands[7].kind, BandKind::PageFooter);
        QVERIFY(!p.bands[7].printOnLastPage);
        QCOMPARE(p.bands[7].rowCount, 3);
        QCOMPARE(p.bands[8].kind, BandKind::Unknown);
        QCOMPARE(p.bands[8].raw.children.size(), 1);
        QCOMPARE(p.objects[0].text, QString("页上的字"));
        QVERIFY(t->findObject("LOOSE"));
        QVERIFY(t->findBand("child1"));
    }

    void roundTripKeepsEverything_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("fixture") << fixture();
        QFile f(TRFP_SOURCE_DIR "/templates/送货单.fr3");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTest::newRow("delivered note") << f.readAll();
    }
    void roundTripKeepsEverything() {
        QFETCH(QByteArray, bytes);
        const auto first = readFr3(bytes);
        QVERIFY(first);
        const QByteArray written = writeFr3(*first);
        QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>"));
        QString error;
        const auto second = readFr3(written, &error);
        QVERIFY2(second, qPrintable(error));
        QVERIFY(*first == *second);
        QCOMPARE(writeFr3(*second), written);
    }

    void writesWhatItDoesNotKnowUnchanged() {
        const QString out = QString::fromUtf8(writeFr3(*readFr3(fixture())));
        for (const char* s : {"<TfrxBarCodeView Name=\"bc1\" Left=\"0\" Top=\"0\" Width=\"80\" Height=\"30\" "
                              "Text=\"123\" BarType=\"bcCode128\"/>",
                              "Condition=\"sdbst.&#34;类别&#34;\"",
                              "<TrfpSettings Offset.X=\"1.5\" Background=\"blank.png\"/>",
                              "StretchMode=\"smMaxHeight\" DataSet=\"frxA\" DataField=\"名称\"",
                              "Custom=\"kept\"", "OnBeforePrint=\"X\"", "<item Name=\"v1\" Value=\"1\"/>",
                              "Text=\"a&#13;&#10;&#34;b&#34; &#60;c&#62;\""})
            QVERIFY2(out.contains(QString::fromUtf8(s)), s);
        QVERIFY(!out.contains("Memo.Text"));
        QVERIFY(out.contains("LeftMargin=\"12.5\""));
    }

    void olderFilesInGbkAreRead() {
        // Attribute bytes in the GBK code page: 宋体 = CB CE CC E5, 送货单 = CB CD BB F5 B5 A5.
        const QByteArray bytes =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<TfrxReport><TfrxReportPage Name=\"Page1\">"
            "<TfrxPageHeader Name=\"PH\" Height=\"10\"><TfrxMemoView Name=\"m\" "
            "Font.Name=\"\xCB\xCE\xCC\xE5\" "
            "Text=\"\xCB\xCD\xBB\xF5\xB5\xA5 NO.\"/></TfrxPageHeader></TfrxReportPage></TfrxReport>";
        QString error;
        const auto t = readFr3(bytes, &error);
        QVERIFY2(t, qPrintable(error));
        const ReportObject* m = t->findObject("m");
        QVERIFY(m);
        QCOMPARE(*m->font.name, QString("宋体"));
        QCOMPARE(m->text, QString("送货单 NO."));
        // A GBK character whose second byte is ASCII (錢 = E5 58) stays one character.
        const auto t2 = readFr3(
            "<TfrxReport><TfrxReportPage><TfrxPageHeader Name=\"PH\"><TfrxMemoView Name=\"m\" "
            "Text=\"\xE5\x58\xCA\xFD\"/></TfrxPageHeader></TfrxReportPage></TfrxReport>");
        QVERIFY(t2);
        QCOMPARE(t2->findObject("m")->text, QString("錢数"));
        // Written back as UTF-8.
        QVERIFY(QString::fromUtf8(writeFr3(*t)).contains("Text=\"送货单 NO.\""));
    }

    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("dot") << "18.89765" << 18.89765 << true;
        QTest::newRow("comma") << "18,89765" << 18.89765 << true;
        QTest::newRow("exponent comma") << "-2,685E-5" << -2.685e-5 << true;
        QTest::newRow("exponent dot") << "1.5e2" << 150.0 << true;
        QTest::newRow("integer") << "-16777208" << -16777208.0 << true;
        QTest::newRow("text") << "abc" << 0.0 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, ok);
        const auto v = parseFr3Number(text);
        QCOMPARE(bool(v), ok);
        if (ok) {
            QCOMPARE(*v, value);
            QCOMPARE(*parseFr3Number(formatFr3Number(*v)), *v);
        }
    }

    void pictureStreams() {
        const QByteArray png = pngBytes();
        QByteArray img;
        QString cls;
        QVERIFY(decodePicturePropData(encodePicturePropData(png, {}), &img, &cls));
        QCOMPARE(img, png);
        QCOMPARE(cls, QString("TPNGObject"));
        // A TBitmap keeps a 4-byte size before the BMP file.
        QByteArray bmp;
        QBuffer buf(&bmp);
        QImage(4, 4, QImage::Format_RGB32).save(&buf, "BMP");
        const QString hex = encodePicturePropData(bmp, "TBitmap");
        QVERIFY(hex.startsWith("0444617461"));  // 04 "Data"
        QVERIFY(decodePicturePropData(hex, &img, &cls));
        QCOMPARE(cls, QString("TBitmap"));
        QCOMPARE(img, bmp);
        QVERIFY(!QImage::fromData(img).isNull());
        QVERIFY(!decodePicturePropData("00112233", &img, &cls));
        QVERIFY(!decodePicturePropData("04446174610AFFFFFF7F", &img, &cls));  // length beyond the data
    }

    void loadErrorsNameTheFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");  // null: no file at all; "dir": a folder
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << "没有.fr3" << QByteArray() << "找不到";
        QTest::newRow("folder") << "文件夹.fr3" << QByteArray("dir") << "无法读取";
        QTest::newRow("no XML") << "坏的.fr3" << QByteArray("\x00\x01garbage<<", 11) << "不是有效的报表模板";
        QTest::newRow("empty") << "空的.fr3" << QByteArray("") << "不是有效的报表模板";
        QTest::newRow("other root") << "别的.fr3" << QByteArray("<?xml version=\"1.0\"?><Report/>")
                                    << "TfrxReport";
        QTest::newRow("cut off") << "半个.fr3" << QByteArray("<TfrxReport><TfrxReportPage Name=\"P\">")
                                 << "不是有效的报表模板";
    }
    void loadErrorsNameTheFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == "dir") {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        QString error;
        QVERIFY(!loadFr3(path, &error));
        QVERIFY2(error.contains(path) && error.contains(what), qPrintable(error));
    }

    void saveWritesAFileThatLoads() {
        QTemporaryDir dir;
        const auto t = readFr3(fixture());
        const QString path = dir.filePath("格式.fr3");
        QString error;
        QVERIFY2(saveFr3(*t, path, &error), qPrintable(error));
        const auto back = loadFr3(path, &error);
        QVERIFY2(back, qPrintable(error));
        QVERIFY(*back == *t);
        QVERIFY(!saveFr3(*t, dir.filePath("no/such/folder/x.fr3"), &error));
        QVERIFY(error.contains("x.fr3"));
    }
};

QTEST_MAIN(TstFr3)
#include "tst_fr3.moc"
