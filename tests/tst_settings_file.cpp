// The settings file as the windows use it: what a start-up applies, what the
// shutdown and the end of a session write, where the file lives, and what
// happens when it is damaged, no plain file, or cannot be written.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "platform/end_requests.h"
#include "platform/file_access.h"
#include "settings/settings_location.h"
#include "settings_example.h"
#include "sign/destination_sign.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include <csignal>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

using controls::TwipsRect;

namespace {

QByteArray example(const QByteArray &from, const QByteArray &to) { return QByteArray(kExample).replace(from, to); }

QString iniBeside(FakePlatform &fp) { return fp.process.folder.filePath("TT04K0007.ini"); }
QString iniPerUser(FakePlatform &fp)
{
    return SettingsLocation::of(plat::programFolder(fp.process), "TT04K0007").perUser;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString writePicture(const QString &folder, const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = QDir(folder).filePath(name);
    return image.save(path) ? path : QString();
}

// Points HOME, and with it the per-user folder of the test mode, elsewhere
// while it lives.
class HomeAt {
public:
    explicit HomeAt(const QString &path) : m_old(qgetenv("HOME")) { qputenv("HOME", QFile::encodeName(path)); }
    ~HomeAt() { qputenv("HOME", m_old); }

private:
    QByteArray m_old;
};

// A start, with the file as it is, and a close; returns what was saved.
QByteArray startAndClose(FakePlatform &fp, const std::function<void(Form1 &)> &meanwhile = {})
{
    Form1 form(fp.platform);
    form.Form_Load();
    if (meanwhile)
        meanwhile(form);
    form.close();
    return plat::readRegularFile(iniBeside(fp), 1 << 20).bytes; // never blocks on a pipe
}

QList<int> sliders(frmSet &set)
{
    return {set.HScroll1->value(), set.HScroll2->value(), set.scllMakuSpeed[0]->value(), set.scllMakuSpeed[1]->value()};
}

void checkDefaults(Form1 &form)
{
    frmSet &set = form.panel();
    QCOMPARE(form.pos(), QPoint(0, 0));
    QCOMPARE(set.pos(), QPoint(0, form.frameGeometry().height()));
    QCOMPARE(sliders(set), (QList<int>{1000, 6000, 1, 1}));
    QVERIFY(set.Option1[0]->isChecked());
    QCOMPARE(form.PicKanban->twips(), (TwipsRect{8910, 1605, 1410, 450}));
    QCOMPARE(form.shpK_Waku[2]->twips(), (TwipsRect{8835, 2055, 1560, 60}));
    QVERIFY(form.PicKanban->picture().isNull());
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void fileComesBackAsItWas_data();
    void fileComesBackAsItWas();
    void roundTrip();
    void defaultsPath_data();
    void defaultsPath();
    void places_data();
    void places();
    void notAPlainFile_data();
    void notAPlainFile();
    void saveProblems_data();
    void saveProblems();
    void endOfSession_data();
    void endOfSession();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<HomeAt> m_homeAt;
};

void TestSettingsFile::init()
{
    // Every test gets a per-user folder of its own.
    m_home = std::make_unique<QTemporaryDir>();
    m_homeAt = std::make_unique<HomeAt>(m_home->path());
}

void TestSettingsFile::cleanup()
{
    m_homeAt.reset();
    m_home.reset();
}

void TestSettingsFile::fileComesBackAsItWas_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("saved");
    // Missing pictures: every other field applies, and the paths are kept.
    QTest::newRow("the example") << kExample << kExample;
    QTest::newRow("a 17th field and binary junk") << kExample.chopped(2) + QByteArray(",17\r\n\0\xff\x1a junk", 13) << kExample;
    const QByteArray limits = example(",19,1,", ",0,1000,").replace(",1000,6000,0", ",1,30000,2");
    QTest::newRow("every slider's limits") << limits << limits;
    // Beyond 2^24 a float skips whole numbers; what was read is written.
    const QByteArray far = example(",10620,1800,", ",2147483647,-2147483648,");
    QTest::newRow("signboard at the int32 limits") << far << far;
    const QByteArray odd = example(",10620,1800,", ",16777217,-16777219,");
    QTest::newRow("signboard between floats") << odd << odd;
    const QByteArray between = example("1200,900,1200,5100", "1207,908,1201,5114");
    QTest::newRow("places between pixels") << between << between;
    QTest::newRow("fractions read as whole numbers") << example(",1800,", ",1800.4,") << kExample;
}

void TestSettingsFile::fileComesBackAsItWas()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, saved);
    FakePlatform fp;
    QVERIFY(writeFile(iniBeside(fp), file));
    QCOMPARE(startAndClose(fp), saved);
    QVERIFY(fp.alerts.calls.isEmpty());
    QCOMPARE(fp.process.exits, QList<int>{0});
}

// Every field set through the windows comes back at the next start.
void TestSettingsFile::roundTrip()
{
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    const QString strip0 = writePicture(folder, "strip0.png", {50, 300});
    const QString strip1 = writePicture(folder, "strip1.bmp", {50, 120});
    const QString board = writePicture(folder, "board.png", {80, 40});
    const QByteArray saved = startAndClose(fp, [&](Form1 &form) {
        frmSet &set = form.panel();
        form.move(150, 90);
        set.move(300, 400);
        form.sign().makuPath = {strip0, strip1};
        form.signboard().kanbanPath = board;
        form.PicKanban->setTwips({3000, 1500, 100, 100});
        form.MnuViewWaku->setChecked(false);
        for (auto [slider, value] : {std::pair{set.HScroll1, 30000}, {set.HScroll2, 1}, {set.scllMakuSpeed[0], 250}, {set.scllMakuSpeed[1], 1000}})
            slider->setValue(value);
        set.Option1[1]->setChecked(true);
        set.close(); // a panel the user closed keeps its last values
    });
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    QCOMPARE(form.pos(), QPoint(150, 90));
    QCOMPARE(set.pos(), QPoint(300, 400));
    QCOMPARE(form.sign().makuPath, (std::array<QString, 2>{strip0, strip1}));
    QCOMPARE(form.imgMaku1[0]->picture().size(), QSize(50, 300));
    QCOMPARE(form.imgMaku1[1]->twips(), (TwipsRect{-30, 30, 750, 1800}));
    QCOMPARE(form.signboard().kanbanPath, board);
    // Placed, then given the picture's size, then the frame fitted round it.
    QCOMPARE(form.PicKanban->twips(), (TwipsRect{3000, 1500, 1200, 600}));
    QCOMPARE(form.shpK_Waku[0]->twips(), (TwipsRect{2925, 1500, 75, 615}));
    QCOMPARE(form.shpK_Waku[1]->twips(), (TwipsRect{4200, 1500, 75, 615}));
    QCOMPARE(form.shpK_Waku[2]->twips(), (TwipsRect{2925, 2100, 1350, 60}));
    QVERIFY(form.MnuViewKanban->isChecked() && form.PicKanban->isVisibleTo(&form));
    QVERIFY(!form.MnuViewWaku->isChecked() && !form.shpK_Waku[1]->isVisibleTo(&form));
    QCOMPARE(sliders(set), (QList<int>{30000, 1, 250, 1000}));
    QCOMPARE(set.lblMaeSpeed->text() + set.lblMakuSpeed[0]->text(), QStringLiteral("30000250"));
    QVERIFY(set.Option1[1]->isChecked());
    QVERIFY(fp.alerts.calls.isEmpty());
    // Nothing drifts: saving again writes the same line.
    form.close();
    QCOMPARE(readFile(iniBeside(fp)), saved);
}

void TestSettingsFile::defaultsPath_data()
{
    QTest::addColumn<QByteArray>("pattern"); // %S: a strip's path, %K: the signboard's
    QTest::addColumn<int>("pathsKept");       // how many of the three paths the file hands over
    QTest::addColumn<bool>("marksFromFile");  // the file's two marks, both #FALSE#, applied
    QTest::addColumn<bool>("stripsLoaded");   // the last step before field 16
    const QByteArray head = R"(1200,900,1200,5100,"%S","%S",)";
    const QByteArray board = R"("%K",600,300,#FALSE#,#FALSE#,)";
    const auto values = [&](const char *steps, const char *doors) { return head + steps + board + doors; };
    QTest::newRow("no file") << QByteArray() << 0 << false << false;
    // Outside the ranges the controls accept: 0 to 1000, 1 to 30000, 0 to 2.
    QTest::newRow("sign step 1001") << values("1001,1,", "1200,5000,1") << 3 << true << false;
    QTest::newRow("front door 0") << values("5,5,", "0,5000,1") << 3 << true << false;
    QTest::newRow("middle door 30001") << values("5,5,", "1200,30001,1") << 3 << true << false;
    QTest::newRow("option 3") << values("5,5,", "1200,5000,3") << 3 << true << true;
    QTest::newRow("ends after field 6") << head.chopped(1) << 2 << false << false;
    QTest::newRow("text where a number belongs") << "\"x\"" + values("5,5,", "1200,5000,1").mid(4) << 0 << false << false;
    // The file ends at a Ctrl-Z: the signboard's path is never read.
    QTest::newRow("Ctrl-Z before field 9") << values("5,5,\x1a", "1200,5000,1") << 2 << false << false;
}

void TestSettingsFile::defaultsPath()
{
    QFETCH(QByteArray, pattern);
    QFETCH(int, pathsKept);
    QFETCH(bool, marksFromFile);
    QFETCH(bool, stripsLoaded);
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    const QString strip = writePicture(folder, "strip.png", {50, 200});
    const QString board = writePicture(folder, "board.png", {80, 40});
    if (!pattern.isEmpty())
        QVERIFY(writeFile(iniBeside(fp), pattern.replace("%S", strip.toUtf8()).replace("%K", board.toUtf8())));
    Form1 form(fp.platform);
    form.Form_Load();
    checkDefaults(form);
    QCOMPARE(form.sign().makuPath, (std::array<QString, 2>{pathsKept >= 1 ? strip : QString(), pathsKept >= 2 ? strip : QString()}));
    QCOMPARE(form.signboard().kanbanPath, pathsKept >= 3 ? board : QString());
    QCOMPARE(form.MnuViewKanban->isChecked() + form.PicKanban->isVisibleTo(&form) + form.MnuViewWaku->isChecked() + form.shpK_Waku[2]->isVisibleTo(&form), marksFromFile ? 0 : 4);
    QCOMPARE(!form.imgMaku1[0]->picture().isNull() + !form.imgMaku1[1]->picture().isNull(), stripsLoaded ? 2 : 0);
    // The paths read are written back at exit, and no message is shown.
    form.close();
    const QList<QByteArray> saved = readFile(iniBeside(fp)).split(',');
    QCOMPARE(saved.size(), 16);
    QCOMPARE(saved[5], '"' + form.sign().makuPath[1].toUtf8() + '"');
    QCOMPARE(saved[8], '"' + form.signboard().kanbanPath.toUtf8() + '"');
    QVERIFY(fp.alerts.calls.isEmpty());
}

void TestSettingsFile::places_data()
{
    // The offscreen platform has one 800 x 600 screen; the main window's frame
    // is 868 x 254 pixels, the panel's 265 x 144.
    QTest::addColumn<bool>("wayland"); // the window system keeps places to itself
    QTest::addColumn<QByteArray>("file"); // the two places in pixels, as written to the file
    QTest::addColumn<QPoint>("formAt");
    QTest::addColumn<QPoint>("panelAt"); // (-1, -1): just below the main window
    // Saved: where the windows stand, or on Wayland, what the file said.
    QTest::addColumn<QByteArray>("saved");
    const QPoint below(-1, -1);
    QTest::newRow("partly on the screen") << false << QByteArray("-867,599,799,-143") << QPoint(-867, 599) << QPoint(799, -143) << QByteArray();
    QTest::newRow("main window right of the screen") << false << QByteArray("800,60,80,340") << QPoint(0, 0) << QPoint(80, 340) << QByteArray();
    QTest::newRow("panel left of the screen") << false << QByteArray("80,60,-265,340") << QPoint(80, 60) << below << QByteArray();
    QTest::newRow("Wayland: stored places kept") << true << QByteArray("80,60,100,340") << QPoint(80, 60) << QPoint(100, 340) << QByteArray("1200,900,1500,5100");
    QTest::newRow("Wayland, first start") << true << QByteArray() << QPoint(0, 0) << below << QByteArray();
    QTest::newRow("Wayland, file breaks off after field 3") << true << QByteArray("80,60,100") << QPoint(0, 0) << below << QByteArray("1200,900,");
}

void TestSettingsFile::places()
{
    QFETCH(bool, wayland);
    QFETCH(QByteArray, file);
    QFETCH(QPoint, formAt);
    QFETCH(QPoint, panelAt);
    QFETCH(QByteArray, saved);
    FakePlatform fp;
    fp.windowSystem.placesWindows = !wayland;
    QByteArray line;
    for (const QByteArray &pixels : file.split(','))
        line += QByteArray::number(pixels.toInt() * 15) + ',';
    if (file.count(',') == 3)
        line += R"("","",1,1,"",600,300,#TRUE#,#TRUE#,1200,5000,1)";
    if (!file.isEmpty())
        QVERIFY(writeFile(iniBeside(fp), line));
    Form1 w(fp.platform);
    w.Form_Load();
    QCOMPARE(w.pos(), formAt);
    QCOMPARE(w.panel().pos(), panelAt == QPoint(-1, -1) ? QPoint(w.x(), w.y() + w.frameGeometry().height()) : panelAt);
    if (wayland) {
        // Where Wayland leaves the windows as far as the program can tell.
        w.move(0, 0);
        w.panel().move(0, 0);
    }
    w.panel().HScroll1->setValue(2500);
    w.close();
    const QByteArray written = readFile(iniBeside(fp));
    if (saved.isEmpty())
        saved = QStringLiteral("%1,%2,%3,%4,").arg(w.x() * 15).arg(w.y() * 15).arg(w.panel().x() * 15).arg(w.panel().y() * 15).toUtf8();
    QVERIFY2(written.startsWith(saved), written.constData());
    // Nothing else is lost.
    QVERIFY(written.contains(",2500,"));
    QVERIFY(fp.alerts.calls.isEmpty());
}

void TestSettingsFile::notAPlainFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"folder", "dangling link", "pipe", "link to a pipe", "link to a device", "link to a file"})
        QTest::newRow(kind) << kind;
}

// A pipe would block start-up for ever, and replacing a device through a
// link, as root, turns it into a plain file. A link to a file stays a link.
void TestSettingsFile::notAPlainFile()
{
    QFETCH(QString, kind);
    FakePlatform fp;
    const QString beside = iniBeside(fp);
    const QString other = m_home->filePath("other");
    const bool usable = kind == "link to a file";
    if (kind == "folder")
        QVERIFY(QDir().mkpath(beside));
    else if (usable)
        QVERIFY(writeFile(other, kExample));
#ifdef Q_OS_UNIX
    else if (kind.endsWith("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(kind == "pipe" ? beside : other).constData(), 0600), 0);
    else if (kind.endsWith("device") && ::getuid() == 0) // a device of the test's own: its copy of /dev/null
        QCOMPARE(::mknod(QFile::encodeName(other).constData(), S_IFCHR | 0600, makedev(1, 3)), 0);
    else if (kind.endsWith("device")) // which this user cannot replace
        QVERIFY(QFile::link("/dev/null", other));
#else
    else if (kind != "dangling link")
        QSKIP("needs pipes and devices");
#endif
    if (kind.contains("link"))
        QVERIFY(QFile::link(other, beside));
    const auto kindOf = [](const QString &path) { QFileInfo info(path); return std::tuple(info.isSymLink(), info.isDir(), info.isFile(), info.size()); };
    const auto before = kindOf(beside);
    const auto otherBefore = kindOf(other);
    startAndClose(fp, [&](Form1 &form) {
        if (usable)
            QCOMPARE(form.panel().HScroll1->value(), 1000);
        else
            checkDefaults(form);
        form.panel().HScroll1->setValue(4321);
    });
    QVERIFY(fp.alerts.calls.isEmpty());
    QCOMPARE(kindOf(beside), before);
    QVERIFY(readFile(usable ? other : iniPerUser(fp)).contains(",4321,"));
    if (usable) {
        QVERIFY(!QFileInfo::exists(iniPerUser(fp)));
        return;
    }
    QCOMPARE(kindOf(other), otherBefore);
    // The save went to the user's own file, and the next start reads it.
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.panel().HScroll1->value(), 4321);
}

void TestSettingsFile::saveProblems_data()
{
    QTest::addColumn<QString>("problem");
    QTest::addColumn<plat::AlertIcon>("icon");
    QTest::newRow("nowhere to write") << "nowhere" << plat::AlertIcon::Warning;
    QTest::newRow("disk full") << "disk full" << plat::AlertIcon::Warning;
    // The line cannot hold a double quote: that path is saved empty.
    QTest::newRow("path with a double quote") << "quote" << plat::AlertIcon::Information;
}

void TestSettingsFile::saveProblems()
{
    QFETCH(QString, problem);
    QFETCH(plat::AlertIcon, icon);
    FakePlatform fp;
    std::unique_ptr<HomeAt> home;
    if (problem == "nowhere") {
        // No program folder, and the per-user folder under a plain file.
        fp.process.path = fp.process.folder.filePath("not/there/TT04K0007");
        QVERIFY(writeFile(m_home->filePath("plain"), "x"));
        home = std::make_unique<HomeAt>(m_home->filePath("plain/home"));
    } else {
        QVERIFY(writeFile(iniBeside(fp), kExample));
    }
    Form1 form(fp.platform);
    form.Form_Load();
    form.panel().HScroll1->setValue(2000);
    if (problem == "quote")
        form.sign().makuPath[1] = fp.process.folder.filePath("say \"hello\".png");
#ifdef Q_OS_UNIX
    rlimit before{};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (problem == "disk full") {
        // A disk that fills up after the first few bytes of the new file.
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit small = before;
        small.rlim_cur = 16;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    form.close();
    if (problem == "disk full")
        setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
#else
    if (problem == "disk full")
        QSKIP("needs a file size limit");
    form.close();
#endif
    QCOMPARE(fp.process.exits, QList<int>{0});
    // One short Japanese box; the file's own words go to the error output.
    QCOMPARE(fp.alerts.calls.size(), 1);
    QCOMPARE(fp.alerts.calls[0].icon, icon);
    QString text = fp.alerts.calls[0].text;
    text.remove(QDir::toNativeSeparators(SettingsLocation::of(plat::programFolder(fp.process), "TT04K0007").writePath));
    QVERIFY2(!text.contains(QRegularExpression("[A-Za-z]")) && text.size() < 60, qPrintable(text));
    // A failed save leaves the previous file whole, with no copy beside it.
    if (problem == "disk full") {
        QCOMPARE(readFile(iniBeside(fp)), kExample);
        QCOMPARE(QDir(fp.process.folder.path()).entryList(QDir::Files), QStringList{"TT04K0007.ini"});
    } else if (problem == "quote") {
        QCOMPARE(readFile(iniBeside(fp)), example(",1000,6000,", ",2000,6000,"));
    }
}

void TestSettingsFile::endOfSession_data()
{
    QTest::addColumn<int>("signal"); // 0: the session manager asks
    QTest::addColumn<bool>("beforeStart"); // the request comes before the file is applied
    QTest::newRow("session ends after start-up") << 0 << false;
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM before") << int(SIGTERM) << true;
    QTest::newRow("SIGHUP after start-up") << int(SIGHUP) << false;
#endif
}

void TestSettingsFile::endOfSession()
{
    QFETCH(int, signal);
    QFETCH(bool, beforeStart);
    FakePlatform fp;
    QVERIFY(writeFile(iniBeside(fp), kExample));
    const auto oldHandler = std::signal(SIGTERM, SIG_IGN);
    const auto openFiles = [] { return QDir("/proc/self/fd").count(); };
    const uint filesBefore = openFiles();
    {
        plat::EndRequests requests;
        Form1 form(fp.platform);
        form.followEndRequests(requests);
        const auto request = [&] { signal ? void(std::raise(signal)) : form.endOfSession(); };
        if (beforeStart)
            request();
        form.Form_Load();
        form.panel().HScroll1->setValue(2000);
        if (!beforeStart)
            request();
        QTRY_COMPARE(fp.process.exits, QList<int>{0});
    }
    // The handler that was there before comes back, and no file stays open.
    QVERIFY(std::signal(SIGTERM, oldHandler) == SIG_IGN);
    QCOMPARE(openFiles(), filesBefore);
    // Saved as a close saves; but before the file was applied, nothing is.
    QCOMPARE(readFile(iniBeside(fp)), beforeStart ? kExample : example(",1000,", ",2000,"));
    QVERIFY(fp.alerts.calls.isEmpty());
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
