#pragma once
// Drawing prepared pages with QPainter: onto a printer, a PDF file, an image, or any painter.
//
// The paper keeps the template's size and margins: a 210 x 145 mm note is a 210 x 145 mm page (a custom
// QPageSize), drawn at its own millimetres, never scaled onto another paper.

#include "printing/Report.h"

#include <QFont>
#include <QImage>
#include <QPageLayout>

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

// Draws one page; pxPerMm device pixels per millimetre, origin the device point of the paper's top-left
// corner. Fonts are sized in points for the painter's device.
void paintPage(QPainter& painter, const PreparedPage& page, double pxPerMm, QPointF origin = {});

// Sets a printer to the report's paper (first page): size, orientation, margins, full-page coordinates.
void setupPrinter(QPrinter& printer, const PreparedReport& report);
// Draws the report on a printer, honouring its page range and copies. Each page goes on paper of the
// template's size, whatever the print dialog left in the printer, unless keepPrinterLayout (the user
// chose a paper in the page setup). False with *error when printing could not start or failed.
bool printReport(const PreparedReport& report, QPrinter& printer, QString* error = nullptr,
                 bool keepPrinterLayout = false);
// Draws pages on any paged device (also used for the preview); fromPage/toPage 1-based, 0 = all.
// highlight: text items holding it are marked (the preview's search).
bool paintReport(const PreparedReport& report, QPagedPaintDevice& device, int resolution, int fromPage = 0,
                 int toPage = 0, QString* error = nullptr, bool keepDeviceLayout = false,
                 const QString& highlight = {});

// Writes the report as a PDF file, one PDF page per prepared page at the template's paper size.
bool renderPdf(const PreparedReport& report, const QString& path, QString* error = nullptr);
// One page as an image at dpi (white paper).
QImage renderImage(const PreparedPage& page, double dpi = 96);

}  // namespace printing
