// Renderers and the preview: PDF and printer pages keep the template's paper, the preview navigates,
// searches, exports and prints through the dialog layer.
#include "NoteFixture.h"
#include "printing/PreviewWindow.h"
#include "printing/Render.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace printing;

namespace {

PreparedReport note(int lines) {
    Report r;
    r.load(referenceTemplatePath());
    fillNoteObjects(r);
    QImage logo(120, 90, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 200));
    r.setPicture("gsbz", logo);
    r.setDataset(customerDataset());
    r.setDataset(linesDataset(lines));
    return r.prepare();
}

// The page sizes of a PDF file in millimetres, from its /MediaBox entries.
QList<QSizeF> pdfPageSizes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString data = QString::fromLatin1(f.readAll());
    QList<QSizeF> sizes;
    static const QRegularExpression box(
        R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
    for (auto it = box.globalMatch(data); it.hasNext();) {
        const auto m = it.next();
        sizes << QSizeF((m.captured(3).toDouble() - m.captured(1).toDouble()) * 25.4 / 72,
                        (m.captured(4).toDouble() - m.captured(2).toDouble()) * 25.4 / 72);
    }
    return sizes;
}

bool near(const QSizeF& a, const QSizeF& b) {
    return qAbs(a.width() - b.width()) < 0.2 && qAbs(a.height() - b.height()) < 0.2;
}

}  // namespace

class TstRender : public QObject {
    Q_OBJECT
  private slots:
    void pdfPagesHaveTheTemplatesPaper() {
        QTemporaryDir dir;
        const QString path = dir.filePath("送货单.pdf");
        QString error;
        QVERIFY2(renderPdf(note(13), path, &error), qPrintable(error));
        const QList<QSizeF> sizes = pdfPageSizes(path);
        QCOMPARE(sizes.size(), 2);
        for (const QSizeF& s : sizes)
            QVERIFY2(near(s, QSizeF(210, 145)),
                     qPrintable(QString("%1 x %2").arg(s.width()).arg(s.height())));
        // For looking at the note by eye: TRFP_PRINTING_OUT=/some/folder keeps a copy.
        if (const QByteArray out = qgetenv("TRFP_PRINTING_OUT"); !out.isEmpty()) {
            QFile::remove(QString::fromLocal8Bit(out) + "/送货单.pdf");
            QFile::copy(path, QString::fromLocal8Bit(out) + "/送货单.pdf");
        }
    }

    void landscapeAndMixedPaperSizes() {
        // A landscape A4 page (stored already swapped) followed by a page of another size.
        PreparedReport rep;
        PreparedPage a;
        a.paperSize = QSizeF(297, 210);
        a.landscape = true;
        PreparedPage b;
        b.paperSize = QSizeF(100, 80);
        rep.pages = {a, b};
        QTemporaryDir dir;
        QVERIFY(renderPdf(rep, dir.filePath("mixed.pdf")));
        const QList<QSizeF> sizes = pdfPageSizes(dir.filePath("mixed.pdf"));
        QCOMPARE(sizes.size(), 2);
        QVERIFY(near(sizes[0], QSizeF(297, 210)));
        QVERIFY(near(sizes[1], QSizeF(100, 80)));
    }

    void pdfToAnUnwritablePlaceFails() {
        QString error;
        QVERIFY(!renderPdf(note(1), "/nonexistent-folder/x.pdf", &error));
        QVERIFY(error.contains("x.pdf"));
        QVERIFY(!renderPdf(PreparedReport{}, QDir::temp().filePath("empty.pdf"), &error));
    }

    void printerGetsTheTemplatesPaperAndMargins() {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));  // whatever the printer had before
        const PreparedReport rep = note(3);
        setupPrinter(printer, rep);
        const QPageLayout layout = printer.pageLayout();
        QVERIFY(near(layout.fullRect(QPageLayout::Millimeter).size(), QSizeF(210, 145)));
        QCOMPARE(layout.margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
        QVERIFY(printer.fullPage());
        QString error;
        QVERIFY2(printReport(rep, printer, &error), qPrintable(error));
        const QList<QSizeF> sizes = pdfPageSizes(dir.filePath("printed.pdf"));
        QCOMPARE(sizes.size(), 1);
        QVERIFY(near(sizes[0], QSizeF(210, 145)));
    }

    void imageOfAPage() {
        const PreparedReport rep = note(3);
        const QImage img = renderImage(rep.pages[0], 80);
        QCOMPARE(img.size(), QSize(qRound(210 * 80 / 25.4), qRound(145 * 80 / 25.4)));
        // The logo stands top left, inside the margin.
        const QPoint logo(qRound(15 * 80 / 25.4), qRound(15 * 80 / 25.4));
        QCOMPARE(img.pixelColor(logo), QColor(30, 90, 200));
        QCOMPARE(img.pixelColor(2, 2), QColor(Qt::white));
    }

    void fontsMapToAnInstalledCjkFont() {
        const QString f = installedFontFamily("宋体");
        QVERIFY(QFontDatabase::hasFamily(f));
        QVERIFY(QFontDatabase::writingSystems(f).contains(QFontDatabase::SimplifiedChinese));
        QCOMPARE(qfontFor(ResolvedFont{"黑体", 12, 1, 0, 134}).pointSizeF(), 12.0);
        QVERIFY(qfontFor(ResolvedFont{"黑体", 12, 1, 0, 134}).bold());
    }

    void previewNavigatesSearchesExportsAndPrints() {
        ui::ScriptedDialogs dialogs;
        PreviewWindow w(note(13));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* label = w.findChild<QLabel*>("pageLabel");
        QVERIFY(label);
        QCOMPARE(label->text(), QString("第 1 页 / 共 2 页"));
        if (const QByteArray out = qgetenv("TRFP_PRINTING_OUT"); !out.isEmpty())
            w.grab().save(QString::fromLocal8Bit(out) + "/preview.png");
        auto trigger = [&](const char* name) {
            auto* a = w.findChild<QAction*>(name);
            QVERIFY2(a, name);
            a->trigger();
        };
        trigger("actNext");
        QCOMPARE(label->text(), QString("第 2 页 / 共 2 页"));
        trigger("actNext");
        QCOMPARE(w.currentPage(), 2);
        trigger("actFirst");
        QCOMPARE(label->text(), QString("第 1 页 / 共 2 页"));
        trigger("actLast");
        QCOMPARE(w.currentPage(), 2);
        trigger("actPrev");
        QCOMPARE(w.currentPage(), 1);
        trigger("actZoomIn");
        trigger("actZoomOut");
        trigger("actFit");

        // Search: the thirteenth line stands on the second page.
        auto* search = w.findChild<QLineEdit*>("searchEdit");
        QVERIFY(search);
        search->setText("螺丝 13 号");
        trigger("actFind");
        QCOMPARE(w.currentPage(), 2);
        search->setText("没有这个字");
        dialogs.answer(ui::Dialogs::Button::Ok);
        trigger("actFind");
        QCOMPARE(dialogs.lastMessage(), QString("没有找到“没有这个字”。"));
        QCOMPARE(w.currentPage(), 2);

        // Export: the save dialog names the file.
        QTemporaryDir dir;
        dialogs.answerFile(dir.filePath("导出"));
        trigger("actExportPdf");
        QCOMPARE(pdfPageSizes(dir.filePath("导出.pdf")).size(), 2);
        dialogs.answerFile("");  // cancelled: nothing happens
        QVERIFY(!w.exportPdf());

        // Print: the print dialog is asked; cancelling prints nothing.
        dialogs.answerPrint(false);
        QVERIFY(!w.print());
        QCOMPARE(dialogs.asked.back().kind, QString("print"));
        QVERIFY(near(w.printer().pageLayout().fullRect(QPageLayout::Millimeter).size(), QSizeF(210, 145)));
        // Printing to a file-format printer when the dialog is accepted.
        w.printer().setOutputFormat(QPrinter::PdfFormat);
        w.printer().setOutputFileName(dir.filePath("printed.pdf"));
        dialogs.answerPrint(true);
        QVERIFY(w.print());
        QCOMPARE(pdfPageSizes(dir.filePath("printed.pdf")).size(), 2);
        dialogs.answerPrint(false);
        w.pageSetup();
        QCOMPARE(dialogs.asked.back().kind, QString("pageSetup"));
        QVERIFY(dialogs.allScripted());
    }
};

QTEST_MAIN(TstRender)
#include "tst_render.moc"
