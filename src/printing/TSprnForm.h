#pragma once
#include "printing/NotePrinting.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace data {
class DataHub;
}
namespace notes {
struct PrintRequest;
}

namespace printing {

// "选择送货单打印格式": the print formats of bbmc (read once, the first time the window is shown), the
// format to print in REdit (kept from one printing to the next), "打印 &P" which fills the chosen
// template with the note of the print source and shows it in the preview, "加入 &T" for a new format
// and "报表设置&S" for a format's template. Closing the window re-reads the note list's lines.
class TSprnForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSprnForm(data::DataHub& hub, QWidget* parent = nullptr);

    // The two places a note is printed from. Both set the print source and open the window modally.
    void printFromEntryTab(const notes::PrintRequest& request);  // step 7 of issuing with print now
    // "送货单打印&P" of the note list: the stock question while the note is 未打印, the status 已打印
    // written, then the window. With no note in the list it says so and does nothing else.
    void printFromNoteList();

    // Sets the print source and its data, then shows the window modally (returns when it is closed).
    void open(const NoteData& note);
    // Sets the print source and its data without showing the window.
    void setNote(const NoteData& note) { note_ = note; }
    const NoteData& note() const { return note_; }
    PrintSource source() const { return note_.source; }

    // The prepared note is shown here; by default in the preview window (modal). Tests capture it.
    std::function<void(const PreparedReport& pages, const QString& documentName)> showPreview;
    // "报表设置&S" with the template file of the format in REdit: by default the template designer,
    // whose "预览" shows the note of the print source (designerReport).
    std::function<void(const QString& templatePath)> designHook;
    // The note of the print source, as "打印 &P" fills it, in a template held in memory (the one the
    // designer is editing, unsaved changes included); nullopt when the window has no note or the
    // template cannot take it (the reason is shown).
    std::optional<Report> designerReport(const Template& tpl, const QString& fileName) const;

    bool formatsLoaded() const { return loaded_; }

  public slots:
    void print();      // "打印 &P"
    void addFormat();  // "加入 &T"
    void design();     // "报表设置&S"

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void loadFormats();
    void formatClicked(QListWidgetItem* item);

    data::DataHub& hub_;
    NoteData note_;
    bool loaded_ = false;

    QLineEdit* REdit_;
    QListWidget* rlist_;
    QLineEdit* rmc_;
    QPushButton* printBtn_;
    QPushButton* closeBtn_;
    QPushButton* addBtn_;
    QPushButton* designBtn_;
};

}  // namespace printing
