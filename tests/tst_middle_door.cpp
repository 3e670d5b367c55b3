// The middle folding door: its three modes, where each run starts, its
// sounds, and the runs that nest inside other runs; and the front door
// drawn at each step of its slide.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"

#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

QByteArray wave(int id)
{
    QFile f(QStringLiteral(":/WAVE/%1").arg(id));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The coach, started, recording each step's leaves: left width, right
// width, right leaf's Left, left leaf's Left.
struct Rig {
    FakePlatform fp;
    Form1 form{fp.platform};
    QList<QList<float>> steps;
    std::function<void(int)> during;

    Rig()
    {
        form.Form_Load();
        fp.pacing.onWait = [this](int i) {
            steps.append({leaf(0)->twipsWidth(), leaf(1)->twipsWidth(), leaf(1)->twipsLeft(),
                          leaf(0)->twipsLeft()});
            if (during)
                during(i);
        };
    }
    controls::ImageControl *leaf(int i) { return form.imgNakaorido[i]; }
    frmSet &set() { return form.panel(); }
    void flip(bool open, int option)
    {
        set().Option1[option]->setChecked(true);
        steps.clear();
        fp.pacing.waits.clear();
        fp.sound.plays.clear();
        set().Check2->setChecked(open);
    }
};

// Counts the paint events of the widget it filters.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override { return (count += e->type() == QEvent::Paint, false); }
};

} // namespace

class TestMiddleDoor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runs_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("left");
        QTest::addColumn<bool>("right");
        QTest::newRow("両方") << 0 << true << true;
        QTest::newRow("左") << 1 << true << false;
        QTest::newRow("右") << 2 << false << true;
    }

    // Opening plays the open sound to its end, then runs 930 down to 110 in
    // 821 steps; closing starts the close sound, not waited for, and runs
    // back. The left leaf's left edge and the right leaf's right edge, on
    // the 6600 line, stay put throughout.
    void runs()
    {
        QFETCH(int, option);
        QFETCH(bool, left);
        QFETCH(bool, right);
        Rig rig;
        rig.set().HScroll2->setValue(40);
        rig.during = [&](int i) {
            if (i == 3)
                rig.set().HScroll2->setValue(17);
        };
        const QList<float> shut{930, 930, right ? 5670.0f : 5910, 5010};
        const QList<float> open{left ? 110.0f : 930, right ? 110.0f : 930, right ? 6490.0f : 5910, 5010};
        for (bool opening : {true, false}) {
            rig.flip(opening, option);
            QCOMPARE(rig.set().Frame2->isEnabled(), !opening);
            QCOMPARE(rig.fp.sound.plays.size(), 1);
            QCOMPARE(rig.fp.sound.plays[0].wave, wave(opening ? 101 : 102));
            QCOMPARE(rig.fp.sound.plays[0].waitForEnd, opening);
            QCOMPARE(rig.steps.size(), 821);
            QCOMPARE(rig.steps.first(), opening ? shut : open);
            QCOMPARE(rig.steps.last(), opening ? open : shut);
            for (const QList<float> &s : std::as_const(rig.steps))
                QCOMPARE(QList<float>({right ? s[1] + s[2] : s[2], s[3]}),
                         QList<float>({right ? 6600.0f : 5910, 5010}));
            if (opening) // the speed is read afresh at every step
                QCOMPARE(rig.fp.pacing.waits.mid(2, 3), QList<int>({40, 40, 17}));
        }
    }

    void openingStartsAtTheLeafsWidth_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<float>("width"); // of the leaf that measures
        QTest::addColumn<int>("steps");
        QTest::newRow("already open") << 0 << 110.0f << 1;
        QTest::newRow("both, half way, rounded down") << 0 << 500.4f << 391;
        QTest::newRow("left, half way, rounded up") << 1 << 499.6f << 391;
        QTest::newRow("right measures the right leaf") << 2 << 200.0f << 91;
        QTest::newRow("narrower than open") << 2 << 109.0f << 0;
    }

    void openingStartsAtTheLeafsWidth()
    {
        QFETCH(int, option);
        QFETCH(float, width);
        QFETCH(int, steps);
        Rig rig;
        rig.leaf(option == 2 ? 1 : 0)->setWidth(width);
        rig.leaf(option == 2 ? 0 : 1)->setWidth(700);
        rig.flip(true, option);
        QCOMPARE(rig.steps.size(), steps);
        if (steps)
            QCOMPARE(rig.steps[0][option == 2 ? 1 : 0], float(steps + 109));
    }

    // A flip already queued when the close sound starts runs a whole opening
    // inside the closing, which then closes the door all the same.
    void queuedFlipRunsInsideTheClosing()
    {
        Rig rig;
        rig.flip(true, 0);
        rig.steps.clear();
        rig.fp.sound.plays.clear();
        QTimer::singleShot(0, &rig.form, [&] { rig.set().Check2->setChecked(true); });
        rig.set().Check2->setChecked(false);
        QCOMPARE(rig.fp.sound.plays.size(), 2);
        QCOMPARE(rig.fp.sound.plays[1].wave, wave(101));
        QCOMPARE(rig.steps.size(), 1 + 821);
        QCOMPARE(rig.leaf(0)->twipsWidth(), 930.0f);
        QVERIFY(rig.set().Check2->isChecked());
        QVERIFY(!rig.set().Frame2->isEnabled());
    }

    // Five front steps, the whole middle run with the leaf standing after its
    // fifth step, then the rest of the front run.
    void runInsideAFrontDoorStepCompletesFirst()
    {
        Rig rig;
        QList<float> front;
        rig.during = [&](int i) {
            front.append(rig.form.picSlideBase1->twipsLeft());
            if (i == 4)
                QTimer::singleShot(0, &rig.form, [&] { rig.set().Check2->setChecked(true); });
        };
        rig.set().Check1->setChecked(true);
        QCOMPARE(front.size(), 496 + 821);
        QCOMPARE(front.mid(4, 822), QList<float>(822, 278.0f));
        QCOMPARE(front[5 + 821], 280.0f);
        QCOMPARE(rig.leaf(0)->twipsWidth(), 110.0f);
        QCOMPARE(rig.form.picSlideBase1->twipsLeft(), 1260.0f);
    }

    // Each step of the front door is on screen before the events that step
    // lets run, which may be a long run of another door.
    void frontDoorIsDrawnAtEachStep()
    {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        PaintCounter paints;
        rig.form.Picture1->installEventFilter(&paints);
        int undrawn = 0;
        // Until the leaf has moved a pixel, it hides the doorway whole.
        const auto hidden = [&] { return rig.form.picSlideBase1->x() == rig.form.Picture1->x(); };
        rig.during = [&](int) {
            const int before = paints.count;
            QMetaObject::invokeMethod(
                &rig.form, [&, before] { undrawn += paints.count == before && !hidden(); }, Qt::QueuedConnection);
        };
        rig.set().Check1->setChecked(true);
        QCOMPARE(rig.fp.pacing.waits.size(), 496);
        QCOMPARE(undrawn, 0);
    }
};

QTEST_MAIN(TestMiddleDoor)
#include "tst_middle_door.moc"
