#pragma once
// Expressions in memo texts: "[...]" parts are evaluated and replaced by their value.
//
// Vocabulary: [ds."field"] and <ds."field"> (dataset names may hold blanks), variables (Line#, Page#,
// TotalPages#, Date, Time), aggregates SUM/COUNT/MIN/MAX/AVG(expr, BandName[, flags]), IIF(c, a, b),
// + - * / div mod, comparisons, and/or/not, string ('..') and number literals, and an inline format
// after the expression ([expr #n%2,2f], [expr #dyyyy-mm-dd]). Whatever cannot be evaluated prints as
// empty text and is handed to ExpressionContext::unknown.

#include "printing/Template.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace printing {

struct ExprNode;
using Expr = std::shared_ptr<const ExprNode>;

// What an expression can reach; the layout implements it.
class ExpressionContext {
  public:
    virtual ~ExpressionContext() = default;
    // A field of the current row of dataset ds; nullopt when there is no such dataset or field.
    virtual std::optional<QVariant> field(const QString& ds, const QString& field) = 0;
    // Line#, Page#, TotalPages#, Date, Time ...; nullopt when unknown.
    virtual std::optional<QVariant> variable(const QString& name) = 0;
    // fn is SUM, COUNT, MIN, MAX or AVG; arg is null for COUNT(Band). nullopt when the band is unknown.
    virtual std::optional<QVariant> aggregate(const QString& fn, const Expr& arg, const QString& band,
                                              int flags) = 0;
    // Something that could not be evaluated (reported once by the caller).
    virtual void unknown(const QString& what) = 0;
};

// Parses an expression (the text between the brackets, without an inline format). Null with *error set
// when it cannot be parsed.
Expr parseExpression(const QString& text, QString* error = nullptr);
// Evaluates; an invalid QVariant when something in it is unknown (already reported to ctx).
QVariant evaluate(const Expr& e, ExpressionContext& ctx);

// One "[...]" part split into the expression and its inline format ("#n%2,2f" gives kind fkNumeric,
// formatStr "%2,2f").
struct BracketPart {
    QString expression;
    DisplayFormat format;  // kind empty when there is none
};
BracketPart splitInlineFormat(const QString& inner);

// Replaces every [..] of text by its value, formatted with the part's inline format, else with fmt.
// hideZeros prints numeric zeros as empty text.
QString expandText(const QString& text, ExpressionContext& ctx, const DisplayFormat& fmt = {},
                   bool hideZeros = false);

// A value as text: with a display format (Delphi "%2.2n"/"%2.2f"/"%2.0n"/"%2.2m", picture "#,##0.00",
// dates "yyyy-mm-dd"), or without one in the program's usual form (dates ISO, numbers plain).
QString formatValue(const QVariant& v, const DisplayFormat& fmt = {});
// Numbers in fixed decimals rounded half away from zero (1.005 -> "1.01"), optional thousands separators.
QString formatNumber(double v, int decimals, bool thousands,
                     const QString& decimalSeparator = QStringLiteral("."));

// True when v is a number, or text that reads as one (*out receives it).
bool numericValue(const QVariant& v, double* out = nullptr);

}  // namespace printing
