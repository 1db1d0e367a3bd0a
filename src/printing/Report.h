#pragma once
// A report: a template, the datasets it prints, and the named objects the caller fills; prepare() lays it
// out into pages of positioned primitives in millimetres (see PreparedPage). Rendering is in Render.h,
// the preview in PreviewWindow.h.
//
//   printing::Report report;
//   QString error;
//   if (!report.loadDeliveryNote(printing::templateFileForFormat(formatName), &error)) {
//       ui::dialogs().warn(error);   // names the file, and the missing objects if any
//       return;
//   }
//   report.setText("gsmc", companyName);            // the object's whole text, printed as it stands
//   report.setPicture("gsbz", logoBytes);
//   report.setDataset(printing::ReportDataset::fromDataset("xhbdbst", *hub.sele_qry));
//   report.setDataset(printing::ReportDataset::fromDataset("sdbst", linesDataset));
//   printing::PreparedReport pages = report.prepare();
//   printing::PreviewWindow(pages).exec();          // or printing::renderPdf(pages, file, &error)

#include "printing/Template.h"
#include "printing/TemplateSettings.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

class QAbstractItemModel;
namespace data {
class Dataset;
}

namespace printing {

// Data a report prints, under the name the template uses ([xhbdbst."客户名称"]). A snapshot: the report
// reads the rows as they were when it was made.
struct ReportDataset {
    QString name;
    QStringList fields;
    QVector<QVariantMap> rows;  // keyed by field name
    int currentRow = 0;         // the row a band that prints no row of this dataset shows

    // Field names compare case-insensitively; nullopt when the dataset has no such field.
    std::optional<QVariant> value(int row, const QString& field) const;

    // All rows of a dataset (the same one a window shows), standing on its current row.
    static ReportDataset fromDataset(const QString& name, const data::Dataset& ds);
    // All rows of a model; field names from the horizontal header (DisplayRole), values from EditRole.
    static ReportDataset fromModel(const QString& name, const QAbstractItemModel& model, int currentRow = 0);
};

// One thing drawn on a prepared page. Coordinates are millimetres from the paper's top-left corner
// (margins included).
struct PreparedItem {
    enum class Kind { Text, Picture, Line, Rect, RoundRect, Ellipse };
    Kind kind = Kind::Text;
    QRectF rect;     // Text, Picture, Rect, RoundRect, Ellipse
    QPointF p1, p2;  // Line
    QString objectName, bandName;

    // Text
    QString text;
    ResolvedFont font;  // the template's font name; the renderer maps it to an installed font
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = true;
    double gapX = 0, gapY = 0;  // mm
    int rotation = 0;
    double lineSpacing = 0;  // mm between lines

    // Frame (Text, Picture) / outline (Rect ...) / stroke (Line)
    int frameSides = 0;        // Frame::Side bits; shapes and lines always draw
    double frameWidth = 0.26;  // mm
    QColor frameColor = Qt::black;
    QString frameStyle = QStringLiteral("fsSolid");
    QColor fill;       // invalid: transparent
    double curve = 0;  // RoundRect: corner radius in mm

    // Picture
    QImage image;
    bool stretched = true, keepAspectRatio = true, center = false;
};

struct PreparedPage {
    QSizeF paperSize;   // mm, as the template gives it (landscape already swapped)
    QMarginsF margins;  // mm
    bool landscape = false;
    QVector<PreparedItem> items;  // in drawing order

    QVector<const PreparedItem*> texts() const;
    // The text items whose text equals t (or, with contains, holds t).
    QVector<const PreparedItem*> findText(const QString& t, bool contains = false) const;
    // The text item printed for the named object (the first one, or the n-th when it repeats).
    const PreparedItem* object(const QString& name, int n = 0) const;
    int count(const QString& objectName) const;
};

struct PreparedReport {
    QVector<PreparedPage> pages;
    // Things the layout could not do (unknown expressions and object kinds, scripts not run), each once.
    QStringList notices;
    // The template's own settings: the printers' offsets that printing applies, the background picture
    // the preview can show under the pages.
    TemplateSettings settings;
    int pageCount() const { return int(pages.size()); }
    // Pages (0-based) on which a text item holds t, case-insensitive.
    QList<int> pagesContaining(const QString& t) const;
};

// The seven objects the program fills on every delivery note.
QStringList deliveryNoteObjects();

// A template object as it is drawn with its top-left corner at topLeftMm: kind, frame, fill, font and the
// text as written (line breaks as "\n", expressions not evaluated), the picture of the template. Printing
// then puts the filled text and picture in; the designer draws it as it is.
PreparedItem preparedItemFor(const ReportObject& o, QPointF topLeftMm, const ResolvedFont& font);
// The template file of a print format: the name without surrounding blanks, plus ".fr3", in the program's
// folder.
QString templateFileForFormat(const QString& formatName);

class Report {
  public:
    Report() = default;
    explicit Report(Template tpl, const QString& fileName = {});

    // Loads a template file; false with *error naming the file (missing, unreadable, no template).
    // The filled objects and datasets are kept.
    bool load(const QString& path, QString* error = nullptr);
    const Template& tpl() const { return tpl_; }
    Template& tpl() { return tpl_; }
    const QString& fileName() const { return fileName_; }

    // --- named objects --------------------------------------------------------------------------
    bool hasObject(const QString& name) const { return tpl_.findObject(name) != nullptr; }
    QStringList missingObjects(const QStringList& names) const;
    // Empty when the template holds every named object; otherwise a message naming the file and the
    // missing objects, for the caller to show.
    QString checkObjects(const QStringList& names) const;
    // Replaces the whole text of a memo; the text prints as it stands (no expressions). False when the
    // template has no text object of that name.
    bool setText(const QString& object, const QString& text);
    // Replaces the picture of a picture object, from an image or from an image file's bytes (an empty
    // or unreadable picture draws nothing). False when the template has no picture object of that name.
    bool setPicture(const QString& object, const QImage& image);
    bool setPicture(const QString& object, const QByteArray& imageFileBytes);

    // --- datasets ------------------------------------------------------------------------------
    void setDataset(const ReportDataset& ds);  // replaces one of the same name
    void removeDataset(const QString& name);
    void clearDatasets() { datasets_.clear(); }
    const ReportDataset* dataset(const QString& name) const;

    // load() followed by checkObjects(deliveryNoteObjects()): false with *error naming the file and, for
    // a template that lacks some of the seven objects, the objects.
    bool loadDeliveryNote(const QString& path, QString* error = nullptr);

    // --- layout ---------------------------------------------------------------------------------
    PreparedReport prepare() const;

  private:
    Template tpl_;
    QString fileName_;
    QHash<QString, QString> texts_;    // lower-case object name -> filled text
    QHash<QString, QImage> pictures_;  // lower-case object name -> filled picture
    QVector<ReportDataset> datasets_;
    friend class LayoutEngine;
};

}  // namespace printing
