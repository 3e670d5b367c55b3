// The settings file as the windows use it: what a start-up applies, what the
// shutdown writes, where the file lives, and what happens when it cannot be
// read or written.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "settings/settings_location.h"
#include "settings/settings_record.h"
#include "sign/destination_sign.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using controls::TwipsRect;

namespace {

const QByteArray kExample =
    R"(1200,900,1200,5100,"C:\maku\side.bmp","",19,1,"C:\maku\board.bmp",10620,1800,#TRUE#,#FALSE#,1000,6000,0)"
    "\r\n";

QString iniBeside(FakePlatform &fp) { return fp.process.folder.filePath("TT04K0007.ini"); }

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

// The sixteen fields with the three paths as %1 (strip 0), %2 (strip 1) and
// %3 (signboard).
QByteArray line(const QString &pattern, const QString &strip0, const QString &strip1,
                const QString &board)
{
    return pattern.arg(strip0, strip1, board).toUtf8() + "\r\n";
}

// Points HOME, and with it the per-user folder of the test mode, elsewhere
// while it lives.
class HomeAt {
public:
    explicit HomeAt(const QString &path) : m_old(qgetenv("HOME"))
    {
        qputenv("HOME", QFile::encodeName(path));
    }
    ~HomeAt() { qputenv("HOME", m_old); }

private:
    QByteArray m_old;
};

void checkDefaults(Form1 &form)
{
    frmSet &set = form.panel();
    QCOMPARE(form.pos(), QPoint(0, 0));
    QCOMPARE(set.pos(), QPoint(0, form.frameGeometry().height()));
    QCOMPARE(set.HScroll1->value(), 1000);
    QCOMPARE(set.HScroll2->value(), 6000);
    QCOMPARE(set.scllMakuSpeed[0]->value(), 1);
    QCOMPARE(set.scllMakuSpeed[1]->value(), 1);
    QVERIFY(set.Option1[0]->isChecked());
    QCOMPARE(form.PicKanban->twips(), (TwipsRect{8910, 1605, 1410, 450}));
    QVERIFY(form.PicKanban->picture().isNull());
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void classicLineWithMissingPictures();
    void defaultsPath_data();
    void defaultsPath();
    void unloadablePicture_data();
    void unloadablePicture();
    void placesOffScreen_data();
    void placesOffScreen();
    void labelsKeepTheirTextForUnchangedValues();
    void closedPanelKeepsItsValues();
    void location_data();
    void location();
    void locationSeesReadOnlyFolder();
    void perUserFileWhenProgramFolderIsNotWritable();
    void unwritable_data();
    void unwritable();
    void failedWriteKeepsPreviousFile();
    void unstorablePathIsReported();

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

void TestSettingsFile::roundTrip_data()
{
    QTest::addColumn<bool>("kanbanShown");
    QTest::addColumn<bool>("frameShown");
    QTest::newRow("signboard shown, frame hidden") << true << false;
    QTest::newRow("signboard hidden, frame shown") << false << true;
}

void TestSettingsFile::roundTrip()
{
    QFETCH(bool, kanbanShown);
    QFETCH(bool, frameShown);
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    const QString strip0 = writePicture(folder, "strip0.png", {50, 300});
    const QString strip1 = writePicture(folder, "strip1.bmp", {50, 120});
    const QString board = writePicture(folder, "board.png", {80, 40});
    QByteArray saved;
    {
        Form1 form(fp.platform);
        form.Form_Load();
        frmSet &set = form.panel();
        form.move(150, 90);
        set.move(300, 400);
        form.sign().makuPath = {strip0, strip1};
        form.signboard().kanbanPath = board;
        form.PicKanban->setLeft(3000);
        form.PicKanban->setTop(1500);
        form.MnuViewKanban->setChecked(kanbanShown);
        form.MnuViewWaku->setChecked(frameShown);
        set.HScroll1->setValue(30000);
        set.HScroll2->setValue(1);
        set.scllMakuSpeed[0]->setValue(250);
        set.scllMakuSpeed[1]->setValue(1000);
        set.Option1[2]->setChecked(true);
        form.close();
        QCOMPARE(fp.process.exits, QList<int>({0}));
        saved = readFile(iniBeside(fp));
    }
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    QCOMPARE(form.pos(), QPoint(150, 90));
    QCOMPARE(set.pos(), QPoint(300, 400));
    QCOMPARE(form.sign().makuPath, (std::array<QString, 2>{strip0, strip1}));
    QCOMPARE(form.imgMaku1[0]->picture().size(), QSize(50, 300));
    QCOMPARE(form.imgMaku1[1]->picture().size(), QSize(50, 120));
    QCOMPARE(form.signboard().kanbanPath, board);
    // Placed, then given the picture's size, then the frame fitted round it.
    QCOMPARE(form.PicKanban->twips(), (TwipsRect{3000, 1500, 1200, 600}));
    QCOMPARE(form.shpK_Waku[0]->twips(), (TwipsRect{2925, 1500, 75, 615}));
    QCOMPARE(form.shpK_Waku[1]->twips(), (TwipsRect{4200, 1500, 75, 615}));
    QCOMPARE(form.shpK_Waku[2]->twips(), (TwipsRect{2925, 2100, 1350, 60}));
    QCOMPARE(form.MnuViewKanban->isChecked(), kanbanShown);
    QCOMPARE(form.PicKanban->isVisibleTo(&form), kanbanShown);
    QCOMPARE(form.MnuViewWaku->isChecked(), frameShown);
    for (auto *shape : form.shpK_Waku)
        QCOMPARE(shape->isVisibleTo(&form), frameShown);
    QCOMPARE(set.HScroll1->value(), 30000);
    QCOMPARE(set.HScroll2->value(), 1);
    QCOMPARE(set.scllMakuSpeed[0]->value(), 250);
    QCOMPARE(set.scllMakuSpeed[1]->value(), 1000);
    QVERIFY(set.Option1[2]->isChecked());
    QVERIFY(fp.alerts.calls.isEmpty());
    // Nothing drifts: saving again writes the same line.
    form.close();
    QCOMPARE(readFile(iniBeside(fp)), saved);
}

void TestSettingsFile::classicLineWithMissingPictures()
{
    FakePlatform fp;
    QVERIFY(writeFile(iniBeside(fp), kExample));
    Form1 form(fp.platform);
    form.Form_Load();
    QVERIFY(form.imgMaku1[0]->picture().isNull());
    QVERIFY(form.PicKanban->picture().isNull());
    QVERIFY(fp.alerts.calls.isEmpty());
    // Every other field applied, and the paths kept: the same line comes back.
    form.close();
    QCOMPARE(readFile(iniBeside(fp)), kExample);
}

void TestSettingsFile::defaultsPath_data()
{
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("pathsKept");     // how many of the three paths the file hands over
    QTest::addColumn<bool>("marksFromFile"); // the file's two marks are both #FALSE#
    QTest::addColumn<bool>("stripsLoaded");
    const QString tail = "%3\",600,300,#FALSE#,#FALSE#,";
    QTest::newRow("no file") << false << QString() << 0 << false << false;
    QTest::newRow("empty file") << true << QString() << 0 << false << false;
    QTest::newRow("sign step 1001")
        << true << "1200,900,1200,5100,\"%1\",\"%2\",1001,1,\"" + tail + "1200,5000,1" << 3 << true
        << false;
    QTest::newRow("front door slider 0")
        << true << "1200,900,1200,5100,\"%1\",\"%2\",5,5,\"" + tail + "0,5000,1" << 3 << true
        << false;
    QTest::newRow("option 3") << true << "1200,900,1200,5100,\"%1\",\"%2\",5,5,\"" + tail + "1200,5000,3"
                              << 3 << true << true;
    QTest::newRow("ends after field 6") << true << "1200,900,1200,5100,\"%1\",\"%2\"" << 2 << false
                                        << false;
    QTest::newRow("text where a number belongs")
        << true << "\"x\",900,1200,5100,\"%1\",\"%2\",5,5,\"" + tail + "1200,5000,1" << 0 << false
        << false;
}

void TestSettingsFile::defaultsPath()
{
    QFETCH(bool, hasFile);
    QFETCH(QString, pattern);
    QFETCH(int, pathsKept);
    QFETCH(bool, marksFromFile);
    QFETCH(bool, stripsLoaded);
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    const QString strip = writePicture(folder, "strip.png", {50, 200});
    const QString board = writePicture(folder, "board.png", {80, 40});
    if (hasFile)
        QVERIFY(writeFile(iniBeside(fp), pattern.isEmpty() ? QByteArray()
                                                           : line(pattern, strip, strip, board)));
    Form1 form(fp.platform);
    form.Form_Load();
    checkDefaults(form);
    QCOMPARE(form.sign().makuPath[0], pathsKept >= 1 ? strip : QString());
    QCOMPARE(form.sign().makuPath[1], pathsKept >= 2 ? strip : QString());
    QCOMPARE(form.signboard().kanbanPath, pathsKept >= 3 ? board : QString());
    QCOMPARE(form.MnuViewKanban->isChecked(), !marksFromFile);
    QCOMPARE(form.PicKanban->isVisibleTo(&form), !marksFromFile);
    QCOMPARE(form.MnuViewWaku->isChecked(), !marksFromFile);
    QCOMPARE(form.shpK_Waku[2]->isVisibleTo(&form), !marksFromFile);
    QCOMPARE(!form.imgMaku1[0]->picture().isNull(), stripsLoaded);
    QCOMPARE(!form.imgMaku1[1]->picture().isNull(), stripsLoaded);
    QVERIFY(fp.alerts.calls.isEmpty());
    // The paths read are written back at exit.
    form.close();
    const SettingsReadResult saved = readSettingsRecord(readFile(iniBeside(fp)));
    QVERIFY(saved.complete());
    QCOMPARE(saved.record.kanbanPath, form.signboard().kanbanPath);
    QCOMPARE(saved.record.makuPath1, form.sign().makuPath[1]);
}

void TestSettingsFile::unloadablePicture_data()
{
    QTest::addColumn<int>("broken"); // 0, 1: that strip's file; 2: the signboard's
    QTest::addColumn<bool>("deleted"); // else it holds text, not a picture
    QTest::newRow("strip 0 deleted") << 0 << true;
    QTest::newRow("strip 1 deleted") << 1 << true;
    QTest::newRow("signboard deleted") << 2 << true;
    QTest::newRow("signboard not a picture") << 2 << false;
}

void TestSettingsFile::unloadablePicture()
{
    QFETCH(int, broken);
    QFETCH(bool, deleted);
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    QStringList paths{writePicture(folder, "s0.png", {50, 300}),
                      writePicture(folder, "s1.png", {50, 120}),
                      writePicture(folder, "k.png", {80, 40})};
    if (deleted)
        QVERIFY(QFile::remove(paths[broken]));
    else
        QVERIFY(writeFile(paths[broken], "no picture here\r\n"));
    const QByteArray bytes = line(
        "1200,900,1200,5100,\"%1\",\"%2\",19,7,\"%3\",3000,1500,#TRUE#,#TRUE#,1200,5000,2",
        paths[0], paths[1], paths[2]);
    QVERIFY(writeFile(iniBeside(fp), bytes));
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.imgMaku1[0]->picture().isNull(), broken == 0);
    QCOMPARE(form.imgMaku1[1]->picture().isNull(), broken == 1);
    QCOMPARE(form.PicKanban->picture().isNull(), broken == 2);
    const TwipsRect kanban{3000, 1500, broken == 2 ? 1410.0f : 1200.0f,
                           broken == 2 ? 450.0f : 600.0f};
    QCOMPARE(form.PicKanban->twips(), kanban);
    QCOMPARE(form.shpK_Waku[1]->twipsLeft(), kanban.left + kanban.width);
    QVERIFY(fp.alerts.calls.isEmpty());
    // Every field applied and the broken path kept: the same line comes back.
    form.close();
    QCOMPARE(readFile(iniBeside(fp)), bytes);
}

void TestSettingsFile::placesOffScreen_data()
{
    // The offscreen platform has one 800 x 600 screen; the main window's frame
    // is 868 x 254 pixels, the panel's 265 x 144.
    QTest::addColumn<QPoint>("form");  // in pixels, as written to the file
    QTest::addColumn<QPoint>("panel");
    QTest::addColumn<QPoint>("formAt");
    QTest::addColumn<QPoint>("panelAt"); // (-1, -1): just below the main window
    const QPoint below(-1, -1);
    QTest::newRow("both on the screen") << QPoint(80, 60) << QPoint(80, 340) << QPoint(80, 60)
                                        << QPoint(80, 340);
    QTest::newRow("partly on the screen") << QPoint(-867, 599) << QPoint(799, -143)
                                          << QPoint(-867, 599) << QPoint(799, -143);
    QTest::newRow("main window right of the screen")
        << QPoint(800, 60) << QPoint(80, 340) << QPoint(0, 0) << QPoint(80, 340);
    QTest::newRow("main window above the screen")
        << QPoint(80, -254) << QPoint(80, 340) << QPoint(0, 0) << QPoint(80, 340);
    QTest::newRow("panel left of the screen")
        << QPoint(80, 60) << QPoint(-265, 340) << QPoint(80, 60) << below;
    QTest::newRow("both far away") << QPoint(-20000, 30000) << QPoint(5000, 5000) << QPoint(0, 0)
                                   << below;
}

void TestSettingsFile::placesOffScreen()
{
    QFETCH(QPoint, form);
    QFETCH(QPoint, panel);
    QFETCH(QPoint, formAt);
    QFETCH(QPoint, panelAt);
    FakePlatform fp;
    const QString places = QStringLiteral("%1,%2,%3,%4,")
                               .arg(form.x() * 15).arg(form.y() * 15)
                               .arg(panel.x() * 15).arg(panel.y() * 15);
    QVERIFY(writeFile(iniBeside(fp),
                      places.toUtf8() + R"("","",1,1,"",600,300,#TRUE#,#TRUE#,1200,5000,1)"));
    Form1 w(fp.platform);
    w.Form_Load();
    QCOMPARE(w.pos(), formAt);
    if (panelAt == QPoint(-1, -1))
        panelAt = QPoint(w.x(), w.y() + w.frameGeometry().height());
    QCOMPARE(w.panel().pos(), panelAt);
    // Nothing else is lost.
    QCOMPARE(w.panel().HScroll1->value(), 1200);
    QVERIFY(w.panel().Option1[1]->isChecked());
}

// Values equal to the sliders' design values change nothing, so the labels
// keep their design text; changed values show (see tst_coach_window).
void TestSettingsFile::labelsKeepTheirTextForUnchangedValues()
{
    FakePlatform fp;
    QVERIFY(writeFile(iniBeside(fp), R"(0,0,0,3810,"","",0,0,"",600,300,#TRUE#,#TRUE#,1000,10000,0)"));
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    QCOMPARE(set.HScroll1->value(), 1000);
    const QStringList shown{set.lblMaeSpeed->text(), set.lblNakaSpeed->text(),
                            set.lblMakuSpeed[0]->text(), set.lblMakuSpeed[1]->text()};
    QCOMPARE(shown, QStringList({"0", "0", "0", "0"}));
}

void TestSettingsFile::closedPanelKeepsItsValues()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    set.move(120, 450);
    set.HScroll1->setValue(2500);
    set.scllMakuSpeed[0]->setValue(40);
    set.Option1[1]->setChecked(true);
    set.close();
    form.close();
    const SettingsReadResult saved = readSettingsRecord(readFile(iniBeside(fp)));
    QVERIFY(saved.complete());
    QCOMPARE(saved.record.frmSetLeft, 1800);
    QCOMPARE(saved.record.frmSetTop, 6750);
    QCOMPARE(saved.record.hScroll1, 2500);
    QCOMPARE(saved.record.hScroll2, 6000);
    QCOMPARE(saved.record.makuSpeed0, 40);
    QCOMPARE(saved.record.option, qint16(1));
}

void TestSettingsFile::location_data()
{
    QTest::addColumn<QString>("programFolder"); // "writable", "missing" or "read-only"
    QTest::addColumn<bool>("besideExists");
    QTest::addColumn<bool>("perUserExists");
    QTest::addColumn<bool>("readsBeside");
    QTest::addColumn<bool>("writesBeside");
    QTest::newRow("first start") << "writable" << false << false << false << true;
    QTest::newRow("file beside") << "writable" << true << false << true << true;
    QTest::newRow("file in both") << "writable" << true << true << true << true;
    QTest::newRow("per-user file only") << "writable" << false << true << false << true;
    QTest::newRow("no program folder") << "missing" << false << false << false << false;
    QTest::newRow("no program folder, per-user file") << "missing" << false << true << false
                                                      << false;
    QTest::newRow("read-only folder with a file") << "read-only" << true << false << true << false;
    // Saves went per-user; a stale file beside the program must not hide them.
    QTest::newRow("read-only folder, file in both") << "read-only" << true << true << false << false;
}

void TestSettingsFile::location()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, besideExists);
    QFETCH(bool, perUserExists);
    QFETCH(bool, readsBeside);
    QFETCH(bool, writesBeside);
    FakePlatform fp;
    QDir folder(fp.process.folder.path());
    if (programFolder == "missing")
        fp.process.path = folder.filePath("not/there/TT04K0007");
    const SettingsLocation where = SettingsLocation::of(fp.process);
    QCOMPARE(where.besideProgram, QDir(plat::programFolder(fp.process)).filePath("TT04K0007.ini"));
    QCOMPARE(where.perUser,
             QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                 .filePath("TT04K0007.ini"));
    QVERIFY(where.perUser.startsWith(m_home->path()));
    if (besideExists)
        QVERIFY(writeFile(where.besideProgram, kExample));
    if (perUserExists) {
        QVERIFY(QDir().mkpath(QFileInfo(where.perUser).absolutePath()));
        QVERIFY(writeFile(where.perUser, kExample));
    }
    SettingsLocation seen = where;
    if (programFolder == "read-only")
        seen.besideWritable = false; // as of() finds it; checked against real permissions below
    QCOMPARE(seen.readPath(), readsBeside ? where.besideProgram : where.perUser);
    QCOMPARE(seen.writePath(), writesBeside ? where.besideProgram : where.perUser);
}

void TestSettingsFile::locationSeesReadOnlyFolder()
{
    FakePlatform fp;
    const QString folder = fp.process.folder.path();
    QVERIFY(SettingsLocation::of(fp.process).besideWritable);
    const auto permissions = QFile::permissions(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool binds = !QFileInfo(folder).isWritable();
    const bool writable = SettingsLocation::of(fp.process).besideWritable;
    QFile::setPermissions(folder, permissions);
    if (!binds)
        QSKIP("permission bits do not bind this user");
    QVERIFY(!writable);
}

void TestSettingsFile::perUserFileWhenProgramFolderIsNotWritable()
{
    FakePlatform fp;
    fp.process.path = fp.process.folder.filePath("not/there/TT04K0007");
    const QString perUser = SettingsLocation::of(fp.process).perUser;
    {
        Form1 form(fp.platform);
        form.Form_Load();
        form.panel().HScroll1->setValue(4321);
        form.close();
    }
    QVERIFY(fp.alerts.calls.isEmpty());
    QVERIFY(QFileInfo::exists(perUser)); // its folder made on the way
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.panel().HScroll1->value(), 4321);
}

void TestSettingsFile::unwritable_data()
{
    QTest::addColumn<bool>("besideIsAFolder"); // else no folder for the file can be made
    QTest::newRow("a folder where the file belongs") << true;
    QTest::newRow("no program folder, per-user folder under a file") << false;
}

void TestSettingsFile::unwritable()
{
    QFETCH(bool, besideIsAFolder);
    FakePlatform fp;
    std::unique_ptr<HomeAt> home;
    if (besideIsAFolder) {
        QVERIFY(QDir().mkpath(iniBeside(fp)));
    } else {
        fp.process.path = fp.process.folder.filePath("not/there/TT04K0007");
        const QString file = m_home->filePath("plain-file");
        QVERIFY(writeFile(file, "x"));
        home = std::make_unique<HomeAt>(file + "/home");
    }
    const QString target = SettingsLocation::of(fp.process).writePath();
    QCOMPARE(target == iniBeside(fp), besideIsAFolder);
    Form1 form(fp.platform);
    form.Form_Load();
    checkDefaults(form);
    form.close();
    // One message naming the file and why, then the usual end.
    QCOMPARE(fp.alerts.calls.size(), 1);
    const FakeAlerts::Call &alert = fp.alerts.calls.first();
    QCOMPARE(alert.icon, plat::AlertIcon::Warning);
    QVERIFY2(alert.text.contains(QDir::toNativeSeparators(target)), qPrintable(alert.text));
    QVERIFY2(!alert.text.section('\n', 1).trimmed().isEmpty(), qPrintable(alert.text));
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

void TestSettingsFile::failedWriteKeepsPreviousFile()
{
#ifdef Q_OS_UNIX
    FakePlatform fp;
    QVERIFY(writeFile(iniBeside(fp), kExample));
    Form1 form(fp.platform);
    form.Form_Load();
    form.panel().HScroll1->setValue(2000);
    // A disk that fills up after the first few bytes of the new file.
    rlimit before{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 16;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    form.close();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(readFile(iniBeside(fp)), kExample);
    QCOMPARE(fp.alerts.calls.size(), 1);
    QCOMPARE(fp.process.exits, QList<int>({0}));
    // No half-written copy is left behind.
    QCOMPARE(QDir(fp.process.folder.path()).entryList(QDir::Files), QStringList{"TT04K0007.ini"});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSettingsFile::unstorablePathIsReported()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    // A file name with a double quote, which the settings line cannot hold.
    form.sign().makuPath[0] = fp.process.folder.filePath("say \"hello\".png");
    form.close();
    const QList<QByteArray> fields = readFile(iniBeside(fp)).trimmed().split(',');
    QCOMPARE(fields.size(), 16);
    QCOMPARE(fields[4], QByteArray("\"\""));
    QCOMPARE(fp.alerts.calls.size(), 1);
    const FakeAlerts::Call &alert = fp.alerts.calls.first();
    QCOMPARE(alert.icon, plat::AlertIcon::Information);
    QVERIFY2(alert.text.contains(QDir::toNativeSeparators(iniBeside(fp))), qPrintable(alert.text));
    QVERIFY2(alert.text.contains("field 5"), qPrintable(alert.text));
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
