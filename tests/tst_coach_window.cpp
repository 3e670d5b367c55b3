// The coach window and its control panel at start-up and shutdown, the door
// outline, and the front door run. How they look is checked by the renders.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "platform/pacing.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

class TestCoachWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outline_data();
    void outline();
    void startAndEnd_data();
    void startAndEnd();
    void panelKeepsBelowTheCoach();
    void frontDoorRuns();
    void realPacingNeverEndsEarly();
    void handlersRunInsideADoorStep();
};

void TestCoachWindow::outline_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    QTest::newRow("left of the slanted top edge") << QPoint(8, 30) << false;
    QTest::newRow("top edge, first pixel") << QPoint(24, 0) << true;
    QTest::newRow("last column inside") << QPoint(75, 100) << true;
    QTest::newRow("right edge is outside") << QPoint(76, 100) << false;
    QTest::newRow("below the rising bottom edge") << QPoint(40, 178) << false;
    QTest::newRow("lower front corner cut") << QPoint(1, 170) << false;
}

void TestCoachWindow::outline()
{
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    QCOMPARE(form.Picture1->mask().contains(point), inside);
    // The outline belongs to the leaf and moves with it.
    form.picSlideBase1->setLeft(1260);
    QCOMPARE(form.picSlideBase1->pos(), QPoint(84, 55));
    QCOMPARE(form.picSlideBase1->mask().contains(point), inside);
}

void TestCoachWindow::startAndEnd_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::newRow("model number") << "/usr/games/TT04K0007" << "トトラ　-　TT04K0007";
    QTest::newRow("renamed") << "/home/u/my.bus.exe" << "トトラ　-　my.bus";
}

void TestCoachWindow::startAndEnd()
{
    QFETCH(QString, path);
    QFETCH(QString, caption);
    FakePlatform fp;
    fp.process.path = path;
    Form1 form(fp.platform);
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowStaysOnTopHint)));
    form.LoadIni(); // creates the panel, still hidden
    QVERIFY(form.panelExists() && form.panel().isHidden());
    form.Form_Load();
    QCOMPARE(form.windowTitle(), caption);
    form.show();
    frmSet &set = form.panel();
    QVERIFY(set.isVisible() && !set.parentWidget());
    QCOMPARE(set.windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint),
             Qt::Tool | Qt::WindowStaysOnTopHint);
    QCOMPARE(set.windowTitle(), QStringLiteral("設定パネル"));
    QCOMPARE(set.size(), QSize(265, 144));
    // Closing the panel leaves the program running; closing the coach ends it.
    set.close();
    QVERIFY(fp.process.exits.isEmpty());
    form.close();
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

// Until the window manager's frame arrives, the panel keeps below the coach;
// once the user has moved it, it stays where it was put.
void TestCoachWindow::panelKeepsBelowTheCoach()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    form.show();
    form.move(40, 30);
    QTRY_COMPARE(form.panel().pos(), QPoint(40, 30 + form.frameGeometry().height()));
    form.panel().move(300, 300);
    form.move(0, 0);
    QTest::qWait(150);
    QCOMPARE(form.panel().pos(), QPoint(300, 300));
}

// Each click: a second's pause, then 496 steps of 2 twips from the run's own
// starting place, each paced by the slider, with the switch locked meanwhile.
void TestCoachWindow::frontDoorRuns()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    frmSet &set = form.panel();
    set.HScroll1->setValue(30);
    QList<float> lefts;
    bool locked = true;
    fp.pacing.onWait = [&](int) {
        lefts.append(form.picSlideBase1->twipsLeft());
        locked = locked && !set.Check1->isEnabled();
    };
    const float runs[][3] = {{270, 272, 1260}, {1260, 1258, 270}};
    for (const auto &[first, second, last] : runs) {
        form.picSlideBase1->setLeft(700);
        lefts.clear();
        fp.pacing.waits.clear();
        fp.pacing.sleeps.clear();
        set.Check1->click();
        QCOMPARE(fp.pacing.sleeps, QList<int>({1000}));
        QCOMPARE(fp.pacing.waits, QList<int>(496, 30));
        QCOMPARE(QList<float>({lefts[0], lefts[1], lefts.last()}), QList<float>({first, second, last}));
        QVERIFY(locked && set.Check1->isEnabled());
        QCOMPARE(form.picSlideBase1->twipsLeft(), last);
        QCOMPARE(form.Picture1->twipsLeft(), 270.0f);
    }
}

// A door's speed rests on each wait lasting at least its passes.
void TestCoachWindow::realPacingNeverEndsEarly()
{
    plat::RealPacing pacing;
    QElapsedTimer clock;
    clock.start();
    pacing.wait(3000);
    QVERIFY(clock.nsecsElapsed() >= (plat::RealPacing::kPassCost * 3000).count());
}

// Each step processes pending events once: the slider's change paces the
// next step, and closing the coach ends the program at once.
void TestCoachWindow::handlersRunInsideADoorStep()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.Form_Load();
    form.show();
    frmSet &set = form.panel();
    bool ran = false;
    QTimer::singleShot(0, &form, [&] { ran = true; });
    QList<bool> seen;
    fp.pacing.onWait = [&](int i) {
        seen.append(ran);
        if (i == 9)
            QTimer::singleShot(0, &form, [&] { set.HScroll1->setValue(25000); });
        if (i == 20)
            QTimer::singleShot(0, &form, [&] { form.close(); });
    };
    set.Check1->setChecked(true);
    QCOMPARE(seen.mid(0, 2), QList<bool>({false, true})); // not during the pause
    QCOMPARE(fp.pacing.waits.mid(9, 3), QList<int>({1000, 25000, 25000}));
    QCOMPARE(set.lblMaeSpeed->text(), QStringLiteral("25000"));
    QCOMPARE(fp.process.exits, QList<int>({0}));
}

QTEST_MAIN(TestCoachWindow)
#include "tst_coach_window.moc"
