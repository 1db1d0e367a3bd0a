#include "notes/IssueController.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "notes/AmountInWords.h"
#include "notes/Issuing.h"
#include "ui/Dialogs.h"
#include "users/Rights.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLineEdit>

namespace notes {

namespace {
QString textOf(QLineEdit* e) {
    return e ? e->text() : QString();
}
}  // namespace

IssueController::IssueController(data::DataHub& hub, const IssueWidgets& widgets, QObject* parent)
    : QObject(parent), hub_(hub), w_(widgets) {
    // The header fields are the customer's standing delivery details: typing (or a value taken from
    // a lookup) edits the customer record, leaving the field saves it.
    const std::pair<QLineEdit*, const char*> fields[] = {
        {w_.shdz, "送货地址"}, {w_.lxdh, "联系电话"},   {w_.shcp, "送货车牌"}, {w_.kdr, "开单人员"},
        {w_.ywy, "业务员"},    {w_.fhedit, "发货方式"}, {w_.bz, "备注"},
    };
    for (const auto& [edit, field] : fields) {
        if (!edit) continue;
        const QString name = QString::fromUtf8(field);
        connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
            data::Dataset* customer = hub_.sele_qry;
            if (!customer->isOpen() || customer->currentRow() < 0) return;
            try {
                customer->setField(name, text);
            } catch (const data::DbError& e) {
                ui::dialogs().error(e.text());
            }
        });
        edit->installEventFilter(this);
    }
    if (w_.printNow) connect(w_.printNow, &QAbstractButton::clicked, this, &IssueController::printNow);
    if (w_.printLater) connect(w_.printLater, &QAbstractButton::clicked, this, &IssueController::printLater);
}

bool IssueController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && hub_.sele_qry->isModified()) {
        try {
            hub_.sele_qry->post();
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
        }
    }
    return QObject::eventFilter(watched, event);
}

void IssueController::printNow() {
    issue(true);
}
void IssueController::printLater() {
    issue(false);
}

void IssueController::issue(bool now) {
    const IssueMode mode = now ? IssueMode::PrintNow : IssueMode::PrintLater;
    const QString customer = textOf(w_.custname);
    data::Dataset* list = hub_.seledt_qry;
    QList<QVariantMap> rows;
    try {
        // The customer record may be in editing from the header fields; the list from the grid.
        if (hub_.sele_qry->isModified()) hub_.sele_qry->post();
        if (list->isModified()) list->post();
        rows = rowsToDeliver(hub_.cnn, customer, mode);
        if (rows.isEmpty()) {
            ui::dialogs().warn(QStringLiteral("送货数量不能为零!"));
            return;
        }
        const QString refusal = numberRefusal(hub_.cnn, textOf(w_.shdno));
        if (!refusal.isEmpty()) {
            ui::dialogs().warn(refusal);
            if (w_.shdno) w_.shdno->setFocus();
            return;
        }
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }

    IssueContext context;
    context.mode = mode;
    context.user = users::currentUserName(hub_);
    if (now) context.deductStock = ui::dialogs().confirm(QStringLiteral("是否扣除货品库存?"));

    NoteHeader header;
    header.number = textOf(w_.shdno);
    header.customer = customer;
    header.address = textOf(w_.shdz);
    header.phone = textOf(w_.lxdh);
    header.plate = textOf(w_.shcp);
    header.clerk = textOf(w_.kdr);
    header.dispatch = textOf(w_.fhedit);
    header.remark = textOf(w_.bz);
    header.salesperson = textOf(w_.ywy);

    try {
        if (list->isOpen()) list->refresh();
        if (now && printHook) {
            PrintRequest request{&hub_, rows, header.number, textOf(w_.kpdate), textOf(w_.jedx)};
            printHook(request);
        }
        // The texts as they stand once the print window has closed.
        header.date = textOf(w_.kpdate);
        header.amountInWords = textOf(w_.jedx);
        context.now = data::now();
        const QString next = issueNote(hub_.cnn, header, context);
        if (w_.shdno) {
            w_.shdno->setText(next);
            w_.shdno->setFocus();
        }
        if (list->isOpen()) list->refresh();
        if (w_.jedx) w_.jedx->setText(AmountInWordsText(listTotal(hub_.cnn, customer)));
        emit issued(header.number);
        if (afterIssue) afterIssue();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    if (!now) ui::dialogs().warn(QStringLiteral("送货单已经保存!"));
}

}  // namespace notes
