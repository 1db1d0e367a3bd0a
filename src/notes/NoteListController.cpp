#include "notes/NoteListController.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "notes/Issuing.h"
#include "notes/LineEditing.h"
#include "notes/NoteStatus.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "users/Rights.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

namespace notes {

QColor statusColor(const QString& status) {
    static const QList<QPair<QString, QColor>> colours{
        {kUnprinted, QColor(253, 226, 187)},  {kPrinted, QColor(166, 202, 240)},
        {kSignedBack, QColor(192, 220, 192)}, {kPosted, QColor(251, 217, 81)},
        {kVoided, QColor(128, 128, 128)},
    };
    for (const auto& [s, c] : colours)
        if (s == status) return c;
    return {};
}

QString footerMoney(data::Money sum) {
    const qint64 raw = sum.raw();
    const quint64 a = raw < 0 ? quint64(-(raw + 1)) + 1 : quint64(raw);
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(a / 10000)
        .arg(a % 10000, 4, 10, QLatin1Char('0'));
}

namespace {
QString textOf(const QLineEdit* e) {
    return e ? e->text() : QString();
}
void showError(const data::DbError& e) {
    ui::dialogs().error(e.text());
}
// The lines with the values the list holds for the parameters they name.
data::Statement withParamsOf(const QStringList& lines, const data::Dataset& notes) {
    data::Statement st;
    st.lines = lines;
    static const QRegularExpression names(QStringLiteral(":(\\w+)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (auto it = names.globalMatch(st.text()); it.hasNext();) {
        const QString name = it.next().captured(1);
        st.bind(name, notes.param(name));
    }
    return st;
}

// The list's statement with its parameter values.
data::Statement currentStatement(const data::Dataset& notes) {
    return withParamsOf(notes.statementLines(), notes);
}

bool isInside(const QWidget* w, const QWidget* container) {
    for (; w; w = w->parentWidget())
        if (w == container) return true;
    return false;
}
}  // namespace

NoteListController::NoteListController(data::DataHub& hub, const NoteListWidgets& widgets, QObject* parent)
    : QObject(parent), hub_(hub), w_(widgets) {
    data::Dataset* notes = hub_.shdTqry;
    notes->setKeyedLoading(true);
    searcher_ = new NoteSearcher(hub_.cnn, this);
    connect(searcher_, &NoteSearcher::found, this, &NoteListController::found);

    for (QLineEdit* e :
         {w_.locedit, w_.rqedit, w_.TqEdit, w_.khedit, w_.cpedit, w_.ztedit, w_.qhedit, w_.kdedit, w_.ywedit})
        if (e) connect(e, &QLineEdit::textChanged, this, &NoteListController::search);
    if (w_.rqedit && w_.TqEdit)
        connect(w_.rqedit, &QLineEdit::returnPressed, w_.TqEdit, [e = w_.TqEdit] { e->setFocus(); });

    // The footer sum covers every matching note, not only the rows read so far; it follows whatever
    // else re-reads the list (a customer click) or changes a note's total.
    // Queued: a change written inside a transaction is seen by the search connection once committed.
    auto totalLater = [this] {
        if (!applying_)
            QMetaObject::invokeMethod(this, &NoteListController::recomputeTotal, Qt::QueuedConnection);
    };
    connect(notes, &data::Dataset::opened, this, totalLater);
    connect(notes, &data::Dataset::posted, this, totalLater);
    connect(notes, &data::Dataset::removed, this, totalLater);

    if (w_.shdgrid) {
        w_.shdgrid->setFooterProvider([this](const QString& field) {
            return field == QStringLiteral("总金额") ? footerMoney(total_) : QString();
        });
        w_.shdgrid->setRowBackground([this](int row) {
            return statusColor(hub_.shdTqry->value(row, QStringLiteral("状态")).toString());
        });
        w_.shdgrid->setSortHandler(
            [this](const QString& field, Qt::SortOrder order) { sortBy(field, order); });
        if (w_.shdgrid->view()) w_.shdgrid->view()->installEventFilter(this);
        w_.shdgrid->installEventFilter(this);
    }

    if (w_.operations) {
        editztMENU_ = new QMenu(w_.operations);
        editztMENU_->setObjectName(QStringLiteral("editztMENU"));
        for (const QString& item : statusMenuItems()) {
            QAction* a = editztMENU_->addAction(item);
            connect(a, &QAction::triggered, this, [this, item] { chooseOperation(item); });
        }
        connect(w_.operations, &QAbstractButton::clicked, this, &NoteListController::showOperations);
    }

    if (w_.lineMenu) {
        for (QAction* a : w_.lineMenu->actions()) {
            if (a->text() == QStringLiteral("增加"))
                connect(a, &QAction::triggered, this, &NoteListController::addLine);
            if (a->text() == QStringLiteral("修改"))
                connect(a, &QAction::triggered, this, &NoteListController::changeLine);
            if (a->text() == QStringLiteral("删除"))
                connect(a, &QAction::triggered, this, &NoteListController::deleteLine);
        }
    }
    if (w_.cpgrid && w_.cpgrid->view()) w_.cpgrid->view()->installEventFilter(this);
    connect(hub_.shdDqry, &data::Dataset::fieldChanged, this, &NoteListController::lineFieldChanged);
}

NoteListController::~NoteListController() = default;

NoteFilters NoteListController::filters() const {
    return {textOf(w_.locedit), textOf(w_.rqedit), textOf(w_.TqEdit), textOf(w_.khedit), textOf(w_.cpedit),
            textOf(w_.ztedit),  textOf(w_.qhedit), textOf(w_.kdedit), textOf(w_.ywedit)};
}

bool NoteListController::isSearching() const {
    return searcher_->isBusy();
}

bool NoteListController::hasSearchTexts() const {
    return searcher_->hasTexts();
}

// --- the list -----------------------------------------------------------------------------------

void NoteListController::search() {
    unsortedLines_.clear();
    sortField_.clear();
    if (w_.shdgrid) w_.shdgrid->clearSortMarker();
    const NoteFilters f = filters();
    run(quickNoteSearchStatement(f), Purpose::Search, &f);
}

void NoteListController::reread() {
    if (hub_.shdTqry->statementLines().isEmpty()) return;
    run(currentStatement(*hub_.shdTqry), Purpose::Reread);
}

void NoteListController::sortBy(const QString& field, Qt::SortOrder order) {
    data::Dataset* notes = hub_.shdTqry;
    if (!notes->isOpen()) return;
    if (unsortedLines_.isEmpty()) {
        unsortedLines_ = notes->statementLines();
        // The search texts know only the number's order: sort the notes themselves.
        if (unsortedLines_.value(0).contains(QStringLiteral("shd_search"))) {
            const data::Statement onNotes = quickNoteSearchStatement(filters(), true);
            unsortedLines_ = onNotes.lines;
            for (auto it = onNotes.params.cbegin(); it != onNotes.params.cend(); ++it)
                notes->setParam(it.key(), it.value());
        }
    }
    sortField_ = field;
    sortOrder_ = order;
    const data::Statement st = withParamsOf(orderedBy(unsortedLines_, field, order), *notes);
    run(st, Purpose::Sort);
}

void NoteListController::run(const data::Statement& st, Purpose purpose, const NoteFilters* textsOnly) {
    if (!hub_.cnn.isOpen()) return;
    pending_ = purpose;
    searcher_->start(st, textsOnly);
}

void NoteListController::recomputeTotal() {
    data::Dataset* notes = hub_.shdTqry;
    if (searcher_->isBusy() || !notes->isOpen()) return;  // the result on its way brings its own total
    run(currentStatement(*notes), Purpose::Total);
}

void NoteListController::found(const NoteSearchResult& result) {
    data::Dataset* notes = hub_.shdTqry;
    if (!result.error.isEmpty()) {
        if (pending_ != Purpose::Total) notes->close();
        ui::dialogs().error(result.error);
        return;
    }
    total_ = result.total;
    if (pending_ != Purpose::Total) {
        applying_ = true;
        try {
            if (notes->isModified()) notes->post();
            notes->openWithKeys(result.statement.lines, result.statement.params, result.keys);
        } catch (const data::DbError& e) {
            applying_ = false;
            showError(e);
            return;
        }
        applying_ = false;
        if (w_.shdgrid) {
            if (pending_ == Purpose::Sort)
                w_.shdgrid->setSortMarker(sortField_, sortOrder_);
            else
                w_.shdgrid->clearSortMarker();
        }
    }
    if (w_.shdgrid) w_.shdgrid->refreshFooter();
    if (pending_ != Purpose::Total) emit listShown();
}

// --- status menu and deletion ---------------------------------------------------------------------

QString NoteListController::currentStatus() const {
    const data::Dataset* notes = hub_.shdTqry;
    return notes->isOpen() && notes->currentRow() >= 0 ? notes->text(QStringLiteral("状态")) : QString();
}

void NoteListController::showOperations() {
    if (editztMENU_) ui::dialogs().popup(editztMENU_, QCursor::pos());
}

void NoteListController::chooseOperation(const QString& item) {
    data::Dataset* notes = hub_.shdTqry;
    try {
        if (item == kDeleteItem) {
            if (currentStatus() != kUnprinted) {
                ui::dialogs().warn(kNotDeletable);
                return;
            }
            if (ui::dialogs().message(kConfirmDelete, kConfirmDeleteCaption, ui::Dialogs::Icon::Question,
                                      {ui::Dialogs::Button::Yes, ui::Dialogs::Button::No}) ==
                ui::Dialogs::Button::Yes)
                deleteCurrentNote(*notes);
            if (hub_.shdDqry->isOpen() || notes->isOpen()) hub_.shdDqry->requery();
            return;
        }
        const StatusMove* move = statusMoveOf(item);
        if (!move) return;
        if (!mayChoose(*move, users::currentRight(hub_))) {
            ui::dialogs().warn(move->refusal);
            return;
        }
        applyStatus(*notes, *move, users::currentUserName(hub_), data::now());
    } catch (const data::DbError& e) {
        showError(e);
    }
}

// --- line editing ------------------------------------------------------------------------------------

void NoteListController::addLine() {
    if (!linesEditable(*hub_.shdTqry)) {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(true);
        ui::dialogs().warn(kAddLineRefused);
        return;
    }
    try {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(false);
        if (!hub_.shdDqry->isOpen()) hub_.shdDqry->open();
        hub_.shdDqry->append({{QStringLiteral("送货单号"), hub_.shdTqry->field(QStringLiteral("送货单号"))},
                              {QStringLiteral("客户名称"), hub_.shdTqry->field(QStringLiteral("客户名称"))}});
        if (w_.cpgrid) w_.cpgrid->setFocus();
    } catch (const data::DbError& e) {
        showError(e);
    }
}

void NoteListController::changeLine() {
    if (!linesEditable(*hub_.shdTqry)) {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(true);
        ui::dialogs().warn(kChangeLineRefused);
        return;
    }
    try {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(false);
        if (hub_.shdDqry->currentRow() >= 0) hub_.shdDqry->edit();
        if (w_.cpgrid) w_.cpgrid->setFocus();
    } catch (const data::DbError& e) {
        showError(e);
    }
}

void NoteListController::deleteLine() {
    if (!linesEditable(*hub_.shdTqry)) {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(true);
        ui::dialogs().warn(kDeleteLineRefused);
        return;
    }
    if (w_.cpgrid) w_.cpgrid->setReadOnly(false);
    if (!ui::dialogs().confirm(kConfirmDeleteLine)) return;
    try {
        deleteLineAndTotal(*hub_.shdTqry, *hub_.shdDqry);
    } catch (const data::DbError& e) {
        showError(e);
    }
}

void NoteListController::lineFieldChanged(int row, const QString& field) {
    data::Dataset* lines = hub_.shdDqry;
    if (computing_ || row != lines->currentRow()) return;
    if (recomputesAmount(field)) {
        computing_ = true;
        try {
            lines->setField(QStringLiteral("金额"), lineAmount(lines->field(QStringLiteral("数量")),
                                                               lines->field(QStringLiteral("售价")),
                                                               lines->field(QStringLiteral("折扣"))));
        } catch (const data::DbError& e) {
            computing_ = false;
            showError(e);
            return;
        }
        computing_ = false;
    } else if (field != QStringLiteral("金额")) {
        return;
    }
    // The header follows once the edit that changed the amount has finished.
    if (savePending_) return;
    savePending_ = true;
    QTimer::singleShot(0, this, [this] {
        savePending_ = false;
        saveLine();
    });
}

void NoteListController::saveLine() {
    try {
        saveLineAndTotal(*hub_.shdTqry, *hub_.shdDqry);
    } catch (const data::DbError& e) {
        showError(e);
    }
}

void NoteListController::leftLines() {
    if (asking_ || !hub_.shdDqry->isModified()) return;
    if (w_.cpgrid && isInside(QApplication::focusWidget(), w_.cpgrid)) return;  // an editor inside the grid
    asking_ = true;
    const bool save = ui::dialogs().confirm(QStringLiteral("您修改了这笔记录,要保存吗?"));
    asking_ = false;
    if (save) saveLine();  // No: the change stays pending until another line or note becomes current
}

bool NoteListController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && w_.shdgrid &&
        (watched == w_.shdgrid || (w_.shdgrid->view() && watched == w_.shdgrid->view()))) {
        if (w_.cpgrid) w_.cpgrid->setReadOnly(true);
    }
    if (event->type() == QEvent::FocusOut && w_.cpgrid && w_.cpgrid->view() && watched == w_.cpgrid->view()) {
        // Where the focus went is known only once the change has completed.
        QTimer::singleShot(0, this, &NoteListController::leftLines);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace notes
