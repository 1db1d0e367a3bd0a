#include "users/TloginForm.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "ui/Dialogs.h"
#include "users/Login.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace users {

TloginForm::TloginForm(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("TloginForm"));
    setWindowTitle(QStringLiteral("登录"));
    setModal(true);
    // No close box: the way out is "&X 退出".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(420, 260);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    // The picture band: product name and the version marks.
    auto* band = new QWidget(this);
    band->setFixedHeight(86);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(20, 10, 20, 10);
    auto* product = new QLabel(QStringLiteral("Tarvel送货单打印管理软件"), band);
    QFont pf = product->font();
    pf.setPixelSize(20);
    pf.setBold(true);
    product->setFont(pf);
    product->setStyleSheet(QStringLiteral("color: white;"));
    auto* version = new QLabel(QStringLiteral(" V1.9"), band);
    version->setObjectName(QStringLiteral("versionLabel"));
    auto* edition = new QLabel(QStringLiteral("专业版"), band);
    edition->setObjectName(QStringLiteral("editionLabel"));
    for (QLabel* l : {version, edition}) {
        QFont f = l->font();
        f.setPixelSize(15);
        f.setBold(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: #ffe082;"));
    }
    bandLayout->addWidget(product);
    bandLayout->addWidget(version);
    bandLayout->addStretch(1);
    bandLayout->addWidget(edition, 0, Qt::AlignBottom);
    v->addWidget(band);

    auto* form = new QGridLayout;
    form->setContentsMargins(60, 18, 60, 8);
    form->setVerticalSpacing(10);
    UID_ = new QComboBox(this);
    UID_->setObjectName(QStringLiteral("UID"));
    UID_->setEditable(false);  // a name can only be chosen from the list
    upass_ = new QLineEdit(this);
    upass_->setObjectName(QStringLiteral("upass"));
    upass_->setEchoMode(QLineEdit::Password);
    form->addWidget(new QLabel(QStringLiteral("用户ID:"), this), 0, 0);
    form->addWidget(UID_, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("密  码："), this), 1, 0);
    form->addWidget(upass_, 1, 1);
    form->setColumnStretch(1, 1);
    v->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(60, 4, 60, 8);
    loginBtn_ = new QPushButton(QStringLiteral("&L 登录"), this);
    loginBtn_->setObjectName(QStringLiteral("loginBtn"));
    loginBtn_->setDefault(true);
    exitBtn_ = new QPushButton(QStringLiteral("&X 退出"), this);
    exitBtn_->setObjectName(QStringLiteral("exitBtn"));
    exitBtn_->setAutoDefault(false);
    buttons->addWidget(loginBtn_);
    buttons->addStretch(1);
    buttons->addWidget(exitBtn_);
    v->addLayout(buttons);
    v->addStretch(1);

    auto* status = new QLabel(QStringLiteral("用户ID请选择，初始密码为空!"), this);
    status->setObjectName(QStringLiteral("statusLine"));
    status->setFrameShape(QFrame::StyledPanel);
    status->setContentsMargins(6, 2, 6, 2);
    v->addWidget(status);

    connect(loginBtn_, &QPushButton::clicked, this, &TloginForm::login);
    connect(exitBtn_, &QPushButton::clicked, this, &TloginForm::quit);
    connect(UID_, &QComboBox::activated, this, [this](int index) {
        try {
            chooseUser(*hub_.userqry, UID_->itemText(index));
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
        }
    });
}

void TloginForm::showEvent(QShowEvent* event) {
    // Each activation opens the user view if it is not open; an open view stays where it stands.
    try {
        if (!hub_.userqry->isOpen()) hub_.userqry->open();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
    fillUserList();
    QDialog::showEvent(event);
}

void TloginForm::fillUserList() {
    const QString chosen = UID_->currentIndex() >= 0 ? UID_->currentText() : QString();
    UID_->clear();
    const data::Dataset* users = hub_.userqry;
    if (users->isOpen())
        for (int r = 0; r < users->count(); ++r)
            UID_->addItem(data::textOf(users->value(r, QStringLiteral("用户"))));
    UID_->setCurrentIndex(chosen.isEmpty() ? -1 : UID_->findText(chosen));
}

void TloginForm::login() {
    const bool chosen = UID_->currentIndex() >= 0;
    if (chosen) {
        try {
            // The first row with the chosen name is the current user's.
            chooseUser(*hub_.userqry, UID_->currentText());
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
            return;
        }
    }
    switch (checkLogin(*hub_.userqry, chosen, upass_->text())) {
        case LoginResult::NoUserChosen:
            ui::dialogs().warn(QStringLiteral("请先选择用户ID!"));
            return;
        case LoginResult::WrongPassword:
            upass_->setFocus();
            ui::dialogs().warn(QStringLiteral("密码不正确,请重新输入!"));
            return;
        case LoginResult::Success:
            accept();
            return;
    }
}

void TloginForm::quit() {
    reject();
}

void TloginForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;  // only "&X 退出" leaves
    QDialog::keyPressEvent(event);
}

void TloginForm::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    QLinearGradient g(0, 0, width(), 86);
    g.setColorAt(0, QColor(31, 78, 140));
    g.setColorAt(1, QColor(74, 144, 206));
    p.fillRect(QRect(0, 0, width(), 86), g);
    QDialog::paintEvent(event);
}

}  // namespace users
