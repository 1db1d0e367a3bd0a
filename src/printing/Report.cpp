#include "printing/Report.h"

#include "data/Dataset.h"
#include "data/Environment.h"
#include "data/Money.h"
#include "printing/Expression.h"
#include "printing/Fr3.h"
#include "printing/Render.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>

namespace printing {

// --- datasets ------------------------------------------------------------------------------------------

std::optional<QVariant> ReportDataset::value(int row, const QString& field) const {
    QString key;
    for (const QString& f : fields)
        if (f.compare(field, Qt::CaseInsensitive) == 0) key = f;
    if (key.isEmpty() && row >= 0 && row < rows.size())
        for (auto it = rows[row].constBegin(); it != rows[row].constEnd(); ++it)
            if (it.key().compare(field, Qt::CaseInsensitive) == 0) key = it.key();
    if (key.isEmpty()) return std::nullopt;
    if (row < 0 || row >= rows.size()) return QVariant();
    return rows[row].value(key);
}

ReportDataset ReportDataset::fromDataset(const QString& name, const data::Dataset& ds) {
    ReportDataset r;
    r.name = name;
    r.fields = ds.fieldNames();
    for (int i = 0; i < ds.count(); ++i) {
        QVariantMap row;
        for (const QString& f : r.fields) row.insert(f, ds.value(i, f));
        r.rows.append(row);
    }
    r.currentRow = std::max(0, ds.currentRow());
    return r;
}

ReportDataset ReportDataset::fromModel(const QString& name, const QAbstractItemModel& model, int currentRow) {
    ReportDataset r;
    r.name = name;
    for (int c = 0; c < model.columnCount(); ++c)
        r.fields.append(model.headerData(c, Qt::Horizontal).toString());
    for (int i = 0; i < model.rowCount(); ++i) {
        QVariantMap row;
        for (int c = 0; c < r.fields.size(); ++c)
            row.insert(r.fields[c], model.data(model.index(i, c), Qt::EditRole));
        r.rows.append(row);
    }
    r.currentRow = std::max(0, currentRow);
    return r;
}

// --- prepared pages ------------------------------------------------------------------------------------

QVector<const PreparedItem*> PreparedPage::texts() const {
    QVector<const PreparedItem*> out;
    for (const PreparedItem& i : items)
        if (i.kind == PreparedItem::Kind::Text) out.append(&i);
    return out;
}

QVector<const PreparedItem*> PreparedPage::findText(const QString& t, bool contains) const {
    QVector<const PreparedItem*> out;
    for (const PreparedItem& i : items)
        if (i.kind == PreparedItem::Kind::Text && (contains ? i.text.contains(t) : i.text == t))
            out.append(&i);
    return out;
}

const PreparedItem* PreparedPage::object(const QString& name, int n) const {
    for (const PreparedItem& i : items)
        if (i.objectName.compare(name, Qt::CaseInsensitive) == 0 && n-- == 0) return &i;
    return nullptr;
}

int PreparedPage::count(const QString& objectName) const {
    return int(std::count_if(items.begin(), items.end(), [&](const PreparedItem& i) {
        return i.objectName.compare(objectName, Qt::CaseInsensitive) == 0;
    }));
}

QList<int> PreparedReport::pagesContaining(const QString& t) const {
    QList<int> out;
    if (t.isEmpty()) return out;
    for (int p = 0; p < pages.size(); ++p)
        for (const PreparedItem& i : pages[p].items)
            if (i.kind == PreparedItem::Kind::Text && i.text.contains(t, Qt::CaseInsensitive)) {
                out.append(p);
                break;
            }
    return out;
}

QStringList deliveryNoteObjects() {
    return {QStringLiteral("gsmc"), QStringLiteral("gsdz"),  QStringLiteral("dhcz"), QStringLiteral("gsbz"),
            QStringLiteral("shrq"), QStringLiteral("shdno"), QStringLiteral("dxje")};
}

QString templateFileForFormat(const QString& formatName) {
    return data::programFile(formatName.trimmed() + QStringLiteral(".fr3"));
}

// --- report --------------------------------------------------------------------------------------------

Report::Report(Template tpl, const QString& fileName) : tpl_(std::move(tpl)), fileName_(fileName) {}

bool Report::load(const QString& path, QString* error) {
    auto t = loadFr3(path, error);
    if (!t) return false;
    tpl_ = std::move(*t);
    fileName_ = path;
    return true;
}

bool Report::loadDeliveryNote(const QString& path, QString* error) {
    if (!load(path, error)) return false;
    const QString missing = checkObjects(deliveryNoteObjects());
    if (missing.isEmpty()) return true;
    if (error) *error = missing;
    return false;
}

QStringList Report::missingObjects(const QStringList& names) const {
    QStringList out;
    for (const QString& n : names)
        if (!hasObject(n)) out.append(n);
    return out;
}

QString Report::checkObjects(const QStringList& names) const {
    const QStringList missing = missingObjects(names);
    if (missing.isEmpty()) return {};
    const QString file =
        fileName_.isEmpty() ? QStringLiteral("（未命名）") : QFileInfo(fileName_).absoluteFilePath();
    return QStringLiteral("报表格式文件“%1”中缺少对象 %2，无法填写送货单。")
        .arg(file, missing.join(QStringLiteral("、")));
}

bool Report::setText(const QString& object, const QString& text) {
    const ReportObject* o = tpl_.findObject(object);
    if (!o || (o->kind != ObjectKind::Memo && o->kind != ObjectKind::SysMemo)) return false;
    texts_.insert(object.toLower(), text);
    return true;
}

bool Report::setPicture(const QString& object, const QImage& image) {
    const ReportObject* o = tpl_.findObject(object);
    if (!o || o->kind != ObjectKind::Picture) return false;
    pictures_.insert(object.toLower(), image);
    return true;
}

bool Report::setPicture(const QString& object, const QByteArray& imageFileBytes) {
    return setPicture(object, QImage::fromData(imageFileBytes));
}

void Report::setDataset(const ReportDataset& ds) {
    removeDataset(ds.name);
    datasets_.append(ds);
}

void Report::removeDataset(const QString& name) {
    datasets_.erase(std::remove_if(datasets_.begin(), datasets_.end(),
                                   [&](const ReportDataset& d) {
                                       return d.name.compare(name, Qt::CaseInsensitive) == 0;
                                   }),
                    datasets_.end());
}

const ReportDataset* Report::dataset(const QString& name) const {
    for (const ReportDataset& d : datasets_)
        if (d.name.compare(name, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

// --- layout --------------------------------------------------------------------------------------------

static QColor windowsColor(int c, bool fill) {
    if (c == kColorNone) return {};
    if (c == kColorButtonFace) return QColor(240, 240, 240);
    if (c < 0) return fill ? QColor(Qt::white) : QColor(Qt::black);  // other system colours
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

PreparedItem preparedItemFor(const ReportObject& o, QPointF topLeftMm, const ResolvedFont& font) {
    PreparedItem it;
    it.objectName = o.name;
    it.rect = QRectF(topLeftMm, QSizeF(unitsToMm(o.width), unitsToMm(o.height)));
    it.frameSides = o.frame.typ;
    it.frameWidth = unitsToMm(o.frame.width);
    it.frameColor = windowsColor(o.frame.color, false);
    it.frameStyle = o.frame.style;
    it.fill = windowsColor(o.fillColor, true);
    switch (o.kind) {
        case ObjectKind::Memo:
        case ObjectKind::SysMemo:
            it.kind = PreparedItem::Kind::Text;
            it.text = o.text;
            it.text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            it.text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            it.font = font;
            it.hAlign = o.hAlign;
            it.vAlign = o.vAlign;
            it.wordWrap = o.wordWrap;
            it.gapX = unitsToMm(o.gapX);
            it.gapY = unitsToMm(o.gapY);
            it.rotation = o.rotation;
            it.lineSpacing = unitsToMm(o.lineSpacing);
            break;
        case ObjectKind::Picture:
            it.kind = PreparedItem::Kind::Picture;
            it.image = QImage::fromData(o.picture);
            it.stretched = o.stretched;
            it.keepAspectRatio = o.keepAspectRatio;
            it.center = o.center;
            break;
        case ObjectKind::Line:
            it.kind = PreparedItem::Kind::Line;
            it.p1 = topLeftMm;
            it.p2 = topLeftMm + QPointF(unitsToMm(o.width), unitsToMm(o.height));
            it.rect = QRectF(it.p1, it.p2).normalized();
            if (!o.diagonal) {
                // Straight lines: the longer side decides.
                if (std::abs(o.width) >= std::abs(o.height))
                    it.p2.setY(it.p1.y());
                else
                    it.p2.setX(it.p1.x());
            }
            it.frameSides = Frame::All;
            break;
        case ObjectKind::Shape:
            it.kind = o.shape == QLatin1String("skEllipse")          ? PreparedItem::Kind::Ellipse
                      : o.shape == QLatin1String("skRoundRectangle") ? PreparedItem::Kind::RoundRect
                                                                     : PreparedItem::Kind::Rect;
            it.curve = unitsToMm(o.curve > 0 ? o.curve * 2 : 4);
            it.frameSides = Frame::All;
            break;
        case ObjectKind::Unknown:
            it.kind = PreparedItem::Kind::Rect;
            it.frameSides = 0;
            break;
    }
    return it;
}

// A band fits when its bottom lies within this of the printable area's bottom.
static constexpr double kFitTolerance = 0.01;

class LayoutEngine : public ExpressionContext {
  public:
    LayoutEngine(const Report& r, int totalPages) : r_(r), totalPages_(totalPages), datasets_(r.datasets_) {}

    PreparedReport run() {
        checkScripts();
        for (const Page& p : r_.tpl_.pages) layoutPage(p);
        return std::move(out_);
    }

    // --- ExpressionContext -----------------------------------------------------------------------
    std::optional<QVariant> field(const QString& ds, const QString& f) override {
        ReportDataset* d = find(ds);
        if (!d) return std::nullopt;
        if (d->rows.isEmpty() && (d->fields.isEmpty() || d->value(0, f))) return QVariant();
        return d->value(d->currentRow, f);
    }

    std::optional<QVariant> variable(const QString& raw) override {
        QString n = raw.trimmed().toLower();
        if (n.endsWith(QLatin1Char('#'))) n.chop(1);
        if (n == QLatin1String("line")) return line_;
        if (n == QLatin1String("page")) return pageNo_;
        if (n == QLatin1String("totalpages")) return totalPages_ > 0 ? totalPages_ : pageNo_;
        if (n == QLatin1String("date")) return data::today();
        if (n == QLatin1String("time")) return data::now().time();
        if (n == QLatin1String("now")) return data::now();
        return std::nullopt;
    }

    std::optional<QVariant> aggregate(const QString& fn, const Expr& arg, const QString& bandName,
                                      int flags) override {
        const Band* band = nullptr;
        for (const Band* b : masters_)
            if (b->name.compare(bandName, Qt::CaseInsensitive) == 0) band = b;
        if (!band) return std::nullopt;
        // Page header and footer total the rows on this page; flag 2 keeps a running total.
        const bool perPage =
            (currentKind_ == BandKind::PageFooter || currentKind_ == BandKind::PageHeader) && !(flags & 2);
        ReportDataset* d = find(band->dataSetName);
        const int savedRow = d ? d->currentRow : 0;
        const int savedLine = line_;
        qint64 count = 0;
        data::Money sum;
        std::optional<QVariant> best;
        for (const Printed& p : printed_.value(band)) {
            if (perPage && p.page != pageNo_) continue;
            if (d) d->currentRow = p.row;
            line_ = p.line;
            ++count;
            if (!arg) continue;
            const QVariant v = evaluate(arg, *this);
            if (fn == QLatin1String("SUM") || fn == QLatin1String("AVG")) {
                sum += data::Money::fromVariant(v);
            } else if (fn == QLatin1String("MIN") || fn == QLatin1String("MAX")) {
                double x = 0, y = 0;
                if (!v.isValid() || v.isNull()) continue;
                if (!best)
                    best = v;
                else if (numericValue(v, &x) && numericValue(*best, &y) &&
                         (fn == QLatin1String("MIN") ? x < y : x > y))
                    best = v;
            }
        }
        if (d) d->currentRow = savedRow;
        line_ = savedLine;
        if (fn == QLatin1String("COUNT")) return QVariant(count);
        if (fn == QLatin1String("SUM")) return sum.toDouble();
        if (fn == QLatin1String("AVG")) return count ? sum.toDouble() / double(count) : 0.0;
        return best ? *best : QVariant(0);
    }

    void unknown(const QString& what) override { notice(QStringLiteral("无法计算：%1").arg(what)); }

  private:
    struct Printed {
        int page, row, line;
    };

    void notice(const QString& n) {
        if (!out_.notices.contains(n)) out_.notices.append(n);
    }

    ReportDataset* find(const QString& name) {
        for (ReportDataset& d : datasets_)
            if (d.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return &d;
        return nullptr;
    }

    void checkScripts() {
        static const QRegularExpression empty(QStringLiteral("^\\s*(begin\\s*end\\.?)?\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
        bool script = !empty.match(r_.tpl_.rootAttribute(QStringLiteral("ScriptText.Text"))).hasMatch();
        auto hasEvents = [](const Attributes& a) {
            return std::any_of(a.begin(), a.end(), [](const Attribute& x) {
                return x.first.startsWith(QLatin1String("On")) && !x.second.trimmed().isEmpty();
            });
        };
        for (const Page& p : r_.tpl_.pages) {
            script = script || hasEvents(p.extra);
            for (const Band& b : p.bands) {
                script = script || hasEvents(b.extra);
                for (const ReportObject& o : b.objects) script = script || hasEvents(o.extra);
            }
        }
        if (script) notice(QStringLiteral("模板中的脚本没有运行，按模板中保存的属性排版。"));
    }

    // --- pages ---------------------------------------------------------------------------------------
    void layoutPage(const Page& p) {
        page_ = &p;
        pageFont_ = resolveFont(ResolvedFont{}, p.font, std::nullopt);
        masters_.clear();
        headerOf_.clear();
        footerOf_.clear();
        QVector<const Band*> titles, pageHeaders, summaries;
        pageFooters_.clear();
        for (const Band& b : p.bands) {
            if (b.kind == BandKind::Unknown)
                notice(QStringLiteral("不支持的报表带 %1（%2），没有打印。").arg(b.raw.name, b.name));
            if (!b.visible) continue;
            switch (b.kind) {
                case BandKind::ReportTitle:
                    titles.append(&b);
                    break;
                case BandKind::PageHeader:
                    pageHeaders.append(&b);
                    break;
                case BandKind::MasterData:
                    masters_.append(&b);
                    break;
                case BandKind::ReportSummary:
                    summaries.append(&b);
                    break;
                case BandKind::PageFooter:
                    pageFooters_.append(&b);
                    break;
                default:
                    break;
            }
        }
        auto byTop = [](const Band* a, const Band* b) { return a->top < b->top; };
        for (auto* list : {&titles, &pageHeaders, &masters_, &summaries, &pageFooters_})
            std::stable_sort(list->begin(), list->end(), byTop);
        for (const Band& b : p.bands) {
            if (!b.visible) continue;
            if (b.kind == BandKind::Header) {
                for (const Band* m : masters_)
                    if (m->top > b.top) {
                        headerOf_.insert(m, &b);
                        break;
                    }
            } else if (b.kind == BandKind::Footer) {
                const Band* last = nullptr;
                for (const Band* m : masters_)
                    if (m->top < b.top) last = m;
                if (last) footerOf_.insert(last, &b);
            }
        }
        pageHeaders_ = pageHeaders;
        titles_ = titles;

        footerReserve_ = 0;
        for (const Band* f : pageFooters_) footerReserve_ += unitsToMm(f->height);
        firstPageOfTemplate_ = true;
        startPage();

        for (const Band* m : masters_) layoutMaster(*m);
        for (const Band* s : summaries) {
            currentKind_ = s->kind;
            placeBand(*s);
        }
        finishPage(true);
    }

    void startPage() {
        PreparedPage pg;
        pg.paperSize = QSizeF(page_->paperWidth, page_->paperHeight);
        pg.margins = QMarginsF(page_->leftMargin, page_->topMargin, page_->rightMargin, page_->bottomMargin);
        pg.landscape = page_->landscape;
        out_.pages.append(pg);
        ++pageNo_;
        y_ = page_->topMargin;
        limit_ = page_->paperHeight - page_->bottomMargin - footerReserve_;
        rowsOnPage_ = 0;
        dataOnPage_ = false;
        if (firstPageOfTemplate_) {
            firstPageOfTemplate_ = false;
            if (!page_->objects.isEmpty()) {
                // Objects straight on the page: one band at the top of the first page.
                Band loose;
                loose.name = page_->name;
                loose.objects = page_->objects;
                for (const ReportObject& o : loose.objects)
                    loose.height = std::max(loose.height, o.top + o.height);
                currentKind_ = BandKind::ReportTitle;
                emitBand(loose, y_, pageFont_);
                y_ += unitsToMm(loose.height);
            }
            for (const Band* t : titles_) {
                currentKind_ = t->kind;
                emitChain(*t);
            }
        }
        for (const Band* h : pageHeaders_) {
            if (pageNo_ == 1 && !h->printOnFirstPage) continue;
            currentKind_ = h->kind;
            emitChain(*h);
        }
    }

    void finishPage(bool last) {
        double y = page_->paperHeight - page_->bottomMargin - footerReserve_;
        for (const Band* f : pageFooters_) {
            const bool skip = (pageNo_ == 1 && !f->printOnFirstPage) || (last && !f->printOnLastPage);
            currentKind_ = f->kind;
            if (!skip) emitBand(*f, y, bandFont(*f));
            y += unitsToMm(f->height);
        }
    }

    void newPage() {
        finishPage(false);
        startPage();
    }

    bool fits(double h) const { return y_ + h <= limit_ + kFitTolerance; }

    // Places a band below the last one, on a new page when it does not fit (unless the page is still
    // empty, so a band taller than the page cannot loop forever).
    // onPage runs once the band's page is known, before its objects are evaluated.
    void placeBand(const Band& b, const std::function<void()>& onPage = {}) {
        const double h = bandHeight(b);
        if (!fits(h) && dataOnPage_) newPage();
        if (onPage) onPage();
        emitBand(b, y_, bandFont(b), h);
        y_ += h;
        dataOnPage_ = true;
    }

    // A band and the chain of children it names (fill-to-N children are handled by their data band).
    void emitChain(const Band& b) {
        const double h = bandHeight(b);
        emitBand(b, y_, bandFont(b), h);
        y_ += h;
        QSet<const Band*> seen{&b};
        for (const Band* c = child(b); c && !seen.contains(c) && c->toNRows == 0; c = child(*c)) {
            seen.insert(c);
            const double ch = bandHeight(*c);
            emitBand(*c, y_, bandFont(*c), ch);
            y_ += ch;
        }
    }

    const Band* child(const Band& b) const {
        if (b.child.isEmpty()) return nullptr;
        for (const Band& c : page_->bands)
            if (c.kind == BandKind::Child && c.visible && c.name.compare(b.child, Qt::CaseInsensitive) == 0)
                return &c;
        return nullptr;
    }

    void layoutMaster(const Band& m) {
        ReportDataset* d = nullptr;
        int rows = m.rowCount;
        if (!m.dataSetName.isEmpty()) {
            d = find(m.dataSetName);
            if (!d) {
                notice(
                    QStringLiteral("没有提供数据集 %1，报表带 %2 没有打印数据。").arg(m.dataSetName, m.name));
                rows = 0;
            } else {
                rows = int(d->rows.size());
            }
        }
        const Band* fill = nullptr;
        QVector<const Band*> perRow;
        QSet<const Band*> seen{&m};
        for (const Band* c = child(m); c && !seen.contains(c); c = child(*c)) {
            seen.insert(c);
            if (c->toNRows > 0 || c->toNRowsMode == QLatin1String("rmTillPageEnds")) {
                fill = c;
                break;
            }
            perRow.append(c);
        }
        const int savedRow = d ? d->currentRow : 0;
        rowsOnPage_ = 0;
        if (const Band* h = headerOf_.value(&m); h && rows > 0) {
            currentKind_ = h->kind;
            placeBand(*h);
        }
        for (int i = 0; i < rows; ++i) {
            if (d) d->currentRow = i;
            line_ = i + 1;
            currentKind_ = m.kind;
            if (m.startNewPage && i > 0) newPage();
            // The row counts in its own aggregates (a running total includes it); a new page sets
            // rowsOnPage_ back to 0.
            placeBand(m, [&] { printed_[&m].append({pageNo_, i, line_}); });
            ++rowsOnPage_;
            for (const Band* c : perRow) {
                currentKind_ = c->kind;
                placeBand(*c);
            }
        }
        if (fill) fillRows(*fill);
        if (const Band* f = footerOf_.value(&m)) {
            currentKind_ = f->kind;
            placeBand(*f);
        }
        if (d) d->currentRow = savedRow;
    }

    // Prints the empty rows that fill a page after the data (fr3.md's reading of ToNRows).
    void fillRows(const Band& c) {
        currentKind_ = c.kind;
        const double h = bandHeight(c);
        if (c.toNRowsMode == QLatin1String("rmAddToCount")) {
            for (int i = 0; i < c.toNRows; ++i) placeBand(c);
            return;
        }
        const bool tillEnd = c.toNRowsMode == QLatin1String("rmTillPageEnds");
        int onPage = rowsOnPage_;
        while ((tillEnd || onPage < c.toNRows) && fits(h)) {
            emitBand(c, y_, bandFont(c), h);
            y_ += h;
            ++onPage;
            dataOnPage_ = true;
        }
    }

    ResolvedFont bandFont(const Band& b) const { return resolveFont(pageFont_, b.font, b.parentFont); }

    // The band's height; a Stretched band grows to the text of memos that stretch (StretchMode).
    double bandHeight(const Band& b) {
        double h = b.height;
        if (b.stretched) {
            const ResolvedFont bf = bandFont(b);
            for (const ReportObject& o : b.objects) {
                if (!isMemo(o) || !o.visible ||
                    o.extraValue(QStringLiteral("StretchMode"), QStringLiteral("smDontStretch")) ==
                        QLatin1String("smDontStretch"))
                    continue;
                h = std::max(h,
                             o.top + textHeightUnits(o, memoText(o), resolveFont(bf, o.font, o.parentFont)));
            }
        }
        return unitsToMm(h);
    }

    static bool isMemo(const ReportObject& o) {
        return o.kind == ObjectKind::Memo || o.kind == ObjectKind::SysMemo;
    }

    static double textHeightUnits(const ReportObject& o, const QString& text, const ResolvedFont& f) {
        const QFontMetricsF fm(qfontFor(f));  // at the screen's dpi: scale to 96 dpi units
        const double scale = 96.0 / fm.fontDpi();
        const double w = (o.width - 2 * o.gapX) / scale;
        const QRectF r = fm.boundingRect(QRectF(0, 0, std::max(1.0, w), 1e6), Qt::TextWordWrap, text);
        return r.height() * scale + 2 * o.gapY;
    }

    QString memoText(const ReportObject& o) {
        auto filled = r_.texts_.constFind(o.name.toLower());
        QString t = filled != r_.texts_.constEnd() ? *filled : o.text;
        if (filled == r_.texts_.constEnd() && o.extraValue(QStringLiteral("AllowExpressions"),
                                                           QStringLiteral("True")) != QLatin1String("False"))
            t = expandText(t, *this, o.displayFormat, o.hideZeros);
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return t;
    }

    void emitBand(const Band& b, double top, const ResolvedFont& bf, double height = -1) {
        PreparedPage& pg = out_.pages.last();
        const double bandHeightMm = height < 0 ? unitsToMm(b.height) : height;
        const double x0 = page_->leftMargin + unitsToMm(b.left);
        for (const ReportObject& o : b.objects) {
            if (o.kind == ObjectKind::Unknown) {
                notice(QStringLiteral("不支持的对象类型 %1（%2），没有打印。").arg(o.raw.name, o.name));
                continue;
            }
            if (!o.visible) continue;
            PreparedItem it = preparedItemFor(o, QPointF(x0 + unitsToMm(o.left), top + unitsToMm(o.top)),
                                              resolveFont(bf, o.font, o.parentFont));
            it.bandName = b.name;
            switch (o.kind) {
                case ObjectKind::Memo:
                case ObjectKind::SysMemo: {
                    it.text = memoText(o);
                    const QString mode = o.extraValue(QStringLiteral("StretchMode"));
                    if (b.stretched && mode == QLatin1String("smMaxHeight"))
                        it.rect.setBottom(top + bandHeightMm);
                    else if (b.stretched && mode == QLatin1String("smActualHeight"))
                        it.rect.setHeight(
                            std::max(it.rect.height(), unitsToMm(textHeightUnits(o, it.text, it.font))));
                    break;
                }
                case ObjectKind::Picture: {
                    auto filled = r_.pictures_.constFind(o.name.toLower());
                    if (filled != r_.pictures_.constEnd()) it.image = *filled;
                    break;
                }
                case ObjectKind::Shape:
                    if (o.shape != QLatin1String("skRectangle") && o.shape != QLatin1String("skEllipse") &&
                        o.shape != QLatin1String("skRoundRectangle"))
                        notice(QStringLiteral("形状 %1（%2）按矩形打印。").arg(o.shape, o.name));
                    break;
                default:
                    break;
            }
            pg.items.append(std::move(it));
        }
    }

    const Report& r_;
    int totalPages_;
    QVector<ReportDataset> datasets_;
    PreparedReport out_;

    const Page* page_ = nullptr;
    ResolvedFont pageFont_;
    QVector<const Band*> masters_, titles_, pageHeaders_, pageFooters_;
    QHash<const Band*, const Band*> headerOf_, footerOf_;
    QHash<const Band*, QVector<Printed>> printed_;
    double y_ = 0, limit_ = 0, footerReserve_ = 0;
    int pageNo_ = 0;
    int line_ = 0;
    int rowsOnPage_ = 0;
    bool dataOnPage_ = false;
    bool firstPageOfTemplate_ = true;
    BandKind currentKind_ = BandKind::ReportTitle;
};

PreparedReport Report::prepare() const {
    bool totals = false;
    auto uses = [](const ReportObject& o) {
        return o.text.contains(QLatin1String("TotalPages"), Qt::CaseInsensitive);
    };
    for (const Page& p : tpl_.pages) {
        totals = totals || std::any_of(p.objects.begin(), p.objects.end(), uses);
        for (const Band& b : p.bands)
            totals = totals || std::any_of(b.objects.begin(), b.objects.end(), uses);
    }
    LayoutEngine first(*this, 0);
    PreparedReport r = first.run();
    if (totals) {
        // Second pass: now the number of pages is known.
        LayoutEngine second(*this, r.pageCount());
        r = second.run();
    }
    r.settings = readSettings(tpl_);
    return r;
}

}  // namespace printing
