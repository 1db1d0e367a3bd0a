#include "TestDatabase.h"
#include "data/Money.h"
#include "data/Sql.h"
#include "notes/AmountInWords.h"
#include "notes/NoteNumbering.h"

#include <QtTest>

using data::Money;

class TestWordsNumbering : public QObject {
    Q_OBJECT
  private slots:
    void amountInCapitals_data();
    void amountInCapitals();
    void amountRoundsFromFixedPoint();
    void deliveryDateText_data();
    void deliveryDateText();

    void formatNoteNumber_data();
    void formatNoteNumber();
    void noteSequenceOnlyReadsTheCurrentForm_data();
    void noteSequenceOnlyReadsTheCurrentForm();
    void nextNoteCounter_data();
    void nextNoteCounter();

    void emptyCounterStartsTheMonth();
    void newMonthIgnoresTodaysNotes();
    void resyncFromTodaysNotes();
    void counterKeptWithoutNotesToday();
    void futureDatedNoteIsNotSeen();
    void handTypedNumberNeitherFailsNorJams();
    void advanceMovesOneUp();
    void missingCounterRowIsCreated();
};

void TestWordsNumbering::amountInCapitals_data() {
    QTest::addColumn<qint64>("raw");  // ten-thousandths of a yuan
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, qint64 raw, const char* text) {
        QTest::newRow(name) << raw << QString::fromUtf8(text);
    };
    row("0", 0, "零圆整");
    row("0.004", 40, "零圆整");
    row("0.005", 50, "壹分");
    row("0.05", 500, "伍分");
    row("0.5", 5000, "伍角整");
    row("0.55", 5500, "伍角伍分");
    row("10", 100000, "壹拾圆整");
    row("10.1", 101000, "壹拾圆壹角整");
    row("12.34", 123400, "壹拾贰圆叁角肆分");
    row("100.05", 1000500, "壹佰圆零伍分");
    row("1001", 10010000, "壹仟零壹圆整");
    row("1010", 10100000, "壹仟零壹拾圆整");
    row("3000.03", 30000300, "叁仟圆零叁分");
    row("10000", 100000000, "壹万圆整");
    row("10010", 100100000, "壹万零壹拾圆整");
    row("11000", 110000000, "壹万壹仟圆整");
    row("20000.02", 200000200, "贰万圆零贰分");
    row("100001", 1000010000, "壹拾万零壹圆整");
    row("1000000", 10000000000, "壹佰万圆整");
    row("100000000", 1000000000000, "壹亿圆整");
    row("100000000.1", 1000000001000, "壹亿圆壹角整");
    row("100000001", 1000000010000, "壹亿零壹圆整");
    row("100001000", 1000010000000, "壹亿壹仟圆整");
    row("100010000", 1000100000000, "壹亿零壹万圆整");
    row("123456789.12", 1234567891200, "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆壹角贰分");
    row("10^12", 10000000000000000, "壹万亿圆整");
    row("9.999", 99990, "壹拾圆整");
    row("0.999", 9990, "壹圆整");
    row("99.995", 999950, "壹佰圆整");
    row("0.994", 9940, "玖角玖分");
    row("negative", -123400, "负壹拾贰圆叁角肆分");
}

void TestWordsNumbering::amountInCapitals() {
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(notes::AmountInCapitals(Money::fromRaw(raw)), text);
}

void TestWordsNumbering::amountRoundsFromFixedPoint() {
    // 1.005 + 2.0 summed in doubles is 3.00499999...; in fixed point it is exactly 3.005 and rounds up.
    const Money sum = Money::fromDouble(1.005) + Money::fromDouble(2.0);
    QCOMPARE(notes::AmountInCapitals(sum), QStringLiteral("叁圆零壹分"));
    QCOMPARE(notes::AmountInWordsText(sum), QStringLiteral("人民币叁圆零壹分"));
}

void TestWordsNumbering::deliveryDateText_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("two-digit month, one-digit day") << QDate(2009, 10, 5) << QStringLiteral("2009年10月05日");
    QTest::newRow("new year") << QDate(2010, 1, 1) << QStringLiteral("2010年01月01日");
    QTest::newRow("year end") << QDate(2009, 12, 31) << QStringLiteral("2009年12月31日");
    QTest::newRow("invalid") << QDate() << QString();
}

void TestWordsNumbering::deliveryDateText() {
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(notes::DeliveryDateText(date), text);
}

void TestWordsNumbering::formatNoteNumber_data() {
    QTest::addColumn<qint64>("sequence");
    QTest::addColumn<QString>("number");
    QTest::newRow("1") << qint64(1) << QStringLiteral("2009100001");
    QTest::newRow("9") << qint64(9) << QStringLiteral("2009100009");
    QTest::newRow("10") << qint64(10) << QStringLiteral("2009100010");
    QTest::newRow("99") << qint64(99) << QStringLiteral("2009100099");
    QTest::newRow("100") << qint64(100) << QStringLiteral("2009100100");
    QTest::newRow("999") << qint64(999) << QStringLiteral("2009100999");
    QTest::newRow("1000") << qint64(1000) << QStringLiteral("2009101000");
    QTest::newRow("9999") << qint64(9999) << QStringLiteral("2009109999");
}

void TestWordsNumbering::formatNoteNumber() {
    QFETCH(qint64, sequence);
    QFETCH(QString, number);
    QCOMPARE(notes::notePrefix(QDate(2009, 10, 31)), QStringLiteral("200910"));
    QCOMPARE(notes::formatNoteNumber(notes::notePrefix(QDate(2009, 10, 5)), sequence), number);
}

void TestWordsNumbering::noteSequenceOnlyReadsTheCurrentForm_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("sequence");  // -1: not of the current form
    QTest::newRow("plain") << QStringLiteral("2009100012") << 12;
    QTest::newRow("letters at the end") << QStringLiteral("200910001A") << -1;
    QTest::newRow("other prefix") << QStringLiteral("2009090012") << -1;
    QTest::newRow("too short") << QStringLiteral("200910012") << -1;
    QTest::newRow("suffix after digits") << QStringLiteral("2009100012-补") << -1;
    QTest::newRow("hand-typed") << QStringLiteral("SH-7") << -1;
}

void TestWordsNumbering::noteSequenceOnlyReadsTheCurrentForm() {
    QFETCH(QString, number);
    QFETCH(int, sequence);
    const auto found = notes::noteSequence(number, QStringLiteral("200910"));
    QCOMPARE(found.value_or(-1), sequence);
}

void TestWordsNumbering::nextNoteCounter_data() {
    QTest::addColumn<QString>("storedPrefix");
    QTest::addColumn<qint64>("storedNext");
    QTest::addColumn<int>("greatestToday");  // -1: no note of today
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<qint64>("next");
    QTest::newRow("empty counter") << QString() << qint64(0) << -1 << QStringLiteral("200910") << qint64(1);
    QTest::newRow("new month ignores today's notes")
        << QStringLiteral("200909") << qint64(40) << 12 << QStringLiteral("200910") << qint64(1);
    QTest::newRow("blanks around the stored prefix")
        << QStringLiteral(" 200910 ") << qint64(7) << -1 << QStringLiteral(" 200910 ") << qint64(7);
    QTest::newRow("resync raises") << QStringLiteral("200910") << qint64(3) << 12 << QStringLiteral("200910")
                                   << qint64(13);
    QTest::newRow("resync lowers") << QStringLiteral("200910") << qint64(50) << 12 << QStringLiteral("200910")
                                   << qint64(13);
    QTest::newRow("no note today") << QStringLiteral("200910") << qint64(7) << -1 << QStringLiteral("200910")
                                   << qint64(7);
    QTest::newRow("counter below 1") << QStringLiteral("200910") << qint64(0) << -1
                                     << QStringLiteral("200910") << qint64(1);
}

void TestWordsNumbering::nextNoteCounter() {
    QFETCH(QString, storedPrefix);
    QFETCH(qint64, storedNext);
    QFETCH(int, greatestToday);
    QFETCH(QString, prefix);
    QFETCH(qint64, next);
    const notes::NoteCounter result =
        notes::nextNoteCounter({storedPrefix, storedNext}, QStringLiteral("200910"),
                               greatestToday < 0 ? std::nullopt : std::optional<int>(greatestToday));
    QCOMPARE(result.prefix, prefix);
    QCOMPARE(result.next, next);
}

namespace {

const QDate kToday(2009, 10, 20);

void setCounter(TestDatabase& t, const QVariant& prefix, const QVariant& next) {
    t.insert(QStringLiteral("djno"),
             {{QStringLiteral("送货单日期"), prefix}, {QStringLiteral("送货单号"), next}});
}

void addNote(TestDatabase& t, const QString& number, const QDate& date) {
    t.insert(QStringLiteral("shd"), {{QStringLiteral("送货单号"), number},
                                     {QStringLiteral("日期"), notes::DeliveryDateText(date)},
                                     {QStringLiteral("状态"), QStringLiteral("已打印")}});
}

QString storedPrefix(TestDatabase& t) {
    return t.scalar(QStringLiteral("select 送货单日期 from djno")).toString();
}
qint64 storedNext(TestDatabase& t) {
    return t.scalar(QStringLiteral("select 送货单号 from djno")).toLongLong();
}

}  // namespace

void TestWordsNumbering::emptyCounterStartsTheMonth() {
    TestDatabase t;
    setCounter(t, QVariant(), QVariant());
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100001"));
    QCOMPARE(storedPrefix(t), QStringLiteral("200910"));
    QCOMPARE(storedNext(t), 1);
}

void TestWordsNumbering::newMonthIgnoresTodaysNotes() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200909"), 31);
    addNote(t, QStringLiteral("2009100005"), kToday);
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100001"));
    QCOMPARE(storedNext(t), 1);
}

void TestWordsNumbering::resyncFromTodaysNotes() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200910"), 3);
    for (int i = 1; i <= 12; ++i) addNote(t, notes::formatNoteNumber(QStringLiteral("200910"), i), kToday);
    addNote(t, QStringLiteral("2009100040"), kToday.addDays(-1));  // yesterday's notes do not count
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100013"));
    QCOMPARE(storedNext(t), 13);
}

void TestWordsNumbering::counterKeptWithoutNotesToday() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200910"), 7);
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100007"));
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100007"));  // a proposal, not a draw
    QCOMPARE(storedNext(t), 7);
}

void TestWordsNumbering::futureDatedNoteIsNotSeen() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200910"), 5);
    addNote(t, QStringLiteral("2009100005"), kToday.addDays(3));
    QCOMPARE(notes::AdvanceNoteNumber(t.db(), kToday), QStringLiteral("2009100006"));
    QCOMPARE(storedNext(t), 6);
}

void TestWordsNumbering::handTypedNumberNeitherFailsNorJams() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200910"), 4);
    addNote(t, QStringLiteral("2009100003"), kToday);
    addNote(t, QStringLiteral("2009100003补"), kToday);  // greatest as text, but of another form
    addNote(t, QStringLiteral("ZZ-1"), kToday);
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100004"));
    QCOMPARE(notes::AdvanceNoteNumber(t.db(), kToday), QStringLiteral("2009100004"));  // resync wins
    addNote(t, QStringLiteral("2009100004"), kToday);
    QCOMPARE(notes::AdvanceNoteNumber(t.db(), kToday), QStringLiteral("2009100005"));
}

void TestWordsNumbering::advanceMovesOneUp() {
    TestDatabase t;
    setCounter(t, QStringLiteral("200910"), 9);
    QCOMPARE(notes::AdvanceNoteNumber(t.db(), kToday), QStringLiteral("2009100010"));
    QCOMPARE(storedNext(t), 10);
    // The month turned while the proposal stood: the next proposal starts the new month.
    QCOMPARE(notes::AdvanceNoteNumber(t.db(), QDate(2009, 11, 1)), QStringLiteral("2009110001"));
    QCOMPARE(storedPrefix(t), QStringLiteral("200911"));
}

void TestWordsNumbering::missingCounterRowIsCreated() {
    TestDatabase t;
    QCOMPARE(t.count(QStringLiteral("djno")), 0);
    QCOMPARE(notes::NextNoteNumber(t.db(), kToday), QStringLiteral("2009100001"));
    QCOMPARE(t.count(QStringLiteral("djno")), 1);
}

QTEST_GUILESS_MAIN(TestWordsNumbering)
#include "tst_words_numbering.moc"
