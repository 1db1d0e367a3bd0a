#include "notes/NoteSearch.h"

#include "data/DbError.h"

#include <sqlite3.h>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QUuid>

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

data::Statement quickNoteSearchStatement(const NoteFilters& f, bool onNotes) {
    const QString pattern = QStringLiteral("%") + f.text + QStringLiteral("%");
    // Without wildcards (or the separator) a text is in the joined text exactly when one of the twelve
    // columns holds it, so the one test replaces the twelve.
    const bool exact = !f.text.contains(QLatin1Char('%')) && !f.text.contains(QLatin1Char('_')) &&
                       !f.text.contains(QChar(31));
    // The trigram index needs three characters; a phrase of them finds every text that holds them, in
    // any letter case, so it never misses a note that the LIKE finds.
    const bool indexed = exact && f.text.toUcs4().size() >= 3;
    const QString fts = QStringLiteral("\"") +
                        QString(f.text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                        QStringLiteral("\"");
    const bool filtered = (!f.from.isEmpty() && !f.to.isEmpty()) || !f.customer.isEmpty() ||
                          !f.plate.isEmpty() || !f.status.isEmpty() || !f.signer.isEmpty() ||
                          !f.issuer.isEmpty() || !f.salesperson.isEmpty();

    if (!filtered && exact && !onNotes) {
        // The search texts alone, read in the order of the number.
        data::Statement st{QStringLiteral("select id, 总金额 from shd_search")};
        if (!f.text.isEmpty()) {
            st.line(QStringLiteral("where 文本 like :all")).bind(QStringLiteral("all"), pattern);
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
        st.line(QStringLiteral(" and id in (select id from shd_search where 文本 like :all)"));
        st.bind(QStringLiteral("all"), pattern);
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
                          result.keys.append(v[0]);
                          result.total += data::Money::fromVariant(v[1]);
                          return true;
                      });
    return result;
}

class NoteSearcher::Worker : public QObject {
  public:
    Worker(QString databaseName, QString options, std::shared_ptr<std::atomic<quint64>> latest)
        : databaseName_(std::move(databaseName)), options_(std::move(options)), latest_(std::move(latest)) {}

    ~Worker() override {
        if (!connection_.isEmpty()) {
            QSqlDatabase::database(connection_, false).close();
            QSqlDatabase::removeDatabase(connection_);
        }
    }

    // Runs in the worker thread. Gives up as soon as a later search has been started.
    void run(NoteSearcher* owner, quint64 ticket, const data::Statement& st) {
        if (latest_->load() != ticket) return;
        NoteSearchResult result;
        try {
            QSqlDatabase db = connection();
            running_ = ticket;
            result = runNow(db, st);
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
        return w->running_ != 0 && w->latest_->load() != w->running_;
    }

    QString databaseName_;
    QString options_;
    QString connection_;
    std::shared_ptr<std::atomic<quint64>> latest_;
    std::atomic<quint64> running_{0};
};

NoteSearcher::NoteSearcher(const QSqlDatabase& db, QObject* parent)
    : QObject(parent), latest_(std::make_shared<std::atomic<quint64>>(0)) {
    thread_ = new QThread(this);
    worker_ = new Worker(db.databaseName(), db.connectOptions(), latest_);
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, [w = worker_] { delete w; });
    thread_->start();
}

NoteSearcher::~NoteSearcher() {
    latest_->store(latest_->load() + 1);  // interrupts whatever runs
    thread_->quit();
    thread_->wait();
}

quint64 NoteSearcher::start(const data::Statement& st) {
    const quint64 ticket = latest_->load() + 1;
    latest_->store(ticket);
    QMetaObject::invokeMethod(
        worker_, [w = worker_, owner = this, ticket, st] { w->run(owner, ticket, st); },
        Qt::QueuedConnection);
    return ticket;
}

void NoteSearcher::deliver(const NoteSearchResult& result) {
    if (result.ticket != latest_->load()) return;
    delivered_ = result.ticket;
    emit found(result);
}

}  // namespace notes
