#include "stock/WorkbookImport.h"

#include "data/DataHub.h"
#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Transaction.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace stock {

const QString kImportFailedText =
    QStringLiteral("无效的数据文件,\n请检查EXCEL数据格式是否正确\n是否跟要求一致");
const QString kImportDoneText = QStringLiteral("导入操作成功！");

const ImportSpec& buyerUnitsImport() {
    static const ImportSpec spec{QStringLiteral("购货单位"),
                                 QStringLiteral("单位名称"),
                                 {{QStringLiteral("单位名称")},
                                  {QStringLiteral("纳税人识别号")},
                                  {QStringLiteral("地址电话")},
                                  {QStringLiteral("开户行及帐号")}},
                                 {}};
    return spec;
}

const ImportSpec& goodsImport() {
    const auto text = [](const char* name, bool required = false) {
        return ImportColumn{QString::fromUtf8(name), required, false};
    };
    const auto number = [](const char* name) { return ImportColumn{QString::fromUtf8(name), false, true}; };
    static const ImportSpec spec{
        QStringLiteral("sp"),
        QStringLiteral("商品编号"),
        {text("商品编号", true), text("名称", true), text("类别"), text("规格型号"), text("单位"),
         number("售价"), number("进价"), number("折扣"), number("含税单价"), number("库存"),
         number("库存下限"), number("库存上限"), text("产地")},
        QStringLiteral("编号")};
    return spec;
}

QString importSheetName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

namespace {

QString quoted(const QString& identifier) {
    QString q = identifier;
    return QLatin1Char('"') + q.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString errorText(const QSqlQuery& q) {
    const QSqlError e = q.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

QSqlQuery prepared(const QSqlDatabase& db, const QString& text) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(text)) throw data::DbError(errorText(q));
    return q;
}

void run(QSqlQuery& q) {
    if (!q.exec()) throw data::DbError(errorText(q));
}

struct Copied {
    ImportColumn column;
    int sheetColumn;  // 0-based column of the sheet
};

}  // namespace

ImportResult importSheet(const QSqlDatabase& db, const workbook::Sheet& sheet, const ImportSpec& spec,
                         const ImportProgress& progress) {
    // Which sheet column fills which table column; a required heading that is missing fails the
    // import before anything is written.
    QList<Copied> copied;
    int keyColumn = -1;
    for (const ImportColumn& c : spec.columns) {
        const int at = sheet.column(c.name);
        if (at < 0) {
            if (c.required || c.name == spec.key)
                throw ImportError(QStringLiteral("工作表“%1”没有“%2”列").arg(sheet.name, c.name));
            continue;
        }
        if (c.name == spec.key) keyColumn = int(copied.size());
        copied << Copied{c, at};
    }

    const int total = int(sheet.rows.size());
    if (progress) progress(0, total);

    ImportResult result;
    try {
        data::inWriteTransaction(db, [&] {
            // Prepared once: the key is looked up in the table as the database compares it (the key
            // columns ignore case), which also finds a key added from an earlier row of this sheet.
            QSqlQuery lookup = prepared(db, QStringLiteral("select 1 from %1 where %2=? limit 1")
                                                .arg(quoted(spec.table), quoted(spec.key)));
            QStringList names;
            QStringList marks;
            for (const Copied& c : copied) names << quoted(c.column.name), marks << QStringLiteral("?");
            if (!spec.orderColumn.isEmpty()) names << quoted(spec.orderColumn), marks << QStringLiteral("?");
            QSqlQuery insert = prepared(
                db, QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(quoted(spec.table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            double order = 0;
            if (!spec.orderColumn.isEmpty()) {
                QSqlQuery q = prepared(db, QStringLiteral("select coalesce(max(%1), 0) from %2")
                                               .arg(quoted(spec.orderColumn), quoted(spec.table)));
                run(q);
                if (q.next()) order = q.value(0).toDouble();
            }

            for (int r = 0; r < total; ++r) {
                const QStringList& row = sheet.rows[r];
                const QString key = row.value(copied[keyColumn].sheetColumn).trimmed();
                if (key.isEmpty()) {
                    ++result.blank;
                } else {
                    lookup.bindValue(0, key);
                    run(lookup);
                    const bool exists = lookup.next();
                    lookup.finish();
                    if (exists) {
                        ++result.existing;
                    } else {
                        for (int i = 0; i < copied.size(); ++i) {
                            const Copied& c = copied[i];
                            const QString cell = i == keyColumn ? key : row.value(c.sheetColumn);
                            QVariant value;
                            if (c.column.numeric) {
                                const QString t = cell.trimmed();
                                bool ok = true;
                                const double d = t.isEmpty() ? 0 : t.toDouble(&ok);
                                if (!ok || !std::isfinite(d))
                                    throw ImportError(QStringLiteral("工作表“%1”第%2行“%3”不是数字：%4")
                                                          .arg(sheet.name)
                                                          .arg(r + 2)
                                                          .arg(c.column.name, cell));
                                if (!t.isEmpty()) value = d;
                            } else if (!cell.isEmpty()) {
                                value = cell;
                            }
                            insert.bindValue(
                                i, value.isValid() ? value : QVariant(QMetaType::fromType<QString>()));
                        }
                        if (!spec.orderColumn.isEmpty()) insert.bindValue(int(copied.size()), ++order);
                        run(insert);
                        ++result.added;
                    }
                }
                if (progress) progress(r + 1, total);
            }
        });
    } catch (const data::DbError& e) {
        throw ImportError(e.text());
    }
    return result;
}

ImportResult importWorkbook(const QSqlDatabase& db, const QString& path, const ImportSpec& spec,
                            const ImportProgress& progress) {
    workbook::Sheet sheet;
    try {
        sheet = workbook::readWorkbookSheet(path, importSheetName(path));
    } catch (const workbook::WorkbookError& e) {
        throw ImportError(e.text());
    }
    return importSheet(db, sheet, spec, progress);
}

bool importWithUi(const QSqlDatabase& db, const ImportSpec& spec, data::Dataset* list, QProgressBar* pgb) {
    const QString path = ui::dialogs().openFile(QStringLiteral("打开"), QString(),
                                                QStringLiteral("Excel 工作簿 (*.xls *.xlsx);;所有文件 (*)"));
    bool done = false;
    if (!path.isEmpty()) {
        const auto moved = [pgb](int rows, int total) {
            if (!pgb) return;
            if (rows == 0) {
                pgb->setRange(0, std::max(total, 1));
                pgb->setValue(0);
                pgb->show();
            }
            // Repainting is enough to keep the window alive; clicks wait until the import is over,
            // since the write transaction is open meanwhile.
            if (rows == 0 || rows % 200 == 0 || rows == total) {
                pgb->setValue(rows);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        };
        try {
            importWorkbook(db, path, spec, moved);
            done = true;
        } catch (const ImportError& e) {
            qWarning("workbook import of %s failed: %s", qPrintable(path), qPrintable(e.text()));
        }
        if (pgb) {
            pgb->hide();
            pgb->setValue(0);
        }
        if (done)
            ui::dialogs().inform(kImportDoneText, QStringLiteral("操作提示"));
        else
            ui::dialogs().error(kImportFailedText, QStringLiteral("错误提示"));
    }
    if (list) {
        try {
            list->refresh();
        } catch (const data::DbError& e) {
            ui::dialogs().error(e.text());
        }
    }
    return done;
}

bool importGoodsWithUi(data::DataHub& hub, QProgressBar* pgb) {
    return importWithUi(hub.cnn, goodsImport(), hub.spqry, pgb);
}

bool importBuyerUnitsWithUi(data::DataHub& hub, QProgressBar* pgb) {
    return importWithUi(hub.cnn, buyerUnitsImport(), hub.ghqry, pgb);
}

}  // namespace stock
