// The grid over a dataset: columns, editing through the dataset, refusals, footer sums, colours,
// sorting by title, the ellipsis button, Enter behaviours, the context menu and finding.
#include "TestDatabase.h"
#include "data/Dataset.h"
#include "ui/DataGrid.h"
#include "ui/ScriptedDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using ui::DataGrid;
using ui::GridColumn;

namespace {

GridColumn column(const QString& field, const QString& title = {}) {
    GridColumn c;
    c.field = field;
    c.title = title;
    return c;
}

// A delivery list of three rows shown in a grid laid out like the main window's list.
struct Fixture {
    TestDatabase t;
    data::Dataset d{QStringLiteral("seledt_qry")};
    ui::ScriptedDialogs dlg;
    DataGrid grid;

    explicit Fixture(bool open = true) {
        t.insert("cust_sp",
                 {{"商品编号", "A1"}, {"名称", "螺丝"}, {"类别", "五金"}, {"数量", 1.005}, {"售价", 2}});
        t.insert("cust_sp", {{"商品编号", "A2"}, {"名称", "螺母"}, {"类别", "五金"}, {"数量", 2.0}});
        t.insert("cust_sp", {{"商品编号", "B1"}, {"名称", "垫片"}, {"类别", "配件"}, {"售价", 3.5}});
        d.setDatabase(t.db());
        d.setStatement({"select * from cust_sp", "order by id"});
        d.setUpdateTable("cust_sp", "id");
        QList<GridColumn> cols;
        GridColumn code = column("商品编号", "货品编号");
        code.ellipsis = true;
        cols << code << column("名称");
        GridColumn kind = column("类别");
        kind.readOnly = true;
        cols << kind;
        GridColumn unit = column("单位");
        unit.footerText = QStringLiteral("合计：");
        cols << unit;
        GridColumn qty = column("数量", "送货数量");
        qty.titleColor = Qt::red;
        qty.highlighted = true;
        qty.highlightColor = DataGrid::kBandColor;
        qty.footerSum = true;
        cols << qty;
        GridColumn price = column("售价");
        price.decimals = 2;
        cols << price;
        GridColumn amount = column("金额");
        amount.footerSum = true;
        cols << amount;
        GridColumn remark = column("备注");
        remark.visible = false;
        cols << remark << column("没有的字段", "缺");
        grid.setColumns(cols);
        grid.setDataset(&d);
        grid.setFooterVisible(true);
        grid.resize(800, 300);
        if (open) d.open();
    }

    QTableView* view() { return grid.view(); }
    QAbstractItemModel* model() { return grid.view()->model(); }
    int col(const QString& field) {
        for (int i = 0; i < grid.columns().size(); ++i)
            if (grid.columns()[i].field == field) return i;
        return -1;
    }
    QModelIndex index(int row, const QString& field) { return model()->index(row, col(field)); }
    QString cell(int row, const QString& field) { return index(row, field).data().toString(); }
    bool show() {
        grid.show();
        return QTest::qWaitForWindowExposed(&grid);
    }
    // Types text into a cell's editor and presses Enter, as the user does.
    bool type(int row, const QString& field, const QString& text) {
        const QModelIndex idx = index(row, field);
        view()->setCurrentIndex(idx);
        view()->edit(idx);
        auto* editor = view()->viewport()->findChild<QLineEdit*>();
        if (!editor) return false;
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }
};

}  // namespace

class TstDataGrid : public QObject {
    Q_OBJECT

  private slots:
    void columnsTitlesAndVisibility() {
        Fixture f;
        QCOMPARE(f.model()->columnCount(), 9);
        QCOMPARE(f.model()->rowCount(), 3);
        QCOMPARE(f.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("货品编号"));
        QCOMPARE(f.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));  // field name
        QCOMPARE(f.model()->headerData(f.col("数量"), Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::red));
        QCOMPARE(f.grid.columnTitle("数量"), QStringLiteral("送货数量"));
        QVERIFY(f.view()->isColumnHidden(f.col("备注")));
        QVERIFY(!f.grid.isColumnVisible("备注"));
        f.grid.setColumnVisible("备注", true);
        QVERIFY(!f.view()->isColumnHidden(f.col("备注")));
        f.grid.setColumnTitle("名称", "货品名称");
        QCOMPARE(f.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("货品名称"));
        QCOMPARE(f.view()->horizontalHeader()->sectionSize(0), 80);
        // A field the dataset lacks shows empty and cannot be edited.
        QCOMPARE(f.cell(0, "没有的字段"), QString());
        QVERIFY(!(f.index(0, "没有的字段").flags() & Qt::ItemIsEditable));
        // Re-reading the dataset keeps the layout.
        f.view()->horizontalHeader()->resizeSection(1, 135);
        f.d.requery();
        QCOMPARE(f.view()->horizontalHeader()->sectionSize(1), 135);
        QVERIFY(!f.view()->isColumnHidden(f.col("备注")));
    }

    void withoutColumnsEveryFieldShows() {
        Fixture f;
        f.grid.setColumns({});
        QCOMPARE(f.model()->columnCount(), f.d.fieldNames().size());
        QCOMPARE(f.model()->headerData(0, Qt::Horizontal).toString(), f.d.fieldNames().first());
    }

    void cellTexts_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("shown");
        QTest::newRow("null") << QVariant() << -1 << "";
        QTest::newRow("whole double") << QVariant(3.0) << -1 << "3";
        QTest::newRow("fraction") << QVariant(22.5) << -1 << "22.5";
        QTest::newRow("binary noise") << QVariant(0.1 + 0.2) << -1 << "0.3";
        QTest::newRow("negative") << QVariant(-1.25) << -1 << "-1.25";
        QTest::newRow("fixed places") << QVariant(3.0) << 2 << "3.00";
        QTest::newRow("fixed rounds") << QVariant(9.999) << 2 << "10.00";
        QTest::newRow("integer") << QVariant(qlonglong(42)) << -1 << "42";
        QTest::newRow("text") << QVariant("a b") << -1 << "a b";
    }
    void cellTexts() {
        QFETCH(QVariant, value);
        QFETCH(int, decimals);
        QFETCH(QString, shown);
        Fixture f;
        QList<GridColumn> cols = f.grid.columns();
        cols[f.col("数量")].decimals = decimals;
        f.grid.setColumns(cols);
        f.d.setField("数量", value);
        QCOMPARE(f.cell(0, "数量"), shown);
    }

    void editingGoesThroughTheDatasetAndPostsOnLeavingTheRow() {
        Fixture f;
        QVERIFY(f.show());
        QSignalSpy edited(&f.grid, &DataGrid::cellEdited);
        QVERIFY(f.type(0, "名称", "长螺丝"));
        QCOMPARE(f.d.state(), data::Dataset::State::Edit);
        QCOMPARE(f.t.scalar("select 名称 from cust_sp where id = 1").toString(), QStringLiteral("螺丝"));
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edited.at(0).at(0).toInt(), 0);
        QCOMPARE(edited.at(0).at(1).toString(), QStringLiteral("名称"));
        QVERIFY(f.type(0, "数量", " 12.5 "));
        QCOMPARE(f.d.field("数量").toDouble(), 12.5);
        QCOMPARE(edited.size(), 2);
        // Moving the view to another row posts the row.
        f.view()->setCurrentIndex(f.index(2, "名称"));
        QCOMPARE(f.d.currentRow(), 2);
        QCOMPARE(f.d.state(), data::Dataset::State::Browse);
        QCOMPARE(f.t.scalar("select 名称 from cust_sp where id = 1").toString(), QStringLiteral("长螺丝"));
        QCOMPARE(f.t.scalar("select 数量 from cust_sp where id = 1").toDouble(), 12.5);
        // The same text again changes nothing and tells nobody.
        QVERIFY(f.type(2, "名称", "垫片"));
        QCOMPARE(edited.size(), 2);
        QVERIFY(f.dlg.asked.empty());
    }

    void textThatIsNoNumberIsRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("letters") << "abc";
        QTest::newRow("decimal comma") << "1,5";
        QTest::newRow("trailing text") << "12元";
        QTest::newRow("infinity") << "inf";
    }
    void textThatIsNoNumberIsRefused() {
        QFETCH(QString, typed);
        Fixture f;
        QVERIFY(f.show());
        QSignalSpy edited(&f.grid, &DataGrid::cellEdited);
        QVERIFY(f.type(1, "数量", typed));
        QCOMPARE(f.dlg.messages(),
                 QStringList{QStringLiteral("“%1”不是有效的数字，请重新输入。").arg(typed)});
        QCOMPARE(f.dlg.asked.front().icon, ui::Dialogs::Icon::Warning);
        QCOMPARE(f.cell(1, "数量"), QStringLiteral("2"));
        QCOMPARE(f.d.state(), data::Dataset::State::Browse);
        QCOMPARE(edited.size(), 0);
        QCOMPARE(f.d.currentRow(), 1);  // Enter after a refusal does not move on
        f.d.setCurrentRow(0);
        QCOMPARE(f.t.scalar("select 数量 from cust_sp where id = 2").toDouble(), 2.0);
    }

    void emptyNumberClearsTheField() {
        Fixture f;
        QVERIFY(f.show());
        QVERIFY(f.type(0, "数量", ""));
        QVERIFY(f.d.field("数量").isNull());
        QVERIFY(f.dlg.asked.empty());
    }

    void readOnlyGridAndColumnsCannotBeEdited() {
        Fixture f;
        QVERIFY(f.index(0, "名称").flags() & Qt::ItemIsEditable);
        QVERIFY(!(f.index(0, "类别").flags() & Qt::ItemIsEditable));
        QVERIFY(!f.model()->setData(f.index(0, "类别"), "改"));
        f.grid.setReadOnly(true);
        QVERIFY(!(f.index(0, "名称").flags() & Qt::ItemIsEditable));
        QVERIFY(!f.model()->setData(f.index(0, "名称"), "改"));
        QCOMPARE(f.d.state(), data::Dataset::State::Browse);
        QCOMPARE(f.d.text("名称"), QStringLiteral("螺丝"));
    }

    void currentRowFollowsBothWays() {
        Fixture f;
        QVERIFY(f.show());
        QCOMPARE(f.view()->currentIndex().row(), 0);
        f.d.setCurrentRow(2);
        QCOMPARE(f.view()->currentIndex().row(), 2);
        QVERIFY(f.view()->selectionModel()->isRowSelected(2, {}));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                          f.view()->visualRect(f.index(1, "名称")).center());
        QCOMPARE(f.d.currentRow(), 1);
        f.d.append();
        QCOMPARE(f.model()->rowCount(), 4);
        QCOMPARE(f.view()->currentIndex().row(), 3);
        f.d.cancel();
        QCOMPARE(f.model()->rowCount(), 3);
        QCOMPARE(f.view()->currentIndex().row(), 2);
        QCOMPARE(f.t.count("cust_sp"), 3);  // the dropped row was not written on the way
        f.d.setCurrentRow(0);
        f.d.remove();
        QCOMPARE(f.view()->currentIndex().row(), 0);
        QCOMPARE(f.d.text("商品编号"), QStringLiteral("A2"));
        QCOMPARE(f.t.count("cust_sp"), 2);
    }

    void aRefusedPostKeepsTheGridOnTheRow() {
        // sp.商品编号 is unique: a duplicate code cannot be posted.
        TestDatabase t;
        t.insert("sp", {{"商品编号", "A1"}});
        t.insert("sp", {{"商品编号", "A2"}});
        data::Dataset d("spqry");
        d.setDatabase(t.db());
        d.setStatement({"select * from sp order by id"});
        d.setUpdateTable("sp", "id");
        d.open();
        ui::ScriptedDialogs dlg;
        DataGrid grid;
        grid.setColumns({column("商品编号")});
        grid.setDataset(&d);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QVERIFY(grid.view()->model()->setData(grid.view()->model()->index(0, 0), "A2"));
        grid.view()->setCurrentIndex(grid.view()->model()->index(1, 0));
        QCOMPARE(dlg.asked.size(), size_t(1));
        QCOMPARE(dlg.asked.front().icon, ui::Dialogs::Icon::Critical);
        QVERIFY(!dlg.asked.front().text.isEmpty());
        QCOMPARE(d.currentRow(), 0);
        QCOMPARE(grid.view()->currentIndex().row(), 0);
        QTest::qWait(10);  // the view settles after telling about the move
        QCOMPARE(grid.view()->currentIndex().row(), 0);
        QVERIFY(grid.view()->selectionModel()->isRowSelected(0, {}));
        QCOMPARE(t.count("sp", "商品编号 = 'A2'"), 1);
    }

    void footerSumsFollowTheData() {
        Fixture f;
        QCOMPARE(f.grid.footerText("单位"), QStringLiteral("合计："));
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("3.0050"));  // 1.005 + 2.0 + Null
        QCOMPARE(f.grid.footerText("金额"), QStringLiteral("0.0000"));
        QCOMPARE(f.grid.footerText("名称"), QString());
        QVERIFY(f.show());
        QVERIFY(f.type(2, "数量", "0.12345"));  // each amount counts to four places
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("3.1285"));
        f.d.append({{"数量", 10}});
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("13.1285"));
        f.d.post();
        f.d.setCurrentRow(0);
        f.d.remove();
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("12.1235"));
        f.d.setField("数量", -20);
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("-9.8765"));
        f.d.close();
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("0.0000"));
    }

    void footerProviderOverridesTheSum() {
        Fixture f;
        QString total = QStringLiteral("99.0000");  // e.g. what the database sums over every match
        f.grid.setFooterProvider(
            [&](const QString& field) { return field == QStringLiteral("数量") ? total : QString(); });
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("99.0000"));
        total = QStringLiteral("1.0000");
        f.grid.refreshFooter();
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("1.0000"));
        QCOMPARE(f.grid.footerText("金额"), QStringLiteral("0.0000"));  // null: the grid's own sum
        QCOMPARE(f.grid.footerText("单位"), QStringLiteral("合计："));
    }

    void backgrounds() {
        Fixture f;
        auto bg = [&](int row, const QString& field) {
            return f.index(row, field).data(Qt::BackgroundRole).value<QColor>();
        };
        QVERIFY(!bg(0, "名称").isValid());
        QCOMPARE(bg(1, "名称"), DataGrid::kBandColor);
        QVERIFY(!bg(2, "名称").isValid());
        QCOMPARE(bg(0, "数量"), DataGrid::kBandColor);  // the highlighted column, every row
        f.grid.setRowBackground([](int row) { return row == 1 ? QColor(Qt::yellow) : QColor(); });
        QCOMPARE(bg(1, "名称"), QColor(Qt::yellow));
        QCOMPARE(bg(1, "数量"), QColor(Qt::yellow));
        QVERIFY(!bg(2, "名称").isValid());
        f.grid.setRowBackground({});
        f.grid.setBanded(false);
        QVERIFY(!bg(1, "名称").isValid());
    }

    void titleClicksCallTheSortHandler() {
        Fixture f;
        QVERIFY(f.show());
        QList<GridColumn> cols = f.grid.columns();
        cols[f.col("金额")].sortable = false;
        f.grid.setColumns(cols);
        QList<QPair<QString, Qt::SortOrder>> calls;
        f.grid.setSortHandler([&](const QString& field, Qt::SortOrder o) { calls << qMakePair(field, o); });
        QSignalSpy titles(&f.grid, &DataGrid::titleClicked);
        QHeaderView* h = f.view()->horizontalHeader();
        auto click = [&](const QString& field) {
            const int c = f.col(field);
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                              QPoint(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2));
        };
        click("名称");
        click("名称");
        click("名称");
        click("数量");
        const QList<QPair<QString, Qt::SortOrder>> expected{{"名称", Qt::AscendingOrder},
                                                            {"名称", Qt::DescendingOrder},
                                                            {"名称", Qt::AscendingOrder},
                                                            {"数量", Qt::AscendingOrder}};
        QCOMPARE(calls, expected);
        QCOMPARE(f.grid.sortField(), QStringLiteral("数量"));
        QVERIFY(h->isSortIndicatorShown());
        QCOMPARE(h->sortIndicatorSection(), f.col("数量"));
        click("金额");  // no title button
        QCOMPARE(calls.size(), 4);
        QCOMPARE(h->sortIndicatorSection(), f.col("数量"));
        QCOMPARE(titles.size(), 5);
        f.grid.clearSortMarker();
        QVERIFY(!h->isSortIndicatorShown());
        f.grid.setSortMarker("名称", Qt::DescendingOrder);
        QCOMPARE(h->sortIndicatorSection(), 1);
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void withoutAHandlerRowsSortInMemory() {
        Fixture f;
        f.d.setCurrentRow(1);  // A2, 数量 2
        QSignalSpy titles(&f.grid, &DataGrid::titleClicked);
        emit f.view()->horizontalHeader()->sectionClicked(f.col("数量"));
        auto codes = [&] {
            QStringList s;
            for (int r = 0; r < f.d.count(); ++r) s << f.d.value(r, "商品编号").toString();
            return s.join(',');
        };
        QCOMPARE(codes(), QStringLiteral("B1,A1,A2"));         // Null first, then numerically
        QCOMPARE(f.d.text("商品编号"), QStringLiteral("A2"));  // still on the same record
        QCOMPARE(f.view()->currentIndex().row(), f.d.currentRow());
        emit f.view()->horizontalHeader()->sectionClicked(f.col("数量"));
        QCOMPARE(codes(), QStringLiteral("A2,A1,B1"));
        emit f.view()->horizontalHeader()->sectionClicked(f.col("商品编号"));  // another title: ascending
        QCOMPARE(codes(), QStringLiteral("A1,A2,B1"));
        QCOMPARE(f.d.text("商品编号"), QStringLiteral("A2"));
        QCOMPARE(f.grid.footerText("数量"), QStringLiteral("3.0050"));
    }

    void sortPostsAPendingChange() {
        Fixture f;
        f.d.setField("名称", "改过");
        f.d.sortRows("数量", Qt::DescendingOrder);
        QCOMPARE(f.d.state(), data::Dataset::State::Browse);
        QCOMPARE(f.t.scalar("select 名称 from cust_sp where id = 1").toString(), QStringLiteral("改过"));
        QCOMPARE(f.d.text("名称"), QStringLiteral("改过"));
    }

    void ellipsisButtonEmitsItsCell() {
        Fixture f;
        QVERIFY(f.show());
        QSignalSpy clicked(&f.grid, &DataGrid::ellipsisClicked);
        const QRect cell = f.view()->visualRect(f.index(2, "商品编号"));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                          QPoint(cell.right() - 5, cell.center().y()));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 2);
        QCOMPARE(clicked.at(0).at(1).toString(), QStringLiteral("商品编号"));
        QCOMPARE(f.d.currentRow(), 2);
        // Elsewhere in the cell, or in a column without the button: no signal.
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + 5, cell.center().y()));
        const QRect other = f.view()->visualRect(f.index(1, "名称"));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                          QPoint(other.right() - 5, other.center().y()));
        QCOMPARE(clicked.size(), 1);
    }

    void enterActions() {
        Fixture f;
        QVERIFY(f.show());
        f.view()->setFocus();
        auto enter = [&] { QTest::keyClick(f.view(), Qt::Key_Return); };
        auto at = [&] { return qMakePair(f.d.currentRow(), f.grid.currentField()); };
        using P = QPair<int, QString>;
        // Next column: skips the read-only and hidden columns and wraps to the next row.
        f.grid.setCurrentField("名称");
        enter();
        QCOMPARE(at(), P(0, "单位"));
        f.grid.setCurrentField("金额");
        enter();
        QCOMPARE(at(), P(1, "商品编号"));
        // Next row: the same column; a pending change is posted; the last row stays and posts.
        f.grid.setEnterAction(DataGrid::EnterAction::NextRow);
        f.grid.setCurrentField("数量");
        f.d.setField("数量", 7);
        enter();
        QCOMPARE(at(), P(2, "数量"));
        QCOMPARE(f.t.scalar("select 数量 from cust_sp where id = 2").toDouble(), 7.0);
        f.d.setField("数量", 8);
        enter();
        QCOMPARE(at(), P(2, "数量"));
        QCOMPARE(f.d.state(), data::Dataset::State::Browse);
        QCOMPARE(f.t.scalar("select 数量 from cust_sp where id = 3").toDouble(), 8.0);
        // Typing and Enter in an editor moves on too.
        QVERIFY(f.type(0, "数量", "5"));
        QCOMPARE(at(), P(1, "数量"));
        QCOMPARE(f.t.scalar("select 数量 from cust_sp where id = 1").toDouble(), 5.0);
        f.grid.setEnterAction(DataGrid::EnterAction::None);
        enter();
        QCOMPARE(at(), P(1, "数量"));
        // A read-only grid reports the row instead.
        QSignalSpy activated(&f.grid, &DataGrid::activated);
        enter();
        QCOMPARE(activated.size(), 0);
        f.grid.setReadOnly(true);
        enter();
        emit f.view()->doubleClicked(f.index(2, "名称"));
        QCOMPARE(activated.size(), 2);
        QCOMPARE(activated.at(0).at(0).toInt(), 1);
        QCOMPARE(activated.at(1).at(0).toInt(), 2);
    }

    void keyboardAddsCancelsAndDeletesRows() {
        Fixture f;
        QVERIFY(f.show());
        f.view()->setFocus();
        auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(f.view(), k, m); };
        key(Qt::Key_Down);
        QCOMPARE(f.d.currentRow(), 1);
        f.d.setCurrentRow(2);
        key(Qt::Key_Down);  // without values to append the list stays
        QCOMPARE(f.d.count(), 3);
        f.grid.setAppendOnDown([] { return QVariantMap{{"客户名称", "甲"}}; });
        f.grid.setCurrentField("名称");
        key(Qt::Key_Down);
        QCOMPARE(f.d.count(), 4);
        QCOMPARE(f.d.state(), data::Dataset::State::Insert);
        QCOMPARE(f.d.text("客户名称"), QStringLiteral("甲"));
        QCOMPARE(f.view()->currentIndex().row(), 3);
        QCOMPARE(f.grid.currentField(), QStringLiteral("名称"));
        key(Qt::Key_Down);  // still typing the new row: no second one
        QCOMPARE(f.d.count(), 4);
        key(Qt::Key_Escape);
        QCOMPARE(f.d.count(), 3);
        QCOMPARE(f.t.count("cust_sp"), 3);
        f.grid.setReadOnly(true);
        key(Qt::Key_Down);
        QCOMPARE(f.d.count(), 3);
        f.grid.setReadOnly(false);

        int asked = 0;
        f.grid.setDeleteHandler([&] { ++asked; });
        key(Qt::Key_Delete);  // a plain Delete is no deletion
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(asked, 1);
    }

    void contextMenuGoesThroughTheDialogLayer() {
        Fixture f;
        QVERIFY(f.show());
        QMenu menu;
        QAction* add = menu.addAction("增加");
        menu.addAction("删除");
        QSignalSpy triggered(add, &QAction::triggered);
        f.grid.setContextMenu(&menu);
        f.dlg.answerPopup("增加");
        const QPoint pos = f.view()->visualRect(f.index(2, "名称")).center();
        emit f.view()->customContextMenuRequested(pos);
        QCOMPARE(f.dlg.asked.size(), size_t(1));
        QCOMPARE(f.dlg.asked.front().kind, QStringLiteral("popup"));
        QCOMPARE(f.dlg.asked.front().caption, QStringLiteral("增加|删除"));
        QCOMPARE(triggered.size(), 1);
        QCOMPARE(f.d.currentRow(), 2);  // the clicked row became current first
    }

    void find_data() {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("foundRow");  // -1: not found
        QTest::addColumn<QString>("foundField");
        QTest::newRow("forward, any column") << 0 << "垫"
                                             << "" << true << false << 2 << "名称";
        QTest::newRow("case-insensitive") << 0 << "b1"
                                          << "" << true << false << 2 << "商品编号";
        QTest::newRow("skips the current cell") << 0 << "螺"
                                                << "名称" << true << false << 1 << "名称";
        QTest::newRow("no wrap at the end") << 2 << "螺"
                                            << "名称" << true << false << -1 << "";
        QTest::newRow("backward") << 2 << "螺"
                                  << "名称" << false << false << 1 << "名称";
        QTest::newRow("backward to the first") << 1 << "五金"
                                               << "类别" << false << false << 0 << "类别";
        QTest::newRow("one column only") << 0 << "A2"
                                         << "名称" << true << false << -1 << "";
        QTest::newRow("numbers as shown") << 0 << "3.50"
                                          << "售价" << true << false << 2 << "售价";
        QTest::newRow("whole cell") << 0 << "螺"
                                    << "" << true << true << -1 << "";
        QTest::newRow("whole cell matches") << 0 << "螺母"
                                            << "" << true << true << 1 << "名称";
        QTest::newRow("hidden columns are not searched") << 0 << "x"
                                                         << "" << true << false << -1 << "";
    }
    void find() {
        QFETCH(int, startRow);
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(bool, forward);
        QFETCH(bool, whole);
        QFETCH(int, foundRow);
        QFETCH(QString, foundField);
        Fixture f;
        f.t.db();
        f.d.setCurrentRow(2);
        f.d.setField("备注", "x");
        f.d.post();
        f.d.setCurrentRow(startRow);
        f.grid.setCurrentField(field.isEmpty() ? QStringLiteral("商品编号") : field);
        QCOMPARE(f.grid.find(text, field, forward, whole), foundRow >= 0);
        if (foundRow >= 0) {
            QCOMPARE(f.d.currentRow(), foundRow);
            QCOMPARE(f.grid.currentField(), foundField);
        } else {
            QCOMPARE(f.d.currentRow(), startRow);
        }
    }

    void findDialogOpensWithCtrlF() {
        Fixture f;
        QVERIFY(f.show());
        f.view()->setFocus();
        QTest::keyClick(f.view(), Qt::Key_F, Qt::ControlModifier);
        auto* dialog = f.grid.findChild<QDialog*>("findDialog");
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("查找"));
        auto* column = dialog->findChild<QComboBox*>("findColumn");
        QCOMPARE(column->itemText(0), QStringLiteral("全部列"));
        QCOMPARE(column->count(), 1 + 8);  // every visible column
        dialog->findChild<QLineEdit*>("findText")->setText("螺母");
        auto* next = dialog->findChild<QPushButton*>("findNext");
        QCOMPARE(next->text(), QStringLiteral("查找下一个"));
        next->click();
        QCOMPARE(f.d.currentRow(), 1);
        QVERIFY(f.dlg.asked.empty());
        next->click();
        QCOMPARE(f.dlg.messages(), QStringList{QStringLiteral("找不到“螺母”")});
        QCOMPARE(f.dlg.asked.front().icon, ui::Dialogs::Icon::Information);
        dialog->findChild<QPushButton*>("findClose")->click();
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(TstDataGrid)
#include "tst_datagrid.moc"
