#pragma once
// Settings of ours kept with a template that FR3 has no word for: per-printer offsets and vertical scale,
// and the background picture of the blank form the designer shows. They live in one child element of
// the report's root (<DeliveryNoteSettings>, kept in Template::afterPages), so the rest of the file
// stays plain FR3 and other readers ignore it.
//
//   printing::TemplateSettings s = printing::readSettings(tpl);
//   s.setAdjustment({"Printer A", 1.5, -0.5, 1.002});
//   printing::writeSettings(tpl, s);

#include "printing/Template.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <optional>

namespace printing {

// Where a printer puts the page: everything it prints is shifted by (dxMm, dyMm) and the vertical
// positions are multiplied by yScale (continuous paper whose advance drifts a little per form).
struct PrinterAdjustment {
    QString printer;  // the printer's name as the system gives it
    double dxMm = 0, dyMm = 0;
    double yScale = 1;
    bool operator==(const PrinterAdjustment&) const = default;
    bool isIdentity() const { return dxMm == 0 && dyMm == 0 && yScale == 1; }
};

// A scan or photo of the blank form. It is placed at the page's top-left corner at the paper's width
// until the user sets two reference points: two points of the picture (pixels) and where they lie on the
// paper (mm from its top-left corner); the picture is then scaled uniformly and shifted so that both
// land there. Shown in the designer and, when showInPreview, in the preview; never printed.
struct BackgroundPicture {
    QByteArray image;  // the image file's bytes (PNG, JPEG ...)
    bool hasReferencePoints = false;
    QPointF imagePoint1, imagePoint2;  // pixels of the picture
    QPointF paperPoint1, paperPoint2;  // mm on the paper
    bool showInPreview = false;
    bool operator==(const BackgroundPicture&) const = default;

    // Picture pixels -> paper millimetres, for a picture of imageSize pixels on paper paperWidthMm wide.
    QTransform imageToPaper(QSizeF imageSize, double paperWidthMm) const;
};

struct TemplateSettings {
    QList<PrinterAdjustment> printers;
    std::optional<BackgroundPicture> background;
    bool operator==(const TemplateSettings&) const = default;

    // The adjustment for a printer (names compared case-insensitively); identity when it has none.
    PrinterAdjustment adjustmentFor(const QString& printer) const;
    // Adds or replaces the printer's adjustment; an identity adjustment removes it.
    void setAdjustment(const PrinterAdjustment& adjustment);
};

// Reads our element from the template; defaults when it has none or it is unreadable.
TemplateSettings readSettings(const Template& tpl);
// Writes (replaces) our element; removes it when the settings are the defaults.
void writeSettings(Template& tpl, const TemplateSettings& settings);

}  // namespace printing
