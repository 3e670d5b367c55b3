// The destination signs: choosing and loading a strip picture, and rolling
// it from the keyboard.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "sign/destination_sign.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();

// The coach on fake seams, with its control panel.
struct Coach {
    FakePlatform fake;
    Form1 form{fake.platform};
    DestinationSign &sign = form.sign();

    controls::ImageControl *strip(int i) { return form.imgMaku1[i]; }
    void press(int i, int key, int times = 1, Qt::KeyboardModifiers mods = {})
    {
        for (int n = 0; n < times; ++n)
            QTest::keyClick(form.picWaku1[i], Qt::Key(key), mods);
    }
    void step(int i, int value) { form.panel().scllMakuSpeed[i]->setValue(value); }
    void choose(int i, const std::optional<QString> &answer)
    {
        fake.fileDialog.answers.push_back(answer);
        sign.Load方向幕(i);
    }
};

} // namespace

class TestDestinationSign : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keysRoll_data();
    void keysRoll();
    void rollingHoldsAtTheLimits_data();
    void rollingHoldsAtTheLimits();
    void choosing_data();
    void choosing();
    void dialogOffersLastChosenPath();
    void loadStripFromPath_data();
    void loadStripFromPath();
    void mouse_data();
    void mouse();

private:
    QString picture(const QString &name, QSize size, QColor color = Qt::red);
    QTemporaryDir m_dir;
    QString m_strip;
};

QString TestDestinationSign::picture(const QString &name, QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = m_dir.filePath(name);
    return image.save(path) ? path : QString();
}

void TestDestinationSign::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strip = picture("strip.png", {50, 400});
}

void TestDestinationSign::keysRoll_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("top");
    const Qt::KeyboardModifiers none;
    QTest::newRow("up 7 x 13") << 0 << 13 << int(Qt::Key_Up) << none << 7 << 91;
    QTest::newRow("down 4 x 25") << 0 << 25 << int(Qt::Key_Down) << none << 4 << -100;
    QTest::newRow("up at the largest step") << 0 << 1000 << int(Qt::Key_Up) << none << 3 << 3000;
    QTest::newRow("beyond the largest step") << 0 << 1001 << int(Qt::Key_Down) << none << 1
                                             << -1000;
    QTest::newRow("step 0") << 0 << 0 << int(Qt::Key_Up) << none << 5 << 0;
    QTest::newRow("ctrl down") << 0 << 4 << int(Qt::Key_Down)
                               << Qt::KeyboardModifiers(Qt::ControlModifier) << 2 << -8;
    QTest::newRow("ctrl+alt+shift up")
        << 0 << 3 << int(Qt::Key_Up)
        << (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << 1 << 3;
    QTest::newRow("hidden sign up") << 1 << 6 << int(Qt::Key_Up) << none << 2 << 12;
    QTest::newRow("hidden sign down") << 1 << 6 << int(Qt::Key_Down) << none << 1 << -6;
    // Every other key, also those whose Qt codes are the arrows' key numbers
    // elsewhere ('&' is 38, '(' is 40).
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Space,
                    Qt::Key_Ampersand, Qt::Key_ParenLeft, Qt::Key_8, Qt::Key_Shift})
        QTest::addRow("key 0x%x", key) << 0 << 10 << key << none << 2 << 0;
}

void TestDestinationSign::keysRoll()
{
    QFETCH(int, index);
    QFETCH(int, step);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, presses);
    QFETCH(int, top);
    Coach coach;
    coach.step(index, step);
    coach.step(1 - index, 999); // the other sign's step is not used
    const controls::TwipsRect before = coach.strip(index)->twips();
    coach.press(index, key, presses, mods);
    QCOMPARE(coach.sign.makuTop[index], top);
    QCOMPARE(coach.sign.makuTop[1 - index], 0);
    // Only the strip's top edge moves; an ignored key leaves even that.
    controls::TwipsRect after = before;
    if (top != 0 || step == 0)
        after.top = float(top * 15);
    QVERIFY(coach.strip(index)->twips() == after);
    QCOMPARE(coach.strip(index)->y(), top);
}

void TestDestinationSign::rollingHoldsAtTheLimits_data()
{
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("step");
    QTest::addColumn<qint32>("top");
    QTest::addColumn<int>("pixelTop"); // where the strip is kept on the screen
    QTest::newRow("up to the top limit") << (kMax - 5) << int(Qt::Key_Up) << 10 << kMax << 1000000;
    QTest::newRow("up at the top limit") << kMax << int(Qt::Key_Up) << 1000 << kMax << 1000000;
    QTest::newRow("down from the top limit") << kMax << int(Qt::Key_Down) << 1 << (kMax - 1)
                                             << 1000000;
    QTest::newRow("down to the bottom limit") << (kMin + 5) << int(Qt::Key_Down) << 10 << kMin
                                              << -1000000;
    QTest::newRow("down at the bottom limit") << kMin << int(Qt::Key_Down) << 1000 << kMin
                                              << -1000000;
    QTest::newRow("up from the bottom limit") << kMin << int(Qt::Key_Up) << 1 << (kMin + 1)
                                              << -1000000;
}

void TestDestinationSign::rollingHoldsAtTheLimits()
{
    QFETCH(qint32, start);
    QFETCH(int, key);
    QFETCH(int, step);
    QFETCH(qint32, top);
    QFETCH(int, pixelTop);
    Coach coach;
    coach.sign.makuTop[0] = start;
    coach.step(0, step);
    coach.press(0, key);
    QCOMPARE(coach.sign.makuTop[0], top);
    QCOMPARE(coach.strip(0)->geometry(), QRect(0, pixelTop, 50, 250));
}

void TestDestinationSign::choosing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QSize>("size"); // the new picture's; none: nothing changes
    QTest::addColumn<bool>("alert");
    QTest::newRow("tall PNG") << 0 << false << picture("tall.png", {50, 2000}, Qt::green)
                              << QSize(50, 2000) << false;
    QTest::newRow("smaller than the window") << 0 << false << picture("small.bmp", {30, 10})
                                             << QSize(30, 10) << false;
    QTest::newRow("hidden sign") << 1 << false << picture("hidden.png", {49, 300})
                                 << QSize(49, 300) << false;
    QTest::newRow("the same file again") << 0 << false << m_strip << QSize(50, 400) << false;
    QTest::newRow("cancel") << 0 << true << QString() << QSize() << false;
    QTest::newRow("empty answer") << 0 << false << QString() << QSize() << false;
    QFile text(m_dir.filePath("notes.bmp"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("destination: depot\n") > 0);
    QTest::newRow("not a picture") << 0 << false << text.fileName() << QSize() << true;
    QTest::newRow("missing file") << 0 << false << m_dir.filePath("gone.gif") << QSize() << true;
}

// A picture shows from its top at its own size; a cancel changes nothing; a
// failure says so and also changes nothing.
void TestDestinationSign::choosing()
{
    QFETCH(int, index);
    QFETCH(bool, cancel);
    QFETCH(QString, answer);
    QFETCH(QSize, size);
    QFETCH(bool, alert);
    Coach coach;
    coach.choose(index, m_strip);
    coach.step(index, 5);
    coach.press(index, Qt::Key_Up, 3);
    const controls::TwipsRect place = coach.strip(index)->twips();
    const QImage before = coach.strip(index)->picture();

    coach.choose(index, cancel ? std::nullopt : std::optional<QString>(answer));

    QCOMPARE(coach.fake.alerts.calls.size(), alert ? 1 : 0);
    if (alert) {
        QCOMPARE(coach.fake.alerts.calls[0].title, QStringLiteral("トトラ"));
        QVERIFY(coach.fake.alerts.calls[0].text.contains(QFileInfo(answer).fileName()));
    }
    QCOMPARE(coach.sign.makuPath[1 - index], QString());
    if (size.isValid()) {
        QCOMPARE(coach.sign.makuPath[index], answer);
        QCOMPARE(coach.strip(index)->picture().size(), size);
        QCOMPARE(coach.sign.makuTop[index], 0);
        QVERIFY(coach.strip(index)->twips() == (controls::TwipsRect{place.left, 0,
                                                float(size.width() * 15),
                                                float(size.height() * 15)}));
        coach.press(index, Qt::Key_Down); // rolls on from the top
        QCOMPARE(coach.strip(index)->y(), -5);
    } else {
        QCOMPARE(coach.sign.makuPath[index], m_strip);
        QCOMPARE(coach.strip(index)->picture(), before);
        QCOMPARE(coach.sign.makuTop[index], 15);
        QVERIFY(coach.strip(index)->twips() == place);
        QCOMPARE(coach.sign.loadStripFromPath(index), QString()); // the saved path still loads
    }
}

void TestDestinationSign::dialogOffersLastChosenPath()
{
    Coach coach;
    QFile bad(m_dir.filePath("bad.jpeg"));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("no picture here") > 0);
    coach.choose(0, m_strip);
    coach.choose(0, std::nullopt);
    coach.choose(1, bad.fileName());
    coach.choose(0, std::nullopt);
    QList<QString> offered;
    for (const FakeFileDialog::Call &call : coach.fake.fileDialog.calls)
        offered << call.initialPath;
    // A cancel forgets nothing; even a rejected file is remembered.
    QCOMPARE(offered, QList<QString>({"", m_strip, m_strip, bad.fileName()}));
    for (const char *pattern : {"*.bmp", "*.jpeg", "*.gif", "*.wmf", "*.emf"})
        QVERIFY(coach.fake.fileDialog.calls[0].filter.contains(pattern));
}

void TestDestinationSign::loadStripFromPath_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QSize>("size");
    QTest::newRow("empty path") << 0 << QString() << true << QSize(0, 0);
    QTest::newRow("picture") << 0 << m_strip << true << QSize(50, 400);
    QTest::newRow("hidden sign") << 1 << m_strip << true << QSize(50, 400);
    QTest::newRow("missing file") << 0 << m_dir.filePath("nowhere.bmp") << false << QSize(0, 0);
}

// The settings load: the strip does not move, and the caller tells the user.
void TestDestinationSign::loadStripFromPath()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(QSize, size);
    Coach coach;
    const controls::TwipsRect place = coach.strip(index)->twips();
    coach.sign.makuPath[index] = path;
    QCOMPARE(coach.sign.loadStripFromPath(index).isEmpty(), ok);
    QVERIFY(coach.fake.alerts.calls.isEmpty() && coach.fake.fileDialog.calls.isEmpty());
    QCOMPARE(coach.strip(index)->picture().size(), size);
    QCOMPARE(coach.strip(index)->twips().top, place.top);
    QCOMPARE(coach.strip(index)->twips().left, place.left);
    QCOMPARE(coach.sign.makuPath[index], path);
}

void TestDestinationSign::mouse_data()
{
    QTest::addColumn<bool>("onStrip");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("no click: keys do nothing") << false << Qt::NoButton << false << false << 0;
    QTest::newRow("window, left") << false << Qt::LeftButton << false << true << 0;
    QTest::newRow("window, right") << false << Qt::RightButton << false << true << 0;
    QTest::newRow("strip, left") << true << Qt::LeftButton << false << true << 0;
    QTest::newRow("strip, right") << true << Qt::RightButton << false << true << 0;
    QTest::newRow("window, double-click") << false << Qt::LeftButton << true << true << 1;
    QTest::newRow("strip, double-click") << true << Qt::LeftButton << true << true << 1;
    QTest::newRow("strip, right double-click") << true << Qt::RightButton << true << true << 0;
}

// A click gives the sign window the focus, so that the arrow keys reach it;
// a left double-click opens the dialog.
void TestDestinationSign::mouse()
{
    QFETCH(bool, onStrip);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, doubleClick);
    QFETCH(bool, focus);
    QFETCH(int, dialogs);
    Coach coach;
    coach.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&coach.form));
    QWindow *window = coach.form.windowHandle();
    QWidget *target = onStrip ? static_cast<QWidget *>(coach.strip(0)) : coach.form.picWaku1[0];
    // Through the window, so that events arrive as from a real mouse.
    const QPoint at = target->mapTo(&coach.form, QPoint(3, 3));
    if (doubleClick)
        QTest::mouseDClick(window, button, {}, at);
    else if (button != Qt::NoButton)
        QTest::mouseClick(window, button, {}, at);
    QTRY_COMPARE(coach.form.picWaku1[0]->hasFocus(), focus);
    QCOMPARE(coach.fake.fileDialog.calls.size(), dialogs);
    coach.step(0, 2);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(window, key);
    QCOMPARE(coach.sign.makuTop[0], focus ? -4 : 0);
    QCOMPARE(coach.sign.makuTop[1], 0);
    QCOMPARE(coach.form.picWaku1[0]->hasFocus(), focus); // arrows do not move the focus on
}

QTEST_MAIN(TestDestinationSign)
#include "tst_destination_sign.moc"
