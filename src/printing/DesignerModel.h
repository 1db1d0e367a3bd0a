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
#include "printing/TemplateSettings.h"

#include <QList>
#include <QPointF>
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

    // --- display format, bands, page -----------------------------------------------------------
    bool setItalic(const QString& name, bool italic);
    bool setUnderline(const QString& name, bool underline);
    bool setDisplayFormat(const QString& name, const DisplayFormat& format);
    // Fill-to-lines of a child band: ToNRows and ToNRowsMode (rmCount, rmTillPageEnds, rmAddToCount).
    bool setBandToNRows(const QString& band, int rows, const QString& mode = QStringLiteral("rmCount"));
    // Paper of the first page: size in mm as it prints (already swapped for landscape), the Windows
    // paper code (9 A4, 11 A5, 256 custom), orientation and margins in mm.
    struct PageSetup {
        double paperWidth = 210, paperHeight = 297;
        int paperSize = 9;
        bool landscape = false;
        double leftMargin = 10, rightMargin = 10, topMargin = 10, bottomMargin = 10;
        bool operator==(const PageSetup&) const = default;
    };
    PageSetup pageSetup() const;
    bool setPageSetup(const PageSetup& setup);

    // --- adding, copying, deleting ---------------------------------------------------------------
    enum class NewObject { Text, Field, Picture, Line, Rectangle };
    // Adds an object of that kind to the band ("" = the page's loose objects) at posMm (relative to
    // the band) with a fresh name (Memo1, Picture1, Line1, Shape1 ... the first not in use), selects it
    // alone and returns its name; "" when there is no such band. A text or field gets `text` (a field
    // is given as [dataset."field"]); a picture takes `picture` (an image file's bytes, may be empty).
    QString addObject(NewObject kind, const QString& band, QPointF posMm, const QString& text = {},
                      const QByteArray& picture = {});
    // The selected objects as clipboard text: FR3 XML of their elements, each with its band's name.
    QString copySelection() const;
    // Pastes text copySelection gave: each object into its own band when the template has it, else into
    // fallbackBand, 2 mm right and down from where it was copied; a name in use (the seven required
    // ones included) is replaced by a fresh one. Selects the pasted objects and returns their names
    // (empty for text that is no copied objects).
    QStringList paste(const QString& clipboard, const QString& fallbackBand = {});
    // Deletes the selected objects; when one of them is required nothing is deleted and the reason is
    // returned.
    QString removeSelected();

    // --- column-aligned resize -------------------------------------------------------------------
    enum class Edge { Left, Right, Top, Bottom };
    // Moves one edge of the object by deltaMm (positive = right or down). Unless alone, moving a left or
    // right edge that is a column border also moves the edges of the table's other cells that lie on
    // the same x (within 0.1 mm): the column titles, the data cells and the empty-row cells that share
    // that border follow, so the boxes stay aligned (the neighbour whose left edge is on the border
    // narrows as the column widens). The column borders are the edges of the objects in the header,
    // master data and child bands; every object there is a cell, and in the page header and footer
    // bands an object is a cell when both its ends lie on column borders (a vertical rule on one
    // follows too), so the note's other header texts keep their place. An object elsewhere (page
    // footer, title, summary, loose) and top and bottom edges move alone. Widths stay at least 0 for
    // all at once (the delta is cut for all of them). Returns the names of the objects changed,
    // the grabbed one first; empty when nothing changed.
    QStringList resizeEdge(const QString& name, Edge edge, double deltaMm, bool alone = false);

    // --- our own settings (per-printer offsets, background picture) -------------------------------
    TemplateSettings settings() const;
    void setSettings(const TemplateSettings& settings);

    // --- undo and redo ---------------------------------------------------------------------------
    // Every change above (and rename, remove, move ...) is one step; between beginGroup() and
    // endGroup() all changes together are one step (the panel applying several fields, a drag).
    // Undo and redo restore the template and the selection; saving keeps the history, loading clears
    // it. A new change after an undo drops the steps that could be redone. The modified flag follows:
    // undoing or redoing back to the state last loaded or saved clears it. Undo and redo refuse while
    // a group is open.
    void beginGroup();
    void endGroup();
    bool canUndo() const;
    bool canRedo() const;
    bool undo();
    bool redo();

  private:
    ReportObject* find(const QString& name) { return tpl_.findObject(name); }
    // Sets the object's own font to what it prints with now, so that a change of one property keeps
    // the others.
    void ownFont(ReportObject& o, const QString& name);
    // Records that the edit under way changed the template (really) or left it as it was.
    bool changed(bool really);
    // The first name of the form prefix1, prefix2 ... that no object or band uses.
    QString freshName(const QString& prefix) const;
    // The objects' list of a band ("" = the first page's loose objects); nullptr when there is none.
    QList<ReportObject>* objectsOf(const QString& band);

    // One undo step: the template and the selection as they were before it.
    struct Snapshot {
        Template tpl;
        QStringList selection;
    };
    // Every edit runs inside one (an RAII beginGroup/endGroup): only the outermost records a step, and
    // only when something changed.
    class Step;

    Template tpl_;
    QString fileName_;
    QStringList selection_;
    bool modified_ = false;

    QList<Snapshot> undo_, redo_;
    Snapshot groupStart_;        // the state when the outermost group began
    int groupDepth_ = 0;         // open groups (edits count as groups too)
    bool groupChanged_ = false;  // a change happened inside the open group
    qsizetype savedAt_ = 0;      // undo_.size() when the file was last loaded or saved; -1: lost
};

}  // namespace printing
