#include "printing/TSprnForm.h"

#include "printing/DesignerWindow.h"

#include "data/DataHub.h"
#include "data/DbError.h"
#include "data/Environment.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "printing/PreviewWindow.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace printing {

namespace {
const QString kReferenceTemplate = QStringLiteral("送货单.fr3");
const QString kNameColumn = QStringLiteral("报表名称");

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// Characters a file name cannot hold on the systems the program runs on.
bool validFileName(const QString& name) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c) || c.unicode() < 0x20) return false;
    return name != QStringLiteral(".") && name != QStringLiteral("..");
}
}  // namespace

TSprnForm::TSprnForm(data::DataHub& hub, QWidget* parent) : QDialog(parent), hub_(hub) {
    setObjectName(QStringLiteral("TSprnForm"));
    setWindowTitle(QStringLiteral("选择送货单打印格式"));
    setModal(true);
    resize(560, 360);

    REdit_ = new QLineEdit(this);
    REdit_->setObjectName(QStringLiteral("REdit"));
    rlist_ = new QListWidget(this);
    rlist_->setObjectName(QStringLiteral("rlist"));
    rmc_ = new QLineEdit(this);
    rmc_->setObjectName(QStringLiteral("rmc"));
    rmc_->setMinimumWidth(130);
    auto* rmcLabel = new QLabel(QStringLiteral("报表名称："), this);
    rmcLabel->setBuddy(rmc_);
    printBtn_ = button("printBtn", QStringLiteral("打印 &P"), this);
    closeBtn_ = button("closeBtn", QStringLiteral("关闭 &X"), this);
    addBtn_ = button("addBtn", QStringLiteral("加入 &T"), this);
    designBtn_ = button("designBtn", QStringLiteral("报表设置&S"), this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(printBtn_);
    bottom->addWidget(closeBtn_);
    bottom->addSpacing(16);
    bottom->addWidget(rmcLabel);
    bottom->addWidget(rmc_, 1);
    bottom->addWidget(addBtn_);
    bottom->addWidget(designBtn_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(REdit_);
    layout->addWidget(rlist_, 1);
    layout->addLayout(bottom);

    connect(rlist_, &QListWidget::itemClicked, this, &TSprnForm::formatClicked);
    connect(printBtn_, &QPushButton::clicked, this, &TSprnForm::print);
    connect(closeBtn_, &QPushButton::clicked, this, &QDialog::reject);
    connect(addBtn_, &QPushButton::clicked, this, &TSprnForm::addFormat);
    connect(designBtn_, &QPushButton::clicked, this, &TSprnForm::design);

    showPreview = [this](const PreparedReport& pages, const QString& documentName) {
        PreviewWindow preview(pages, this);
        preview.setDocumentName(documentName);
        preview.exec();
    };
    designHook = [this](const QString& templatePath) {
        DesignerWindow designer(templatePath, this);
        designer.noteReport = [this](const Template& tpl, const QString& fileName) {
            return designerReport(tpl, fileName);
        };
        if (designer.isLoaded()) designer.exec();
    };
}

void TSprnForm::printFromEntryTab(const notes::PrintRequest& request) {
    open(entryTabData(request));
}

void TSprnForm::printFromNoteList() {
    const data::Dataset& notesDs = *hub_.shdTqry;
    if (!notesDs.isOpen() || notesDs.currentRow() < 0) {
        ui::dialogs().inform(QStringLiteral("没有可以打印的送货单"));
        return;
    }
    NoteData note;
    try {
        markPrintedFromList(hub_, [] { return ui::dialogs().confirm(QStringLiteral("是否扣除货品库存?")); });
        note = noteListData(hub_);
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    open(note);
}

void TSprnForm::open(const NoteData& note) {
    note_ = note;
    exec();
}

void TSprnForm::showEvent(QShowEvent* event) {
    if (!loaded_) loadFormats();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
}

void TSprnForm::loadFormats() {
    try {
        const auto formats = data::rows(
            hub_.cnn,
            data::Statement{QStringLiteral("select distinct 编号, 报表名称 from bbmc order by 编号")});
        rlist_->clear();
        for (const QVariantMap& f : formats) rlist_->addItem(data::textOf(f.value(kNameColumn)));
        loaded_ = true;
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

void TSprnForm::formatClicked(QListWidgetItem* item) {
    if (item) REdit_->setText(item->text());
}

void TSprnForm::print() {
    CompanyTexts company;
    try {
        company = companyTexts(*hub_.xhqry);
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    if (REdit_->text().trimmed().isEmpty()) {
        ui::dialogs().warn(QStringLiteral("请先选择打印报表格式"));
        return;
    }
    Report report;
    QString error;
    if (!loadDeliveryNote(report, REdit_->text(), &error) ||
        !fillDeliveryNote(report, company, note_, &error)) {
        ui::dialogs().warn(error);
        return;
    }
    const PreparedReport pages = report.prepare();
    if (showPreview) showPreview(pages, QStringLiteral("送货单 ") + note_.number);
}

std::optional<Report> TSprnForm::designerReport(const Template& tpl, const QString& fileName) const {
    const bool hasNote =
        !note_.number.isEmpty() || !note_.header.rows.isEmpty() || !note_.lines.rows.isEmpty();
    if (!hasNote) return std::nullopt;
    CompanyTexts company;
    try {
        company = companyTexts(*hub_.xhqry);
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return std::nullopt;
    }
    Report report(tpl, fileName);
    QString error;
    if (!fillDeliveryNote(report, company, note_, &error)) {
        ui::dialogs().warn(error);
        return std::nullopt;
    }
    return report;
}

void TSprnForm::addFormat() {
    if (!loaded_) loadFormats();
    const QString name = rmc_->text().trimmed();
    if (name.isEmpty()) {
        ui::dialogs().warn(QStringLiteral("请先输入报表名称"));
        return;
    }
    if (!validFileName(name)) {
        ui::dialogs().warn(
            QStringLiteral("报表名称“%1”不能用作文件名，请不要使用 \\ / : * ? \" < > | 等字符").arg(name));
        return;
    }
    try {
        const auto existing =
            data::rows(hub_.cnn, data::Statement{QStringLiteral("select 报表名称 from bbmc")});
        for (const QVariantMap& f : existing)
            if (data::textOf(f.value(kNameColumn)).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                ui::dialogs().warn(QStringLiteral("报表格式“%1”已经存在").arg(name));
                return;
            }

        const QString target = templateFileForFormat(name);
        if (!QFileInfo::exists(target)) {
            const QString reference = data::programFile(kReferenceTemplate);
            if (!QFileInfo::exists(reference)) {
                ui::dialogs().warn(
                    QStringLiteral("参考报表格式文件“%1”不存在，无法加入新的报表格式")
                        .arg(QDir::toNativeSeparators(QFileInfo(reference).absoluteFilePath())));
                return;
            }
            if (!QFile::copy(reference, target)) {
                ui::dialogs().warn(QStringLiteral("无法建立报表格式文件“%1”")
                                       .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath())));
                return;
            }
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        }
        data::inWriteTransaction(hub_.cnn, [&] {
            data::exec(hub_.cnn,
                       data::Statement{QStringLiteral("insert into bbmc (编号, 报表名称)"),
                                       QStringLiteral("select ifnull(max(编号), 0) + 1, :name from bbmc")}
                           .bind(QStringLiteral("name"), name));
        });
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
        return;
    }
    rlist_->addItem(name);
    rlist_->setCurrentRow(rlist_->count() - 1);
    rmc_->clear();
}

void TSprnForm::design() {
    const QString name = REdit_->text().trimmed();
    if (name.isEmpty()) {
        ui::dialogs().warn(QStringLiteral("请先选择打印报表格式"));
        return;
    }
    if (designHook) designHook(QFileInfo(templateFileForFormat(name)).absoluteFilePath());
}

void TSprnForm::done(int result) {
    QDialog::done(result);
    try {
        if (hub_.shdDqry->isOpen()) hub_.shdDqry->refresh();
    } catch (const data::DbError& e) {
        ui::dialogs().error(e.text());
    }
}

}  // namespace printing
