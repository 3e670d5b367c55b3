// The coach window: layout, door outline, start-up and shutdown, the
// control panel's handlers and the front door run.

#include "app/door_outline.h"
#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using controls::TwipsGeometry;

class TestCoachWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void stackingFrontToBack();
    void outline_data();
    void outline();
    void outlineMovesWithLeaf();
    void captionFromProgramName_data();
    void captionFromProgramName();
    void startUp();
    void panelControls_data();
    void panelControls();
    void valueLabels();
    void frontDoorRun_data();
    void frontDoorRun();
    void frontDoorReadsPaceEveryStep();
    void frontDoorProcessesEventsBetweenSteps();
    void closingInsideADoorStepEndsOnce();
    void closingThePanelKeepsRunning();
};

void TestCoachWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<bool>("visible");

    QTest::newRow("picSlideBase1") << "picSlideBase1" << "Form1" << QRect(270, 825, 1155, 2715)
                                   << QRect(18, 55, 77, 181) << true;
    QTest::newRow("Picture1") << "Picture1" << "Form1" << QRect(270, 825, 1155, 2715)
                              << QRect(18, 55, 77, 181) << true;
    QTest::newRow("picWaku1(0)") << "picWaku1_0" << "Form1" << QRect(2355, 1755, 750, 285)
                                 << QRect(157, 117, 50, 19) << true;
    QTest::newRow("imgMaku1(0)") << "imgMaku1_0" << "picWaku1_0" << QRect(0, 0, 750, 3750)
                                 << QRect(0, 0, 50, 250) << true;
    QTest::newRow("picWaku1(1)") << "picWaku1_1" << "Form1" << QRect(6900, 3240, 780, 540)
                                 << QRect(460, 216, 52, 36) << false;
    QTest::newRow("imgMaku1(1)") << "imgMaku1_1" << "picWaku1_1" << QRect(-30, 30, 735, 3750)
                                 << QRect(-2, 2, 49, 250) << false;
    QTest::newRow("PicKanban") << "PicKanban" << "Form1" << QRect(10620, 1800, 1410, 450)
                               << QRect(708, 120, 94, 30) << true;
    QTest::newRow("imgNakaorido(1)") << "imgNakaorido_1" << "Form1" << QRect(5910, 3660, 930, 2310)
                                     << QRect(394, 244, 62, 154) << false;
    QTest::newRow("imgNakaorido(0)") << "imgNakaorido_0" << "Form1" << QRect(5010, 3660, 930, 2310)
                                     << QRect(334, 244, 62, 154) << false;
    QTest::newRow("shpK_Waku(0)") << "shpK_Waku_0" << "Form1" << QRect(10545, 1785, 75, 495)
                                  << QRect(703, 119, 5, 33) << true;
    QTest::newRow("shpK_Waku(1)") << "shpK_Waku_1" << "Form1" << QRect(12030, 1785, 75, 495)
                                  << QRect(802, 119, 5, 33) << true;
    QTest::newRow("shpK_Waku(2)") << "shpK_Waku_2" << "Form1" << QRect(10545, 2250, 1560, 60)
                                  << QRect(703, 150, 104, 4) << true;
}

void TestCoachWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, twips);
    QFETCH(QRect, pixels);
    QFETCH(bool, visible);

    FakePlatform fp;
    Form1 form(fp.platform);
    QCOMPARE(form.size(), QSize(868, 254));
    auto *w = form.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->parentWidget()->objectName(), parent);
    auto *g = dynamic_cast<TwipsGeometry *>(w);
    QVERIFY(g);
    QCOMPARE(QRect(int(g->twipsLeft()), int(g->twipsTop()), int(g->twipsWidth()),
                   int(g->twipsHeight())),
             twips);
    QCOMPARE(w->geometry(), pixels);
    QCOMPARE(!w->isHidden(), visible || name == "imgMaku1_1");
}

void TestCoachWindow::stackingFrontToBack()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    QStringList backToFront;
    for (QObject *child : form.children())
        if (auto *w = qobject_cast<QWidget *>(child); w && !w->isWindow())
            backToFront.append(w->objectName());
    const QStringList expected{"shpK_Waku_2", "shpK_Waku_1",   "shpK_Waku_0", "imgNakaorido_0",
                               "imgNakaorido_1", "PicKanban", "picWaku1_1", "picWaku1_0",
                               "Picture1",    "picSlideBase1"};
    QCOMPARE(backToFront, expected);
}

void TestCoachWindow::outline_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    QTest::newRow("left of the slanted top edge") << QPoint(8, 30) << false;
    QTest::newRow("right of the slanted top edge") << QPoint(20, 30) << true;
    QTest::newRow("top edge, first pixel") << QPoint(24, 0) << true;
    QTest::newRow("top edge, left of it") << QPoint(23, 0) << false;
    QTest::newRow("last column inside") << QPoint(75, 100) << true;
    QTest::newRow("right edge is outside") << QPoint(76, 100) << false;
    QTest::newRow("front edge column") << QPoint(0, 120) << true;
    QTest::newRow("above the rising bottom edge") << QPoint(40, 174) << true;
    QTest::newRow("below the rising bottom edge") << QPoint(40, 178) << false;
    QTest::newRow("bottom strip at the rear") << QPoint(70, 180) << false;
    QTest::newRow("lower front corner cut") << QPoint(1, 170) << false;
}

void TestCoachWindow::outline()
{
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.picSlideBase1->mask().contains(point), inside);
    QCOMPARE(form.Picture1->mask().contains(point), inside);
}

void TestCoachWindow::outlineMovesWithLeaf()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    const QRegion before = form.picSlideBase1->mask();
    form.picSlideBase1->setLeft(1260);
    QCOMPARE(form.picSlideBase1->pos(), QPoint(84, 55));
    QCOMPARE(form.picSlideBase1->mask(), before);
    // On screen the outline has moved 66 pixels rearwards with the leaf.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage shot = form.grab().toImage();
    const QImage leaf(QStringLiteral(":/pictures/door_leaf.png"));
    const QPoint inLeaf(84 + 40, 55 + 90);
    QCOMPARE(shot.pixel(inLeaf), leaf.convertToFormat(QImage::Format_RGB32).pixel(40, 90));
}

void TestCoachWindow::captionFromProgramName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::newRow("model number") << "/usr/games/TT04K0007" << "トトラ　-　TT04K0007";
    QTest::newRow("with extension") << "C:/Apps/TT04K0007.exe" << "トトラ　-　TT04K0007";
    QTest::newRow("renamed") << "/home/u/my.bus.exe" << "トトラ　-　my.bus";
}

void TestCoachWindow::captionFromProgramName()
{
    QFETCH(QString, path);
    QFETCH(QString, caption);
    FakePlatform fp;
    fp.process.path = path;
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.windowTitle(), caption);
}

void TestCoachWindow::startUp()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    QVERIFY(!form.panelExists());
    form.LoadIni();
    // Loading the settings creates the panel, still hidden.
    QVERIFY(form.panelExists());
    QVERIFY(!form.panel().isVisible());
    form.Form_Load();
    frmSet &set = form.panel();
    QVERIFY(set.isVisible());
    QVERIFY(set.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(set.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(set.parentWidget() == nullptr);
    QVERIFY(!(form.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(set.windowTitle(), QStringLiteral("設定パネル"));
    QCOMPARE(set.size(), QSize(265, 144));
    QVERIFY(fp.process.exits.isEmpty());
}

void TestCoachWindow::panelControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("FrameA") << "FrameA" << QRect(2, 5, 257, 137) << true << true;
    QTest::newRow("Check1") << "Check1" << QRect(5, 11, 49, 34) << true << true;
    QTest::newRow("HScroll1") << "HScroll1" << QRect(57, 13, 84, 16) << true << true;
    QTest::newRow("lblMaeSpeed") << "lblMaeSpeed" << QRect(59, 30, 81, 16) << true << true;
    QTest::newRow("Check2") << "Check2" << QRect(4, 56, 49, 35) << false << false;
    QTest::newRow("HScroll2") << "HScroll2" << QRect(56, 56, 82, 16) << false << true;
    QTest::newRow("lblNakaSpeed") << "lblNakaSpeed" << QRect(58, 74, 80, 16) << false << true;
    QTest::newRow("Frame2") << "Frame2" << QRect(5, 96, 139, 32) << false << false;
    QTest::newRow("Label1") << "Label1" << QRect(153, 11, 96, 91) << true << true;
    QTest::newRow("scllMakuSpeed(0)") << "scllMakuSpeed_0" << QRect(177, 28, 66, 15) << true
                                      << true;
    QTest::newRow("lblMakuSpeed(0)") << "lblMakuSpeed_0" << QRect(176, 46, 69, 16) << true << true;
    QTest::newRow("scllMakuSpeed(1)") << "scllMakuSpeed_1" << QRect(175, 66, 70, 15) << false
                                      << false;
    QTest::newRow("Command3") << "Command3" << QRect(153, 105, 101, 24) << true << true;
}

void TestCoachWindow::panelControls()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    FakePlatform fp;
    Form1 form(fp.platform);
    auto *w = form.panel().findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), pixels);
    QCOMPARE(!w->isHidden(), visible);
    QCOMPARE(w->isEnabled(), enabled);
}

void TestCoachWindow::valueLabels()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    // The settings load set the sliders to the values they already had.
    QCOMPARE(set.lblMaeSpeed->text(), QStringLiteral("0"));
    QCOMPARE(set.lblNakaSpeed->text(), QStringLiteral("6000"));
    set.HScroll1->setValue(30000);
    QCOMPARE(set.lblMaeSpeed->text(), QStringLiteral("30000"));
    set.HScroll1->setValue(1);
    QCOMPARE(set.lblMaeSpeed->text(), QStringLiteral("1"));
    set.HScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(set.HScroll1->value(), 2);
    set.scllMakuSpeed[0]->setValue(250);
    QCOMPARE(set.lblMakuSpeed[0]->text(), QStringLiteral("250"));
    QCOMPARE(set.lblMakuSpeed[1]->text(), QStringLiteral("1"));
}

void TestCoachWindow::frontDoorRun_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("opening") << true << 270 << 1260;
    QTest::newRow("closing") << false << 1260 << 270;
}

void TestCoachWindow::frontDoorRun()
{
    QFETCH(bool, open);
    QFETCH(int, first);
    QFETCH(int, last);
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    if (!open) {
        set.Check1->setChecked(true); // opens
        fp.pacing.waits.clear();
        fp.pacing.sleeps.clear();
    }
    QList<float> lefts;
    bool switchLocked = true;
    fp.pacing.onWait = [&](int) {
        lefts.append(form.picSlideBase1->twipsLeft());
        switchLocked = switchLocked && !set.Check1->isEnabled();
    };
    set.Check1->setChecked(open);
    QCOMPARE(fp.pacing.sleeps, QList<int>({1000}));
    QCOMPARE(lefts.size(), 496);
    QCOMPARE(lefts.first(), float(first));
    QCOMPARE(lefts.last(), float(last));
    QCOMPARE(lefts[1] - lefts[0], open ? 2.0f : -2.0f);
    QVERIFY(switchLocked);
    QVERIFY(set.Check1->isEnabled());
    QCOMPARE(form.picSlideBase1->twipsLeft(), float(last));
    QCOMPARE(form.Picture1->twipsLeft(), 270.0f);
}

void TestCoachWindow::frontDoorReadsPaceEveryStep()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    fp.pacing.onWait = [&](int i) {
        if (i == 9)
            set.HScroll1->setValue(25000);
    };
    set.Check1->setChecked(true);
    QCOMPARE(fp.pacing.waits.size(), 496);
    QCOMPARE(fp.pacing.waits[9], 1000);
    QCOMPARE(fp.pacing.waits[10], 25000);
    QCOMPARE(fp.pacing.waits.last(), 25000);
    QCOMPARE(set.lblMaeSpeed->text(), QStringLiteral("25000"));
}

void TestCoachWindow::frontDoorProcessesEventsBetweenSteps()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    bool ran = false;
    QTimer::singleShot(0, &form, [&] { ran = true; });
    QList<bool> seen;
    fp.pacing.onWait = [&](int) { seen.append(ran); };
    set.Check1->setChecked(true);
    // The pending event runs after the first step, not during the pause.
    QCOMPARE(seen.mid(0, 2), QList<bool>({false, true}));
}

void TestCoachWindow::closingInsideADoorStepEndsOnce()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    form.show();
    frmSet &set = form.panel();
    fp.pacing.onWait = [&](int i) {
        if (i == 20)
            QTimer::singleShot(0, &form, [&] { form.close(); });
    };
    set.Check1->setChecked(true);
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

void TestCoachWindow::closingThePanelKeepsRunning()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    form.show();
    form.panel().close();
    QVERIFY(!form.panel().isVisible());
    QVERIFY(fp.process.exits.isEmpty());
    form.close();
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

QTEST_MAIN(TestCoachWindow)
#include "tst_coach_window.moc"
