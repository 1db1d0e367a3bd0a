#pragma once
// The designer's drawing area: the page at its real size with its bands one below the other (each with
// its name and height), the objects drawn as they print, a millimetre ruler along the top and the left,
// a 1 mm grid, and the background picture of the blank form under the objects. Scene units are
// millimetres; the paper's top-left corner is the scene's origin, so scene x is paper x.
//
// The mouse selects (Shift adds, a rubber band selects what it touches), drags the selection and resizes
// the single selected object by its eight handles (an edge handle moves that edge with the column
// borders it shares, alone while only Alt is held; a corner moves two edges). Dragging and resizing snap
// to whole millimetres of the band while snapping is on; the arrow keys move by 0.5 mm (0.1 mm with
// Ctrl) and never snap. Each drag or resize is one undo step.
//
//   auto* canvas = new printing::DesignerCanvas(model, window);
//   connect(canvas, &printing::DesignerCanvas::edited, window, &Window::refresh);
//   canvas->rebuild();   // after every change, also the canvas's own

#include "printing/DesignerModel.h"

#include <QGraphicsView>
#include <QHash>
#include <QPixmap>
#include <functional>
#include <optional>

class QGraphicsItem;
class QGraphicsScene;
class QRubberBand;

namespace printing {

class DesignerCanvas : public QGraphicsView {
    Q_OBJECT
  public:
    explicit DesignerCanvas(DesignerModel& model, QWidget* parent = nullptr);

    // Redraws everything from the model (bands, objects, selection, background).
    void rebuild();

    // --- where things are (scene millimetres) -----------------------------------------------------
    // Where each band's area starts, by band name ("" for the objects placed straight on the page).
    QPointF bandOrigin(const QString& band) const;
    // The band whose area holds the scene point; nullopt outside every band.
    std::optional<QString> bandAt(QPointF scenePos) const;
    // The object's box in the scene (normalised: lines drawn leftwards or upwards too).
    QRectF objectRect(const QString& name) const;
    // Scene point -> paper millimetres, for a point in a band's area: the band is taken where it prints
    // first on the first page (page footers at the page's bottom). nullopt outside every band.
    std::optional<QPointF> sceneToPaper(QPointF scenePos) const;

    enum class Handle { TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };
    // The centre of a handle of the single selected object, in the scene; nullopt without one.
    std::optional<QPointF> handlePos(Handle h) const;

    // Where a new object goes: the band under the last point clicked (at that point, band-relative),
    // else the band of the first selected object (2 mm right and down from it), else the first band.
    std::pair<QString, QPointF> placeForNewObject() const;

    // --- settings -------------------------------------------------------------------------------
    bool snapToGrid() const { return snap_; }
    void setSnapToGrid(bool on);
    bool backgroundShown() const { return showBackground_; }
    void setBackgroundShown(bool on);
    // 1 = the paper at its real size on the screen.
    double zoom() const { return zoom_; }
    void setZoom(double zoom);

    // The next left click on the canvas goes to handler (scene millimetres) instead of selecting;
    // Escape cancels. Used to pick the background's reference points.
    void pickPoint(std::function<void(QPointF scenePos)> handler);
    bool isPickingPoint() const { return bool(pick_); }
    void cancelPick();

    QWidget* horizontalRuler() const;
    QWidget* verticalRuler() const;

  signals:
    // The canvas changed the model (a drag, a resize, an arrow key); the window redraws.
    void edited();
    // The user changed the selection.
    void selectionChanged();
    // A click on a band's empty area, or on the paper outside the bands.
    void bandClicked(const QString& band);
    void paperClicked();
    // Keys the window carries out: Delete, Ctrl+C, Ctrl+V, Ctrl+Z, Ctrl+Y (and Ctrl+Shift+Z).
    void deleteRequested();
    void copyRequested();
    void pasteRequested();
    void undoRequested();
    void redoRequested();
    void zoomChanged(double zoom);
    // Where the mouse is: the band and the band-relative position ("" outside the bands).
    void pointerMoved(const QString& where);
    void pickCancelled();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

  private:
    struct BandArea {
        QString name;
        QRectF rect;      // scene
        double paperTop;  // mm from the paper's top where it prints first
    };
    class Ruler;
    friend class Ruler;

    const BandArea* areaOf(const QString& band) const;
    const BandArea* areaAt(QPointF scenePos) const;
    QString objectAt(QPoint viewportPos) const;
    std::optional<Handle> handleAt(QPoint viewportPos) const;
    QString singleSelection() const;
    void applyTransform();
    void placeRulers();
    void updateRulers();
    void finishGesture();
    void setHoverCursor(QPoint viewportPos);
    void updateSelectionMarks();

    DesignerModel& model_;
    QGraphicsScene* scene_;
    QList<BandArea> areas_;
    QHash<QString, QGraphicsItem*> items_;    // the objects' items by name
    QList<std::pair<QString, QRectF>> hits_;  // the objects' boxes (scene), in drawing order
    QSizeF paperSize_;
    std::optional<QPointF> pointer_;  // the mouse (scene), marked on the rulers
    QPixmap background_;
    QByteArray backgroundBytes_;  // what background_ was decoded from
    bool snap_ = true;
    bool showBackground_ = true;
    double zoom_ = 1;

    // The gesture under way with the left button.
    enum class Mode { None, Pressed, Drag, Resize, Rubber };
    Mode mode_ = Mode::None;
    QPoint pressPx_;
    QPointF pressScene_;
    QString anchor_;       // the object pressed on (Drag) or resized
    QPointF anchorStart_;  // its band-relative top-left when pressed (Drag)
    QPointF applied_;      // the move or the edge deltas applied so far, mm
    QRectF resizeStart_;   // the resized object's band-relative box when pressed (normalised)
    Handle handle_ = Handle::Right;
    bool alone_ = false;
    bool groupOpen_ = false;
    QStringList rubberBase_;  // the selection a Shift rubber band adds to
    QRubberBand* rubber_ = nullptr;

    std::optional<QPointF> lastClick_;
    std::function<void(QPointF)> pick_;
    Ruler* hRuler_;
    Ruler* vRuler_;
    QWidget* corner_;
};

}  // namespace printing
