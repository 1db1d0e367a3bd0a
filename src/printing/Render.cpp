#include "printing/Render.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace printing {

QString installedFontFamily(const QString& name) {
    static QHash<QString, QString> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd()) return *it;
    QString family = name;
    if (name.isEmpty() || !QFontDatabase::hasFamily(name)) {
        const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        const bool sans = name.contains(QStringLiteral("黑")) ||
                          name.contains(QLatin1String("Hei"), Qt::CaseInsensitive) ||
                          name.contains(QStringLiteral("雅黑")) ||
                          name.contains(QLatin1String("Sans"), Qt::CaseInsensitive);
        QStringList wanted;
        if (!sans) wanted << QStringLiteral("Noto Serif CJK SC");
        wanted << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("Noto Sans CJK")
               << QStringLiteral("Source Han Sans SC") << QStringLiteral("WenQuanYi Micro Hei")
               << QStringLiteral("Droid Sans Fallback");
        family.clear();
        for (const QString& w : wanted)
            if (QFontDatabase::hasFamily(w)) {
                family = w;
                break;
            }
        if (family.isEmpty() && !families.isEmpty()) family = families.first();
        if (family.isEmpty()) family = name;
    }
    cache.insert(name, family);
    return family;
}

QFont qfontFor(const ResolvedFont& f) {
    QFont font(installedFontFamily(f.name));
    font.setPointSizeF(f.pointSize > 0 ? f.pointSize : 10);
    font.setBold(f.bold());
    font.setItalic(f.italic());
    font.setUnderline(f.underline());
    font.setStrikeOut(f.strikeOut());
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QPageLayout pageLayoutFor(const PreparedPage& page) {
    QSizeF size = page.paperSize;
    QPageLayout::Orientation o = QPageLayout::Portrait;
    if (page.landscape) {
        // Stored already swapped: the paper is the portrait size turned.
        size = QSizeF(std::min(size.width(), size.height()), std::max(size.width(), size.height()));
        o = QPageLayout::Landscape;
    }
    const QPageSize ps(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(ps, o, page.margins, QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
}

static Qt::PenStyle penStyle(const QString& s) {
    if (s == QLatin1String("fsDash")) return Qt::DashLine;
    if (s == QLatin1String("fsDot")) return Qt::DotLine;
    if (s == QLatin1String("fsDashDot")) return Qt::DashDotLine;
    if (s == QLatin1String("fsDashDotDot")) return Qt::DashDotDotLine;
    return Qt::SolidLine;
}

PreparedPage adjustedPage(const PreparedPage& page, const PrinterAdjustment& a) {
    PreparedPage out = page;
    if (a.isIdentity()) return out;
    const double s = a.yScale > 0 ? a.yScale : 1;
    auto point = [&](QPointF mm) { return QPointF(mm.x() + a.dxMm, mm.y() * s + a.dyMm); };
    for (PreparedItem& it : out.items) {
        it.rect = QRectF(point(it.rect.topLeft()), QSizeF(it.rect.width(), it.rect.height() * s));
        it.p1 = point(it.p1);
        it.p2 = point(it.p2);
    }
    return out;
}

void paintBackground(QPainter& p, const QImage& image, const QTransform& imageToPaper, QSizeF paperMm,
                     double k, QPointF origin) {
    if (image.isNull()) return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setClipRect(QRectF(origin, paperMm * k), Qt::IntersectClip);
    // image pixels -> paper mm -> device pixels
    p.setTransform(imageToPaper * QTransform(k, 0, 0, k, origin.x(), origin.y()) * p.transform());
    p.drawImage(QPointF(0, 0), image);
    p.restore();
}

void paintPage(QPainter& p, const PreparedPage& original, double k, QPointF origin,
               const PrinterAdjustment& adjustment) {
    const PreparedPage adjusted =
        adjustment.isIdentity() ? PreparedPage() : adjustedPage(original, adjustment);
    const PreparedPage& page = adjustment.isIdentity() ? original : adjusted;
    auto pt = [&](QPointF mm) { return origin + mm * k; };
    auto rc = [&](const QRectF& mm) { return QRectF(pt(mm.topLeft()), mm.size() * k); };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const PreparedItem& it : page.items) {
        QPen pen(it.frameColor.isValid() ? it.frameColor : QColor(Qt::black),
                 std::max(0.5, it.frameWidth * k), penStyle(it.frameStyle), Qt::SquareCap, Qt::MiterJoin);
        const QRectF r = rc(it.rect);
        switch (it.kind) {
            case PreparedItem::Kind::Text: {
                if (it.fill.isValid()) p.fillRect(r, it.fill);
                if (!it.text.isEmpty()) {
                    p.save();
                    p.setFont(qfontFor(it.font));
                    const int c = it.font.color;
                    p.setPen(c < 0 ? QColor(Qt::black) : QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
                    QRectF inner = r.adjusted(it.gapX * k, it.gapY * k, -it.gapX * k, -it.gapY * k);
                    int flags = it.hAlign == HAlign::Center  ? Qt::AlignHCenter
                                : it.hAlign == HAlign::Right ? Qt::AlignRight
                                : it.hAlign == HAlign::Block ? Qt::AlignJustify
                                                             : Qt::AlignLeft;
                    flags |= it.vAlign == VAlign::Center   ? Qt::AlignVCenter
                             : it.vAlign == VAlign::Bottom ? Qt::AlignBottom
                                                           : Qt::AlignTop;
                    if (it.wordWrap) flags |= Qt::TextWordWrap;
                    if (it.rotation % 360 != 0) {
                        p.translate(inner.center());
                        p.rotate(-it.rotation);
                        const bool turned = it.rotation % 180 != 0;
                        const QSizeF s = turned ? inner.size().transposed() : inner.size();
                        inner = QRectF(QPointF(-s.width() / 2, -s.height() / 2), s);
                    }
                    p.setClipRect(inner.adjusted(-2 * k, -2 * k, 2 * k, 2 * k), Qt::IntersectClip);
                    p.drawText(inner, flags, it.text);
                    p.restore();
                }
                break;
            }
            case PreparedItem::Kind::Picture: {
                if (it.fill.isValid()) p.fillRect(r, it.fill);
                if (!it.image.isNull()) {
                    QRectF target = r;
                    const QSizeF natural = QSizeF(it.image.size()) * (25.4 / 96.0) * k;
                    if (!it.stretched) {
                        target.setSize(natural);
                    } else if (it.keepAspectRatio) {
                        target.setSize(QSizeF(it.image.size()).scaled(r.size(), Qt::KeepAspectRatio));
                    }
                    if (it.center) target.moveCenter(r.center());
                    p.save();
                    p.setClipRect(r, Qt::IntersectClip);
                    p.drawImage(target, it.image);
                    p.restore();
                }
                break;
            }
            case PreparedItem::Kind::Line:
                p.setPen(pen);
                p.drawLine(pt(it.p1), pt(it.p2));
                break;
            case PreparedItem::Kind::Rect:
            case PreparedItem::Kind::RoundRect:
            case PreparedItem::Kind::Ellipse:
                p.setPen(pen);
                p.setBrush(it.fill.isValid() ? QBrush(it.fill) : QBrush(Qt::NoBrush));
                if (it.kind == PreparedItem::Kind::Ellipse)
                    p.drawEllipse(r);
                else if (it.kind == PreparedItem::Kind::RoundRect)
                    p.drawRoundedRect(r, it.curve * k, it.curve * k);
                else
                    p.drawRect(r);
                p.setBrush(Qt::NoBrush);
                continue;  // the outline is the frame
        }
        if (it.frameSides && it.kind != PreparedItem::Kind::Line) {
            p.setPen(pen);
            if (it.frameSides & Frame::Left) p.drawLine(r.topLeft(), r.bottomLeft());
            if (it.frameSides & Frame::Right) p.drawLine(r.topRight(), r.bottomRight());
            if (it.frameSides & Frame::Top) p.drawLine(r.topLeft(), r.topRight());
            if (it.frameSides & Frame::Bottom) p.drawLine(r.bottomLeft(), r.bottomRight());
        }
    }
    p.restore();
}

bool paintReport(const PreparedReport& report, QPagedPaintDevice& device, int resolution, int fromPage,
                 int toPage, QString* error, bool keepDeviceLayout, const QString& highlight,
                 const PrinterAdjustment& adjustment, const BackgroundPicture* background) {
    if (report.pages.isEmpty()) {
        if (error) *error = QStringLiteral("报表没有可打印的页。");
        return false;
    }
    const int first = fromPage > 0 ? fromPage - 1 : 0;
    const int last = toPage > 0 ? std::min(toPage, report.pageCount()) - 1 : report.pageCount() - 1;
    if (!keepDeviceLayout) device.setPageLayout(pageLayoutFor(report.pages[first]));
    QPainter p;
    if (!p.begin(&device)) {
        if (error) *error = QStringLiteral("无法开始打印。");
        return false;
    }
    const double k = resolution / 25.4;
    QImage backgroundImage;
    if (background) backgroundImage = QImage::fromData(background->image);
    for (int i = first; i <= last; ++i) {
        if (i > first) {
            const QPageLayout next = pageLayoutFor(report.pages[i]);
            if (!keepDeviceLayout && !next.isEquivalentTo(device.pageLayout())) device.setPageLayout(next);
            device.newPage();
        }
        // Painter coordinates start at the paint rectangle; pages are drawn from the paper's corner.
        const QPointF origin = -QPointF(device.pageLayout().paintRectPixels(resolution).topLeft());
        const PreparedPage& page = report.pages[i];
        if (!backgroundImage.isNull())
            paintBackground(p, backgroundImage,
                            background->imageToPaper(backgroundImage.size(), page.paperSize.width()),
                            page.paperSize, k, origin);
        paintPage(p, page, k, origin, adjustment);
        if (!highlight.isEmpty())
            for (const PreparedItem& it : page.items)
                if (it.kind == PreparedItem::Kind::Text && it.text.contains(highlight, Qt::CaseInsensitive))
                    p.fillRect(QRectF(origin + it.rect.topLeft() * k, it.rect.size() * k),
                               QColor(255, 230, 0, 90));
    }
    if (!p.end()) {
        if (error) *error = QStringLiteral("打印没有完成。");
        return false;
    }
    return true;
}

void setupPrinter(QPrinter& printer, const PreparedReport& report) {
    if (report.pages.isEmpty()) return;
    printer.setPageLayout(pageLayoutFor(report.pages.first()));
    printer.setFullPage(true);
    printer.setFromTo(1, report.pageCount());
}

bool printReport(const PreparedReport& report, QPrinter& printer, QString* error, bool keepPrinterLayout) {
    int from = 0, to = 0;
    if (printer.printRange() == QPrinter::PageRange) from = printer.fromPage(), to = printer.toPage();
    const bool ok = paintReport(report, printer, printer.resolution(), from, to, error, keepPrinterLayout, {},
                                report.settings.adjustmentFor(printer.printerName()));
    if (ok && printer.printerState() == QPrinter::Error) {
        if (error) *error = QStringLiteral("打印机报告了错误，送货单可能没有打印出来。");
        return false;
    }
    return ok;
}

bool renderPdf(const PreparedReport& report, const QString& path, QString* error,
               const QString& printerName) {
    QPdfWriter pdf(path);
    pdf.setResolution(600);
    pdf.setCreator(QStringLiteral("送货单打印"));
    pdf.setTitle(QFileInfo(path).completeBaseName());
    QString why;
    const PrinterAdjustment adjustment =
        printerName.isEmpty() ? PrinterAdjustment() : report.settings.adjustmentFor(printerName);
    if (!paintReport(report, pdf, pdf.resolution(), 0, 0, &why, false, {}, adjustment)) {
        if (error)
            *error = QStringLiteral("无法写入 PDF 文件“%1”：%2").arg(QFileInfo(path).absoluteFilePath(), why);
        return false;
    }
    if (QFileInfo(path).size() <= 0) {
        if (error) *error = QStringLiteral("无法写入 PDF 文件“%1”。").arg(QFileInfo(path).absoluteFilePath());
        return false;
    }
    return true;
}

QImage renderImage(const PreparedPage& page, double dpi) {
    const double k = dpi / 25.4;
    QImage img(QSize(qRound(page.paperSize.width() * k), qRound(page.paperSize.height() * k)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    paintPage(p, page, k);
    return img;
}

}  // namespace printing
