#pragma once
#include "data/Money.h"
#include "data/Sql.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <memory>

class QThread;

// The note list's search: one free-text box over twelve header columns, a range over the number's
// first eight characters and six per-column filters, run on every keystroke.
namespace notes {

struct NoteFilters {
    QString text;         // locedit: matched in any of the twelve columns
    QString from;         // rqedit: lower bound of the number's first eight characters
    QString to;           // TqEdit: upper bound
    QString customer;     // khedit
    QString plate;        // cpedit
    QString status;       // ztedit
    QString signer;       // qhedit
    QString issuer;       // kdedit
    QString salesperson;  // ywedit
};

// The search statement: every note whose twelve columns hold the text somewhere (patterns "%text%",
// also "%%" for no text), within the date range when both bounds are given (compared as text), and
// whose filter columns hold their texts; newest number first. The typed texts are not escaped: "%"
// and "_" act as wildcards.
data::Statement noteSearchStatement(const NoteFilters& filters);

// The same notes in the same order, found faster, as their 'id' and 总金额: the stored search texts
// of the notes (one column instead of twelve, read in the order of the number, and a trigram index for
// texts of three or more characters) replace or narrow down the twelve-column condition. onNotes: the
// statement reads shd itself, so that it can be ordered by any column of the notes.
data::Statement quickNoteSearchStatement(const NoteFilters& filters, bool onNotes = false);

// A statement of the notes' own columns ("select * from shd ...") reading only 'id' and 总金额.
data::Statement leanStatement(const data::Statement& st);

// The statement with its order replaced by `field` ascending or descending; rows that are equal in it
// keep the statement's own order after it. Without an order line one is added.
QStringList orderedBy(const QStringList& lines, const QString& field, Qt::SortOrder order);

// The found rows of a search: their keys (shd.id) in order and the sum of 总金额 over all of them.
struct NoteSearchResult {
    quint64 ticket = 0;
    data::Statement statement;
    QVector<QVariant> keys;
    data::Money total;
    QString error;  // the database's text when the search failed
};

// Runs note searches off the interface thread on a connection of its own to the same file, so that
// typing never waits for the database. A new search interrupts the one still running; only the
// result of the latest search is delivered (signal `found`, on the thread that made this object).
class NoteSearcher : public QObject {
    Q_OBJECT
  public:
    explicit NoteSearcher(const QSqlDatabase& db, QObject* parent = nullptr);
    ~NoteSearcher() override;

    // Starts st (a statement selecting 'id' and 总金额 of shd rows); returns its ticket.
    quint64 start(const data::Statement& st);
    quint64 latestTicket() const { return latest_->load(); }
    bool isBusy() const { return delivered_ != latest_->load(); }

    // Runs st on db in the calling thread: what a search finds. Throws data::DbError.
    static NoteSearchResult runNow(const QSqlDatabase& db, const data::Statement& st);

  signals:
    void found(const notes::NoteSearchResult& result);

  private:
    class Worker;
    void deliver(const NoteSearchResult& result);
    QThread* thread_ = nullptr;
    Worker* worker_ = nullptr;
    std::shared_ptr<std::atomic<quint64>> latest_;
    quint64 delivered_ = 0;
};

}  // namespace notes
