#pragma once
// The calibration page: printed once on a printer, it lets the user measure where that printer puts the
// page, and so its offsets and vertical scale (PrinterAdjustment).
//
//   PreparedReport page = printing::calibrationReport({210, 145}, {10, 10, 10, 10});
//   page.settings = settings;   // so that printing applies the printer's current adjustment
//   printing::PreviewWindow(page).exec();
//
// The page has the template's paper: a millimetre grid (thin lines every 5 mm, stronger ones with their
// coordinates every 10 mm, measured from the paper's top-left corner), crosses at known positions with
// those positions written beside them, and one line telling what to measure.

#include "printing/Report.h"

#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>

namespace printing {

// The text the calibration page prints.
QString calibrationInstruction();

// Where the crosses stand, in mm from the paper's top-left corner: 20 mm in from each corner (top left,
// top right, bottom left, bottom right) and the centre of the paper.
QList<QPointF> calibrationCrosses(QSizeF paperMm);

// One page of paperMm with marginsMm (the margins only keep the coordinates where a printer reaches).
PreparedReport calibrationReport(QSizeF paperMm, QMarginsF marginsMm);

}  // namespace printing
