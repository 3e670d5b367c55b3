// The coach window and its control panel as the user first meets them, the
// door outline, start-up and shutdown, and the front door run.

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

class TestCoachWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coachControls_data();
    void coachControls();
    void panelControls_data();
    void panelControls();
    void outline_data();
    void outline();
    void startAndEnd_data();
    void startAndEnd();
    void frontDoorRuns();
    void handlersRunInsideADoorStep();
};

// Each row is named after its control.
void TestCoachWindow::coachControls_data()
{
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("inFront"); // how many sibling controls lie in front of it
    QTest::newRow("picSlideBase1") << QRect(270, 825, 1155, 2715) << true << 0;
    QTest::newRow("Picture1") << QRect(270, 825, 1155, 2715) << true << 1;
    QTest::newRow("picWaku1_0") << QRect(2355, 1755, 750, 285) << true << 2;
    QTest::newRow("picWaku1_1") << QRect(6900, 3240, 780, 540) << false << 3;
    QTest::newRow("PicKanban") << QRect(10620, 1800, 1410, 450) << true << 4;
    QTest::newRow("imgNakaorido_1") << QRect(5910, 3660, 930, 2310) << false << 5;
    QTest::newRow("imgNakaorido_0") << QRect(5010, 3660, 930, 2310) << false << 6;
    QTest::newRow("shpK_Waku_0") << QRect(10545, 1785, 75, 495) << true << 7;
    QTest::newRow("shpK_Waku_1") << QRect(12030, 1785, 75, 495) << true << 8;
    QTest::newRow("shpK_Waku_2") << QRect(10545, 2250, 1560, 60) << true << 9;
    QTest::newRow("imgMaku1_0") << QRect(0, 0, 750, 3750) << true << 0;
    QTest::newRow("imgMaku1_1") << QRect(-30, 30, 735, 3750) << true << 0;
}

void TestCoachWindow::coachControls()
{
    QFETCH(QRect, twips);
    QFETCH(bool, shown);
    QFETCH(int, inFront);
    FakePlatform fp;
    Form1 form(fp.platform);
    QCOMPARE(form.size(), QSize(868, 254));
    auto *w = form.findChild<QWidget *>(QTest::currentDataTag());
    QVERIFY(w);
    const controls::TwipsRect t = dynamic_cast<controls::TwipsGeometry &>(*w).twips();
    QCOMPARE(QRectF(t.left, t.top, t.width, t.height), QRectF(twips));
    QCOMPARE(!w->isHidden(), shown);
    // Siblings stack in creation order, the front one last.
    const QObjectList &all = w->parent()->children();
    int seen = 0;
    for (qsizetype i = all.indexOf(w) + 1; i < all.size(); ++i)
        seen += qobject_cast<QWidget *>(all[i]) && !qobject_cast<QWidget *>(all[i])->isWindow();
    QCOMPARE(seen, inFront);
    // The frame's pieces: a one-pixel grey border round a light grey fill.
    if (dynamic_cast<controls::ShapeControl *>(w)) {
        const QImage shape = w->grab().toImage();
        const QPoint far(shape.width() - 1, shape.height() - 1);
        for (const QPoint p : {QPoint(0, 0), far})
            QCOMPARE(shape.pixel(p), qRgb(0x80, 0x80, 0x80));
        for (const QPoint p : {QPoint(1, 1), far - QPoint(1, 1)})
            QCOMPARE(shape.pixel(p), qRgb(0xE0, 0xE0, 0xE0));
    }
}

// What each control of the panel shows; a slider's text is its least,
// greatest and first value, then its small and large change. Every control
// shown paints something.
void TestCoachWindow::panelControls_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("text");
    QTest::newRow("Check1") << true << true << "";
    QTest::newRow("HScroll1") << true << true << "1 30000 1000 1 1";
    QTest::newRow("HScroll2") << false << true << "1 30000 10000 1 1";
    QTest::newRow("Frame2") << false << false << "中扉動作";
    QTest::newRow("Option1_2") << true << true << "右";
    QTest::newRow("Label1") << true << true << "幕の速度";
    QTest::newRow("scllMakuSpeed_0") << true << true << "0 1000 0 1 1";
    QTest::newRow("scllMakuSpeed_1") << false << false << "0 1000 0 1 1";
    QTest::newRow("Command3") << true << true << "バージョン情報";
}

void TestCoachWindow::panelControls()
{
    QFETCH(bool, shown);
    QFETCH(bool, enabled);
    QFETCH(QString, text);
    FakePlatform fp;
    Form1 form(fp.platform);
    auto *w = form.panel().findChild<QWidget *>(QTest::currentDataTag());
    QVERIFY(w);
    QCOMPARE(!w->isHidden(), shown);
    QCOMPARE(w->isEnabledTo(w->parentWidget()), enabled);
    QString seen = w->property("text").toString() + w->property("title").toString();
    if (auto *s = qobject_cast<QScrollBar *>(w))
        seen = QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(s->minimum()).arg(s->maximum()).arg(s->value())
                   .arg(s->singleStep()).arg(s->pageStep());
    QCOMPARE(seen, text);
    if (!shown)
        return;
    const QImage painted = w->grab().toImage();
    bool varied = false;
    for (int y = 0; y < painted.height() && !varied; ++y)
        for (int x = 0; x < painted.width() && !varied; ++x)
            varied = painted.pixel(x, y) != painted.pixel(0, 0);
    QVERIFY2(varied, "shows nothing");
}

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
