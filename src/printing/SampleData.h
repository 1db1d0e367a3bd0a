#pragma once
// Sample data for a delivery note template when there is no note to show: the seven named objects and the
// two datasets a note prints (xhbdbst, the customer's header; sdbst, the lines), with their fields.

#include "printing/Report.h"

#include <QStringList>

namespace printing {

// The datasets a delivery note template prints from, and the fields each one has.
QStringList sampleDatasetNames();
QStringList sampleFields(const QString& dataset);

// The template filled with sample texts and three sample lines.
Report sampleReport(const Template& tpl, const QString& fileName = {});

}  // namespace printing
