#pragma once
// The report preview: the prepared pages at the template's paper size, with printing (print dialog, the
// default printer preselected), page setup, export to PDF, zoom, page navigation ("第 n 页 / 共 m 页")
// and search. Every dialog goes through ui::dialogs(). Printing applies the adjustment the report's
// settings keep for the chosen printer; the preview and the exported PDF show the pages as they are.
// When the report's template has a background picture of the blank form, "显示底图" (actBackground)
// shows it under the pages; it is never printed or exported.
//
//   printing::PreviewWindow preview(report.prepare(), parent);
//   preview.setDocumentName("送货单 200911 0001");   // default PDF name and print job name
//   preview.exec();

#include "printing/Report.h"

#include <QDialog>
#include <QImage>
#include <QPrinter>

class QAction;
class QLabel;
class QLineEdit;
class QPrintPreviewWidget;
class QToolBar;

namespace printing {

class PreviewWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PreviewWindow(PreparedReport report, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    void setReport(PreparedReport report);
    const PreparedReport& report() const { return report_; }
    void setDocumentName(const QString& name);
    // Preselects the printer the print dialog offers (the default printer otherwise, and when the
    // system has no printer of that name).
    void setPrinterName(const QString& name);
    // Whether the background picture is drawn under the pages now (actBackground checked and the
    // report has a readable picture).
    bool backgroundShown() const;

    int currentPage() const;  // 1-based
    int pageCount() const { return report_.pageCount(); }
    QString pageText() const;  // "第 n 页 / 共 m 页"

    // The actions of the tool bar, also reachable by objectName (actPrint, actPageSetup, actExportPdf,
    // actZoomIn, actZoomOut, actFit, actBackground, actFirst, actPrev, actNext, actLast, actFind,
    // actClose).
    bool print();             // print dialog, then the printer; false when cancelled or failed
    void pageSetup();         // page setup dialog; the chosen paper is used from then on
    bool exportPdf();         // save dialog, then the PDF file
    void goToPage(int page);  // 1-based, clamped
    // The next page (after the current one, wrapping) that holds text; 0 when none. Moves there and
    // marks the text.
    int find(const QString& text);

    QPrinter& printer() { return printer_; }

  private:
    void paint(QPrinter* printer);
    void updatePageLabel();
    QAction* addAction(const QString& name, const QString& text, const QKeySequence& key = {});

    PreparedReport report_;
    QPrinter printer_;         // the printer the user prints on (default printer)
    QPrinter previewPrinter_;  // the paper the preview shows
    bool userPageSetup_ = false;
    bool printerPrepared_ = false;
    QString documentName_;
    QString highlight_;
    QPrintPreviewWidget* preview_;
    QLabel* pageLabel_;
    QLabel* noticeLabel_;
    QLineEdit* searchEdit_;
    QToolBar* toolBar_;
    QAction* backgroundAction_;
    QImage backgroundImage_;  // the report's background picture, decoded; null when it has none
};

}  // namespace printing
