// The middle folding door: its three modes, step ranges, sounds and the
// runs that nest inside other runs.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

QByteArray waveResource(int id)
{
    QFile f(QStringLiteral(":/WAVE/%1").arg(id));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct LeafStep {
    float leftWidth;
    float rightWidth;
    float rightLeft;
};

} // namespace

class TestMiddleDoor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runs_data();
    void runs();
    void openingStartsAtTheLeafsWidth_data();
    void openingStartsAtTheLeafsWidth();
    void frame2FollowsTheSwitch();
    void paceIsReadEveryStep();
    void queuedFlipRunsInsideTheClosing();
    void runInsideAFrontDoorStepCompletesFirst();

private:
    struct Rig {
        FakePlatform fp;
        Form1 form{fp.platform};
        QList<LeafStep> steps;
        QList<int> soundsBeforeStep;

        Rig()
        {
            form.Form_Load();
            fp.pacing.onWait = [this](int) {
                steps.append({form.imgNakaorido[0]->twipsWidth(),
                              form.imgNakaorido[1]->twipsWidth(),
                              form.imgNakaorido[1]->twipsLeft()});
                soundsBeforeStep.append(int(fp.sound.plays.size()));
            };
        }
        frmSet &set() { return form.panel(); }
        void flip(bool open, int option)
        {
            set().Option1[option]->setChecked(true);
            steps.clear();
            soundsBeforeStep.clear();
            fp.pacing.waits.clear();
            fp.sound.plays.clear();
            set().Check2->setChecked(open);
        }
    };
};

void TestMiddleDoor::runs_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("leftMoves");
    QTest::addColumn<bool>("rightMoves");
    QTest::newRow("both") << 0 << true << true;
    QTest::newRow("left") << 1 << true << false;
    QTest::newRow("right") << 2 << false << true;
}

void TestMiddleDoor::runs()
{
    QFETCH(int, option);
    QFETCH(bool, leftMoves);
    QFETCH(bool, rightMoves);
    Rig rig;

    // Opening from the closed state: the open sound to its end, then 821 steps.
    rig.flip(true, option);
    QCOMPARE(rig.steps.size(), 821);
    QCOMPARE(rig.fp.sound.plays.size(), 1);
    QCOMPARE(rig.fp.sound.plays[0].wave, waveResource(101));
    QVERIFY(rig.fp.sound.plays[0].waitForEnd);
    QCOMPARE(rig.soundsBeforeStep.first(), 1);
    const LeafStep first = rig.steps.first();
    const LeafStep last = rig.steps.last();
    QCOMPARE(first.leftWidth, 930.0f);
    QCOMPARE(last.leftWidth, leftMoves ? 110.0f : 930.0f);
    QCOMPARE(last.rightWidth, rightMoves ? 110.0f : 930.0f);
    // The right leaf's first step puts its right edge on the 6600 line.
    QCOMPARE(first.rightLeft, rightMoves ? 5670.0f : 5910.0f);
    if (rightMoves)
        QCOMPARE(last.rightLeft + last.rightWidth, 6600.0f);

    // Closing: the close sound starts (not waited for), then 110 → 930.
    rig.flip(false, option);
    QCOMPARE(rig.steps.size(), 821);
    QCOMPARE(rig.fp.sound.plays.size(), 1);
    QCOMPARE(rig.fp.sound.plays[0].wave, waveResource(102));
    QVERIFY(!rig.fp.sound.plays[0].waitForEnd);
    QCOMPARE(rig.steps.first().leftWidth, leftMoves ? 110.0f : 930.0f);
    QCOMPARE(rig.steps.first().rightWidth, rightMoves ? 110.0f : 930.0f);
    QCOMPARE(rig.steps.last().leftWidth, 930.0f);
    QCOMPARE(rig.steps.last().rightWidth, 930.0f);
    QCOMPARE(rig.form.imgNakaorido[0]->twipsLeft(), 5010.0f);
    QCOMPARE(rig.form.imgNakaorido[0]->twipsTop(), 3660.0f);
    QCOMPARE(rig.form.imgNakaorido[1]->twipsHeight(), 2310.0f);

    // A closing always starts at 110, even for a leaf that is already closed.
    rig.flip(false, option);
    rig.flip(true, option);
    rig.flip(false, option);
    QCOMPARE(rig.steps.size(), 821);
}

void TestMiddleDoor::openingStartsAtTheLeafsWidth_data()
{
    QTest::addColumn<int>("option");
    QTest::newRow("both, from the left leaf") << 0;
    QTest::newRow("right, from the right leaf") << 2;
}

void TestMiddleDoor::openingStartsAtTheLeafsWidth()
{
    QFETCH(int, option);
    Rig rig;
    rig.flip(true, option);
    // Opening an already open door makes one step at 110.
    rig.set().Check2->setChecked(false);
    rig.form.imgNakaorido[0]->setWidth(110);
    rig.form.imgNakaorido[1]->setWidth(110);
    rig.steps.clear();
    rig.set().Check2->setChecked(true);
    QCOMPARE(rig.steps.size(), 1);
    QCOMPARE(rig.steps[0].leftWidth, 110.0f);

    // A leaf stopped half-way opens from where it stands.
    rig.set().Check2->blockSignals(true);
    rig.set().Check2->setChecked(false);
    rig.set().Check2->blockSignals(false);
    rig.form.imgNakaorido[option == 2 ? 1 : 0]->setWidth(500.4f);
    rig.steps.clear();
    rig.set().Check2->setChecked(true);
    QCOMPARE(rig.steps.size(), 500 - 109);
}

void TestMiddleDoor::frame2FollowsTheSwitch()
{
    Rig rig;
    QList<bool> enabledDuringRun;
    rig.fp.pacing.onWait = [&](int) { enabledDuringRun.append(rig.set().Frame2->isEnabled()); };
    rig.set().Check2->setChecked(true);
    QVERIFY(!rig.set().Frame2->isEnabled());
    QVERIFY(!enabledDuringRun.contains(true));
    // The switch itself stays usable during a run.
    rig.set().Check2->setChecked(false);
    QVERIFY(rig.set().Frame2->isEnabled());
    QCOMPARE(enabledDuringRun.last(), true);
}

void TestMiddleDoor::paceIsReadEveryStep()
{
    Rig rig;
    rig.fp.pacing.onWait = [&](int i) {
        if (i == 3)
            rig.set().HScroll2->setValue(17);
    };
    rig.set().Check2->setChecked(true);
    QCOMPARE(rig.fp.pacing.waits[3], 6000);
    QCOMPARE(rig.fp.pacing.waits[4], 17);
}

void TestMiddleDoor::queuedFlipRunsInsideTheClosing()
{
    Rig rig;
    rig.flip(true, 0);
    rig.fp.sound.plays.clear();
    rig.steps.clear();
    // A flip already waiting in the queue when the close sound starts runs a
    // whole opening inside the closing, which then closes the door anyway.
    QTimer::singleShot(0, &rig.form, [&] { rig.set().Check2->setChecked(true); });
    rig.set().Check2->setChecked(false);
    QCOMPARE(rig.fp.sound.plays.size(), 2);
    QCOMPARE(rig.fp.sound.plays[0].wave, waveResource(102));
    QCOMPARE(rig.fp.sound.plays[1].wave, waveResource(101));
    QCOMPARE(rig.steps.size(), 1 + 821); // opening from 110, then the closing
    QCOMPARE(rig.form.imgNakaorido[0]->twipsWidth(), 930.0f);
    QCOMPARE(rig.set().check2Value(), 1);
    QVERIFY(!rig.set().Frame2->isEnabled());
}

void TestMiddleDoor::runInsideAFrontDoorStepCompletesFirst()
{
    Rig rig;
    QList<float> frontLefts;
    rig.fp.pacing.onWait = [&](int i) {
        frontLefts.append(rig.form.picSlideBase1->twipsLeft());
        if (i == 4)
            QTimer::singleShot(0, &rig.form, [&] { rig.set().Check2->setChecked(true); });
    };
    rig.set().Check1->setChecked(true);
    // Five front steps, the whole middle run while the leaf stands still
    // after its fifth step, then the rest of the front run.
    QCOMPARE(frontLefts.size(), 496 + 821);
    QCOMPARE(frontLefts[4], 278.0f);
    QCOMPARE(frontLefts.mid(5, 821), QList<float>(821, 278.0f));
    QCOMPARE(frontLefts[5 + 821], 280.0f);
    QCOMPARE(rig.form.imgNakaorido[0]->twipsWidth(), 110.0f);
    QCOMPARE(rig.form.picSlideBase1->twipsLeft(), 1260.0f);
}

QTEST_MAIN(TestMiddleDoor)
#include "tst_middle_door.moc"
