#pragma once
#include <QString>
#include <QStringList>

namespace app {

// The help document, opened from the current directory.
inline const QString kHelpDocument = QStringLiteral("Tarvel送货单打印帮助.doc");

// Hands the help document to the desktop's default application; says so when nothing could open it.
void openHelpDocument();

// The calculators tried, first found wins.
QStringList calculatorCandidates();
// The first candidate found in searchPaths (empty: the PATH); empty when there is none.
QString findCalculator(const QStringList& searchPaths = {});
// Starts the first calculator found; a clear message when there is none or it does not start.
void startCalculator(const QStringList& searchPaths = {});

}  // namespace app
