#include "TestDatabase.h"
#include "data/DataHub.h"
#include "data/Database.h"
#include "data/Sql.h"
#include "notes/NoteListController.h"
#include "notes/NoteSearch.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using notes::NoteFilters;

Q_DECLARE_METATYPE(NoteFilters)

namespace {

// Notes of several months, customers, statuses and people, with empty columns, letters of both
// cases and the pattern characters % and _ in the texts.
void addNotes(TestDatabase& db) {
    const QStringList customers{QStringLiteral("甲公司"), QStringLiteral("乙工厂"),
                                QStringLiteral("Abc Trading"), QStringLiteral("已打包装厂")};
    const QStringList statuses{QStringLiteral("未打印"), QStringLiteral("已打印"), QStringLiteral("已签回"),
                               QStringLiteral("已过账"), QStringLiteral("已收款"), QStringLiteral("已作废")};
    for (int i = 0; i < 48; ++i) {
        const int month = 9 + i % 3;
        const QString number = QStringLiteral("2009%1%2")
                                   .arg(month, 2, 10, QLatin1Char('0'))
                                   .arg(i * 37 % 3200 + 1, 4, 10, QLatin1Char('0'));
        auto maybe = [i](int every, const QString& text) {
            return i % every == 0 ? QVariant() : QVariant(text);
        };
        db.insert(
            QStringLiteral("shd"),
            {{QStringLiteral("送货单号"), number},
             {QStringLiteral("日期"), QStringLiteral("2009年%1月%2日")
                                          .arg(month, 2, 10, QLatin1Char('0'))
                                          .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))},
             {QStringLiteral("客户名称"), customers[i % customers.size()]},
             {QStringLiteral("状态"), statuses[i % statuses.size()]},
             {QStringLiteral("签回人员"), maybe(3, QStringLiteral("王签"))},
             {QStringLiteral("送货车牌"), maybe(4, QStringLiteral("浙A%1").arg(i))},
             {QStringLiteral("送货地址"), maybe(5, QStringLiteral("路%1号").arg(i % 7))},
             {QStringLiteral("联系电话"), maybe(6, QStringLiteral("0571-%1").arg(i * 11))},
             {QStringLiteral("开单人员"), maybe(7, i % 2 ? QStringLiteral("小王") : QStringLiteral("ABC"))},
             {QStringLiteral("业务员"), maybe(2, QStringLiteral("老李"))},
             {QStringLiteral("录入人员"), QStringLiteral("系统管理员")},
             {QStringLiteral("备注"),
              maybe(3, i % 5 ? QStringLiteral("折扣10%_优惠") : QStringLiteral("x已y"))},
             {QStringLiteral("总金额"), i * 10.125},
             {QStringLiteral("发货方式"), QStringLiteral("已打包")}});  // not one of the twelve columns
    }
}

QVariantList idsOf(const QSqlDatabase& db, const data::Statement& st) {
    QVariantList ids;
    for (const QVariantMap& r : data::rows(db, st)) ids << r.value(QStringLiteral("id"));
    return ids;
}

data::Money totalOf(const QSqlDatabase& db, const data::Statement& st) {
    data::Money sum;
    for (const QVariantMap& r : data::rows(db, st))
        sum += data::Money::fromVariant(r.value(QStringLiteral("总金额")));
    return sum;
}

// Each character as one keystroke would put it into the edit (QTest types only Latin-1).
void type(QLineEdit* edit, const QString& t) {
    for (const QChar c : t) edit->insert(QString(c));
}

NoteFilters text(const QString& t) {
    NoteFilters f;
    f.text = t;
    return f;
}

}  // namespace

// The list tab's controls on the hub of a database with notes.
struct ListFixture {
    TestDatabase db;
    std::unique_ptr<data::DataHub> hub;
    QWidget window;
    QLineEdit *locedit, *rqedit, *TqEdit, *khedit, *cpedit, *ztedit, *qhedit, *kdedit, *ywedit;
    ui::DataGrid *shdgrid, *cpgrid;
    QPushButton* operations;
    QMenu* lineMenu;
    std::unique_ptr<notes::NoteListController> controller;

    ListFixture() {
        db.addDeliveredRows();
        addNotes(db);
        hub = db.openHub();
        auto edit = [this](const char* name) {
            auto* e = new QLineEdit(&window);
            e->setObjectName(QString::fromLatin1(name));
            return e;
        };
        locedit = edit("locedit");
        rqedit = edit("rqedit");
        TqEdit = edit("TqEdit");
        khedit = edit("khedit");
        cpedit = edit("cpedit");
        ztedit = edit("ztedit");
        qhedit = edit("qhedit");
        kdedit = edit("kdedit");
        ywedit = edit("ywedit");
        shdgrid = new ui::DataGrid(&window);
        shdgrid->setDataset(hub->shdTqry);
        QList<ui::GridColumn> columns;
        for (const char* field : {"日期", "送货单号", "客户名称", "状态", "总金额"}) {
            ui::GridColumn c;
            c.field = QString::fromUtf8(field);
            columns << c;
        }
        shdgrid->setColumns(columns);
        cpgrid = new ui::DataGrid(&window);
        cpgrid->setDataset(hub->shdDqry);
        operations = new QPushButton(QStringLiteral("送货单操作 &E"), &window);
        lineMenu = new QMenu(&window);
        for (const char* item : {"增加", "修改", "删除"}) lineMenu->addAction(QString::fromUtf8(item));
        controller = std::make_unique<notes::NoteListController>(
            *hub, notes::NoteListWidgets{locedit, rqedit, TqEdit, khedit, cpedit, ztedit, qhedit, kdedit,
                                         ywedit, shdgrid, cpgrid, operations, lineMenu});
        hub->userqry->open();
        hub->shdTqry->open();
        hub->shdDqry->open();
        settle();
    }

    void settle() {
        QCoreApplication::processEvents();  // searches started by queued work
        QTRY_VERIFY_WITH_TIMEOUT(!controller->isSearching(), 10000);
        QCoreApplication::processEvents();
    }
    QVariantList listedIds() {
        QVariantList ids;
        for (int r = 0; r < hub->shdTqry->count(); ++r) ids << hub->shdTqry->value(r, QStringLiteral("id"));
        return ids;
    }
};

class TestNoteList : public QObject {
    Q_OBJECT
  private slots:
    void statementAsDescribed();
    void quickSearchFindsWhatTheStatementFinds_data();
    void quickSearchFindsWhatTheStatementFinds();
    void searchTextsFollowEveryChange();
    void textsInMemoryFollowOtherConnections();
    void olderFileGetsItsSearchTexts();
    void orderedByKeepsTheStatementsOrderForTies();

    void typingShowsRowsFooterAndLines();
    void rereadKeepsTheLastStatement();
    void titleSortThenKeystrokeRestoresTheOrder();
    void searchAfterAnotherConnectionChangedTheFile();
    void keyedListReadsRowsWhenNeeded();
    void searchedListKeepsItsKeysInStep();
    void statusColours_data();
    void statusColours();
};

void TestNoteList::statementAsDescribed() {
    NoteFilters f;
    data::Statement st = notes::noteSearchStatement(f);
    QCOMPARE(st.lines.size(), 4);
    QVERIFY(st.lines[1].startsWith(QStringLiteral("where (日期 like :rq or 送货单号 like :sno")));
    QCOMPARE(st.lines.last(), QStringLiteral(" ORDER BY 送货单号 desc"));
    QCOMPARE(st.params.size(), 12);
    for (const QVariant& v : st.params) QCOMPARE(v.toString(), QStringLiteral("%%"));

    // One date edit alone adds no date condition; the filters are added in their order.
    f.from = QStringLiteral("20091000");
    f.status = QStringLiteral("已");
    f.customer = QStringLiteral("甲");
    st = notes::noteSearchStatement(f);
    QVERIFY(!st.text().contains(QStringLiteral("substr")));
    QCOMPARE(st.lines[3], QStringLiteral(" and (客户名称 like :skh)"));
    QCOMPARE(st.lines[4], QStringLiteral(" and (状态 like :szt)"));
    QCOMPARE(st.params.value(QStringLiteral("szt")).toString(), QStringLiteral("%已%"));

    f.to = QStringLiteral("20091099");
    st = notes::noteSearchStatement(f);
    QCOMPARE(st.lines[3],
             QStringLiteral(" and ((substr(送货单号,1,8) >= :srq) and (substr(送货单号,1,8) <=:trq))"));
    QCOMPARE(st.params.value(QStringLiteral("srq")).toString(), QStringLiteral("20091000"));
}

void TestNoteList::quickSearchFindsWhatTheStatementFinds_data() {
    QTest::addColumn<NoteFilters>("filters");
    QTest::addColumn<int>("atLeast");  // guards against a table of cases that all find nothing
    QTest::newRow("every edit empty") << NoteFilters{} << 48;
    QTest::newRow("one character") << text(QStringLiteral("1")) << 10;
    QTest::newRow("已打, also in a customer's name") << text(QStringLiteral("已打")) << 12;
    QTest::newRow("已打印") << text(QStringLiteral("已打印")) << 8;
    QTest::newRow("not one of the twelve columns") << text(QStringLiteral("已打包")) << 12;
    QTest::newRow("customer fragment") << text(QStringLiteral("乙工")) << 12;
    QTest::newRow("letter case of ASCII") << text(QStringLiteral("abc")) << 12;
    QTest::newRow("capitals, a blank") << text(QStringLiteral("C TRAD")) << 12;
    QTest::newRow("letters and a Chinese character") << text(QStringLiteral("x已")) << 1;
    QTest::newRow("digits and a sign") << text(QStringLiteral("0571-1")) << 3;
    QTest::newRow("number prefix") << text(QStringLiteral("200910")) << 16;
    QTest::newRow("month in the date text") << text(QStringLiteral("10月")) << 16;
    QTest::newRow("percent is a wildcard") << text(QStringLiteral("10%优")) << 5;
    QTest::newRow("underscore is a wildcard") << text(QStringLiteral("浙A_2")) << 1;
    QTest::newRow("across two columns")
        << text(QStringLiteral("王签") + QChar(31) + QStringLiteral("浙")) << 0;
    QTest::newRow("matches nothing") << text(QStringLiteral("没有这个")) << 0;
    QTest::newRow("quote in the text") << text(QStringLiteral("a\"b")) << 0;
    NoteFilters range;
    range.from = QStringLiteral("20091000");
    range.to = QStringLiteral("20091099");
    QTest::newRow("a month by its numbers") << range << 16;
    range.from = QStringLiteral("20091001");
    range.to = QStringLiteral("20091031");
    QTest::newRow("full dates select sequences 0100 to 3199") << range << 10;
    range.to = QString();
    QTest::newRow("one date edit only") << range << 48;
    range.from = QStringLiteral("200911");
    range.to = QStringLiteral("2009119");
    QTest::newRow("short texts are prefix bounds") << range << 10;
    NoteFilters filtered = text(QStringLiteral("王"));
    filtered.plate = QStringLiteral("浙");
    filtered.signer = QStringLiteral("签");
    filtered.issuer = QStringLiteral("王");
    QTest::newRow("empty columns excluded by filters") << filtered << 3;
    NoteFilters all = text(QStringLiteral("老"));
    all.customer = QStringLiteral("工厂");
    all.status = QStringLiteral("已");
    all.salesperson = QStringLiteral("李");
    all.from = QStringLiteral("2009");
    all.to = QStringLiteral("20099999");
    QTest::newRow("everything at once") << all << 3;
}

void TestNoteList::quickSearchFindsWhatTheStatementFinds() {
    QFETCH(NoteFilters, filters);
    QFETCH(int, atLeast);
    TestDatabase db;
    addNotes(db);
    const data::Statement described = notes::noteSearchStatement(filters);
    const data::Statement quick = notes::quickNoteSearchStatement(filters);
    const QVariantList expected = idsOf(db.db(), described);
    QVERIFY2(expected.size() >= atLeast, qPrintable(QString::number(expected.size())));
    QCOMPARE(idsOf(db.db(), quick), expected);
    QCOMPARE(idsOf(db.db(), notes::quickNoteSearchStatement(filters, true)), expected);
    const notes::NoteSearchResult found = notes::NoteSearcher::runNow(db.db(), quick);
    QCOMPARE(QVariantList(found.keys.begin(), found.keys.end()), expected);
    QCOMPARE(found.total, totalOf(db.db(), described));

    // The texts held in memory find the same notes and the same total.
    if (notes::searchesTextsOnly(filters)) {
        notes::NoteTextIndex index;
        index.update(db.db());
        QCOMPARE(index.size(), 48);
        notes::NoteSearchResult inMemory;
        QVERIFY(index.find(filters.text, inMemory));
        QCOMPARE(QVariantList(inMemory.keys.begin(), inMemory.keys.end()), expected);
        QCOMPARE(inMemory.total, found.total);
    }
}

void TestNoteList::searchTextsFollowEveryChange() {
    TestDatabase db;
    addNotes(db);
    // The quick search finds what the statement finds; returns how many.
    auto same = [&](const QString& t) {
        const QVariantList expected = idsOf(db.db(), notes::noteSearchStatement(text(t)));
        return idsOf(db.db(), notes::quickNoteSearchStatement(text(t))) == expected ? int(expected.size())
                                                                                    : -1;
    };
    QCOMPARE(same(QStringLiteral("新备注内容")), 0);
    data::execRaw(db.db(), QStringLiteral("update shd set 备注='新备注内容' where id in (3, 4)"));
    QCOMPARE(same(QStringLiteral("新备注内容")), 2);
    data::execRaw(db.db(), QStringLiteral("update shd set 总金额=1 where id=3"));  // not a search column
    QCOMPARE(same(QStringLiteral("新备注内容")), 2);
    data::execRaw(db.db(), QStringLiteral("delete from shd where id=4"));
    QCOMPARE(same(QStringLiteral("新备注内容")), 1);
    db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009120001")},
                                      {QStringLiteral("签回人员"), QStringLiteral("新备注内容")}});
    QCOMPARE(same(QStringLiteral("新备注内容")), 2);
    QCOMPARE(same(QStringLiteral("新备")), 2);
}

void TestNoteList::textsInMemoryFollowOtherConnections() {
    TestDatabase db;
    addNotes(db);
    // The search thread's connection: it never writes.
    QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
    reader.setDatabaseName(db.path());
    QVERIFY(reader.open());
    {
        notes::NoteTextIndex index;
        QVERIFY(!index.isCurrent(reader));
        index.update(reader);
        QVERIFY(index.isCurrent(reader));
        auto found = [&](const QString& t) {
            notes::NoteSearchResult r;
            index.find(t, r);
            return QVariantList(r.keys.begin(), r.keys.end());
        };
        QCOMPARE(found(QStringLiteral("新备注")), QVariantList());
        data::execRaw(db.db(),
                      QStringLiteral("update shd set 备注='新备注内容', 总金额=7 where id in (3, 4)"));
        QVERIFY(!index.isCurrent(reader));
        QCOMPARE(found(QStringLiteral("新备注")), QVariantList());  // as the file stood when read
        index.update(reader);
        QVERIFY(index.isCurrent(reader));
        QCOMPARE(found(QStringLiteral("新备注")), idsOf(db.db(), notes::noteSearchStatement(text("新备注"))));
        QCOMPARE(found(QStringLiteral("新备注")).size(), 2);
        notes::NoteSearchResult all;
        index.find(QString(), all);
        QCOMPARE(all.total, totalOf(db.db(), notes::noteSearchStatement({})));
        data::execRaw(db.db(), QStringLiteral("delete from shd where id=4"));
        index.update(reader);
        QCOMPARE(found(QStringLiteral("新备注")), (QVariantList{3}));
    }
    reader.close();
    reader = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
}

void TestNoteList::olderFileGetsItsSearchTexts() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trfp.mdb"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        data::migrate(db, path, {data::builtInMigrations().first()});
        for (const char* n : {"2009100001", "2009100002"})
            data::exec(
                db,
                data::Statement{QStringLiteral("insert into shd (送货单号, 客户名称) values (:n, '旧客户')")}
                    .bind(QStringLiteral("n"), QString::fromLatin1(n)));
        data::migrate(db, path, data::builtInMigrations());
        QCOMPARE(data::schemaVersion(db), data::currentSchemaVersion());
        QCOMPARE(idsOf(db, notes::quickNoteSearchStatement(text(QStringLiteral("旧客户")))),
                 (QVariantList{2, 1}));
        QCOMPARE(idsOf(db, notes::quickNoteSearchStatement(text(QStringLiteral("旧")))),
                 (QVariantList{2, 1}));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("older"));
}

void TestNoteList::orderedByKeepsTheStatementsOrderForTies() {
    const QStringList lines{QStringLiteral("select * from shd"), QStringLiteral("where 客户名称=:kh"),
                            QStringLiteral(" order by 日期 desc,送货单号 desc")};
    QCOMPARE(notes::orderedBy(lines, QStringLiteral("客户名称"), Qt::DescendingOrder).last(),
             QStringLiteral(" ORDER BY 客户名称 DESC, 日期 desc,送货单号 desc"));
    QCOMPARE(
        notes::orderedBy({QStringLiteral("select * from shd")}, QStringLiteral("状态"), Qt::AscendingOrder)
            .last(),
        QStringLiteral(" ORDER BY 状态"));
}

void TestNoteList::typingShowsRowsFooterAndLines() {
    ListFixture f;
    data::exec(f.db.db(),
               data::Statement{QStringLiteral(
                   "insert into shdsp (送货单号, 商品编号, 金额) select 送货单号, 'G1', 1 from shd")});
    type(f.locedit, QStringLiteral("已打"));
    f.settle();
    const data::Statement described = notes::noteSearchStatement(f.controller->filters());
    QCOMPARE(f.listedIds(), idsOf(f.db.db(), described));
    QCOMPARE(f.shdgrid->footerText(QStringLiteral("总金额")),
             notes::footerMoney(totalOf(f.db.db(), described)));
    QCOMPARE(f.hub->shdDqry->count(), 1);
    QCOMPARE(f.hub->shdDqry->text(QStringLiteral("送货单号")),
             f.hub->shdTqry->text(QStringLiteral("送货单号")));

    // A filter alone narrows further; an unknown text empties the list and its footer.
    type(f.ztedit, QStringLiteral("未"));
    f.settle();
    QCOMPARE(f.listedIds(), idsOf(f.db.db(), notes::noteSearchStatement(f.controller->filters())));
    type(f.locedit, QStringLiteral("没有"));
    f.settle();
    QCOMPARE(f.hub->shdTqry->count(), 0);
    QCOMPARE(f.shdgrid->footerText(QStringLiteral("总金额")), QStringLiteral("0.0000"));
    QCOMPARE(f.hub->shdDqry->count(), 0);
}

void TestNoteList::rereadKeepsTheLastStatement() {
    ListFixture f;
    // The tree's customer click replaced the statement last.
    data::Dataset* list = f.hub->shdTqry;
    list->setStatement({QStringLiteral("select * from shd"), QStringLiteral("where 客户名称=:kh"),
                        QStringLiteral(" order by 日期 desc,送货单号 desc")});
    list->setParam(QStringLiteral("kh"), QStringLiteral("甲公司"));
    list->open();
    f.settle();
    const int before = list->count();
    QCOMPARE(
        f.shdgrid->footerText(QStringLiteral("总金额")),
        notes::footerMoney(totalOf(
            f.db.db(), data::Statement{QStringLiteral("select 总金额 from shd where 客户名称='甲公司'")})));
    f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009119999")},
                                        {QStringLiteral("日期"), QStringLiteral("2009年12月01日")},
                                        {QStringLiteral("客户名称"), QStringLiteral("甲公司")},
                                        {QStringLiteral("总金额"), 5}});
    f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009119998")},
                                        {QStringLiteral("客户名称"), QStringLiteral("乙工厂")}});
    f.controller->reread();
    f.settle();
    QCOMPARE(list->count(), before + 1);
    QCOMPARE(list->text(QStringLiteral("送货单号")), QStringLiteral("2009119999"));
}

void TestNoteList::titleSortThenKeystrokeRestoresTheOrder() {
    ListFixture f;
    type(f.locedit, QStringLiteral("已"));
    f.settle();
    f.controller->sortBy(QStringLiteral("客户名称"), Qt::DescendingOrder);
    f.settle();
    // What sorting the loaded rows by customer would give: customer descending, ties by number descending.
    QVariantList expected;
    for (const QVariantMap& r : data::rows(
             f.db.db(),
             data::Statement{QStringLiteral("select id from shd where id in (select id from shd_search where "
                                            "文本 like '%已%') order by 客户名称 desc, 送货单号 desc")}))
        expected << r.value(QStringLiteral("id"));
    QCOMPARE(f.listedIds(), expected);
    QCOMPARE(f.shdgrid->sortField(), QStringLiteral("客户名称"));

    QTest::keyClick(f.locedit, Qt::Key_Backspace);
    f.settle();
    QCOMPARE(f.listedIds(), idsOf(f.db.db(), notes::noteSearchStatement({})));
    QVERIFY(f.shdgrid->sortField().isEmpty());
}

void TestNoteList::searchAfterAnotherConnectionChangedTheFile() {
    ListFixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.controller->hasSearchTexts(), 10000);
    type(f.locedit, QStringLiteral("已打"));
    f.settle();
    const int before = f.hub->shdTqry->count();
    // Another copy of the program issues a note: the next keystroke finds it, and its total counts.
    f.db.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), QStringLiteral("2009129999")},
                                        {QStringLiteral("客户名称"), QStringLiteral("新的已打厂")},
                                        {QStringLiteral("总金额"), 1000.5}});
    auto sameAsStatement = [&] {
        const data::Statement described = notes::noteSearchStatement(f.controller->filters());
        QCOMPARE(f.listedIds(), idsOf(f.db.db(), described));
        QCOMPARE(f.shdgrid->footerText(QStringLiteral("总金额")),
                 notes::footerMoney(totalOf(f.db.db(), described)));
    };
    type(f.locedit, QStringLiteral("厂"));
    f.settle();
    sameAsStatement();
    QTest::keyClick(f.locedit, Qt::Key_Backspace);
    f.settle();
    sameAsStatement();
    QCOMPARE(f.hub->shdTqry->count(), before + 1);
    QCOMPARE(f.hub->shdTqry->text(QStringLiteral("送货单号")), QStringLiteral("2009129999"));
    // The texts are read again meanwhile; the searches after that find the same.
    QTRY_VERIFY_WITH_TIMEOUT(f.controller->hasSearchTexts(), 10000);
    type(f.locedit, QStringLiteral("厂"));
    f.settle();
    sameAsStatement();
    QTest::keyClick(f.locedit, Qt::Key_Backspace);
    f.settle();
    sameAsStatement();
}

void TestNoteList::keyedListReadsRowsWhenNeeded() {
    ListFixture f;
    data::Dataset* list = f.hub->shdTqry;
    QVERIFY(list->keyedLoading());
    const QVariantList expected = idsOf(f.db.db(), notes::noteSearchStatement({}));
    QCOMPARE(list->count(), expected.size());
    QCOMPARE(list->value(47, QStringLiteral("id")), expected[47]);
    QVERIFY(!list->value(47, QStringLiteral("送货单号")).toString().isEmpty());
    // Editing and refreshing a row that was not read yet.
    QVERIFY(list->setCurrentRow(30));
    list->setField(QStringLiteral("备注"), QStringLiteral("改过"));
    list->post();
    list->refresh();
    QCOMPARE(list->currentRow(), 30);
    QCOMPARE(list->text(QStringLiteral("备注")), QStringLiteral("改过"));
    QVERIFY(list->locate(QStringLiteral("送货单号"),
                         expected.size() ? list->value(5, QStringLiteral("送货单号")) : QVariant()));
    QCOMPARE(list->currentRow(), 5);
}

void TestNoteList::searchedListKeepsItsKeysInStep() {
    ListFixture f;
    data::Dataset* list = f.hub->shdTqry;
    // More notes than one page of rows, so that most rows stay unread.
    data::execRaw(f.db.db(), QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
                                            "WHERE i < 600) INSERT INTO shd (送货单号, 总金额) SELECT "
                                            "printf('2008%06d', i), i FROM n"));
    type(f.locedit, QStringLiteral("2"));
    QTest::keyClick(f.locedit, Qt::Key_Backspace);
    f.settle();
    QVariantList expected = idsOf(f.db.db(), notes::noteSearchStatement({}));
    QCOMPARE(list->count(), 648);
    // Removing a row that was read moves the unread rows after it up by one.
    QVERIFY(list->setCurrentRow(100));
    expected.removeAt(100);
    list->remove();
    QCOMPARE(list->value(400, QStringLiteral("id")), expected[400]);
    QCOMPARE(f.listedIds(), expected);
    list->sortRows(QStringLiteral("总金额"), Qt::AscendingOrder);
    QCOMPARE(list->count(), 647);
    QCOMPARE(list->value(0, QStringLiteral("总金额")).toDouble(), 0.0);
    QCOMPARE(list->value(646, QStringLiteral("总金额")).toDouble(), 600.0);
}

void TestNoteList::statusColours_data() {
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("未打印") << QStringLiteral("未打印") << QColor(253, 226, 187);
    QTest::newRow("已打印") << QStringLiteral("已打印") << QColor(166, 202, 240);
    QTest::newRow("已签回") << QStringLiteral("已签回") << QColor(192, 220, 192);
    QTest::newRow("已过账") << QStringLiteral("已过账") << QColor(251, 217, 81);
    QTest::newRow("已作废") << QStringLiteral("已作废") << QColor(128, 128, 128);
    QTest::newRow("已收款: normal colours") << QStringLiteral("已收款") << QColor();
    QTest::newRow("near miss") << QStringLiteral("已打印 ") << QColor();
}

void TestNoteList::statusColours() {
    QFETCH(QString, status);
    QFETCH(QColor, colour);
    QCOMPARE(notes::statusColor(status), colour);
}

QTEST_MAIN(TestNoteList)
#include "tst_notelist.moc"
