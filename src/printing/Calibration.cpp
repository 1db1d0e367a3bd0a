#include "printing/Calibration.h"

#include "printing/Fr3.h"

#include <cmath>

namespace printing {

namespace {

constexpr double kCrossInset = 20;  // mm from the paper's edges
constexpr double kCrossArm = 4;     // mm from the centre of a cross to the end of its arms

PreparedItem line(QPointF a, QPointF b, double widthMm, QColor color, const QString& name) {
    PreparedItem it;
    it.kind = PreparedItem::Kind::Line;
    it.p1 = a;
    it.p2 = b;
    it.frameWidth = widthMm;
    it.frameColor = color;
    it.objectName = name;
    return it;
}

PreparedItem text(const QRectF& rect, const QString& s, double points, HAlign align, const QString& name) {
    PreparedItem it;
    it.kind = PreparedItem::Kind::Text;
    it.rect = rect;
    it.text = s;
    it.font.pointSize = points;
    it.hAlign = align;
    it.vAlign = VAlign::Center;
    it.wordWrap = false;
    it.objectName = name;
    return it;
}

QString mm(double v) {
    return formatFr3Number(std::round(v * 100) / 100);
}

}  // namespace

QString calibrationInstruction() {
    return QStringLiteral("测量十字中心的实际位置，与标注位置之差即为偏移量");
}

QList<QPointF> calibrationCrosses(QSizeF paper) {
    const double w = paper.width(), h = paper.height();
    return {{kCrossInset, kCrossInset},
            {w - kCrossInset, kCrossInset},
            {kCrossInset, h - kCrossInset},
            {w - kCrossInset, h - kCrossInset},
            {w / 2, h / 2}};
}

PreparedReport calibrationReport(QSizeF paper, QMarginsF margins) {
    PreparedPage page;
    page.paperSize = paper;
    page.margins = margins;
    page.landscape = paper.width() > paper.height();
    const double w = paper.width(), h = paper.height();
    const QColor fine(190, 190, 190), strong(110, 110, 110);

    // The grid: every 5 mm, every 10 mm stronger, from the paper's corner.
    for (int x = 5; x < w; x += 5)
        page.items.append(line({double(x), 0}, {double(x), h}, x % 10 ? 0.08 : 0.15, x % 10 ? fine : strong,
                               QStringLiteral("grid")));
    for (int y = 5; y < h; y += 5)
        page.items.append(line({0, double(y)}, {w, double(y)}, y % 10 ? 0.08 : 0.15, y % 10 ? fine : strong,
                               QStringLiteral("grid")));

    // Coordinates of the 10 mm lines, just inside the margins where every printer reaches; from 20 mm on,
    // so that the two rows of numbers do not meet in the corner.
    const double top = std::max(margins.top(), 5.0), left = std::max(margins.left(), 5.0);
    for (int x = 20; x < w - 4; x += 10)
        page.items.append(text(QRectF(x - 4, top, 8, 4), QString::number(x), 7, HAlign::Center,
                               QStringLiteral("gridLabel")));
    for (int y = 20; y < h - 2; y += 10)
        page.items.append(text(QRectF(left, y - 2, 5, 4), QString::number(y), 7, HAlign::Left,
                               QStringLiteral("gridLabel")));

    // The crosses, each with its position beside it.
    const QList<QPointF> crosses = calibrationCrosses(paper);
    for (int i = 0; i < crosses.size(); ++i) {
        const QPointF c = crosses[i];
        const QString name = QStringLiteral("cross%1").arg(i + 1);
        page.items.append(line(c - QPointF(kCrossArm, 0), c + QPointF(kCrossArm, 0), 0.3, Qt::black, name));
        page.items.append(line(c - QPointF(0, kCrossArm), c + QPointF(0, kCrossArm), 0.3, Qt::black, name));
        const QString position = QStringLiteral("(%1, %2)").arg(mm(c.x()), mm(c.y()));
        // About 1.1 mm a character at 7 pt: the white box just holds the text.
        PreparedItem label = text(QRectF(c.x() + 1.2, c.y() + 0.8, 1.1 * position.size() + 1, 3.6), position,
                                  7, HAlign::Left, name + "Label");
        label.gapX = 0.3;
        label.fill = Qt::white;
        page.items.append(label);
    }

    // What to do with it, above the centre cross.
    PreparedItem hint = text(QRectF(w / 2 - 62, h / 2 - 14, 124, 7), calibrationInstruction(), 10,
                             HAlign::Center, QStringLiteral("instruction"));
    hint.fill = Qt::white;
    hint.frameSides = Frame::All;
    hint.frameWidth = 0.2;
    page.items.append(hint);

    PreparedReport report;
    report.pages.append(page);
    return report;
}

}  // namespace printing
