#include "company/Txhdwform.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "ui/Dialogs.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace company {

namespace {
const QString kMonthly = QStringLiteral("每月从 1 开始");
const QString kDaily = QStringLiteral("每天从 1 开始");
const QString kLogo = QStringLiteral("公司图标");
const QString kPeriod = QStringLiteral("月天");

struct FieldRow {
    const char* column;
    const char* label;
    bool wide;
};
// The fields of the window from top to bottom (the invoice columns are not shown here).
const FieldRow kFields[] = {
    {"中文名称", "中文名称：", true}, {"英文名称", "英文名称：", true}, {"中文简称", "中文简称：", false},
    {"公司地址", "公司地址：", true}, {"公司电话", "公司电话：", false}, {"公司传真", "公司传真：", false},
    {"公司网址", "公司网址：", false}, {"公司邮箱", "公司邮箱：", false},
};
}  // namespace

QPixmap scaledLogo(const QByteArray& bytes, const QSize& size) {
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes)) return {};
    return QPixmap::fromImage(image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

Txhdwform::Txhdwform(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("Txhdwform"));
    setWindowTitle(QStringLiteral("公司资料"));
    setModal(true);

    auto* form = new QFormLayout;
    for (const FieldRow& f : kFields) {
        const QString column = QString::fromUtf8(f.column);
        auto* edit = new QLineEdit;
        edit->setObjectName(column);
        edit->setMinimumWidth(f.wide ? 380 : 200);
        connect(edit, &QLineEdit::textEdited, this, [this, column](const QString& t) { setProfileField(column, t); });
        edits_.insert(column, edit);
        form->addRow(QString::fromUtf8(f.label), edit);
    }

    gsbz_ = new QLabel;
    gsbz_->setObjectName(QStringLiteral("gsbz"));
    gsbz_->setFixedSize(129, 105);
    gsbz_->setFrameShape(QFrame::StyledPanel);
    gsbz_->setAlignment(Qt::AlignCenter);
    auto* addLogoButton = new QPushButton(QStringLiteral("加入图标"));
    addLogoButton->setObjectName(QStringLiteral("jrtbBtn"));
    connect(addLogoButton, &QPushButton::clicked, this, &Txhdwform::addLogo);
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(gsbz_);
    logoRow->addWidget(addLogoButton, 0, Qt::AlignBottom);
    logoRow->addStretch();
    form->addRow(QStringLiteral("公司图标："), logoRow);

    auto* period = new QGroupBox(QStringLiteral("送货单号按 每月 或 每天 开始"));
    period->setObjectName(QStringLiteral("ytGroup"));
    monthly_ = new QRadioButton(kMonthly);
    monthly_->setObjectName(QStringLiteral("monthly"));
    daily_ = new QRadioButton(kDaily);
    daily_->setObjectName(QStringLiteral("daily"));
    auto* group = new QButtonGroup(this);
    group->addButton(monthly_);
    group->addButton(daily_);
    auto* periodRow = new QHBoxLayout(period);
    periodRow->addWidget(monthly_);
    periodRow->addWidget(daily_);
    for (QRadioButton* b : {monthly_, daily_})
        connect(b, &QRadioButton::toggled, this, [this, b](bool on) {
            if (on) setProfileField(kPeriod, b->text());
        });

    auto* saveButton = new QPushButton(QStringLiteral("&S保存"));
    saveButton->setObjectName(QStringLiteral("saveBtn"));
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (save()) ui::dialogs().warn(QStringLiteral("资料已经保存!"));
    });
    auto* closeButton = new QPushButton(QStringLiteral("&X关闭"));
    closeButton->setObjectName(QStringLiteral("closeBtn"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(period);
    layout->addLayout(buttons);
}

data::Dataset& Txhdwform::profile() const { return *hub_.xhqry; }

void Txhdwform::showEvent(QShowEvent* e) {
    showProfile();
    QDialog::showEvent(e);
}

void Txhdwform::showProfile() {
    showing_ = true;
    for (auto it = edits_.cbegin(); it != edits_.cend(); ++it) it.value()->setText(profile().text(it.key()));
    const QString period = profile().text(kPeriod);
    // Neither caption stored: no button selected.
    for (QRadioButton* b : {monthly_, daily_}) b->setAutoExclusive(false);
    monthly_->setChecked(period == kMonthly);
    daily_->setChecked(period == kDaily);
    for (QRadioButton* b : {monthly_, daily_}) b->setAutoExclusive(true);
    showLogo();
    showing_ = false;
}

void Txhdwform::showLogo() {
    const QPixmap logo = scaledLogo(profile().field(kLogo).toByteArray(), gsbz_->size());
    gsbz_->setPixmap(logo);
    if (logo.isNull()) gsbz_->clear();
}

void Txhdwform::setProfileField(const QString& column, const QVariant& value) {
    if (showing_) return;
    try {
        if (profile().currentRow() < 0) throw data::DbError(QStringLiteral("没有公司资料记录，无法修改。"));
        profile().setField(column, value);
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        showProfile();
    }
}

void Txhdwform::addLogo() {
    const QString path = ui::dialogs().openFile(QStringLiteral("加入图标"), QString(),
                                                QStringLiteral("图片文件 (*.png *.jpg *.jpeg *.bmp *.gif);;所有文件 (*)"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::dialogs().warn(QStringLiteral("无法读取文件 %1").arg(path));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (QImage::fromData(bytes).isNull()) {
        ui::dialogs().warn(QStringLiteral("文件 %1 不是可以识别的图片（请选择 PNG、JPEG、BMP 或 GIF 图片）。").arg(path));
        return;
    }
    setProfileField(kLogo, bytes);
    showLogo();
}

bool Txhdwform::save() {
    try {
        profile().post();
        return true;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return false;
    }
}

bool Txhdwform::askToSaveBeforeClosing() {
    if (!profile().isModified()) return true;
    if (ui::dialogs().confirm(QStringLiteral("您修改了这笔记录,要保存吗?"))) return save();
    profile().cancel();  // No: the unsaved changes are dropped
    return true;
}

void Txhdwform::closeEvent(QCloseEvent* e) {
    if (askToSaveBeforeClosing()) e->accept();
    else e->ignore();
}

void Txhdwform::reject() {
    if (askToSaveBeforeClosing()) QDialog::reject();
}

}  // namespace company
