#pragma once
// The template designer's property panel: the selected objects, a band or the page, edited in millimetres.
//
//   auto* panel = new printing::DesignerPanel(model, window);
//   connect(panel, &printing::DesignerPanel::changed, window, &Window::redraw);
//   panel->showSelection();        // after every selection change
//   panel->showBand("MasterData1"); // the user clicked a band's empty area
//   panel->showPage();             // ... or the paper outside the bands
//
// Each field is applied to the model as soon as it is finished (Enter, focus out, a click), each change as
// one undo step (model.beginGroup()/endGroup()); then changed() is emitted, synchronously, for the window
// to redraw. With several objects selected the position and size fields show the first object's values
// and, like every other field, set the value on all of them (only the field that was edited); name and
// text then stay disabled. A field that an object kind has no use for (a line has no text) is disabled.

#include "printing/DesignerModel.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace printing {

class DesignerPanel : public QWidget {
    Q_OBJECT
  public:
    explicit DesignerPanel(DesignerModel& model, QWidget* parent = nullptr);
    ~DesignerPanel() override;

    // The objects of model.selection(); with none, the band last shown with showBand (while it exists),
    // else the page.
    void showSelection();
    void showBand(const QString& band);
    void showPage();

    // Applies what a field holds that was typed but not yet finished (no Enter, the focus still there): a
    // window calls it before it saves, previews, closes or edits otherwise, so nothing typed is lost or
    // applied afterwards.
    void commitEdits();

    enum class Showing { Objects, Band, Page };
    Showing showing() const { return showing_; }
    const QStringList& shownObjects() const { return objects_; }
    const QString& shownBand() const { return band_; }

    // The texts the "插入字段" menu offers, as they are inserted: [dataset."field"] for every field of the
    // note's datasets, then the engine's variables ([Line#], [Page#] ...).
    static QStringList insertableFields();

  signals:
    // An edit reached the model (emitted after the panel shows the new values).
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildObjectBox();
    void buildBandBox();
    void buildPageBox();
    void reload();
    void loadObjects();
    void loadBand();
    void loadPage();
    void setShowing(Showing s);

    // Runs edit inside one undo step; reloads the panel and emits changed() when the template changed.
    template <class Edit>
    void apply(Edit edit);
    // Calls edit for each shown object that `applies` accepts (by its kind).
    template <class Edit>
    void applyToObjects(bool (*applies)(const ReportObject&), Edit edit);

    void applyName();
    void applyGeometry(int which, double shown);
    void applyText();
    void insertField();
    void applyFontName(const QString& family);
    void applyFormatText();
    // Changes the page setup as one step; a setup the model refuses (margins wider than the paper) is
    // shown with the reason and the fields go back. False when refused.
    bool applyPage(const std::function<void(DesignerModel::PageSetup&)>& change);
    void applyPaper();
    void applyOrientation();
    void applyPaperSize();
    void applyMargins();

    DesignerModel& model_;
    Showing showing_ = Showing::Page;
    QStringList objects_;  // the objects the panel shows (the edits go to them)
    QString band_;         // the band it shows, or last showed
    bool filling_ = false;

    QLabel* title_;
    QGroupBox *objectBox_, *bandBox_, *pageBox_;
    QFormLayout *objectForm_, *bandForm_;

    QLineEdit* nameEdit_;
    QDoubleSpinBox *leftSpin_, *topSpin_, *widthSpin_, *heightSpin_;
    QPlainTextEdit* textEdit_;
    QPushButton* fieldButton_;
    QComboBox* fontCombo_;
    QDoubleSpinBox* fontSizeSpin_;
    QCheckBox *boldCheck_, *italicCheck_, *underlineCheck_;
    QComboBox *hAlignCombo_, *vAlignCombo_;
    QCheckBox* wordWrapCheck_;
    QCheckBox *frameLeftCheck_, *frameRightCheck_, *frameTopCheck_, *frameBottomCheck_;
    QDoubleSpinBox* frameWidthSpin_;
    QComboBox* formatKindCombo_;
    QLineEdit* formatEdit_;

    QLineEdit* bandNameEdit_;
    QDoubleSpinBox* bandHeightSpin_;
    QSpinBox* toNRowsSpin_;
    QComboBox* toNRowsModeCombo_;

    QComboBox *paperCombo_, *orientationCombo_;
    QDoubleSpinBox *paperWidthSpin_, *paperHeightSpin_;
    QDoubleSpinBox *marginLeftSpin_, *marginRightSpin_, *marginTopSpin_, *marginBottomSpin_;
};

}  // namespace printing
