#pragma once
// Printing a delivery note: what the print-format window hands the chosen template (the seven named
// objects and the report datasets xhbdbst, sdbst and dxjebDdst) for each of the two places a note is
// printed from, and the note list's bookkeeping before the window opens (stock and status).
//
//   printing::NoteData note = printing::noteListData(hub);
//   printing::Report report;
//   QString error;
//   if (!printing::loadDeliveryNote(report, formatName, &error)) { ui::dialogs().warn(error); return; }
//   printing::fillDeliveryNote(report, printing::companyTexts(*hub.xhqry), note);
//   PreparedReport pages = report.prepare();

#include "printing/Report.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace data {
class DataHub;
class Dataset;
}  // namespace data
namespace notes {
struct PrintRequest;
}

namespace printing {

// Where the note being printed comes from.
enum class PrintSource {
    EntryTab,  // being issued on the entry tab, not stored yet
    NoteList,  // the current note of the note list
};

// The company values that head every note (the current row of the company profile).
struct CompanyTexts {
    QString name;      // gsmc: 中文名称
    QString address;   // gsdz: 公司地址
    QString phoneFax;  // dhcz
    QByteArray logo;   // gsbz: 公司图标, an image file's bytes
};

// "TEL: <telephone> FAX: <fax>"; empty when either of the two is empty.
QString phoneFaxLine(const QVariant& telephone, const QVariant& fax);
// From the current row of the company profile dataset (opened first when it is closed); empty values
// when it has no row.
CompanyTexts companyTexts(data::Dataset& xhqry);

// Everything that depends on the print source.
struct NoteData {
    PrintSource source = PrintSource::NoteList;
    ReportDataset header;   // xhbdbst
    ReportDataset lines;    // sdbst
    ReportDataset current;  // dxjebDdst: the current note of the note list
    QString date;           // shrq
    QString number;         // shdno
    QString amountInWords;  // dxje
};

// A one-row report dataset from a dataset's current row (no row when it stands on none or is closed).
ReportDataset currentRowDataset(const QString& name, const data::Dataset& ds);
// A report dataset from rows given as maps; the fields are those of the first row.
ReportDataset rowsDataset(const QString& name, const QList<QVariantMap>& rows);

// The note being issued on the entry tab: the current customer, the list rows with a quantity, and the
// texts of the entry tab (shdno, kpdate, jedx).
NoteData entryTabData(const notes::PrintRequest& request);
// The current note of the note list with its lines and the texts as stored with it (日期, 送货单号,
// 大写金额).
NoteData noteListData(data::DataHub& hub);

// Loads the template of a print format (the name trimmed, plus ".fr3", in the program's folder) and
// checks it holds the seven objects. False with *error naming the file (missing, unreadable) and the
// objects it lacks.
bool loadDeliveryNote(Report& report, const QString& formatName, QString* error);
// Fills the seven objects and sets the three datasets. False with *error when an object is of the
// wrong kind (a text object that is a picture and so on).
bool fillDeliveryNote(Report& report, const CompanyTexts& company, const NoteData& note, QString* error);

// The note list before its print window opens, for the current note of hub.shdTqry: while the note is
// 未打印, askDeduct is asked and on true the stock of the note's goods is lowered by its lines; the
// status becomes 已打印 for every status. Stock and status are written in one transaction. Returns
// false, touching nothing, when the list stands on no note. Throws data::DbError (nothing written).
bool markPrintedFromList(data::DataHub& hub, const std::function<bool()>& askDeduct);

}  // namespace printing
