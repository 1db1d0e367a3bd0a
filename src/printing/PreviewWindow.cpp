#include "printing/PreviewWindow.h"

#include "printing/Render.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

namespace printing {

PreviewWindow::PreviewWindow(PreparedReport report, QWidget* parent)
    : QDialog(parent),
      report_(std::move(report)),
      printer_(QPrinter::HighResolution),
      previewPrinter_(QPrinter::HighResolution) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(960, 720);
    documentName_ = QStringLiteral("送货单");

    // The preview draws into a PDF-format printer: same paper as the template, and no printer needed.
    previewPrinter_.setOutputFormat(QPrinter::PdfFormat);
    setupPrinter(previewPrinter_, report_);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    preview_ = new QPrintPreviewWidget(&previewPrinter_, this);
    preview_->setObjectName(QStringLiteral("preview"));
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, &PreviewWindow::paint);
    connect(preview_, &QPrintPreviewWidget::previewChanged, this, &PreviewWindow::updatePageLabel);

    connect(addAction(QStringLiteral("actPrint"), QStringLiteral("打印(&P)"), QKeySequence::Print),
            &QAction::triggered, this, [this] { print(); });
    connect(addAction(QStringLiteral("actPageSetup"), QStringLiteral("页面设置(&U)")), &QAction::triggered,
            this, &PreviewWindow::pageSetup);
    connect(addAction(QStringLiteral("actExportPdf"), QStringLiteral("导出 PDF(&E)")), &QAction::triggered,
            this, [this] { exportPdf(); });
    toolBar_->addSeparator();
    connect(addAction(QStringLiteral("actZoomIn"), QStringLiteral("放大"), QKeySequence::ZoomIn),
            &QAction::triggered, preview_, [this] { preview_->zoomIn(); });
    connect(addAction(QStringLiteral("actZoomOut"), QStringLiteral("缩小"), QKeySequence::ZoomOut),
            &QAction::triggered, preview_, [this] { preview_->zoomOut(); });
    connect(addAction(QStringLiteral("actFit"), QStringLiteral("整页")), &QAction::triggered, preview_,
            &QPrintPreviewWidget::fitInView);
    backgroundAction_ = addAction(QStringLiteral("actBackground"), QStringLiteral("显示底图"));
    backgroundAction_->setCheckable(true);
    connect(backgroundAction_, &QAction::toggled, preview_, [this] { preview_->updatePreview(); });
    toolBar_->addSeparator();
    connect(addAction(QStringLiteral("actFirst"), QStringLiteral("首页"), Qt::Key_Home), &QAction::triggered,
            this, [this] { goToPage(1); });
    connect(addAction(QStringLiteral("actPrev"), QStringLiteral("上一页"), Qt::Key_PageUp),
            &QAction::triggered, this, [this] { goToPage(currentPage() - 1); });
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    toolBar_->addWidget(pageLabel_);
    connect(addAction(QStringLiteral("actNext"), QStringLiteral("下一页"), Qt::Key_PageDown),
            &QAction::triggered, this, [this] { goToPage(currentPage() + 1); });
    connect(addAction(QStringLiteral("actLast"), QStringLiteral("末页"), Qt::Key_End), &QAction::triggered,
            this, [this] { goToPage(pageCount()); });
    toolBar_->addSeparator();
    searchEdit_ = new QLineEdit(this);
    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    searchEdit_->setPlaceholderText(QStringLiteral("查找文字"));
    searchEdit_->setMaximumWidth(180);
    toolBar_->addWidget(searchEdit_);
    QAction* findAct = addAction(QStringLiteral("actFind"), QStringLiteral("查找(&F)"), QKeySequence::Find);
    auto doFind = [this] {
        const QString t = searchEdit_->text().trimmed();
        if (t.isEmpty()) return;
        if (find(t) == 0) ui::dialogs().inform(QStringLiteral("没有找到“%1”。").arg(t));
    };
    connect(findAct, &QAction::triggered, this, doFind);
    connect(searchEdit_, &QLineEdit::returnPressed, this, doFind);
    toolBar_->addSeparator();
    connect(addAction(QStringLiteral("actClose"), QStringLiteral("关闭(&X)")), &QAction::triggered, this,
            &QDialog::accept);

    noticeLabel_ = new QLabel(this);
    noticeLabel_->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(preview_, 1);
    layout->addWidget(noticeLabel_);
    setReport(report_);
}

PreviewWindow::~PreviewWindow() = default;

QAction* PreviewWindow::addAction(const QString& name, const QString& text, const QKeySequence& key) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    toolBar_->addAction(a);
    return a;
}

void PreviewWindow::setReport(PreparedReport report) {
    report_ = std::move(report);
    if (!userPageSetup_) setupPrinter(previewPrinter_, report_);
    const auto& background = report_.settings.background;
    backgroundImage_ = background ? QImage::fromData(background->image) : QImage();
    {
        const QSignalBlocker block(backgroundAction_);
        backgroundAction_->setChecked(background && background->showInPreview);
    }
    backgroundAction_->setVisible(!backgroundImage_.isNull());
    noticeLabel_->setText(report_.notices.isEmpty()
                              ? QString()
                              : QStringLiteral("提示：") + report_.notices.join(QStringLiteral("；")));
    noticeLabel_->setVisible(!report_.notices.isEmpty());
    preview_->updatePreview();
    updatePageLabel();
}

void PreviewWindow::setDocumentName(const QString& name) {
    documentName_ = name;
    printer_.setDocName(name);
}

void PreviewWindow::setPrinterName(const QString& name) {
    // Only a printer the system has: another name would turn the printer into a PDF file writer.
    for (const QString& installed : QPrinterInfo::availablePrinterNames())
        if (installed.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
            printer_.setPrinterName(installed);
            return;
        }
}

bool PreviewWindow::backgroundShown() const {
    return !backgroundImage_.isNull() && backgroundAction_->isChecked();
}

void PreviewWindow::paint(QPrinter* printer) {
    // The preview shows the pages as the template lays them out: no printer's adjustment.
    paintReport(report_, *printer, printer->resolution(), 0, 0, nullptr, userPageSetup_, highlight_, {},
                backgroundShown() ? &*report_.settings.background : nullptr);
}

int PreviewWindow::currentPage() const {
    return pageCount() == 0 ? 0 : std::clamp(preview_->currentPage(), 1, pageCount());
}

QString PreviewWindow::pageText() const {
    return QStringLiteral("第 %1 页 / 共 %2 页").arg(currentPage()).arg(pageCount());
}

void PreviewWindow::updatePageLabel() {
    pageLabel_->setText(pageText());
}

void PreviewWindow::goToPage(int page) {
    if (pageCount() == 0) return;
    preview_->setCurrentPage(std::clamp(page, 1, pageCount()));
    updatePageLabel();
}

int PreviewWindow::find(const QString& text) {
    const QList<int> pages = report_.pagesContaining(text);
    highlight_ = pages.isEmpty() ? QString() : text;
    preview_->updatePreview();
    if (pages.isEmpty()) return 0;
    const int from = currentPage();  // 1-based; the next page after it, wrapping to the first
    int target = pages.first() + 1;
    for (int p : pages)
        if (p + 1 > from) {
            target = p + 1;
            break;
        }
    // The current page itself counts when it is the only one.
    goToPage(target);
    return target;
}

bool PreviewWindow::print() {
    if (report_.pages.isEmpty()) {
        ui::dialogs().warn(QStringLiteral("报表没有可打印的页。"));
        return false;
    }
    if (!printerPrepared_ && !userPageSetup_) setupPrinter(printer_, report_);
    printerPrepared_ = true;
    printer_.setDocName(documentName_);
    printer_.setFromTo(1, pageCount());
    if (!ui::dialogs().print(&printer_)) return false;
    QString error;
    if (!printReport(report_, printer_, &error, userPageSetup_)) {
        ui::dialogs().warn(error);
        return false;
    }
    return true;
}

void PreviewWindow::pageSetup() {
    if (!printerPrepared_ && !userPageSetup_) setupPrinter(printer_, report_);
    printerPrepared_ = true;
    if (!ui::dialogs().pageSetup(&printer_)) return;
    userPageSetup_ = true;
    previewPrinter_.setPageLayout(printer_.pageLayout());
    previewPrinter_.setFullPage(true);
    preview_->updatePreview();
}

bool PreviewWindow::exportPdf() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = ui::dialogs().saveFile(QStringLiteral("导出 PDF"),
                                          QDir(dir).filePath(documentName_ + QStringLiteral(".pdf")),
                                          QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    QString error;
    if (!renderPdf(report_, path, &error)) {
        ui::dialogs().warn(error);
        return false;
    }
    return true;
}

}  // namespace printing
