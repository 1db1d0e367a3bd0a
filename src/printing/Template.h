#pragma once
// The template model: what a .fr3 file holds, in the file's own units.
//
// Coordinates of bands and objects are FR3 units (pixels at 96 dpi, 1 mm = 3.77953 units), relative to
// their band; paper sizes and margins are millimetres. Properties the model does not know are kept in
// `extra` (attributes, in file order) and `extraChildren` (elements), and are written back unchanged, so
// a template read and written again loses nothing. Objects and bands of kinds the model does not know
// keep their whole element in `raw`.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace printing {

inline constexpr double kUnitsPerMm = 96.0 / 25.4;  // 3.77953...
inline double unitsToMm(double units) {
    return units / kUnitsPerMm;
}
inline double mmToUnits(double mm) {
    return mm * kUnitsPerMm;
}

// Windows colours are BGR integers; these are the special values the vocabulary uses.
inline constexpr int kColorNone = 536870911;
inline constexpr int kColorWindowText = -16777208;  // system colour: black text
inline constexpr int kColorButtonFace = -16777201;  // system colour: button-face grey

using Attribute = QPair<QString, QString>;
using Attributes = QList<Attribute>;

// An element kept as it was read: name, attributes in order, children, and its character data.
struct XmlNode {
    QString name;
    Attributes attributes;
    QList<XmlNode> children;
    QString text;
    bool operator==(const XmlNode& o) const;  // out of line: QList's == needs the complete type
};

// Font properties as the file gives them; each one is absent when the file does not set it, and is then
// taken from the parent (object -> band -> page -> 宋体 10 pt).
struct FontSpec {
    std::optional<QString> name;
    std::optional<double> height;  // Font.Height: negative pixels at 96 dpi
    std::optional<int> style;      // bits: 1 bold, 2 italic, 4 underline, 8 strikeout
    std::optional<int> color;      // BGR
    std::optional<int> charset;    // 134 for GB2312
    bool operator==(const FontSpec&) const = default;
    bool isEmpty() const { return !name && !height && !style && !color && !charset; }
};

// A font with every property decided.
struct ResolvedFont {
    QString name = QStringLiteral("宋体");
    double pointSize = 10;
    int style = 0;
    int color = 0;  // BGR
    int charset = 1;
    bool bold() const { return style & 1; }
    bool italic() const { return style & 2; }
    bool underline() const { return style & 4; }
    bool strikeOut() const { return style & 8; }
    bool operator==(const ResolvedFont&) const = default;
};
ResolvedFont resolveFont(const ResolvedFont& parent, const FontSpec& own, std::optional<bool> parentFont);

struct Frame {
    enum Side { Left = 1, Right = 2, Top = 4, Bottom = 8, All = 15 };
    int typ = 0;                                // Frame.Typ
    double width = 1;                           // Frame.Width, units
    int color = 0;                              // Frame.Color, BGR
    QString style = QStringLiteral("fsSolid");  // fsSolid fsDash fsDot fsDouble ...
    bool operator==(const Frame&) const = default;
};

struct DisplayFormat {
    QString kind;              // "" (none), fkNumeric, fkDateTime, fkText, fkBoolean
    QString formatStr;         // %2.2n, %2.2f, #,##0.00, yyyy-mm-dd ...
    QString decimalSeparator;  // "" = "."
    bool operator==(const DisplayFormat&) const = default;
};

enum class ObjectKind { Memo, SysMemo, Picture, Line, Shape, Unknown };
enum class HAlign { Left, Center, Right, Block };
enum class VAlign { Top, Center, Bottom };

struct ReportObject {
    ObjectKind kind = ObjectKind::Memo;
    QString name;
    double left = 0, top = 0, width = 0, height = 0;  // units, relative to the band
    bool visible = true;

    // Memo (TfrxMemoView, TfrxSysMemoView)
    QString text;  // Text / Memo.Text / Memo.UTF8 / Memo.UTF8W, line breaks as "\r\n"
    FontSpec font;
    std::optional<bool> parentFont;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = true;
    double gapX = 2, gapY = 1;  // units
    bool autoWidth = false;
    int rotation = 0;
    bool hideZeros = false;
    double charSpacing = 0, lineSpacing = 2;
    DisplayFormat displayFormat;

    // Memo, picture, line and shape
    Frame frame;
    int fillColor = kColorNone;  // Fill.BackColor (or the older Color)

    // Picture (TfrxPictureView): the image file's bytes and the class it was stored under
    QByteArray picture;
    QString pictureClass;  // TPNGObject, TPngImage, TBitmap, TJPEGImage
    bool stretched = true, keepAspectRatio = true, center = false;

    // Line (TfrxLineView)
    bool diagonal = false;

    // Shape (TfrxShapeView)
    QString shape = QStringLiteral("skRectangle");  // skRoundRectangle skEllipse ...
    double curve = 0;

    Attributes extra;
    QList<XmlNode> extraChildren;
    XmlNode raw;                  // the whole element for ObjectKind::Unknown
    QString elementName() const;  // TfrxMemoView ...; raw.name for Unknown

    bool operator==(const ReportObject&) const = default;
    // An attribute kept in `extra` (e.g. StretchMode, AllowExpressions), or def.
    QString extraValue(const QString& attr, const QString& def = {}) const;
};

enum class BandKind {
    ReportTitle,
    PageHeader,
    Header,
    MasterData,
    Child,
    Footer,
    ReportSummary,
    PageFooter,
    Unknown,
};

struct Band {
    BandKind kind = BandKind::MasterData;
    QString name;
    double left = 0, top = 0, width = 0, height = 0;  // units; top only orders bands of one kind
    bool visible = true;
    QString child;        // Child: name of the TfrxChild printed after this band
    QString dataSetName;  // DataSetName (data bands)
    int rowCount = 0;     // RowCount: a data band without a dataset prints this often
    bool startNewPage = false;
    bool printOnFirstPage = true, printOnLastPage = true;
    int toNRows = 0;                                  // TfrxChild: fill to N rows
    QString toNRowsMode = QStringLiteral("rmCount");  // rmCount rmTillPageEnds rmAddToCount
    bool stretched = false;
    FontSpec font;
    std::optional<bool> parentFont;
    QList<ReportObject> objects;

    Attributes extra;
    QList<XmlNode> extraChildren;
    XmlNode raw;  // the whole element for BandKind::Unknown
    QString elementName() const;

    bool operator==(const Band&) const = default;
    QString extraValue(const QString& attr, const QString& def = {}) const;
};

struct Page {
    QString name;
    double paperWidth = 210, paperHeight = 297;  // mm, already swapped for landscape
    int paperSize = 9;                           // Windows paper code: 9 A4, 11 A5, 256 custom
    bool landscape = false;
    double leftMargin = 10, rightMargin = 10, topMargin = 10, bottomMargin = 10;  // mm
    FontSpec font;
    QList<Band> bands;
    QList<ReportObject> objects;  // objects placed straight on the page (laid out as a band at the top)

    Attributes extra;
    QList<XmlNode> extraChildren;
    bool operator==(const Page&) const = default;
};

struct DatasetRef {
    QString dataSet, dataSetName;
    bool operator==(const DatasetRef&) const = default;
};

struct Template {
    Attributes rootAttributes;   // TfrxReport's attributes, in order (Version, ScriptText.Text ...)
    QList<DatasetRef> datasets;  // <Datasets><item .../></Datasets>
    bool hasDatasetsElement = false;
    QList<XmlNode> beforePages;  // Variables, TfrxDataPage and any other element before the pages
    QList<Page> pages;
    QList<XmlNode> afterPages;  // elements after the pages (our own settings element among them)

    bool operator==(const Template&) const = default;

    QString rootAttribute(const QString& name) const;
    // Finds an object by name on any page (bands and loose objects); nullptr when there is none.
    ReportObject* findObject(const QString& name);
    const ReportObject* findObject(const QString& name) const;
    Band* findBand(const QString& name);
    const Band* findBand(const QString& name) const;
};

}  // namespace printing
