#pragma once
// The designer's drawing area: the page at its real size with its bands one below the other, and the
// objects on them. Scene units are millimetres; the paper's top-left corner is the scene's origin.
// Click to select, drag or arrow keys (0.5 mm, 0.1 mm with Ctrl) to move the selection.
//
//   auto* canvas = new printing::DesignerCanvas(model, window);
//   connect(canvas, &printing::DesignerCanvas::edited, window, &Window::refresh);
//   canvas->rebuild();   // after every change the canvas did not make itself

#include "printing/DesignerModel.h"

#include <QGraphicsView>
#include <QHash>

class QGraphicsScene;

namespace printing {

class DesignerCanvas : public QGraphicsView {
    Q_OBJECT
  public:
    explicit DesignerCanvas(DesignerModel& model, QWidget* parent = nullptr);

    // Redraws everything from the model (bands, objects, selection).
    void rebuild();
    // Where each band starts in the scene (mm from the paper's top-left corner), by band name ("" for
    // the objects placed straight on the page).
    QPointF bandOrigin(const QString& band) const;

  signals:
    // The canvas changed the model (a drag, a key); the window redraws and refills its panel.
    void edited();
    // The user changed the selection.
    void selectionChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    friend class ObjectItem;
    void sceneSelectionChanged();
    void objectDragged(QPointF deltaMm);

    DesignerModel& model_;
    QGraphicsScene* scene_;
    QHash<QString, QPointF> bandOrigins_;
};

}  // namespace printing
