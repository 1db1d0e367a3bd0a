#pragma once
// The template designer window "报表设计 - <file>": a tool bar, the drawing area (DesignerCanvas: the
// page at its real size with its bands, rulers, grid, background picture) and a property panel for the
// selection.
//
// The tool bar adds a text, a field of the note's datasets, a picture, a line or a rectangle (into the
// band last clicked, or the selected object's band), deletes, copies, pastes, undoes and redoes,
// switches snapping to the grid ("对齐网格") and zooms; "保存" writes the .fr3 file, "预览" shows the
// template filled with the current note (noteReport) or, with none, with sample data; "底图…" loads
// a picture of the blank form, "设定参考点" places it by two points the user clicks and types the paper
// positions of, "显示底图" shows or hides it; "打印机校正" edits the per-printer offsets; "关闭" asks
// to save unsaved changes.
//
//   printing::DesignerWindow designer(templatePath, parent);
//   designer.noteReport = [&](const Template& tpl, const QString& file) { ... };
//   if (designer.isLoaded()) designer.exec();

#include "printing/DesignerModel.h"
#include "printing/Report.h"
#include "printing/TemplateSettings.h"

#include <QDialog>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QGraphicsView;
class QLabel;
class QToolBar;

namespace printing {

class DesignerCanvas;
class DesignerPanel;

class DesignerWindow : public QDialog {
    Q_OBJECT
  public:
    // Loads the template; a file that cannot be loaded is reported through ui::dialogs().
    explicit DesignerWindow(const QString& templatePath, QWidget* parent = nullptr);
    ~DesignerWindow() override;
    bool isLoaded() const { return loaded_; }

    DesignerModel& model() { return model_; }
    DesignerCanvas* canvas() const { return canvas_; }
    DesignerPanel* panel() const { return panel_; }
    QGraphicsView* view() const;
    // Where each band starts in the scene (mm from the paper's top), by band name.
    QPointF bandOrigin(const QString& band) const;

    // The report "预览" shows: the template being edited (in memory) filled with the current note;
    // nullopt (or no function) to show it with sample data.
    std::function<std::optional<Report>(const Template& tpl, const QString& fileName)> noteReport;
    // Shows the prepared pages; by default in the preview window (modal). Tests capture them.
    std::function<void(const PreparedReport&)> showPreview;
    // "打印机校正": the settings with the printers' offsets as the user left them, nullopt when cancelled.
    // By default the printer adjustment dialog (modal); replaceable (tests).
    std::function<std::optional<TemplateSettings>(const TemplateSettings&)> adjustPrinters;

    // The tool bar's actions (objectName): actText, actField, actPicture, actLine, actRect, actDelete,
    // actCopy, actPaste, actUndo, actRedo, actSnap, actSave, actPreview, actBackground,
    // actReferencePoints, actShowBackground, actPrinterAdjustments, actClose; the zoom box zoomBox.
    void addText();         // "文本"
    void addField();        // "字段": a menu of the datasets' fields
    void addPicture();      // "图片": an image file
    void addLine();         // "线条"
    void addRect();         // "矩形"
    void deleteSelected();  // "删除" (Delete): the seven printed objects are refused, with the reason
    void copy();            // "复制" (Ctrl+C)
    void paste();           // "粘贴" (Ctrl+V)
    void undo();            // "撤销" (Ctrl+Z)
    void redo();            // "重做" (Ctrl+Y)
    bool save();            // "保存": false when writing failed (reported)
    void preview();         // "预览"
    void loadBackground();  // "底图…"
    void setReferencePoints();  // "设定参考点": two clicks on the canvas, each followed by its paper position
    void printerAdjustments();  // "打印机校正"
    void reject() override;     // "关闭": asks to save unsaved changes

    // An edit was made or the selection changed: redraw, refill the panel, update the actions.
    void refresh();

  private:
    void buildToolBar();
    QAction* addAction(const char* name, const QString& text, const QString& tip = {});
    void addNew(DesignerModel::NewObject kind, const QString& text = {}, const QByteArray& picture = {});
    void pickReferencePoint(int n, const QTransform& imageToPaper, QList<QPointF> imagePoints,
                            QList<QPointF> paperPoints);
    void updateActions();
    void updateTitle();

    DesignerModel model_;
    bool loaded_ = false;
    DesignerCanvas* canvas_;
    QToolBar* toolBar_;
    QComboBox* zoomBox_;
    QLabel* statusLabel_;  // hints (the reference points) and where the mouse is
    QAction *undoAct_, *redoAct_, *deleteAct_, *copyAct_, *snapAct_, *showBackgroundAct_, *referenceAct_;
    DesignerPanel* panel_;
};

}  // namespace printing
