// How the note list's search behaves with ten years of a busy small factory: 200,000 notes and
// 1,000,000 lines. For each typed text it reports
//   - the time from the last keystroke until the list, its footer and the line grid show the result;
//   - the longest time the interface thread was blocked meanwhile (a 2 ms timer measures the gaps);
//   - the time the search statement as written (twelve LIKEs) takes on the same file, for comparison.
// It also reports how long the search thread takes to read the notes' search texts into memory (at
// start and after another connection changed a note), and the first search meanwhile.
// Usage: note_search_bench [database file] (made on first use; default /tmp/trfp-bench/trfp.mdb)

#include "data/DataHub.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "data/Transaction.h"
#include "notes/NoteListController.h"
#include "notes/NoteSearch.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

constexpr int kNotes = 200000;
constexpr int kLinesPerNote = 5;

void makeDatabase(const QString& path) {
    std::printf("making %s with %d notes and %d lines ...\n", qPrintable(path), kNotes,
                kNotes * kLinesPerNote);
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    QSqlDatabase db = data::createDatabase(path, QStringLiteral("make"));
    data::inWriteTransaction(db, [&] {
        // About 1,667 notes a month over ten years; customers, people, plates and remarks vary.
        data::execRaw(db, QStringLiteral(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i < %1)
INSERT INTO shd(送货单号,日期,日期2,客户名称,送货地址,联系电话,送货车牌,开单人员,发货方式,业务员,备注,录入人员,录入时间,总金额,大写金额,状态,签回人员,签回时间)
SELECT printf('%04d%02d%04d', 2000 + (i/1667)/12, (i/1667)%12+1, i%1667+1),
 printf('%04d年%02d月%02d日', 2000 + (i/1667)/12, (i/1667)%12+1, (i%1667)/56+1),
 printf('%04d-%02d-%02d', 2000 + (i/1667)/12, (i/1667)%12+1, (i%1667)/56+1),
 '客户' || char(0x4e00 + (i*7919)%400) || char(0x4e00 + (i*31)%300) || '有限公司' || ((i*7919)%500),
 '广东省深圳市宝安区' || char(0x4e00 + (i*13)%500) || '路' || (i%300) || '号',
 '0755-' || (20000000 + (i*7919)%9999999),
 '粤B' || (10000 + (i*37)%80000),
 char(0x5f20 + i%7) || char(0x4e09 + i%11),
 CASE i%3 WHEN 0 THEN '送货' WHEN 1 THEN '自提' ELSE '物流' END,
 char(0x674e + i%5) || char(0x56db + i%9),
 CASE WHEN i%4=0 THEN NULL ELSE '备注' || char(0x4e00 + (i*17)%800) || (i%1000) END,
 'admin',
 printf('%04d-%02d-%02d 10:%02d:00', 2000 + (i/1667)/12, (i/1667)%12+1, (i%1667)/56+1, i%60),
 (i*7919 % 100000)/100.0, '人民币壹佰圆整',
 CASE WHEN i%20=0 THEN '未打印' WHEN i%20<7 THEN '已打印' WHEN i%20<11 THEN '已签回' WHEN i%20<15 THEN '已过账' WHEN i%20<19 THEN '已收款' ELSE '已作废' END,
 CASE WHEN i%20>=7 THEN '王' || char(0x4e00 + i%3) END,
 CASE WHEN i%20>=7 THEN '2010-01-01 10:00:00' END
FROM n)")
                              .arg(kNotes - 1));
        data::execRaw(db, QStringLiteral(R"(
WITH RECURSIVE k(j) AS (SELECT 1 UNION ALL SELECT j+1 FROM k WHERE j < %1)
INSERT INTO shdsp(送货单号,商品编号,名称,单位,数量,售价,折扣,金额,客户名称)
SELECT 送货单号, printf('G%04d', (id*j*13)%2000), '货品' || ((id*j*13)%2000), '个', j, 2.5, 100, j*2.5, 客户名称
FROM shd, k)")
                              .arg(kLinesPerNote));
    });
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    std::printf("made in %.1f s\n\n", t.elapsed() / 1000.0);
}

double describedStatementMs(const QSqlDatabase& db, const QString& text) {
    notes::NoteFilters f;
    f.text = text;
    QElapsedTimer t;
    t.start();
    notes::NoteSearcher::runNow(db, notes::noteSearchStatement(f));
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/trfp-bench/trfp.mdb");
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFileInfo::exists(path)) makeDatabase(path);

    data::DataHub hub;
    const QString failure = hub.openDatabaseFile(path);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* locedit = new QLineEdit;
    auto* shdgrid = new ui::DataGrid;
    auto* cpgrid = new ui::DataGrid;
    layout->addWidget(locedit);
    layout->addWidget(shdgrid);
    layout->addWidget(cpgrid);
    QList<ui::GridColumn> columns;
    for (const char* field :
         {"日期", "送货单号", "客户名称", "状态", "总金额", "签回人员", "送货车牌", "备注"}) {
        ui::GridColumn c;
        c.field = QString::fromUtf8(field);
        columns << c;
    }
    shdgrid->setColumns(columns);
    shdgrid->setDataset(hub.shdTqry);
    shdgrid->setFooterVisible(true);
    cpgrid->setDataset(hub.shdDqry);
    notes::NoteListWidgets w;
    w.locedit = locedit;
    w.shdgrid = shdgrid;
    w.cpgrid = cpgrid;
    notes::NoteListController controller(hub, w);
    window.resize(1000, 700);
    window.show();

    // Gaps between ticks of a 2 ms timer: how long the interface thread did not get to run.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = clock.elapsed();
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
    });

    auto waitIdle = [&] {
        while (controller.isSearching()) app.processEvents(QEventLoop::WaitForMoreEvents, 5);
        app.processEvents();
    };
    {
        QElapsedTimer t;
        t.start();
        hub.shdTqry->open();
        hub.shdDqry->open();
        waitIdle();
        std::printf("opening the list of %d notes (keys only): %lld ms\n", hub.shdTqry->count(), t.elapsed());
    }
    auto waitTexts = [&] {
        QElapsedTimer t;
        t.start();
        while (!controller.hasSearchTexts() && t.elapsed() < 60000)
            app.processEvents(QEventLoop::WaitForMoreEvents, 5);
        return t.elapsed();
    };
    {
        QElapsedTimer t;
        t.start();
        waitTexts();
        std::printf("search texts in memory %lld ms after the list opened\n\n", t.elapsed());
    }
    ticker.start();

    struct Case {
        const char* name;
        QString text;
    };
    const QList<Case> cases{
        {"empty (after deleting a character)", QString()},
        {"one character", QStringLiteral("客")},
        {"已打", QStringLiteral("已打")},
        {"customer fragment", QStringLiteral("伿丟有限")},
        {"note number prefix", QStringLiteral("200910")},
        {"matches nothing", QStringLiteral("没有这个")},
    };
    std::printf("%-36s %8s %10s %12s %12s %14s\n", "typed text", "rows", "last key", "result", "longest",
                "as written");
    std::printf("%-36s %8s %10s %12s %12s %14s\n", "", "", "to result", "(1st key)", "UI block",
                "(12 LIKEs)");
    for (const Case& c : cases) {
        // Start from another text so that every case is a change.
        locedit->setText(QStringLiteral("x"));
        waitIdle();
        longestGap = 0;
        lastTick = clock.elapsed();
        QElapsedTimer t;
        t.start();
        double firstMs = -1;
        if (c.text.isEmpty()) {
            locedit->backspace();
        } else {
            locedit->clear();
            // A fast typist: one key every 80 ms.
            for (int i = 0; i < c.text.size(); ++i) {
                if (i > 0) {
                    QElapsedTimer pause;
                    pause.start();
                    while (pause.elapsed() < 80) app.processEvents(QEventLoop::AllEvents, 5);
                }
                t.restart();
                locedit->insert(c.text.mid(i, 1));
            }
        }
        waitIdle();
        // The view paints the rows and the line grid shows the current note's lines.
        app.processEvents();
        const double lastKeyToResult = t.nsecsElapsed() / 1e6;
        QElapsedTimer single;
        locedit->setText(QStringLiteral("x"));
        waitIdle();
        single.start();
        locedit->setText(c.text);
        waitIdle();
        app.processEvents();
        firstMs = single.nsecsElapsed() / 1e6;
        const double written = describedStatementMs(hub.cnn, c.text);
        std::printf("%-36s %8d %8.0f ms %9.0f ms %9lld ms %11.0f ms\n", c.name, hub.shdTqry->count(),
                    lastKeyToResult, firstMs, longestGap, written);
        std::fflush(stdout);
    }
    std::printf("\nfooter (总金额 over all matching notes): %s; lines of the current note: %d\n",
                qPrintable(shdgrid->footerText(QStringLiteral("总金额"))), hub.shdDqry->count());

    // Another connection changes a note: the next search runs its statement, then the texts are read
    // again in the background.
    data::execRaw(hub.cnn, QStringLiteral("update shd set 备注 = 备注 where id = 1"));
    {
        ticker.stop();
        ticker.start();
        longestGap = 0;
        lastTick = clock.elapsed();
        QElapsedTimer t;
        t.start();
        locedit->setText(QStringLiteral("已打"));
        waitIdle();
        app.processEvents();
        const qint64 first = t.elapsed();
        const qint64 gapFirst = longestGap;
        t.restart();
        waitTexts();
        std::printf(
            "after a note changed: \"已打\" %lld ms (longest UI block %lld ms), search texts read "
            "again %lld ms later\n",
            first, gapFirst, t.elapsed());
    }
    return 0;
}
