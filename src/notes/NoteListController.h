#pragma once
#include "data/Money.h"
#include "notes/NoteSearch.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAbstractButton;
class QLineEdit;
class QMenu;

namespace data {
class DataHub;
}
namespace ui {
class DataGrid;
}

namespace notes {

// Background of a note in the list by its status (an invalid colour: the grid's own colours).
QColor statusColor(const QString& status);
// A sum as the footers show it: four decimal places.
QString footerMoney(data::Money sum);

// The controls of the list tab.
struct NoteListWidgets {
    QLineEdit* locedit = nullptr;           // the free-text search
    QLineEdit* rqedit = nullptr;            // date range, from
    QLineEdit* TqEdit = nullptr;            // date range, to
    QLineEdit* khedit = nullptr;            // customer filter
    QLineEdit* cpedit = nullptr;            // plate filter
    QLineEdit* ztedit = nullptr;            // status filter
    QLineEdit* qhedit = nullptr;            // signer filter
    QLineEdit* kdedit = nullptr;            // issuer filter
    QLineEdit* ywedit = nullptr;            // salesperson filter
    ui::DataGrid* shdgrid = nullptr;        // the notes (hub.shdTqry)
    ui::DataGrid* cpgrid = nullptr;         // the current note's lines (hub.shdDqry)
    QAbstractButton* operations = nullptr;  // "送货单操作 &E"
    QMenu* lineMenu = nullptr;              // cpgrid's mxxgpop: "增加", "修改", "删除"
};

// The note list of the list tab: the search as the user types, sorting by titles, status colours,
// footer sums over every matching note, the status menu, deletion, and the correction of the lines of
// an unprinted note.
//
// Searches run off the interface thread (NoteSearcher) and the list holds only the keys of the found
// notes, reading a note's fields when it comes into view: typing stays fluid with hundreds of
// thousands of notes. The rows, their order and the footer are those of the search statement.
class NoteListController : public QObject {
    Q_OBJECT
  public:
    NoteListController(data::DataHub& hub, const NoteListWidgets& widgets, QObject* parent = nullptr);
    ~NoteListController() override;

    NoteFilters filters() const;                  // the filter edits as they stand
    data::Money total() const { return total_; }  // 总金额 over every note of the list
    bool isSearching() const;
    bool hasSearchTexts() const;  // the search thread holds the notes' search texts (NoteSearcher)

  public slots:
    void search();  // the search of the filter edits (runs on every change of one of them)
    void reread();  // the list again with its last statement (after a note has been issued)
    void sortBy(const QString& field, Qt::SortOrder order);  // a title click
    void showOperations();                      // "送货单操作 &E": the status menu at the mouse position
    void chooseOperation(const QString& item);  // one item of the status menu
    void addLine();                             // "增加"
    void changeLine();                          // "修改"
    void deleteLine();                          // "删除"

  signals:
    void listShown();  // a search's rows are in the list (and its footer)

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Purpose { Search, Sort, Reread, Total };
    void run(const data::Statement& st, Purpose purpose, const NoteFilters* textsOnly = nullptr);
    void found(const NoteSearchResult& result);
    void recomputeTotal();
    void lineFieldChanged(int row, const QString& field);
    void saveLine();
    void leftLines();
    QString currentStatus() const;

    data::DataHub& hub_;
    NoteListWidgets w_;
    NoteSearcher* searcher_ = nullptr;
    QPointer<QMenu> editztMENU_;  // the status menu
    Purpose pending_ = Purpose::Search;
    QStringList unsortedLines_;  // the statement before title clicks re-ordered it
    QString sortField_;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    data::Money total_;
    bool applying_ = false;     // a result is being put into the list
    bool computing_ = false;    // a line amount is being written
    bool savePending_ = false;  // the header step is queued
    bool asking_ = false;       // the save question is on the screen
};

}  // namespace notes
