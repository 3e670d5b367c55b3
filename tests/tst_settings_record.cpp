// The settings line: files written by hand in the classic format, the limits
// of each field's type, and what the writer produces.

#include "settings/settings_record.h"

#include <QTest>

#include <cmath>
#include <limits>

char *toString(const SettingsRecord &r)
{
    const QString text = QStringLiteral("%1,%2,%3,%4,[%5],[%6],%7,%8,[%9],%10,%11,%12,%13,%14,%15,%16")
                             .arg(r.form1Left).arg(r.form1Top).arg(r.frmSetLeft).arg(r.frmSetTop)
                             .arg(r.makuPath0, r.makuPath1)
                             .arg(r.makuSpeed0).arg(r.makuSpeed1)
                             .arg(r.kanbanPath)
                             .arg(r.kanbanLeft).arg(r.kanbanTop)
                             .arg(r.viewKanban).arg(r.viewWaku)
                             .arg(r.hScroll1).arg(r.hScroll2).arg(r.option);
    return QTest::toString(text);
}

namespace {

const QByteArray kExample =
    R"(1200,900,1200,5100,"C:\maku\side.bmp","",19,1,"C:\maku\board.bmp",10620,1800,#TRUE#,#FALSE#,1000,6000,0)"
    "\r\n";

// The example line with one field (numbered from 1) replaced.
QByteArray withField(int fieldNumber, const QByteArray &text)
{
    QList<QByteArray> fields = kExample.chopped(2).split(',');
    fields[fieldNumber - 1] = text;
    return fields.join(',') + "\r\n";
}

qint64 wholeField(const SettingsRecord &r, int fieldNumber)
{
    switch (fieldNumber) {
    case 1: return r.form1Left;
    case 7: return r.makuSpeed0;
    case 11: return r.kanbanTop;
    case 14: return r.hScroll1;
    case 16: return r.option;
    }
    qFatal("no whole-number field %d in this test", fieldNumber);
}

SettingsValues exampleValues()
{
    SettingsValues v;
    v.form1Left = 1200;
    v.form1Top = 900;
    v.frmSetLeft = 1200;
    v.frmSetTop = 5100;
    v.makuPath0 = QStringLiteral(R"(C:\maku\side.bmp)");
    v.makuSpeed0 = 19;
    v.makuSpeed1 = 1;
    v.kanbanPath = QStringLiteral(R"(C:\maku\board.bmp)");
    v.kanbanLeft = 10620;
    v.kanbanTop = 1800;
    v.viewKanban = true;
    v.hScroll1 = 1000;
    v.hScroll2 = 6000;
    return v;
}

// What reading back the line written from v gives: positions are rounded
// half to even, the rest is kept as it is.
SettingsRecord recordOf(const SettingsValues &v)
{
    const auto whole = [](float f) { return qint32(std::nearbyint(f)); };
    SettingsRecord r;
    r.form1Left = whole(v.form1Left);
    r.form1Top = whole(v.form1Top);
    r.frmSetLeft = whole(v.frmSetLeft);
    r.frmSetTop = whole(v.frmSetTop);
    r.makuPath0 = v.makuPath0;
    r.makuPath1 = v.makuPath1;
    r.makuSpeed0 = v.makuSpeed0;
    r.makuSpeed1 = v.makuSpeed1;
    r.kanbanPath = v.kanbanPath;
    r.kanbanLeft = whole(v.kanbanLeft);
    r.kanbanTop = whole(v.kanbanTop);
    r.viewKanban = v.viewKanban;
    r.viewWaku = v.viewWaku;
    r.hScroll1 = v.hScroll1;
    r.hScroll2 = v.hScroll2;
    r.option = v.option;
    return r;
}

SettingsRecord exampleRecord() { return recordOf(exampleValues()); }

} // namespace

Q_DECLARE_METATYPE(SettingsValues)

class TestSettingsRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutVariantsReadTheSameRecord_data();
    void layoutVariantsReadTheSameRecord();
    void wholeNumberFields_data();
    void wholeNumberFields();
    void truthFields_data();
    void truthFields();
    void textFields_data();
    void textFields();
    void readingStopsAtTheFirstFailure_data();
    void readingStopsAtTheFirstFailure();
    void writesTheClassicLine();
    void writesPositions_data();
    void writesPositions();
    void roundTrips_data();
    void roundTrips();
    void unstorablePathIsWrittenEmpty_data();
    void unstorablePathIsWrittenEmpty();
};

void TestSettingsRecord::layoutVariantsReadTheSameRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("CR LF") << kExample;
    QTest::newRow("CR only") << QByteArray(kExample).replace("\r\n", "\r");
    // Files edited on other systems end lines with LF alone; it ends a line too.
    QTest::newRow("LF only") << QByteArray(kExample).replace("\r\n", "\n");
    QTest::newRow("no line end") << kExample.chopped(2);
    QTest::newRow("blanks before fields and after values")
        << QByteArray(R"(  1200 ,	900,1200,5100,  "C:\maku\side.bmp"  ,"" ,19 , 1,"C:\maku\board.bmp",10620,1800, #TRUE# ,#FALSE#,1000,6000,0   )"
                      "\r\n");
    QTest::newRow("line ends between fields")
        << QByteArray("1200\r\n900\r1200\n5100,\"C:\\maku\\side.bmp\"\r\n\"\",19,1,\"C:\\maku\\board.bmp\","
                      "10620,1800,#TRUE#,#FALSE#,1000,6000\r\n0\r\n");
    QTest::newRow("extra fields and lines") << kExample.chopped(2) + ",99,\"x\",#TRUE#\r\nsecond line\r\n\r\n";
    QTest::newRow("garbage after 16th field's delimiter") << kExample + QByteArray("\"unclosed", 9);
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + kExample;
    QTest::newRow("signs, exponents, fractions")
        << QByteArray(R"(+1200,9e2,1200.0,5.1E+3,"C:\maku\side.bmp","",19.4,+0.1e1,"C:\maku\board.bmp",10620.5,1799.5,#true#,#False#,1e3,6000,-0)"
                      "\r\n");
    QTest::newRow("truth values as numbers") << withField(12, "-1").replace(",#FALSE#,", ",0,");
}

void TestSettingsRecord::layoutVariantsReadTheSameRecord()
{
    QFETCH(QByteArray, bytes);
    const SettingsReadResult result = readSettingsRecord(bytes);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.fieldsRead, kSettingsFieldCount);
    QVERIFY(result.complete());
    QCOMPARE(result.record, exampleRecord());
}

void TestSettingsRecord::wholeNumberFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");

    // Fractions round half to even.
    QTest::newRow("1200.5") << 1 << QByteArray("1200.5") << true << qint64(1200);
    QTest::newRow("1201.5") << 1 << QByteArray("1201.5") << true << qint64(1202);
    QTest::newRow("-1200.5") << 1 << QByteArray("-1200.5") << true << qint64(-1200);
    QTest::newRow("-1201.5") << 1 << QByteArray("-1201.5") << true << qint64(-1202);
    QTest::newRow("just over half") << 1 << QByteArray("0.5000000000000000000000001") << true << qint64(1);
    QTest::newRow("just under half") << 1 << QByteArray("1200.4999999999999999999999") << true << qint64(1200);
    QTest::newRow("0.09") << 1 << QByteArray("0.09") << true << qint64(0);
    QTest::newRow(".5e1") << 1 << QByteArray(".5e1") << true << qint64(5);
    QTest::newRow("12005e-1") << 1 << QByteArray("12005e-1") << true << qint64(1200);
    QTest::newRow("5.") << 1 << QByteArray("5.") << true << qint64(5);
    QTest::newRow("leading zeros") << 1 << QByteArray("000000000000002147483647") << true << qint64(2147483647);
    QTest::newRow("tiny") << 1 << QByteArray("1e-999999999999") << true << qint64(0);

    // 32-bit limits.
    QTest::newRow("int32 min") << 11 << QByteArray("-2147483648") << true << qint64(-2147483648LL);
    QTest::newRow("int32 max + 1") << 1 << QByteArray("2147483648") << false << qint64(0);
    QTest::newRow("int32 min - 1") << 11 << QByteArray("-2147483649") << false << qint64(0);
    QTest::newRow("rounds past int32 max") << 14 << QByteArray("2147483647.5") << false << qint64(0);
    QTest::newRow("rounds down to int32 min") << 14 << QByteArray("-2147483648.5") << true << qint64(-2147483648LL);
    QTest::newRow("eleven digits") << 1 << QByteArray("99999999999") << false << qint64(0);
    QTest::newRow("huge exponent") << 1 << QByteArray("1e999999999999") << false << qint64(0);

    // Control ranges are checked where the values are applied, not here.
    QTest::newRow("sign step 1001") << 7 << QByteArray("1001") << true << qint64(1001);
    QTest::newRow("option 3") << 16 << QByteArray("3") << true << qint64(3);

    // 16-bit limits (field 16).
    QTest::newRow("int16 max") << 16 << QByteArray("32767") << true << qint64(32767);
    QTest::newRow("int16 min") << 16 << QByteArray("-32768") << true << qint64(-32768);
    QTest::newRow("int16 max + 1") << 16 << QByteArray("32768") << false << qint64(0);
    QTest::newRow("int16 min - 1") << 16 << QByteArray("-32769") << false << qint64(0);
    QTest::newRow("rounds past int16 max") << 16 << QByteArray("32767.5") << false << qint64(0);

    // Not numbers.
    QTest::newRow("empty") << 7 << QByteArray("") << false << qint64(0);
    QTest::newRow("blanks only") << 7 << QByteArray("   ") << false << qint64(0);
    QTest::newRow("quoted number") << 7 << QByteArray("\"5\"") << false << qint64(0);
    QTest::newRow("word") << 7 << QByteArray("abc") << false << qint64(0);
    QTest::newRow("trailing letters") << 7 << QByteArray("12abc") << false << qint64(0);
    QTest::newRow("inner blank") << 7 << QByteArray("1 2") << false << qint64(0);
    QTest::newRow("two signs") << 7 << QByteArray("--1") << false << qint64(0);
    QTest::newRow("sign alone") << 7 << QByteArray("+") << false << qint64(0);
    QTest::newRow("point alone") << 7 << QByteArray(".") << false << qint64(0);
    QTest::newRow("exponent without digits") << 7 << QByteArray("1e+") << false << qint64(0);
    QTest::newRow("truth value") << 7 << QByteArray("#TRUE#") << false << qint64(0);
    QTest::newRow("grouping") << 1 << QByteArray("1.200.5") << false << qint64(0);
}

void TestSettingsRecord::wholeNumberFields()
{
    QFETCH(int, field);
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);

    const SettingsReadResult result = readSettingsRecord(withField(field, text));
    if (ok) {
        QCOMPARE(result.error, QString());
        QCOMPARE(wholeField(result.record, field), value);
    } else {
        QCOMPARE(result.fieldsRead, field - 1);
        QVERIFY2(result.error.startsWith(QStringLiteral("field %1 ").arg(field)), qPrintable(result.error));
    }
}

void TestSettingsRecord::truthFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("value");

    QTest::newRow("#TRUE#") << QByteArray("#TRUE#") << true << true;
    QTest::newRow("#FALSE#") << QByteArray("#FALSE#") << true << false;
    // As the classic reader: a number is true when it is not zero (-1 and 0
    // are in the layout variants).
    QTest::newRow("0") << QByteArray("0") << true << false;
    QTest::newRow("0.25") << QByteArray("0.25") << true << true;
    QTest::newRow("quoted") << QByteArray("\"#TRUE#\"") << false << false;
    QTest::newRow("bare word") << QByteArray("TRUE") << false << false;
    QTest::newRow("half keyword") << QByteArray("#TRUE") << false << false;
    QTest::newRow("empty") << QByteArray() << false << false;
}

void TestSettingsRecord::truthFields()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(bool, value);

    // Field 13 is #FALSE# in the example, field 12 #TRUE#: both are checked.
    for (const int field : {12, 13}) {
        const SettingsReadResult result = readSettingsRecord(withField(field, text));
        QCOMPARE(result.complete(), ok);
        if (ok)
            QCOMPARE(field == 12 ? result.record.viewKanban : result.record.viewWaku, value);
        else
            QCOMPARE(result.fieldsRead, field - 1);
    }
}

void TestSettingsRecord::textFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("value");

    QTest::newRow("commas inside quotes") << QByteArray(R"("C:\a,b,c.bmp")") << true << R"(C:\a,b,c.bmp)";
    QTest::newRow("line ends inside quotes") << QByteArray("\"a\r\nb\rc\"") << true << "a\r\nb\rc";
    QTest::newRow("blanks inside quotes kept") << QByteArray("\"  a b  \"") << true << "  a b  ";
    QTest::newRow("empty quotes") << QByteArray("\"\"") << true << "";
    QTest::newRow("unquoted, trailing blanks dropped") << QByteArray(R"(C:\x y.bmp  )") << true << R"(C:\x y.bmp)";
    QTest::newRow("unquoted empty") << QByteArray("") << true << "";
    QTest::newRow("Japanese") << QByteArray("\"/home/利用者/方向幕.bmp\"") << true << "/home/利用者/方向幕.bmp";
    QTest::newRow("invalid UTF-8") << QByteArray("\"C:\\\x82\xA0.bmp\"") << false << "";
    QTest::newRow("cut UTF-8 sequence") << QByteArray("\"\xE6\x96\"") << false << "";
    QTest::newRow("text after closing quote") << QByteArray(R"("C:\a"b)") << false << "";
}

void TestSettingsRecord::textFields()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QString, value);

    const SettingsReadResult result = readSettingsRecord(withField(5, text));
    if (ok) {
        QCOMPARE(result.error, QString());
        QCOMPARE(result.record.makuPath0, value);
        QCOMPARE(result.record.kanbanPath, exampleRecord().kanbanPath);
    } else {
        QCOMPARE(result.fieldsRead, 4);
        QVERIFY2(result.error.startsWith(QStringLiteral("field 5 ")), qPrintable(result.error));
    }
}

void TestSettingsRecord::readingStopsAtTheFirstFailure_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("fieldsRead");
    QTest::addColumn<QString>("errorPart");

    const QByteArray fifteen = kExample.left(kExample.lastIndexOf(','));
    QTest::newRow("empty file") << QByteArray() << 0 << "before field 1";
    QTest::newRow("blank line") << QByteArray("  \r\n") << 0 << "field 1";
    QTest::newRow("fifteen fields") << fifteen << 15 << "before field 16";
    QTest::newRow("fifteen fields and a comma") << fifteen + ",  " << 15 << "before field 16";
    QTest::newRow("empty 16th field") << fifteen + ",\r\n" << 15 << "field 16";
    QTest::newRow("unclosed quote") << kExample.left(kExample.indexOf("C:")) + "C:\\maku" << 4
                                    << "closing quote";
    QTest::newRow("bad step keeps the paths") << withField(7, "x") << 6 << "field 7";
    QTest::newRow("too large")
        << kExample + QByteArray(kMaxSettingsFileSize - kExample.size() + 1, ' ') << 0 << "bytes";
    QTest::newRow("one huge number")
        << QByteArray(kMaxSettingsFileSize, '7') << 0 << "does not fit";
}

void TestSettingsRecord::readingStopsAtTheFirstFailure()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, fieldsRead);
    QFETCH(QString, errorPart);

    const SettingsReadResult result = readSettingsRecord(bytes);
    QCOMPARE(result.fieldsRead, fieldsRead);
    QVERIFY(!result.complete());
    QVERIFY2(result.error.contains(errorPart), qPrintable(result.error));

    // Fields before the failure are there, the rest keep their initial values.
    const SettingsRecord example = exampleRecord();
    SettingsRecord expected;
    if (fieldsRead >= 4) {
        expected.form1Left = example.form1Left;
        expected.form1Top = example.form1Top;
        expected.frmSetLeft = example.frmSetLeft;
        expected.frmSetTop = example.frmSetTop;
    }
    if (fieldsRead >= 6) {
        expected.makuPath0 = example.makuPath0;
        expected.makuPath1 = example.makuPath1;
    }
    if (fieldsRead == 15) {
        expected = example;
        expected.option = 0;
    }
    QCOMPARE(result.record, expected);
}

void TestSettingsRecord::writesTheClassicLine()
{
    const SettingsWriteResult written = writeSettingsRecord(exampleValues());
    QCOMPARE(written.bytes, kExample);
    QCOMPARE(written.warning, QString());
}

void TestSettingsRecord::writesPositions_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("warns");

    QTest::newRow("negative") << -15.0f << QByteArray("-15") << false;
    QTest::newRow("negative zero") << -0.0f << QByteArray("0") << false;
    QTest::newRow("fraction") << 1200.5f << QByteArray("1200.5") << false;
    QTest::newRow("shortest") << 0.1f << QByteArray("0.1") << false;
    QTest::newRow("2^24 + 2") << 16777218.0f << QByteArray("16777218") << false;
    QTest::newRow("a billion") << 1e9f << QByteArray("1000000000") << false;
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << QByteArray("0") << true;
    QTest::newRow("infinity") << -std::numeric_limits<float>::infinity() << QByteArray("0") << true;
}

void TestSettingsRecord::writesPositions()
{
    QFETCH(float, value);
    QFETCH(QByteArray, text);
    QFETCH(bool, warns);

    SettingsValues values = exampleValues();
    values.kanbanTop = value;
    const SettingsWriteResult written = writeSettingsRecord(values);
    QCOMPARE(written.bytes.split(',').at(10), text);
    QCOMPARE(!written.warning.isEmpty(), warns);
    QVERIFY(readSettingsRecord(written.bytes).complete());
}

void TestSettingsRecord::roundTrips_data()
{
    QTest::addColumn<SettingsValues>("values");

    QTest::newRow("example") << exampleValues();

    SettingsValues extremes;
    extremes.form1Left = -32000;
    extremes.form1Top = 2147483520.0f; // the largest float below 2^31
    extremes.frmSetLeft = -2147483648.0f;
    extremes.frmSetTop = 1201.5f;
    extremes.makuSpeed0 = std::numeric_limits<qint16>::min();
    extremes.makuSpeed1 = std::numeric_limits<qint16>::max();
    extremes.kanbanLeft = -0.5f;
    extremes.kanbanTop = 0.75f;
    extremes.viewWaku = true;
    extremes.hScroll1 = 1;
    extremes.hScroll2 = 30000;
    extremes.option = 2;
    QTest::newRow("extremes") << extremes;

    SettingsValues paths = exampleValues();
    paths.makuPath0 = QStringLiteral("/home/利用者/方向幕 一,二.bmp");
    paths.makuPath1 = QStringLiteral("/tmp/line\r\nbreak, and #TRUE#");
    paths.kanbanPath = QStringLiteral("  blanks around  ");
    QTest::newRow("awkward paths") << paths;
}

void TestSettingsRecord::roundTrips()
{
    QFETCH(SettingsValues, values);

    const SettingsWriteResult written = writeSettingsRecord(values);
    QCOMPARE(written.warning, QString());
    QVERIFY(written.bytes.endsWith("\r\n"));
    QCOMPARE(written.bytes.count("\r\n"), values.makuPath1.count(QStringLiteral("\r\n")) + 1);

    const SettingsReadResult read = readSettingsRecord(written.bytes);
    QCOMPARE(read.error, QString());
    QCOMPARE(read.record, recordOf(values));
}

void TestSettingsRecord::unstorablePathIsWrittenEmpty_data()
{
    QTest::addColumn<QString>("path");

    // Linux paths may hold a double quote; the line has no escape for one.
    QTest::newRow("double quote") << QStringLiteral("/tmp/say \"hi\".png");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x.png");
}

void TestSettingsRecord::unstorablePathIsWrittenEmpty()
{
    QFETCH(QString, path);

    SettingsValues values = exampleValues();
    values.makuPath1 = path;
    const SettingsWriteResult written = writeSettingsRecord(values);
    QVERIFY2(written.warning.contains(QStringLiteral("field 6")), qPrintable(written.warning));
    QCOMPARE(written.bytes, kExample); // the example's makuPath(1) is empty

    values.makuPath0 = path;
    const SettingsReadResult read = readSettingsRecord(writeSettingsRecord(values).bytes);
    QVERIFY(read.complete());
    QCOMPARE(read.record.makuPath0, QString());
}

QTEST_GUILESS_MAIN(TestSettingsRecord)
#include "tst_settings_record.moc"
