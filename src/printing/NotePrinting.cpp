#include "printing/NotePrinting.h"

#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "notes/IssueController.h"
#include "notes/Issuing.h"

#include <QFileInfo>

namespace printing {

namespace {
const QString kStatus = QStringLiteral("状态");

QVariantMap currentRowValues(const data::Dataset& ds) {
    QVariantMap row;
    for (const QString& f : ds.fieldNames()) row.insert(f, ds.value(ds.currentRow(), f));
    return row;
}
}  // namespace

QString phoneFaxLine(const QVariant& telephone, const QVariant& fax) {
    const QString tel = data::textOf(telephone);
    const QString fx = data::textOf(fax);
    if (tel.isEmpty() || fx.isEmpty()) return {};
    return QStringLiteral("TEL: ") + tel + QStringLiteral(" FAX: ") + fx;
}

CompanyTexts companyTexts(data::Dataset& xhqry) {
    if (!xhqry.isOpen()) xhqry.open();
    CompanyTexts c;
    if (xhqry.currentRow() < 0) return c;
    c.name = xhqry.text(QStringLiteral("中文名称"));
    c.address = xhqry.text(QStringLiteral("公司地址"));
    c.phoneFax =
        phoneFaxLine(xhqry.field(QStringLiteral("公司电话")), xhqry.field(QStringLiteral("公司传真")));
    c.logo = xhqry.field(QStringLiteral("公司图标")).toByteArray();
    return c;
}

ReportDataset currentRowDataset(const QString& name, const data::Dataset& ds) {
    ReportDataset r;
    r.name = name;
    r.fields = ds.fieldNames();
    if (ds.isOpen() && ds.currentRow() >= 0) r.rows.append(currentRowValues(ds));
    return r;
}

ReportDataset rowsDataset(const QString& name, const QList<QVariantMap>& rows) {
    ReportDataset r;
    r.name = name;
    if (!rows.isEmpty()) r.fields = rows.first().keys();
    for (const QVariantMap& row : rows) r.rows.append(row);
    return r;
}

NoteData entryTabData(const notes::PrintRequest& request) {
    NoteData n;
    n.source = PrintSource::EntryTab;
    n.header = currentRowDataset(QStringLiteral("xhbdbst"), *request.hub->sele_qry);
    n.lines = rowsDataset(QStringLiteral("sdbst"), request.lines);
    n.current = currentRowDataset(QStringLiteral("dxjebDdst"), *request.hub->shdTqry);
    n.date = request.dateText;
    n.number = request.number;
    n.amountInWords = request.amountInWords;
    return n;
}

NoteData noteListData(data::DataHub& hub) {
    NoteData n;
    n.source = PrintSource::NoteList;
    const data::Dataset& notesDs = *hub.shdTqry;
    n.header = currentRowDataset(QStringLiteral("xhbdbst"), notesDs);
    n.current = currentRowDataset(QStringLiteral("dxjebDdst"), notesDs);
    const bool onNote = notesDs.isOpen() && notesDs.currentRow() >= 0;
    if (onNote) {
        n.date = notesDs.text(QStringLiteral("日期"));
        n.number = notesDs.text(QStringLiteral("送货单号"));
        n.amountInWords = notesDs.text(QStringLiteral("大写金额"));
    }
    // The lines the list shows under the note; read directly when that dataset is not open.
    if (hub.shdDqry->isOpen()) {
        n.lines = ReportDataset::fromDataset(QStringLiteral("sdbst"), *hub.shdDqry);
    } else {
        QList<QVariantMap> rows;
        if (onNote)
            rows = data::rows(hub.cnn,
                              data::Statement{QStringLiteral("select * from shdsp where 送货单号=:送货单号"),
                                              QStringLiteral("order by 商品编号")}
                                  .bind(QStringLiteral("送货单号"), n.number));
        n.lines = rowsDataset(QStringLiteral("sdbst"), rows);
    }
    return n;
}

bool loadDeliveryNote(Report& report, const QString& formatName, QString* error) {
    const QString path = templateFileForFormat(formatName);
    if (!QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("报表格式文件“%1”不存在，无法打印送货单。")
                         .arg(QFileInfo(path).absoluteFilePath());
        return false;
    }
    return report.loadDeliveryNote(path, error);
}

bool fillDeliveryNote(Report& report, const CompanyTexts& company, const NoteData& note, QString* error) {
    QStringList wrongKind;
    auto text = [&](const char* object, const QString& value) {
        if (!report.setText(QString::fromLatin1(object), value))
            wrongKind.append(QString::fromLatin1(object));
    };
    text("gsmc", company.name);
    text("gsdz", company.address);
    text("dhcz", company.phoneFax);
    if (!report.setPicture(QStringLiteral("gsbz"), company.logo)) wrongKind.append(QStringLiteral("gsbz"));
    text("shrq", note.date);
    text("shdno", note.number);
    text("dxje", note.amountInWords);
    report.setDataset(note.header);
    report.setDataset(note.lines);
    report.setDataset(note.current);
    if (wrongKind.isEmpty()) return true;
    if (error) {
        const QString file = report.fileName().isEmpty() ? QStringLiteral("（未命名）")
                                                         : QFileInfo(report.fileName()).absoluteFilePath();
        *error = QStringLiteral(
                     "报表格式文件“%1”中的对象 %2 类型不对（gsbz 应为图片，其余应为文本），无法填写送货单。")
                     .arg(file, wrongKind.join(QStringLiteral("、")));
    }
    return false;
}

bool markPrintedFromList(data::DataHub& hub, const std::function<bool()>& askDeduct) {
    data::Dataset& notesDs = *hub.shdTqry;
    if (!notesDs.isOpen() || notesDs.currentRow() < 0) return false;
    const bool deduct = notesDs.text(kStatus) == notes::kUnprinted && askDeduct && askDeduct();
    const QString number = notesDs.text(QStringLiteral("送货单号"));
    data::inWriteTransaction(hub.cnn, [&] {
        if (deduct) {
            const auto lines = data::rows(
                hub.cnn,
                data::Statement{QStringLiteral("select 商品编号, 数量 from shdsp where 送货单号=:sno"),
                                QStringLiteral("order by 商品编号")}
                    .bind(QStringLiteral("sno"), number));
            notes::DeductStock(hub.cnn, lines);
        }
        notesDs.edit();
        try {
            notesDs.setField(kStatus, notes::kPrinted);
            notesDs.post();  // on the same connection, inside the transaction
        } catch (...) {
            notesDs.cancel();
            throw;
        }
    });
    return true;
}

}  // namespace printing
