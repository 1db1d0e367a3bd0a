#pragma once
// The template designer window "报表设计 - <file>": the page at its real size with its bands one below
// the other, objects drawn as boxes with their text; click to select, drag or arrow keys to move
// (0.5 mm, 0.1 mm with Ctrl), a property panel for the selected object, "保存", "预览" and "关闭".
//
//   printing::DesignerWindow designer(templatePath, parent);
//   if (designer.isLoaded()) designer.exec();

#include "printing/DesignerModel.h"
#include "printing/Report.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QGraphicsView;
class QLineEdit;
class QPushButton;

namespace printing {

class DesignerCanvas;

class DesignerWindow : public QDialog {
    Q_OBJECT
  public:
    // Loads the template; a file that cannot be loaded is reported through ui::dialogs().
    explicit DesignerWindow(const QString& templatePath, QWidget* parent = nullptr);
    bool isLoaded() const { return loaded_; }

    DesignerModel& model() { return model_; }
    QGraphicsView* view() const;
    // Where each band starts in the scene (mm from the paper's top), by band name.
    QPointF bandOrigin(const QString& band) const;

    // Shows the template with sample data; replaceable (tests).
    std::function<void(const PreparedReport&)> showPreview;

    bool save();             // "保存": false when writing failed (reported)
    void preview();          // "预览"
    void reject() override;  // "关闭": asks to save unsaved changes

    // The current selection changed or an edit was made: redraw and refill the panel.
    void refresh();

  private:
    void loadPanel();
    void applyPanel();
    void updateTitle();

    DesignerModel model_;
    bool loaded_ = false;
    bool filling_ = false;
    DesignerCanvas* canvas_;
    QLineEdit* nameEdit_;
    QDoubleSpinBox *leftSpin_, *topSpin_, *widthSpin_, *heightSpin_, *fontSizeSpin_;
    QLineEdit* textEdit_;
    QCheckBox* boldCheck_;
    QPushButton *saveBtn_, *previewBtn_, *closeBtn_;
};

}  // namespace printing
