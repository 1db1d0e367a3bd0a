#pragma once
// The template designer's model: a template being edited, the selected objects, and the edits a user
// makes (move, resize, properties, band heights), all in millimetres. No widgets; the designer window
// (DesignerWindow.h) shows it.
//
//   printing::DesignerModel model;
//   if (!model.load(path, &error)) ...
//   model.select({"khmc"});
//   model.moveSelected(3, 0);         // 3 mm to the right
//   model.save(&error);               // writes the .fr3 that printing uses
//
// The seven objects printing fills (deliveryNoteObjects()) cannot be deleted or renamed: those edits
// return the reason instead.

#include "printing/Template.h"

#include <QRectF>
#include <QString>
#include <QStringList>

namespace printing {

class DesignerModel {
  public:
    DesignerModel() = default;
    explicit DesignerModel(Template tpl, const QString& fileName = {});

    // Loads a template file; false with *error naming the file. Clears the selection.
    bool load(const QString& path, QString* error = nullptr);
    // Writes the template to its file (or to path); false with *error. Clears the modified flag.
    bool save(QString* error = nullptr);
    bool saveAs(const QString& path, QString* error = nullptr);

    const Template& tpl() const { return tpl_; }
    const QString& fileName() const { return fileName_; }
    bool isModified() const { return modified_; }

    // True for the objects printing fills on every delivery note.
    static bool isRequiredObject(const QString& name);

    // --- finding -------------------------------------------------------------------------------
    const ReportObject* object(const QString& name) const { return tpl_.findObject(name); }
    const Band* band(const QString& name) const { return tpl_.findBand(name); }
    // The band that holds the object ("" for objects placed straight on the page, or none).
    QString bandOf(const QString& objectName) const;
    // Position and size in mm, relative to the object's band.
    QRectF geometryMm(const QString& name) const;
    ResolvedFont font(const QString& name) const;  // the font the object prints with

    // --- selection -----------------------------------------------------------------------------
    // Selects the named objects (unknown names are left out).
    void select(const QStringList& names);
    void addToSelection(const QString& name);
    void clearSelection() { selection_.clear(); }
    const QStringList& selection() const { return selection_; }

    // --- edits (false when there is no such object; a no-op leaves the model unmodified) ----------
    void moveSelected(double dxMm, double dyMm);
    bool move(const QString& name, double dxMm, double dyMm);
    // Changes width and height by dw, dh mm; text objects, pictures and shapes stay at least 0 mm.
    bool resize(const QString& name, double dwMm, double dhMm);
    bool setGeometryMm(const QString& name, const QRectF& mm);
    bool setText(const QString& name, const QString& text);
    bool setFontSize(const QString& name, double points);
    bool setBold(const QString& name, bool bold);
    bool setFontName(const QString& name, const QString& family);
    bool setHAlign(const QString& name, HAlign a);
    bool setVAlign(const QString& name, VAlign a);
    bool setWordWrap(const QString& name, bool wrap);
    // Frame sides (Frame::Side bits) and line width in mm.
    bool setFrame(const QString& name, int sides, double widthMm);
    bool setBandHeight(const QString& band, double mm);

    // Empty when done; otherwise the reason it was refused (a required object, a name in use ...).
    QString rename(const QString& name, const QString& newName);
    QString remove(const QString& name);

  private:
    ReportObject* find(const QString& name) { return tpl_.findObject(name); }
    // Sets the object's own font to what it prints with now, so that a change of one property keeps
    // the others.
    void ownFont(ReportObject& o, const QString& name);
    bool changed(bool really);

    Template tpl_;
    QString fileName_;
    QStringList selection_;
    bool modified_ = false;
};

}  // namespace printing
