// The settings line: files written by hand in the classic format, damaged and
// oversized files, the limits of each field's type, and what the writer makes.

#include "settings/settings_record.h"
#include "settings_example.h"

#include <QTest>

#include <functional>
#include <optional>

Q_DECLARE_METATYPE(SettingsRecord)
Q_DECLARE_METATYPE(std::optional<SettingsRecord>)

char *toString(const SettingsRecord &r) { return QTest::toString(writeSettingsRecord(r).bytes); }

namespace {

// The example line's values, written out by hand.
SettingsRecord example(const std::function<void(SettingsRecord &)> &change = {})
{
    SettingsRecord r{1200, 900, 1200, 5100, R"(C:\maku\side.bmp)", "", 19, 1,
                     R"(C:\maku\board.bmp)", 10620, 1800, true, false, 1000, 6000, 0};
    if (change)
        change(r);
    return r;
}

// The example line with one field (numbered from 1) replaced.
QByteArray withField(int number, const QByteArray &text)
{
    QList<QByteArray> fields = kExample.chopped(2).split(',');
    fields[number - 1] = text;
    return fields.join(',') + "\r\n";
}

} // namespace

class TestSettingsRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheExample_data();
    void readsTheExample();
    void fields_data();
    void fields();
    void longFieldIsQuotedShort();
    void readingStops_data();
    void readingStops();
    void writes_data();
    void writes();
};

void TestSettingsRecord::readsTheExample_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray line = kExample.chopped(2);
    QTest::newRow("as written") << kExample;
    QTest::newRow("CR only") << line + "\r";
    QTest::newRow("no line end") << line;
    QTest::newRow("blanks around fields")
        << QByteArray(R"(  1200 ,	900,1200,5100,  "C:\maku\side.bmp"  ,"" ,19 , 1,"C:\maku\board.bmp",10620,1800, #TRUE# ,#FALSE#,1000,6000,0   )");
    QTest::newRow("line ends between fields") << QByteArray(kExample).replace(",", "\r\n").replace("\r\n19\r\n", "\n19\n");
    QTest::newRow("signs, exponents, fractions")
        << QByteArray(R"(+1200,9e2,1200.0,5.1E+3,"C:\maku\side.bmp","",19.4,+0.1e1,"C:\maku\board.bmp",10620.5,1799.5,#true#,#False#,1e3,006000,-0)");
    QTest::newRow("truth values as numbers") << withField(12, "-1").replace(",#FALSE#,", ",0.00,");
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + kExample;
    // Whatever follows the 16th field is ignored, whatever it is and however long.
    QTest::newRow("a 17th field, further lines") << line + ",17,\"x\"\r\nsecond line\r\n\"unclosed";
    QTest::newRow("Ctrl-Z after") << kExample + "\x1a" + "garbage";
    QTest::newRow("1 MiB of junk after") << kExample + QByteArray(1 << 20, '\xff');
}

void TestSettingsRecord::readsTheExample()
{
    QFETCH(QByteArray, bytes);
    const SettingsReadResult read = readSettingsRecord(bytes);
    QCOMPARE(read.problem, QString());
    QVERIFY(read.complete());
    QCOMPARE(read.record, example());
}

void TestSettingsRecord::fields_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("text");
    // Empty when the field is refused.
    QTest::addColumn<std::optional<SettingsRecord>>("record");
    const std::optional<SettingsRecord> refused;
    const auto ok = [](const std::function<void(SettingsRecord &)> &change = {}) {
        return std::optional(example(change));
    };
    const auto row = [](const char *name, int number, const QByteArray &text) -> QTestData & {
        return QTest::newRow(name) << number << text;
    };

    // Fractions round half to even.
    row("1200.5", 1, "1200.5") << ok();
    row("-1201.5", 1, "-1201.5") << ok([](auto &r) { r.form1Left = -1202; });
    row("just over half", 1, "0.5000000000000000000001") << ok([](auto &r) { r.form1Left = 1; });
    row("just under half", 1, "1200.4999999999999999999") << ok();
    row("exponent moves the point", 1, "12005e-1") << ok();
    row("tiny", 1, "1e-999999999999") << ok([](auto &r) { r.form1Left = 0; });
    // The limits of a 32-bit field.
    row("int32 max", 10, "2147483647") << ok([](auto &r) { r.kanbanLeft = 2147483647; });
    row("int32 min", 11, "-2147483648") << ok([](auto &r) { r.kanbanTop = -2147483647 - 1; });
    row("leading zeros", 3, "0000000000002147483647") << ok([](auto &r) { r.frmSetLeft = 2147483647; });
    row("int32 max + 1", 10, "2147483648") << refused;
    row("int32 min - 1", 2, "-2147483649") << refused;
    row("rounds past int32 max", 14, "2147483647.5") << refused;
    row("huge exponent", 1, "1e999999999999") << refused;
    // Field 16 is 16-bit; control ranges are checked where values are applied.
    row("option 32767", 16, "32767") << ok([](auto &r) { r.option = 32767; });
    row("option -32768", 16, "-32768") << ok([](auto &r) { r.option = -32768; });
    row("option 32768", 16, "32768") << refused;
    row("sign step 1001", 7, "1001") << ok([](auto &r) { r.makuSpeed0 = 1001; });
    for (const char *text : {"", "\"5\"", "12abc", "1 2", "--1", ".", "1e+", "#TRUE#"})
        row(qPrintable("number " + QString::fromLatin1(text)), 8, text) << refused;
    // Truth values.
    row("#true#", 13, "#true#") << ok([](auto &r) { r.viewWaku = true; });
    row("0.25 is true", 13, "0.25") << ok([](auto &r) { r.viewWaku = true; });
    for (const char *text : {"\"#TRUE#\"", "TRUE", ""})
        row(qPrintable("truth " + QString::fromLatin1(text)), 12, text) << refused;
    // Texts.
    row("commas and line ends inside quotes", 5, "\"a,b\r\nc\"") << ok([](auto &r) { r.makuPath0 = "a,b\r\nc"; });
    row("unquoted text", 9, "  C:\\x y.bmp  ") << ok([](auto &r) { r.kanbanPath = "C:\\x y.bmp"; });
    row("Japanese", 6, "\"/home/利用者/方向幕.bmp\"") << ok([](auto &r) { r.makuPath1 = "/home/利用者/方向幕.bmp"; });
    const QByteArray longest(kMaxSettingsPathBytes, 'p');
    row("longest path", 6, '"' + longest + '"') << ok([&](auto &r) { r.makuPath1 = longest; });
    row("path too long", 6, "\"p" + longest + '"') << refused;
    row("invalid UTF-8", 5, "\"C:\\\x82\xA0.bmp\"") << refused;
    row("text after the closing quote", 5, R"("C:\a"b)") << refused;
}

void TestSettingsRecord::fields()
{
    QFETCH(int, number);
    QFETCH(QByteArray, text);
    QFETCH(std::optional<SettingsRecord>, record);
    const SettingsReadResult read = readSettingsRecord(withField(number, text));
    if (record) {
        QCOMPARE(read.problem, QString());
        QCOMPARE(read.record, *record);
    } else {
        // Reading stops there; what came before is kept.
        QCOMPARE(read.fieldsRead, number - 1);
        QVERIFY2(read.problem.startsWith(QStringLiteral("field %1 ").arg(number)), qPrintable(read.problem));
        QCOMPARE(read.holds(&SettingsRecord::makuPath1), number > 6);
        QCOMPARE(read.record.makuPath0, number > 5 ? example().makuPath0 : QString());
    }
}

// A huge field cannot make a huge message: only its first 40 bytes are quoted.
void TestSettingsRecord::longFieldIsQuotedShort()
{
    const QByteArray text = QByteArray(40, '7') + '@' + QByteArray(1000, '7');
    const QString problem = readSettingsRecord(withField(8, text)).problem;
    QVERIFY2(problem.contains(QByteArray(40, '7')) && !problem.contains('@'), qPrintable(problem));
}

void TestSettingsRecord::readingStops_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("fieldsRead");
    const QByteArray fifteen = kExample.left(kExample.lastIndexOf(','));
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("fifteen fields and a comma") << fifteen + ",  \r\n" << 15;
    QTest::newRow("unclosed quote") << kExample.left(kExample.indexOf("C:")) + "C:\\maku" << 4;
    // The classic format ends a file at a Ctrl-Z.
    QTest::newRow("Ctrl-Z before field 9") << QByteArray(kExample).insert(kExample.indexOf("\"C:\\maku\\b"), '\x1a') << 8;
    QTest::newRow("the line beyond the read limit") << QByteArray(kSettingsReadLimit, ' ') + kExample << 0;
}

void TestSettingsRecord::readingStops()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, fieldsRead);
    const SettingsReadResult read = readSettingsRecord(bytes);
    QCOMPARE(read.fieldsRead, fieldsRead);
    QVERIFY(!read.problem.isEmpty());
    QCOMPARE(read.holds(&SettingsRecord::kanbanPath), fieldsRead >= 9);
    // Fields before the stop hold the file's values, the rest stay empty.
    QCOMPARE(read.record.kanbanPath, fieldsRead >= 9 ? example().kanbanPath : QString());
    QCOMPARE(read.record.frmSetTop, fieldsRead >= 4 ? 5100 : 0);
    QCOMPARE(read.record.hScroll2, fieldsRead >= 15 ? 6000 : 0);
}

void TestSettingsRecord::writes_data()
{
    QTest::addColumn<SettingsRecord>("record");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("leftOut"); // the field written empty, 0 for none
    QTest::newRow("the example") << example() << kExample << 0;
    // Whole numbers exactly, never in a single-precision form.
    QTest::newRow("int32 limits")
        << example([](auto &r) { r.kanbanLeft = 2147483647; r.kanbanTop = -2147483647 - 1; r.form1Left = 16777217; })
        << withField(1, "16777217").replace(",10620,1800,", ",2147483647,-2147483648,") << 0;
    const auto emptied = [](int number, const QString &path) {
        return example([&](auto &r) { (number == 5 ? r.makuPath0 : r.kanbanPath) = path; });
    };
    // The line has no escape for a quote, and a Ctrl-Z would end the file there.
    QTest::newRow("double quote") << emptied(5, "/tmp/say \"hi\".png") << withField(5, "\"\"") << 5;
    QTest::newRow("Ctrl-Z") << emptied(9, "a\x1a" "b.png") << withField(9, "\"\"") << 9;
    QTest::newRow("lone surrogate") << emptied(9, QString(QChar(0xD800)) + "x.png") << withField(9, "\"\"") << 9;
    QTest::newRow("too long") << emptied(5, QString(kMaxSettingsPathBytes + 1, 'p')) << withField(5, "\"\"") << 5;
}

void TestSettingsRecord::writes()
{
    QFETCH(SettingsRecord, record);
    QFETCH(QByteArray, line);
    QFETCH(int, leftOut);
    const SettingsLine written = writeSettingsRecord(record);
    QCOMPARE(written.bytes, line);
    QCOMPARE(written.leftOut.size(), leftOut ? 1 : 0);
    if (leftOut)
        QVERIFY2(written.leftOut[0].startsWith(QStringLiteral("field %1 ").arg(leftOut)), qPrintable(written.leftOut[0]));
}

QTEST_GUILESS_MAIN(TestSettingsRecord)
#include "tst_settings_record.moc"
