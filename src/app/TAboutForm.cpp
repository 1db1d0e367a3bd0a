#include "app/TAboutForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("关于"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(28, 24, 28, 16);
    auto* title = new QLabel(QStringLiteral("Tarvel送货单打印管理软件  V1.9 专业版"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont f = title->font();
    f.setPixelSize(18);
    f.setBold(true);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    v->addWidget(title);
    v->addSpacing(16);
    auto* h = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定 &T"), this);
    ok->setObjectName(QStringLiteral("okBtn"));
    h->addStretch(1);
    h->addWidget(ok);
    h->addStretch(1);
    v->addLayout(h);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace app
