#include "app/TtsForm.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TtsForm::TtsForm(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("TtsForm"));
    setWindowTitle(QStringLiteral("说明"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(18, 16, 18, 12);
    v->setSpacing(8);
    for (const QString& line :
         {QStringLiteral("软件功能说明：进货入库、库存查询、库存报警查询、送货单打印、"),
          QStringLiteral("送货单管理、送货单统计、利润统计、权限设置等。")}) {
        auto* l = new QLabel(line, this);
        v->addWidget(l);
    }
    v->addSpacing(8);
    auto* h = new QHBoxLayout;
    CheckBox1_ = new QCheckBox(QStringLiteral("下次不再提示"), this);
    CheckBox1_->setObjectName(QStringLiteral("CheckBox1"));
    okBtn_ = new QPushButton(QStringLiteral("&T确定"), this);
    okBtn_->setObjectName(QStringLiteral("okBtn"));
    h->addWidget(CheckBox1_);
    h->addStretch(1);
    h->addWidget(okBtn_);
    v->addLayout(h);
    connect(okBtn_, &QPushButton::clicked, this, &TtsForm::confirm);
}

void TtsForm::showEvent(QShowEvent* event) {
    // The check box shows the current user's flag as it stands in his row.
    const data::Dataset* users = hub_.userqry;
    CheckBox1_->setChecked(users->isOpen() && users->field(QStringLiteral("提示")).toBool());
    QDialog::showEvent(event);
}

void TtsForm::confirm() {
    data::Dataset* users = hub_.userqry;
    try {
        if (users->isOpen() && users->currentRow() >= 0) {
            users->edit();
            users->setField(QStringLiteral("提示"), CheckBox1_->isChecked() ? 1 : 0);
            users->post();
        }
    } catch (const data::DbError& e) {
        if (users->isModified()) users->cancel();
        ui::dialogs().error(e.text());
        return;
    }
    accept();
}

}  // namespace app
