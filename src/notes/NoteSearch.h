#pragma once
#include "data/Money.h"
#include "data/Sql.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
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

// The search needs nothing but the stored search texts: no date range, no filter, and a text without
// wildcards or the separator of the joined texts (NoteTextIndex finds it).
bool searchesTextsOnly(const NoteFilters& filters);

// A statement of the notes' own columns ("select * from shd ...") reading only 'id' and 总金额.
data::Statement leanStatement(const data::Statement& st);

// The statement with its order replaced by `field` ascending or descending; rows that are equal in it
// keep the statement's own order after it. Without an order line one is added.
QStringList orderedBy(const QStringList& lines, const QString& field, Qt::SortOrder order);

// The found rows of a search: their keys (shd.id) in order and the sum of 总金额 over all of them.
struct NoteSearchResult {
    quint64 ticket = 0;
    data::Statement statement;
    QVector<qint64> keys;
    data::Money total;
    QString error;  // the database's text when the search failed
};

// Every note's search text, newest number first, held in memory by the search thread. A text without
// wildcards is found in it by a plain byte search over the texts, several times faster than the
// database can read the same texts for a LIKE, which matters for the short texts that the trigram index
// cannot narrow down. Whether another connection has changed the file since the texts were read tells
// PRAGMA data_version, so it must be used on a connection that never writes.
class NoteTextIndex {
  public:
    // Reads the texts unless they are those of the file as it stands. Throws data::DbError (also when
    // the read was interrupted); then nothing is loaded.
    void update(const QSqlDatabase& db);
    // Loaded, and no other connection has changed the file since. Throws data::DbError.
    bool isCurrent(const QSqlDatabase& db) const;
    bool isLoaded() const { return version_ >= 0; }
    int size() const { return int(ids_.size()); }
    // Whether find() answers for this text exactly as the joined text's LIKE '%text%' does.
    static bool canFind(const QString& text);
    // Adds to `result` the notes whose search text holds `text` as LIKE '%text%' finds it (letters
    // A to Z in either case, every other character as it is), newest number first, and their total.
    // `stop`, asked every few thousand notes, ends the search early: then it returns false.
    bool find(const QString& text, NoteSearchResult& result, const std::function<bool()>& stop = {}) const;

  private:
    qint64 version_ = -1;
    QByteArray texts_;        // UTF-8, letters A to Z lowered, each note's text followed by a zero byte
    QVector<qint32> ends_;    // where each note's text ends (its zero byte)
    QVector<qint64> ids_;     // shd.id of each note
    QVector<qint64> totals_;  // 总金额 of each note as a raw Money
};

// Runs note searches off the interface thread on a connection of its own to the same file, so that
// typing never waits for the database. A new search interrupts the one still running; only the
// result of the latest search is delivered (signal `found`, on the thread that made this object).
class NoteSearcher : public QObject {
    Q_OBJECT
  public:
    explicit NoteSearcher(const QSqlDatabase& db, QObject* parent = nullptr);
    ~NoteSearcher() override;

    // Starts st (a statement selecting 'id' and 总金额 of shd rows); returns its ticket. With
    // `textsOnly` (the filters of st, for which searchesTextsOnly holds) the notes are found in the
    // search thread's NoteTextIndex instead of by running st; they are the same notes.
    quint64 start(const data::Statement& st, const NoteFilters* textsOnly = nullptr);
    quint64 latestTicket() const { return latest_->load(); }
    bool isBusy() const { return delivered_ != latest_->load(); }
    // The search thread held the search texts of the file as it stood at its last search. It reads
    // them when it starts and again after any search (or total) that found the file changed, which
    // itself runs its statement; a later search interrupts the reading, which resumes after it.
    bool hasTexts() const { return textsReady_->load(); }

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
    std::shared_ptr<std::atomic<bool>> textsReady_;
    quint64 delivered_ = 0;
};

}  // namespace notes
