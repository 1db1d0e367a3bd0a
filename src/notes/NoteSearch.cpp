#include "notes/NoteSearch.h"

#include "data/DbError.h"

#include <sqlite3.h>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <limits>

namespace notes {

namespace {

const QString kOrderLine = QStringLiteral(" ORDER BY 送货单号 desc");

// The lines up to and including the date range and the filters; `twelve` leaves out the free-text
// condition when it is known to hold for every note.
data::Statement searchLines(const NoteFilters& f, bool twelve) {
    data::Statement st{QStringLiteral("select * from shd")};
    if (twelve) {
        st.line(QStringLiteral(
            "where (日期 like :rq or 送货单号 like :sno or 客户名称 like :khmc or 状态 like :zt or "
            "签回人员 like :qhry or 送货车牌 like :shcp or 送货地址 like :shdz"));
        st.line(QStringLiteral(
            " or 联系电话 like :lxdh or 开单人员 like :kdry or 业务员 like :ywy or 录入人员 like :lrry "
            "or 备注 like :bz)"));
    } else {
        st.line(QStringLiteral("where (1=1)"));
    }
    if (!f.from.isEmpty() && !f.to.isEmpty()) {
        st.line(QStringLiteral(" and ((substr(送货单号,1,8) >= :srq) and (substr(送货单号,1,8) <=:trq))"));
        st.bind(QStringLiteral("srq"), f.from).bind(QStringLiteral("trq"), f.to);
    }
    const struct {
        const QString& text;
        const char* line;
        const char* param;
    } filters[] = {
        {f.customer, " and (客户名称 like :skh)", "skh"}, {f.plate, " and (送货车牌 like :scp)", "scp"},
        {f.status, " and (状态 like :szt)", "szt"},       {f.signer, " and (签回人员 like :sqh)", "sqh"},
        {f.issuer, " and (开单人员 like :skd)", "skd"},   {f.salesperson, " and (业务员 like :syw)", "syw"},
    };
    for (const auto& filter : filters) {
        if (filter.text.isEmpty()) continue;
        st.line(QString::fromUtf8(filter.line));
        st.bind(QString::fromLatin1(filter.param), QStringLiteral("%") + filter.text + QStringLiteral("%"));
    }
    if (twelve) {
        const QString pattern = QStringLiteral("%") + f.text + QStringLiteral("%");
        for (const char* p :
             {"rq", "sno", "khmc", "zt", "qhry", "shcp", "shdz", "lxdh", "kdry", "ywy", "lrry", "bz"})
            st.bind(QString::fromLatin1(p), pattern);
    }
    return st;
}

bool isOrderLine(const QString& line) {
    return line.trimmed().startsWith(QStringLiteral("order by"), Qt::CaseInsensitive);
}

}  // namespace

data::Statement noteSearchStatement(const NoteFilters& filters) {
    data::Statement st = searchLines(filters, true);
    st.line(kOrderLine);
    return st;
}

bool searchesTextsOnly(const NoteFilters& f) {
    const bool filtered = (!f.from.isEmpty() && !f.to.isEmpty()) || !f.customer.isEmpty() ||
                          !f.plate.isEmpty() || !f.status.isEmpty() || !f.signer.isEmpty() ||
                          !f.issuer.isEmpty() || !f.salesperson.isEmpty();
    return !filtered && NoteTextIndex::canFind(f.text);
}

data::Statement quickNoteSearchStatement(const NoteFilters& f, bool onNotes) {
    const QString pattern = QStringLiteral("%") + f.text + QStringLiteral("%");
    // Without wildcards (or the separator) a text is in the joined text exactly when one of the twelve
    // columns holds it, so the one test replaces the twelve.
    const bool exact = !f.text.contains(QLatin1Char('%')) && !f.text.contains(QLatin1Char('_')) &&
                       !f.text.contains(QChar(31)) && !f.text.contains(QChar(0));
    // The trigram index needs three characters; a phrase of them finds every text that holds them, in
    // any letter case, so it never misses a note that the LIKE finds.
    const bool indexed = exact && f.text.toUcs4().size() >= 3;
    const QString fts = QStringLiteral("\"") +
                        QString(f.text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                        QStringLiteral("\"");
    const bool filtered = (!f.from.isEmpty() && !f.to.isEmpty()) || !f.customer.isEmpty() ||
                          !f.plate.isEmpty() || !f.status.isEmpty() || !f.signer.isEmpty() ||
                          !f.issuer.isEmpty() || !f.salesperson.isEmpty();

    // Without letters A to Z, which LIKE compares in either case, LIKE finds exactly the texts that hold
    // the text as it is, and instr finds them faster.
    const bool letters = std::any_of(f.text.cbegin(), f.text.cend(), [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
    });
    const bool plain = exact && !letters;
    const QString holds = plain ? QStringLiteral("instr(文本, :txt) > 0") : QStringLiteral("文本 like :all");
    const QString holdsParam = plain ? QStringLiteral("txt") : QStringLiteral("all");
    const QString holdsValue = plain ? f.text : pattern;

    if (!filtered && exact && !onNotes) {
        // The search texts alone, read in the order of the number.
        data::Statement st{QStringLiteral("select id, 总金额 from shd_search")};
        if (!f.text.isEmpty()) {
            st.line(QStringLiteral("where ") + holds).bind(holdsParam, holdsValue);
            if (indexed)
                st.line(QStringLiteral(" and id in (select rowid from shd_fts where shd_fts match :fts)"))
                    .bind(QStringLiteral("fts"), fts);
        }
        st.line(QStringLiteral(" ORDER BY 送货单号 desc"));
        return st;
    }

    // With no text every note matches the twelve-column condition (送货单号 is never empty).
    data::Statement st = searchLines(f, !f.text.isEmpty() && !exact);
    st.lines[0] = QStringLiteral("select id, 总金额 from shd");
    if (!f.text.isEmpty()) {
        // For a text with wildcards the joined text only narrows down; the twelve columns decide.
        st.line(QStringLiteral(" and id in (select id from shd_search where ") + holds + QStringLiteral(")"));
        st.bind(holdsParam, holdsValue);
        if (indexed) {
            st.line(QStringLiteral(" and id in (select rowid from shd_fts where shd_fts match :fts)"));
            st.bind(QStringLiteral("fts"), fts);
        }
    }
    st.line(kOrderLine);
    return st;
}

QStringList orderedBy(const QStringList& lines, const QString& field, Qt::SortOrder order) {
    QStringList out = lines;
    QString previous;
    for (int i = out.size() - 1; i >= 0; --i) {
        if (!isOrderLine(out[i])) continue;
        previous = out[i].trimmed().mid(QStringLiteral("order by").size()).trimmed();
        out.removeAt(i);
        break;
    }
    QString line = QStringLiteral(" ORDER BY ") + field +
                   (order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QString());
    if (!previous.isEmpty()) line += QStringLiteral(", ") + previous;
    out << line;
    return out;
}

// ------------------------------------------------------------------------------------------------

data::Statement leanStatement(const data::Statement& st) {
    data::Statement lean = st;
    static const QRegularExpression all(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+shd\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (!lean.lines.isEmpty()) lean.lines[0].replace(all, QStringLiteral("select id, 总金额 from shd"));
    return lean;
}

NoteSearchResult NoteSearcher::runNow(const QSqlDatabase& db, const data::Statement& st) {
    NoteSearchResult result;
    result.statement = st;
    data::scanColumns(db, leanStatement(st), {QStringLiteral("id"), QStringLiteral("总金额")},
                      [&](const QVariant* v) {
                          result.keys.append(v[0].toLongLong());
                          result.total += data::Money::fromVariant(v[1]);
                          return true;
                      });
    return result;
}

// ------------------------------------------------------------------------------------------------

namespace {
sqlite3* handleOf(const QSqlDatabase& db) {
    if (!db.isOpen()) throw data::DbError(QStringLiteral("数据库没有打开：%1").arg(db.lastError().text()));
    return *static_cast<sqlite3* const*>(db.driver()->handle().data());
}

// Where needle first occurs in the bytes, or -1.
qsizetype findBytes(const char* bytes, qsizetype size, const QByteArray& needle) {
#ifdef __GLIBC__
    const void* hit = memmem(bytes, size_t(size), needle.constData(), size_t(needle.size()));
    return hit ? static_cast<const char*>(hit) - bytes : -1;
#else
    return QByteArrayView(bytes, size).indexOf(needle);
#endif
}

// Lowers the letters A to Z: what LIKE compares in either case.
void lowerLetters(char* from, char* to) {
    for (char* c = from; c != to; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = char(*c - 'A' + 'a');
}

struct Prepared {
    sqlite3_stmt* stmt = nullptr;
    Prepared(sqlite3* h, const char* sql) {
        if (sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw data::DbError(QString::fromUtf8(sqlite3_errmsg(h)));
    }
    ~Prepared() { sqlite3_finalize(stmt); }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;
};

// A total as the database gives it, counted as the rows of the search statement count it.
data::Money moneyOf(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return data::Money::fromVariant(qlonglong(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT:
            return data::Money::fromDouble(sqlite3_column_double(stmt, i));
        case SQLITE_BLOB:
            return data::Money::fromVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                                       sqlite3_column_bytes(stmt, i)));
        default:
            return data::Money::fromVariant(QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i)));
    }
}
}  // namespace

bool NoteTextIndex::canFind(const QString& text) {
    return !text.contains(QLatin1Char('%')) && !text.contains(QLatin1Char('_')) &&
           !text.contains(QChar(31)) && !text.contains(QChar(0));
}

namespace {
qint64 dataVersion(sqlite3* h) {
    Prepared q(h, "PRAGMA data_version");
    if (sqlite3_step(q.stmt) != SQLITE_ROW) throw data::DbError(QString::fromUtf8(sqlite3_errmsg(h)));
    return sqlite3_column_int64(q.stmt, 0);
}
}  // namespace

bool NoteTextIndex::isCurrent(const QSqlDatabase& db) const {
    return version_ >= 0 && dataVersion(handleOf(db)) == version_;
}

void NoteTextIndex::update(const QSqlDatabase& db) {
    sqlite3* h = handleOf(db);
    const qint64 version = dataVersion(h);
    if (version == version_) return;
    // Read after the version: a change committed meanwhile makes the next update read again.
    version_ = -1;
    texts_.clear();
    ends_.clear();
    ids_.clear();
    totals_.clear();
    QByteArray texts;
    QVector<qint32> ends;
    QVector<qint64> ids, totals;
    {
        Prepared q(h, "select id, 总金额, 文本 from shd_search order by 送货单号 desc");
        for (;;) {
            const int rc = sqlite3_step(q.stmt);
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) throw data::DbError(QString::fromUtf8(sqlite3_errmsg(h)));
            ids.append(sqlite3_column_int64(q.stmt, 0));
            totals.append(moneyOf(q.stmt, 1).raw());
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(q.stmt, 2));
            // LIKE reads a text up to a zero byte.
            const int bytes = text ? int(qstrnlen(text, uint(sqlite3_column_bytes(q.stmt, 2)))) : 0;
            if (texts.size() + bytes >= std::numeric_limits<qint32>::max())
                throw data::DbError(QStringLiteral("送货单的查找文本太多"));
            const qsizetype from = texts.size();
            texts.append(text, bytes);
            lowerLetters(texts.data() + from, texts.data() + texts.size());
            ends.append(qint32(texts.size()));
            texts.append('\0');
        }
    }
    texts_ = std::move(texts);
    ends_ = std::move(ends);
    ids_ = std::move(ids);
    totals_ = std::move(totals);
    version_ = version;
}

bool NoteTextIndex::find(const QString& text, NoteSearchResult& result,
                         const std::function<bool()>& stop) const {
    qint64 raw = 0;
    if (text.isEmpty()) {
        result.keys = ids_;
        for (qint64 t : totals_) raw += t;
        result.total = data::Money::fromRaw(raw);
        return true;
    }
    QByteArray needle = text.toUtf8();
    lowerLetters(needle.data(), needle.data() + needle.size());
    if (needle.isEmpty()) return find(QString(), result, stop);
    const char* base = texts_.constData();
    const qsizetype end = texts_.size();
    auto note = ends_.cbegin();
    QVector<qint64> keys;
    qsizetype at = 0;
    for (int found = 0; at < end; ++found) {
        const qsizetype hit = findBytes(base + at, end - at, needle);
        if (hit < 0) break;
        // No match crosses a zero byte: the hit lies in the first note that ends after it.
        note = std::lower_bound(note, ends_.cend(), qint32(at + hit));
        const qsizetype i = note - ends_.cbegin();
        keys.append(ids_[i]);
        raw += totals_[i];
        at = *note + 1;
        ++note;
        if ((found & 4095) == 4095 && stop && stop()) return false;
    }
    result.keys = std::move(keys);
    result.total = data::Money::fromRaw(raw);
    return true;
}

// ------------------------------------------------------------------------------------------------

class NoteSearcher::Worker : public QObject {
  public:
    Worker(QString databaseName, QString options, std::shared_ptr<std::atomic<quint64>> latest,
           std::shared_ptr<std::atomic<bool>> textsReady)
        : databaseName_(std::move(databaseName)),
          options_(std::move(options)),
          latest_(std::move(latest)),
          textsReady_(std::move(textsReady)) {}

    ~Worker() override {
        if (!connection_.isEmpty()) {
            QSqlDatabase::database(connection_, false).close();
            QSqlDatabase::removeDatabase(connection_);
        }
    }

    // Runs in the worker thread. Gives up as soon as a later search has been started.
    void run(NoteSearcher* owner, quint64 ticket, const data::Statement& st, const QString* textsOnly) {
        if (latest_->load() != ticket) return;
        NoteSearchResult result;
        try {
            QSqlDatabase db = connection();
            // Any search finds out whether the file has changed since the texts were read (or they never
            // were); then they are read again after it, and this search runs its statement.
            const bool current = index_.isCurrent(db);
            textsReady_->store(current);
            if (!current) QMetaObject::invokeMethod(this, &Worker::readTexts, Qt::QueuedConnection);
            if (textsOnly && current) {
                result.statement = st;
                if (!index_.find(*textsOnly, result, [&] { return latest_->load() != ticket; })) return;
            } else {
                running_ = ticket;
                result = runNow(db, st);
            }
        } catch (const data::DbError& e) {
            result.statement = st;
            result.error = e.text();
        }
        running_ = 0;
        if (latest_->load() != ticket) return;  // interrupted or overtaken: a newer result follows
        result.ticket = ticket;
        QMetaObject::invokeMethod(
            owner, [owner, result] { owner->deliver(result); }, Qt::QueuedConnection);
    }

    // Runs in the worker thread: reads the search texts unless they are current; a search started
    // meanwhile interrupts the reading, and the next search that needs them asks again.
    void readTexts() {
        const quint64 ticket = latest_->load();
        try {
            QSqlDatabase db = connection();
            if (index_.isCurrent(db)) return;
            textsReady_->store(false);
            readingFor_ = ticket;
            reading_ = true;
            index_.update(db);
            textsReady_->store(true);
        } catch (const data::DbError&) {
            // Interrupted: again after the search that interrupted. Unreadable: searches run their
            // statements.
            if (latest_->load() != ticket)
                QMetaObject::invokeMethod(this, &Worker::readTexts, Qt::QueuedConnection);
        }
        reading_ = false;
    }

  private:
    QSqlDatabase connection() {
        if (connection_.isEmpty()) {
            connection_ = QStringLiteral("notesearch-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
            db.setDatabaseName(databaseName_);
            db.setConnectOptions(options_);
            if (!db.open()) throw data::DbError(db.lastError().text());
            sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
            // Checked every few thousand steps of the engine: a later search interrupts this one.
            sqlite3_progress_handler(handle, 2000, &Worker::progress, this);
        }
        return QSqlDatabase::database(connection_, false);
    }

    static int progress(void* self) {
        auto* w = static_cast<Worker*>(self);
        if (w->reading_) return w->latest_->load() != w->readingFor_;
        return w->running_ != 0 && w->latest_->load() != w->running_;
    }

    QString databaseName_;
    QString options_;
    QString connection_;
    std::shared_ptr<std::atomic<quint64>> latest_;
    std::atomic<quint64> running_{0};
    std::atomic<bool> reading_{false};    // the texts are being read ...
    std::atomic<quint64> readingFor_{0};  // ... while this was the latest search
    std::shared_ptr<std::atomic<bool>> textsReady_;
    NoteTextIndex index_;
};

NoteSearcher::NoteSearcher(const QSqlDatabase& db, QObject* parent)
    : QObject(parent),
      latest_(std::make_shared<std::atomic<quint64>>(0)),
      textsReady_(std::make_shared<std::atomic<bool>>(false)) {
    thread_ = new QThread(this);
    worker_ = new Worker(db.databaseName(), db.connectOptions(), latest_, textsReady_);
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, [w = worker_] { delete w; });
    thread_->start();
    // Ready before the first keystroke.
    QMetaObject::invokeMethod(worker_, &Worker::readTexts, Qt::QueuedConnection);
}

NoteSearcher::~NoteSearcher() {
    latest_->store(latest_->load() + 1);  // interrupts whatever runs
    thread_->quit();
    thread_->wait();
}

quint64 NoteSearcher::start(const data::Statement& st, const NoteFilters* textsOnly) {
    const quint64 ticket = latest_->load() + 1;
    latest_->store(ticket);
    const bool byTexts = textsOnly && searchesTextsOnly(*textsOnly);
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, owner = this, ticket, st, byTexts, text = byTexts ? textsOnly->text : QString()] {
            w->run(owner, ticket, st, byTexts ? &text : nullptr);
        },
        Qt::QueuedConnection);
    return ticket;
}

void NoteSearcher::deliver(const NoteSearchResult& result) {
    if (result.ticket != latest_->load()) return;
    delivered_ = result.ticket;
    emit found(result);
}

}  // namespace notes
