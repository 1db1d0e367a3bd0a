#pragma once
// Drawing prepared pages with QPainter: onto a printer, a PDF file, an image, or any painter.
//
// The paper keeps the template's size and margins: a 210 x 145 mm note is a 210 x 145 mm page (a custom
// QPageSize), drawn at its own millimetres, never scaled onto another paper.

#include "printing/Report.h"

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QTransform>

class QPainter;
class QPrinter;
class QPagedPaintDevice;

namespace printing {

// The installed family that draws a template font: the font itself when installed, otherwise a CJK font
// (Noto CJK), so that 宋体/黑体/楷体 texts print in Chinese on any machine.
QString installedFontFamily(const QString& templateFontName);
QFont qfontFor(const ResolvedFont& f);

// The page layout of a prepared page: custom paper of its size, its margins, portrait unless landscape.
QPageLayout pageLayoutFor(const PreparedPage& page);

// The page as a printer with that adjustment needs it: every item shifted by (dxMm, dyMm), and its
// vertical positions (tops, heights, line ends) multiplied by yScale, measured from the paper's top edge.
// Fonts, gaps and line widths stay as they are: continuous paper whose advance drifts moves the boxes
// further down the form, it does not make the letters taller.
PreparedPage adjustedPage(const PreparedPage& page, const PrinterAdjustment& adjustment);

// Draws one page; pxPerMm device pixels per millimetre, origin the device point of the paper's top-left
// corner. Fonts are sized in points for the painter's device. A printer's adjustment moves the items
// (see adjustedPage).
void paintPage(QPainter& painter, const PreparedPage& page, double pxPerMm, QPointF origin = {},
               const PrinterAdjustment& adjustment = {});
// Draws a background picture of the blank form: image pixels map to paper millimetres by imageToPaper
// (BackgroundPicture::imageToPaper), clipped to the paper of paperMm.
void paintBackground(QPainter& painter, const QImage& image, const QTransform& imageToPaper, QSizeF paperMm,
                     double pxPerMm, QPointF origin = {});

// Sets a printer to the report's paper (first page): size, orientation, margins, full-page coordinates.
void setupPrinter(QPrinter& printer, const PreparedReport& report);
// Draws the report on a printer, honouring its page range and copies. Each page goes on paper of the
// template's size, whatever the print dialog left in the printer, unless keepPrinterLayout (the user
// chose a paper in the page setup). The adjustment the report's settings keep for the printer (by its
// printerName()) is applied. False with *error when printing could not start or failed.
bool printReport(const PreparedReport& report, QPrinter& printer, QString* error = nullptr,
                 bool keepPrinterLayout = false);
// Draws pages on any paged device (also used for the preview); fromPage/toPage 1-based, 0 = all.
// highlight: text items holding it are marked (the preview's search); adjustment: a printer's offsets;
// background: the blank form drawn under every page (the preview only: it is never printed).
bool paintReport(const PreparedReport& report, QPagedPaintDevice& device, int resolution, int fromPage = 0,
                 int toPage = 0, QString* error = nullptr, bool keepDeviceLayout = false,
                 const QString& highlight = {}, const PrinterAdjustment& adjustment = {},
                 const BackgroundPicture* background = nullptr);

// Writes the report as a PDF file, one PDF page per prepared page at the template's paper size. With a
// printer's name, the pages are drawn as for that printer (the adjustment the report's settings keep for
// it); without, as they are. The background picture is never drawn.
bool renderPdf(const PreparedReport& report, const QString& path, QString* error = nullptr,
               const QString& printerName = {});
// One page as an image at dpi (white paper).
QImage renderImage(const PreparedPage& page, double dpi = 96);

}  // namespace printing
