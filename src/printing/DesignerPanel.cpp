#include "printing/DesignerPanel.h"

#include "printing/SampleData.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cmath>
#include <functional>
#include <iterator>

namespace printing {

namespace {

// The panel shows rounded values: an object keeps its exact value unless the user changed the shown one.
double pick(double shown, double exact, double tolerance) {
    return std::abs(shown - exact) < tolerance ? exact : shown;
}

constexpr double kMmTolerance = 0.05;  // the fields show a tenth of a millimetre

bool isMemo(const ReportObject& o) {
    return o.kind == ObjectKind::Memo || o.kind == ObjectKind::SysMemo;
}
bool hasGeometry(const ReportObject& o) {
    return o.kind != ObjectKind::Unknown;  // unknown kinds are written back as they were read
}
bool hasFrameSides(const ReportObject& o) {
    return isMemo(o) || o.kind == ObjectKind::Picture;
}
bool hasFrameWidth(const ReportObject& o) {
    return o.kind != ObjectKind::Unknown;  // a line's thickness, a shape's outline
}

QDoubleSpinBox* spin(const QString& name, QWidget* parent, double min, double max, int decimals,
                     const QString& suffix = QStringLiteral(" mm")) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setDecimals(decimals);
    s->setSingleStep(decimals > 1 ? 0.1 : 0.5);
    s->setSuffix(suffix);
    s->setKeyboardTracking(false);
    return s;
}

QCheckBox* check(const QString& name, const QString& text, QWidget* parent) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

QComboBox* combo(const QString& name, QWidget* parent, const QList<QPair<QString, QVariant>>& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (const auto& [text, value] : items) c->addItem(text, value);
    return c;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* l = new QHBoxLayout;
    l->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets) l->addWidget(w);
    l->addStretch();
    return l;
}

struct Paper {
    const char* caption;
    int code;
    double width, height;  // portrait, mm
};
// The papers the combo offers; the last one is "自定义" (custom, any size).
const Paper kPapers[] = {
    {"A4 210×297", 9, 210, 297},         {"A5 148×210", 11, 148, 210},
    {"A3 297×420", 8, 297, 420},         {"B5 182×257", 13, 182, 257},
    {"Letter 216×279", 1, 215.9, 279.4}, {"送货单 210×145", 256, 210, 145},
    {"241×140 连续纸", 256, 241, 140},   {"自定义", 256, 0, 0},
};
constexpr int kCustomPaper = int(std::size(kPapers)) - 1;

bool near(double a, double b) {
    return std::abs(a - b) < 0.5;
}

int paperIndex(const DesignerModel::PageSetup& s) {
    for (int i = 0; i < kCustomPaper; ++i) {
        const Paper& p = kPapers[i];
        if (p.code == s.paperSize && ((near(p.width, s.paperWidth) && near(p.height, s.paperHeight)) ||
                                      (near(p.width, s.paperHeight) && near(p.height, s.paperWidth))))
            return i;
    }
    if (s.paperSize != 256)
        for (int i = 0; i < kCustomPaper; ++i)
            if (kPapers[i].code == s.paperSize) return i;
    return kCustomPaper;
}

QString defaultFormat(const QString& kind) {
    if (kind == QLatin1String("fkNumeric")) return QStringLiteral("%2.2n");
    if (kind == QLatin1String("fkDateTime")) return QStringLiteral("yyyy-mm-dd");
    if (kind == QLatin1String("fkBoolean")) return QStringLiteral("否,是");
    return {};
}

QString toEditor(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}
QString fromEditor(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

}  // namespace

DesignerPanel::DesignerPanel(DesignerModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("DesignerPanel");
    setFixedWidth(280);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(4, 4, 4, 4);
    title_ = new QLabel(content);
    title_->setObjectName("panelTitle");
    title_->setWordWrap(true);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    column->addWidget(title_);

    // Untitled: the title above names what they show.
    objectBox_ = new QGroupBox(content);
    bandBox_ = new QGroupBox(content);
    pageBox_ = new QGroupBox(content);
    buildObjectBox();
    buildBandBox();
    buildPageBox();
    for (QGroupBox* b : {objectBox_, bandBox_, pageBox_}) column->addWidget(b);
    column->addStretch();

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("panelScroll");
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    showSelection();
}

DesignerPanel::~DesignerPanel() {
    // A field that has the focus loses it while the widgets go away, and would apply what it holds to a
    // panel that is no more.
    textEdit_->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
}

void DesignerPanel::buildObjectBox() {
    QWidget* box = objectBox_;
    objectForm_ = new QFormLayout(box);
    objectForm_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    nameEdit_ = new QLineEdit(box);
    nameEdit_->setObjectName("nameEdit");
    connect(nameEdit_, &QLineEdit::editingFinished, this, &DesignerPanel::applyName);

    leftSpin_ = spin("leftSpin", box, -1000, 1000, 1);
    topSpin_ = spin("topSpin", box, -1000, 1000, 1);
    widthSpin_ = spin("widthSpin", box, -1000, 1000, 1);
    heightSpin_ = spin("heightSpin", box, -1000, 1000, 1);
    int which = 0;
    for (QDoubleSpinBox* s : {leftSpin_, topSpin_, widthSpin_, heightSpin_})
        connect(s, &QDoubleSpinBox::valueChanged, this,
                [this, w = which++](double v) { applyGeometry(w, v); });

    textEdit_ = new QPlainTextEdit(box);
    textEdit_->setObjectName("textEdit");
    textEdit_->setTabChangesFocus(true);
    textEdit_->setFixedHeight(textEdit_->fontMetrics().lineSpacing() * 4 + 12);
    textEdit_->installEventFilter(this);
    fieldButton_ = new QPushButton(QStringLiteral("插入字段"), box);
    fieldButton_->setObjectName("fieldButton");
    fieldButton_->setAutoDefault(false);
    connect(fieldButton_, &QPushButton::clicked, this, &DesignerPanel::insertField);

    fontCombo_ = new QComboBox(box);
    fontCombo_->setObjectName("fontCombo");
    fontCombo_->setEditable(true);
    fontCombo_->setInsertPolicy(QComboBox::NoInsert);
    QStringList families{"宋体", "黑体", "楷体", "仿宋", "微软雅黑", "Arial"};
    for (const QString& f : QFontDatabase::families())
        if (!families.contains(f) && !QFontDatabase::isPrivateFamily(f)) families << f;
    fontCombo_->addItems(families);
    connect(fontCombo_, &QComboBox::activated, this,
            [this](int i) { applyFontName(fontCombo_->itemText(i)); });
    connect(fontCombo_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { applyFontName(fontCombo_->currentText()); });

    fontSizeSpin_ = spin("fontSizeSpin", box, 1, 200, 1, QStringLiteral(" 磅"));
    connect(fontSizeSpin_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyToObjects(isMemo, [&](const ReportObject& o) {
            if (std::abs(model_.font(o.name).pointSize - v) >= 0.05) model_.setFontSize(o.name, v);
        });
    });

    boldCheck_ = check("boldCheck", QStringLiteral("粗体"), box);
    italicCheck_ = check("italicCheck", QStringLiteral("斜体"), box);
    underlineCheck_ = check("underlineCheck", QStringLiteral("下划线"), box);
    connect(boldCheck_, &QCheckBox::toggled, this, [this](bool on) {
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setBold(o.name, on); });
    });
    connect(italicCheck_, &QCheckBox::toggled, this, [this](bool on) {
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setItalic(o.name, on); });
    });
    connect(underlineCheck_, &QCheckBox::toggled, this, [this](bool on) {
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setUnderline(o.name, on); });
    });

    hAlignCombo_ = combo("hAlignCombo", box,
                         {{"左", int(HAlign::Left)},
                          {"居中", int(HAlign::Center)},
                          {"右", int(HAlign::Right)},
                          {"两端", int(HAlign::Block)}});
    vAlignCombo_ =
        combo("vAlignCombo", box,
              {{"上", int(VAlign::Top)}, {"居中", int(VAlign::Center)}, {"下", int(VAlign::Bottom)}});
    connect(hAlignCombo_, &QComboBox::activated, this, [this](int i) {
        const auto a = HAlign(hAlignCombo_->itemData(i).toInt());
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setHAlign(o.name, a); });
    });
    connect(vAlignCombo_, &QComboBox::activated, this, [this](int i) {
        const auto a = VAlign(vAlignCombo_->itemData(i).toInt());
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setVAlign(o.name, a); });
    });
    wordWrapCheck_ = check("wordWrapCheck", QStringLiteral("自动换行"), box);
    connect(wordWrapCheck_, &QCheckBox::toggled, this, [this](bool on) {
        applyToObjects(isMemo, [&](const ReportObject& o) { model_.setWordWrap(o.name, on); });
    });

    frameLeftCheck_ = check("frameLeftCheck", QStringLiteral("左"), box);
    frameRightCheck_ = check("frameRightCheck", QStringLiteral("右"), box);
    frameTopCheck_ = check("frameTopCheck", QStringLiteral("上"), box);
    frameBottomCheck_ = check("frameBottomCheck", QStringLiteral("下"), box);
    const QList<QPair<QCheckBox*, int>> sides{{frameLeftCheck_, Frame::Left},
                                              {frameRightCheck_, Frame::Right},
                                              {frameTopCheck_, Frame::Top},
                                              {frameBottomCheck_, Frame::Bottom}};
    for (const auto& [c, side] : sides)
        connect(c, &QCheckBox::toggled, this, [this, side = side](bool on) {
            // Each object keeps its other sides and its width.
            applyToObjects(hasFrameSides, [&](const ReportObject& o) {
                model_.setFrame(o.name, on ? (o.frame.typ | side) : (o.frame.typ & ~side),
                                unitsToMm(o.frame.width));
            });
        });
    frameWidthSpin_ = spin("frameWidthSpin", box, 0, 10, 2);
    connect(frameWidthSpin_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        applyToObjects(hasFrameWidth, [&](const ReportObject& o) {
            const double own = unitsToMm(o.frame.width);
            model_.setFrame(o.name, o.frame.typ, pick(v, own, 0.005));
        });
    });

    formatKindCombo_ = combo("formatKindCombo", box,
                             {{"无", QString()},
                              {"数值", QStringLiteral("fkNumeric")},
                              {"日期时间", QStringLiteral("fkDateTime")},
                              {"文本", QStringLiteral("fkText")},
                              {"布尔", QStringLiteral("fkBoolean")}});
    formatEdit_ = new QLineEdit(box);
    formatEdit_->setObjectName("formatEdit");
    formatEdit_->setPlaceholderText(QStringLiteral("%2.2n  yyyy-mm-dd"));
    connect(formatKindCombo_, &QComboBox::activated, this, [this](int i) {
        const QString kind = formatKindCombo_->itemData(i).toString();
        applyToObjects(isMemo, [&](const ReportObject& o) {
            if (o.displayFormat.kind == kind) return;
            DisplayFormat f = o.displayFormat;
            f.kind = kind;
            f.formatStr = defaultFormat(kind);  // the old kind's format means nothing to the new one
            model_.setDisplayFormat(o.name, f);
        });
    });
    connect(formatEdit_, &QLineEdit::editingFinished, this, &DesignerPanel::applyFormatText);

    auto* textColumn = new QVBoxLayout;
    textColumn->setContentsMargins(0, 0, 0, 0);
    textColumn->addWidget(textEdit_);
    textColumn->addLayout(row({fieldButton_}));

    objectForm_->addRow(QStringLiteral("名称"), nameEdit_);
    objectForm_->addRow(QStringLiteral("左"), leftSpin_);
    objectForm_->addRow(QStringLiteral("上"), topSpin_);
    objectForm_->addRow(QStringLiteral("宽"), widthSpin_);
    objectForm_->addRow(QStringLiteral("高"), heightSpin_);
    objectForm_->addRow(QStringLiteral("文本"), textColumn);
    objectForm_->addRow(QStringLiteral("字体"), fontCombo_);
    objectForm_->addRow(QStringLiteral("字号"), fontSizeSpin_);
    objectForm_->addRow(QString(), row({boldCheck_, italicCheck_, underlineCheck_}));
    objectForm_->addRow(QStringLiteral("水平对齐"), hAlignCombo_);
    objectForm_->addRow(QStringLiteral("垂直对齐"), vAlignCombo_);
    objectForm_->addRow(QString(), wordWrapCheck_);
    objectForm_->addRow(QStringLiteral("边框"),
                        row({frameLeftCheck_, frameRightCheck_, frameTopCheck_, frameBottomCheck_}));
    objectForm_->addRow(QStringLiteral("边框宽度"), frameWidthSpin_);
    objectForm_->addRow(QStringLiteral("显示格式"), formatKindCombo_);
    objectForm_->addRow(QStringLiteral("格式"), formatEdit_);
}

void DesignerPanel::buildBandBox() {
    QWidget* box = bandBox_;
    bandForm_ = new QFormLayout(box);
    bandForm_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    bandNameEdit_ = new QLineEdit(box);
    bandNameEdit_->setObjectName("bandNameEdit");
    bandNameEdit_->setReadOnly(true);
    bandHeightSpin_ = spin("bandHeightSpin", box, 0, 1000, 1);
    connect(bandHeightSpin_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        apply([&] {
            const Band* b = model_.band(band_);
            if (b) model_.setBandHeight(band_, pick(v, unitsToMm(b->height), kMmTolerance));
        });
    });
    toNRowsSpin_ = new QSpinBox(box);
    toNRowsSpin_->setObjectName("toNRowsSpin");
    toNRowsSpin_->setRange(0, 999);
    toNRowsSpin_->setKeyboardTracking(false);
    toNRowsSpin_->setToolTip(QStringLiteral("0：不填充空行"));
    toNRowsModeCombo_ = combo("toNRowsModeCombo", box,
                              {{"固定行数", QStringLiteral("rmCount")},
                               {"填满页面", QStringLiteral("rmTillPageEnds")},
                               {"追加行数", QStringLiteral("rmAddToCount")}});
    const auto applyRows = [this] {
        apply([&] {
            model_.setBandToNRows(band_, toNRowsSpin_->value(), toNRowsModeCombo_->currentData().toString());
        });
    };
    connect(toNRowsSpin_, &QSpinBox::valueChanged, this, applyRows);
    connect(toNRowsModeCombo_, &QComboBox::activated, this, applyRows);
    bandForm_->addRow(QStringLiteral("名称"), bandNameEdit_);
    bandForm_->addRow(QStringLiteral("高度"), bandHeightSpin_);
    bandForm_->addRow(QStringLiteral("填充行数"), toNRowsSpin_);
    bandForm_->addRow(QStringLiteral("填充方式"), toNRowsModeCombo_);
}

void DesignerPanel::buildPageBox() {
    QWidget* box = pageBox_;
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    paperCombo_ = new QComboBox(box);
    paperCombo_->setObjectName("paperCombo");
    for (const Paper& p : kPapers) paperCombo_->addItem(QString::fromUtf8(p.caption));
    connect(paperCombo_, &QComboBox::activated, this, &DesignerPanel::applyPaper);
    paperWidthSpin_ = spin("paperWidthSpin", box, 10, 2000, 1);
    paperHeightSpin_ = spin("paperHeightSpin", box, 10, 2000, 1);
    connect(paperWidthSpin_, &QDoubleSpinBox::valueChanged, this, &DesignerPanel::applyPaperSize);
    connect(paperHeightSpin_, &QDoubleSpinBox::valueChanged, this, &DesignerPanel::applyPaperSize);
    orientationCombo_ = combo("orientationCombo", box, {{"纵向", false}, {"横向", true}});
    connect(orientationCombo_, &QComboBox::activated, this, &DesignerPanel::applyOrientation);
    marginLeftSpin_ = spin("marginLeftSpin", box, 0, 500, 1);
    marginRightSpin_ = spin("marginRightSpin", box, 0, 500, 1);
    marginTopSpin_ = spin("marginTopSpin", box, 0, 500, 1);
    marginBottomSpin_ = spin("marginBottomSpin", box, 0, 500, 1);
    for (QDoubleSpinBox* s : {marginLeftSpin_, marginRightSpin_, marginTopSpin_, marginBottomSpin_})
        connect(s, &QDoubleSpinBox::valueChanged, this, &DesignerPanel::applyMargins);
    form->addRow(QStringLiteral("纸张"), paperCombo_);
    form->addRow(QStringLiteral("宽"), paperWidthSpin_);
    form->addRow(QStringLiteral("高"), paperHeightSpin_);
    form->addRow(QStringLiteral("方向"), orientationCombo_);
    form->addRow(QStringLiteral("左边距"), marginLeftSpin_);
    form->addRow(QStringLiteral("右边距"), marginRightSpin_);
    form->addRow(QStringLiteral("上边距"), marginTopSpin_);
    form->addRow(QStringLiteral("下边距"), marginBottomSpin_);
}

// --- showing ---------------------------------------------------------------------------------------

void DesignerPanel::showSelection() {
    objects_ = model_.selection();
    if (!objects_.isEmpty()) {
        showing_ = Showing::Objects;
        band_.clear();
    } else {
        showing_ = model_.band(band_) ? Showing::Band : Showing::Page;
    }
    reload();
}

void DesignerPanel::showBand(const QString& band) {
    const Band* b = model_.band(band);
    band_ = b ? b->name : QString();
    objects_.clear();
    showing_ = b ? Showing::Band : Showing::Page;
    reload();
}

void DesignerPanel::showPage() {
    band_.clear();
    objects_.clear();
    showing_ = Showing::Page;
    reload();
}

void DesignerPanel::setShowing(Showing s) {
    showing_ = s;
    objectBox_->setVisible(s == Showing::Objects);
    bandBox_->setVisible(s == Showing::Band);
    pageBox_->setVisible(s == Showing::Page);
}

void DesignerPanel::reload() {
    filling_ = true;
    QStringList live;
    for (const QString& n : objects_)
        if (const ReportObject* o = model_.object(n)) live << o->name;
    objects_ = live;
    Showing s = showing_;
    if (s == Showing::Objects && objects_.isEmpty()) s = model_.band(band_) ? Showing::Band : Showing::Page;
    if (s == Showing::Band && !model_.band(band_)) s = Showing::Page;
    setShowing(s);
    switch (s) {
        case Showing::Objects:
            loadObjects();
            break;
        case Showing::Band:
            loadBand();
            break;
        case Showing::Page:
            loadPage();
            break;
    }
    filling_ = false;
}

void DesignerPanel::loadObjects() {
    const ReportObject* first = model_.object(objects_.first());
    const bool single = objects_.size() == 1;
    // The first shown object a group of fields applies to (the one whose values the fields show).
    const auto firstWith = [this](bool (*applies)(const ReportObject&)) -> const ReportObject* {
        for (const QString& n : objects_)
            if (const ReportObject* o = model_.object(n); o && applies(*o)) return o;
        return nullptr;
    };

    title_->setText(single ? QStringLiteral("对象 %1（%2）").arg(first->name, first->elementName())
                           : QStringLiteral("%1 个对象").arg(objects_.size()));

    nameEdit_->setText(single ? first->name : QString());
    nameEdit_->setEnabled(single && first->kind != ObjectKind::Unknown);
    nameEdit_->setToolTip(DesignerModel::isRequiredObject(first->name)
                              ? QStringLiteral("%1 由程序在打印时填写，不能改名或删除。").arg(first->name)
                              : QString());

    const ReportObject* geo = firstWith(hasGeometry);
    const QRectF g = geo ? model_.geometryMm(geo->name) : QRectF();
    leftSpin_->setValue(g.x());
    topSpin_->setValue(g.y());
    widthSpin_->setValue(g.width());
    heightSpin_->setValue(g.height());
    for (QWidget* w : {leftSpin_, topSpin_, widthSpin_, heightSpin_}) w->setEnabled(geo != nullptr);

    const bool text = single && isMemo(*first);
    const QString shown = text ? toEditor(first->text) : QString();
    if (textEdit_->toPlainText() != shown) textEdit_->setPlainText(shown);
    textEdit_->document()->setModified(false);
    textEdit_->setEnabled(text);
    textEdit_->setToolTip(DesignerModel::isRequiredObject(first->name)
                              ? QStringLiteral("打印时由程序填写，这里的文本只在设计和示例预览时显示。")
                              : QStringLiteral("焦点离开或按 Ctrl+Enter 时生效"));
    fieldButton_->setEnabled(text);

    const ReportObject* memo = firstWith(isMemo);
    const ResolvedFont f = memo ? model_.font(memo->name) : ResolvedFont{};
    fontCombo_->setCurrentText(f.name);
    fontSizeSpin_->setValue(f.pointSize);
    boldCheck_->setChecked(f.bold());
    italicCheck_->setChecked(f.italic());
    underlineCheck_->setChecked(f.underline());
    hAlignCombo_->setCurrentIndex(hAlignCombo_->findData(int(memo ? memo->hAlign : HAlign::Left)));
    vAlignCombo_->setCurrentIndex(vAlignCombo_->findData(int(memo ? memo->vAlign : VAlign::Top)));
    wordWrapCheck_->setChecked(memo ? memo->wordWrap : true);
    const QString kind = memo ? memo->displayFormat.kind : QString();
    const int kindIndex = formatKindCombo_->findData(kind);
    formatKindCombo_->setCurrentIndex(kindIndex >= 0 ? kindIndex : 0);
    formatEdit_->setText(memo ? memo->displayFormat.formatStr : QString());
    for (QWidget* w :
         std::initializer_list<QWidget*>{fontCombo_, fontSizeSpin_, boldCheck_, italicCheck_, underlineCheck_,
                                         hAlignCombo_, vAlignCombo_, wordWrapCheck_, formatKindCombo_})
        w->setEnabled(memo != nullptr);
    formatEdit_->setEnabled(memo != nullptr && !kind.isEmpty());

    const ReportObject* sided = firstWith(hasFrameSides);
    const int typ = sided ? sided->frame.typ : 0;
    frameLeftCheck_->setChecked(typ & Frame::Left);
    frameRightCheck_->setChecked(typ & Frame::Right);
    frameTopCheck_->setChecked(typ & Frame::Top);
    frameBottomCheck_->setChecked(typ & Frame::Bottom);
    for (QWidget* w : {frameLeftCheck_, frameRightCheck_, frameTopCheck_, frameBottomCheck_})
        w->setEnabled(sided != nullptr);
    const ReportObject* framed = firstWith(hasFrameWidth);
    frameWidthSpin_->setValue(framed ? unitsToMm(framed->frame.width) : 0);
    frameWidthSpin_->setEnabled(framed != nullptr);
}

void DesignerPanel::loadBand() {
    const Band* b = model_.band(band_);
    title_->setText(QStringLiteral("带区 %1（%2）").arg(b->name, b->elementName()));
    bandNameEdit_->setText(b->name);
    bandHeightSpin_->setValue(unitsToMm(b->height));
    bandHeightSpin_->setEnabled(b->kind != BandKind::Unknown);
    const bool child = b->kind == BandKind::Child;
    bandForm_->setRowVisible(toNRowsSpin_, child);
    bandForm_->setRowVisible(toNRowsModeCombo_, child);
    toNRowsSpin_->setValue(b->toNRows);
    const int mode = toNRowsModeCombo_->findData(b->toNRowsMode);
    toNRowsModeCombo_->setCurrentIndex(mode >= 0 ? mode : 0);
}

void DesignerPanel::loadPage() {
    title_->setText(QStringLiteral("页面"));
    const DesignerModel::PageSetup s = model_.pageSetup();
    const int paper = paperIndex(s);
    paperCombo_->setCurrentIndex(paper);
    paperWidthSpin_->setValue(s.paperWidth);
    paperHeightSpin_->setValue(s.paperHeight);
    paperWidthSpin_->setEnabled(paper == kCustomPaper);
    paperHeightSpin_->setEnabled(paper == kCustomPaper);
    orientationCombo_->setCurrentIndex(s.landscape ? 1 : 0);
    marginLeftSpin_->setValue(s.leftMargin);
    marginRightSpin_->setValue(s.rightMargin);
    marginTopSpin_->setValue(s.topMargin);
    marginBottomSpin_->setValue(s.bottomMargin);
    pageBox_->setEnabled(!model_.tpl().pages.isEmpty());
}

// --- applying ----------------------------------------------------------------------------------------

template <class Edit>
void DesignerPanel::apply(Edit edit) {
    if (filling_) return;
    const Template before = model_.tpl();
    model_.beginGroup();
    edit();
    model_.endGroup();
    const bool didChange = !(model_.tpl() == before);
    reload();
    if (didChange) emit changed();
}

template <class Edit>
void DesignerPanel::applyToObjects(bool (*applies)(const ReportObject&), Edit edit) {
    apply([&] {
        for (const QString& n : objects_) {
            const ReportObject* o = model_.object(n);
            if (o && applies(*o)) edit(*o);
        }
    });
}

void DesignerPanel::applyName() {
    if (filling_ || objects_.size() != 1) return;
    const QString old = objects_.first();
    const QString wanted = nameEdit_->text().trimmed();
    if (wanted == old) return;
    QString refusal;
    apply([&] {
        refusal = model_.rename(old, wanted);
        if (refusal.isEmpty()) objects_ = {wanted};
    });
    if (!refusal.isEmpty()) {
        nameEdit_->setText(old);  // before the box: a second editingFinished then finds nothing to do
        ui::dialogs().warn(refusal);
    }
}

void DesignerPanel::applyGeometry(int which, double shown) {
    applyToObjects(hasGeometry, [&](const ReportObject& o) {
        QRectF g = model_.geometryMm(o.name);
        switch (which) {
            case 0:
                g.moveLeft(pick(shown, g.x(), kMmTolerance));
                break;
            case 1:
                g.moveTop(pick(shown, g.y(), kMmTolerance));
                break;
            case 2:
                g.setWidth(pick(shown, g.width(), kMmTolerance));
                break;
            default:
                g.setHeight(pick(shown, g.height(), kMmTolerance));
                break;
        }
        model_.setGeometryMm(o.name, g);
    });
}

void DesignerPanel::applyText() {
    if (filling_ || objects_.size() != 1 || !textEdit_->isEnabled() || !textEdit_->document()->isModified())
        return;
    const QString text = fromEditor(textEdit_->toPlainText());
    const QString name = objects_.first();
    textEdit_->document()->setModified(false);
    apply([&] { model_.setText(name, text); });
}

QStringList DesignerPanel::insertableFields() {
    QStringList out;
    for (const QString& ds : sampleDatasetNames())
        for (const QString& f : sampleFields(ds)) out << QStringLiteral("[%1.\"%2\"]").arg(ds, f);
    out << QStringLiteral("[Line#]") << QStringLiteral("[Page#]") << QStringLiteral("[TotalPages#]")
        << QStringLiteral("[Date]") << QStringLiteral("[Time]");
    return out;
}

void DesignerPanel::insertField() {
    if (!textEdit_->isEnabled()) return;
    QMenu menu(this);
    QString chosen;
    for (const QString& f : insertableFields())
        connect(menu.addAction(f), &QAction::triggered, this, [&chosen, f] { chosen = f; });
    // The seven named objects print what the program fills in; no expression of a text can refer to
    // them, so they are listed for information only.
    menu.addSeparator();
    for (const QString& n : deliveryNoteObjects()) {
        QAction* a = menu.addAction(QStringLiteral("%1（由程序填写）").arg(n));
        a->setEnabled(false);
        a->setToolTip(QStringLiteral("%1 由程序在打印时填写，不能插入到其他文本中。").arg(n));
    }
    menu.setToolTipsVisible(true);
    ui::dialogs().popup(&menu, fieldButton_->mapToGlobal(QPoint(0, fieldButton_->height())));
    if (chosen.isEmpty()) return;
    textEdit_->textCursor().insertText(chosen);  // at the cursor, replacing a selected part
    textEdit_->document()->setModified(true);
    applyText();
}

void DesignerPanel::applyFormatText() {
    const QString text = formatEdit_->text().trimmed();
    applyToObjects(isMemo, [&](const ReportObject& o) {
        if (o.displayFormat.kind.isEmpty() || o.displayFormat.formatStr == text) return;
        DisplayFormat f = o.displayFormat;
        f.formatStr = text;
        model_.setDisplayFormat(o.name, f);
    });
}

void DesignerPanel::commitEdits() {
    if (filling_) return;
    // Only the field with the focus can hold something unfinished. Numbers first: applying anything
    // refills the fields, which would drop a number typed but not entered.
    for (QAbstractSpinBox* s : findChildren<QAbstractSpinBox*>())
        if (s->isVisible() && s->isEnabled()) s->interpretText();  // valueChanged applies it
    if (showing_ != Showing::Objects || objects_.isEmpty()) return;
    applyText();
    if (nameEdit_->isEnabled() && nameEdit_->text().trimmed() != objects_.first()) applyName();
    if (fontCombo_->isEnabled() && fontCombo_->currentText().trimmed() != model_.font(objects_.first()).name)
        applyFontName(fontCombo_->currentText());
    if (formatEdit_->isEnabled()) applyFormatText();
}

void DesignerPanel::applyFontName(const QString& family) {
    const QString f = family.trimmed();
    if (f.isEmpty()) return;
    applyToObjects(isMemo, [&](const ReportObject& o) { model_.setFontName(o.name, f); });
}

bool DesignerPanel::applyPage(const std::function<void(DesignerModel::PageSetup&)>& change) {
    bool refused = false;
    apply([&] {
        DesignerModel::PageSetup s = model_.pageSetup();
        change(s);
        refused = !model_.setPageSetup(s);
    });
    if (refused)
        ui::dialogs().warn(
            QStringLiteral("纸张太小或页边距太大：左右边距之和须小于纸宽，上下边距之和须小于纸高。"));
    return !refused;
}

void DesignerPanel::applyPaper() {
    if (filling_) return;
    const int i = paperCombo_->currentIndex();
    const bool done = applyPage([&](DesignerModel::PageSetup& s) {
        s.paperSize = kPapers[i].code;
        if (i != kCustomPaper) {
            s.paperWidth = s.landscape ? kPapers[i].height : kPapers[i].width;
            s.paperHeight = s.landscape ? kPapers[i].width : kPapers[i].height;
        }
    });
    // A custom paper keeps its size: the fields are enabled to change it.
    if (done && i == kCustomPaper) {
        paperCombo_->setCurrentIndex(kCustomPaper);
        paperWidthSpin_->setEnabled(true);
        paperHeightSpin_->setEnabled(true);
    }
}

void DesignerPanel::applyOrientation() {
    if (filling_) return;
    const bool landscape = orientationCombo_->currentData().toBool();
    if (landscape == model_.pageSetup().landscape) return;
    applyPage([&](DesignerModel::PageSetup& s) {
        s.landscape = landscape;
        std::swap(s.paperWidth, s.paperHeight);
    });
}

void DesignerPanel::applyPaperSize() {
    if (filling_) return;
    const bool done = applyPage([&](DesignerModel::PageSetup& s) {
        s.paperSize = 256;
        s.paperWidth = pick(paperWidthSpin_->value(), s.paperWidth, kMmTolerance);
        s.paperHeight = pick(paperHeightSpin_->value(), s.paperHeight, kMmTolerance);
    });
    if (done) {
        paperCombo_->setCurrentIndex(kCustomPaper);  // a size typed in is a custom paper
        paperWidthSpin_->setEnabled(true);
        paperHeightSpin_->setEnabled(true);
    }
}

void DesignerPanel::applyMargins() {
    if (filling_) return;
    applyPage([&](DesignerModel::PageSetup& s) {
        s.leftMargin = pick(marginLeftSpin_->value(), s.leftMargin, kMmTolerance);
        s.rightMargin = pick(marginRightSpin_->value(), s.rightMargin, kMmTolerance);
        s.topMargin = pick(marginTopSpin_->value(), s.topMargin, kMmTolerance);
        s.bottomMargin = pick(marginBottomSpin_->value(), s.bottomMargin, kMmTolerance);
    });
}

bool DesignerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == textEdit_) {
        if (event->type() == QEvent::FocusOut) {
            applyText();
        } else if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
                (k->modifiers() & Qt::ControlModifier)) {
                applyText();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace printing
