#include "users/TepassForm.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "ui/DataGrid.h"
#include "ui/Dialogs.h"
#include "users/Rights.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace users {

namespace {

QPushButton* barButton(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// Runs an action on the user rows and shows a refusal of the database.
template <typename Work>
bool guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return false;
    }
}

}  // namespace

TepassForm::TepassForm(data::DataHub& hub, QWidget* parent)
    : QDialog(parent), hub_(hub), users_(new data::Dataset(QStringLiteral("epassqry"), this)) {
    setObjectName(QStringLiteral("TepassForm"));
    setWindowTitle(QStringLiteral("增加用户、设置权限、密码"));
    setModal(true);
    resize(460, 420);
    users_->setStatement({QStringLiteral("select * from usertable")});
    users_->setUpdateTable(QStringLiteral("usertable"), QStringLiteral("id"));

    auto* v = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* addBtn = barButton("addBtn", QStringLiteral("&A增加"), this);
    auto* editBtn = barButton("editBtn", QStringLiteral("&E修改"), this);
    auto* saveBtn = barButton("saveBtn", QStringLiteral("&S保存"), this);
    auto* delBtn = barButton("delBtn", QStringLiteral("&D删除"), this);
    auto* closeBtn = barButton("closeBtn", QStringLiteral("&X关闭"), this);
    for (QPushButton* b : {addBtn, editBtn, saveBtn, delBtn, closeBtn}) bar->addWidget(b);
    bar->addStretch(1);
    v->addLayout(bar);

    auto* form = new QGridLayout;
    uedit_ = new QLineEdit(this);
    uedit_->setObjectName(QStringLiteral("uedit"));
    pedit_ = new QLineEdit(this);
    pedit_->setObjectName(QStringLiteral("pedit"));
    pedit_->setEchoMode(QLineEdit::Password);
    zwedit_ = new QLineEdit(this);
    zwedit_->setObjectName(QStringLiteral("zwedit"));
    qxedit_ = new QComboBox(this);
    qxedit_->setObjectName(QStringLiteral("qxedit"));
    qxedit_->addItems({kManagement, kFinance, kOperator, QString()});
    form->addWidget(new QLabel(QStringLiteral("用户："), this), 0, 0);
    form->addWidget(uedit_, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("密码"), this), 1, 0);
    form->addWidget(pedit_, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("职务："), this), 2, 0);
    form->addWidget(zwedit_, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("权限："), this), 3, 0);
    form->addWidget(qxedit_, 3, 1);
    v->addLayout(form);

    ugrid_ = new ui::DataGrid(this);
    ugrid_->setObjectName(QStringLiteral("ugrid"));
    ugrid_->setDataset(users_);
    QList<ui::GridColumn> cols;
    for (const auto& [field, width] :
         {std::pair{QStringLiteral("用户"), 140}, std::pair{QStringLiteral("职务"), 120},
          std::pair{QStringLiteral("权限"), 80}}) {
        ui::GridColumn c;
        c.field = field;
        c.width = width;
        c.readOnly = true;
        c.sortable = false;
        cols << c;
    }
    ugrid_->setColumns(cols);
    ugrid_->setReadOnly(true);
    v->addWidget(ugrid_, 1);

    connect(addBtn, &QPushButton::clicked, this, &TepassForm::addUser);
    connect(editBtn, &QPushButton::clicked, this, &TepassForm::editUser);
    connect(saveBtn, &QPushButton::clicked, this, &TepassForm::saveUser);
    connect(delBtn, &QPushButton::clicked, this, &TepassForm::deleteUser);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::accept);

    connect(uedit_, &QLineEdit::textEdited, this,
            [this](const QString& t) { fieldEdited(QStringLiteral("用户"), t); });
    connect(pedit_, &QLineEdit::textEdited, this,
            [this](const QString& t) { fieldEdited(QStringLiteral("密码"), t); });
    connect(zwedit_, &QLineEdit::textEdited, this,
            [this](const QString& t) { fieldEdited(QStringLiteral("职务"), t); });
    connect(qxedit_, &QComboBox::activated, this,
            [this](int index) { fieldEdited(QStringLiteral("权限"), qxedit_->itemText(index)); });

    connect(users_, &data::Dataset::currentRowChanged, this, &TepassForm::showRow);
    connect(users_, &data::Dataset::opened, this, &TepassForm::showRow);
    connect(users_, &data::Dataset::posted, this, &TepassForm::userRowsChanged);
    connect(users_, &data::Dataset::removed, this, &TepassForm::userRowsChanged);
}

void TepassForm::showEvent(QShowEvent* event) {
    // Shown again, the window shows what it left; the first showing reads the users.
    guarded([this] {
        if (!users_->isOpen()) {
            users_->setDatabase(hub_.cnn);
            users_->open();
        }
    });
    showRow();
    QDialog::showEvent(event);
}

void TepassForm::showRow() {
    showing_ = true;
    const bool onRow = users_->isOpen() && users_->currentRow() >= 0;
    uedit_->setText(onRow ? users_->text(QStringLiteral("用户")) : QString());
    pedit_->setText(onRow ? users_->text(QStringLiteral("密码")) : QString());
    zwedit_->setText(onRow ? users_->text(QStringLiteral("职务")) : QString());
    const int right = qxedit_->findText(onRow ? users_->text(QStringLiteral("权限")) : QString());
    qxedit_->setCurrentIndex(right);  // a right outside the list shows as no choice
    showing_ = false;
}

void TepassForm::fieldEdited(const QString& field, const QString& text) {
    if (showing_ || !users_->isOpen() || users_->currentRow() < 0) return;
    guarded([&] { users_->setField(field, text); });  // typing starts editing the row
}

void TepassForm::addUser() {
    if (guarded([this] { users_->append({{QStringLiteral("提示"), 0}}); })) {
        showRow();
        uedit_->setFocus();
    }
}

void TepassForm::editUser() {
    if (guarded([this] { users_->edit(); })) uedit_->setFocus();
}

void TepassForm::saveUser() {
    if (!guarded([this] {
            if (users_->isModified()) users_->post();
        }))
        return;
    ui::dialogs().message(QStringLiteral("资料已保存!"), QStringLiteral("信息"), ui::Dialogs::Icon::None,
                          {ui::Dialogs::Button::Ok});
}

void TepassForm::deleteUser() {
    if (!users_->isOpen() || users_->currentRow() < 0) return;
    const data::Dataset* current = hub_.userqry;
    const QVariant ownKey = current->isOpen() ? current->field(QStringLiteral("id")) : QVariant();
    if (users_->state() != data::Dataset::State::Insert && !ownKey.isNull() &&
        users_->field(QStringLiteral("id")) == ownKey) {
        // The user working now must not vanish during the run: his name and right are read from this row.
        ui::dialogs().warn(QStringLiteral("不能删除当前登录的用户!"));
        return;
    }
    if (!ui::dialogs().confirm(QStringLiteral("您是否真的要删除这笔用户记录吗?"))) return;
    guarded([this] {
        if (users_->state() == data::Dataset::State::Insert)
            users_->cancel();  // a row not yet written is only dropped
        else
            users_->remove();
    });
    showRow();
}

void TepassForm::userRowsChanged() {
    // The rights checks read userqry's row: take what was written, staying on the same user.
    guarded([this] {
        if (hub_.userqry->isOpen()) hub_.userqry->refresh();
    });
}

}  // namespace users
