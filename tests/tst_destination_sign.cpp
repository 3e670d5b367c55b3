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
    void choosing_data();
    void choosing();
    void dialogOffersLastChosenPath();
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
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("presses");
    QTest::addColumn<qint32>("top");
    const Qt::KeyboardModifiers none;
    const int up = Qt::Key_Up, down = Qt::Key_Down;
    QTest::newRow("up 7 x 13") << 0 << 0 << 13 << up << none << 7 << 91;
    QTest::newRow("down 4 x 25") << 0 << 0 << 25 << down << none << 4 << -100;
    QTest::newRow("beyond the largest step") << 0 << 0 << 1001 << down << none << 1 << -1000;
    QTest::newRow("step 0") << 0 << 0 << 0 << up << none << 5 << 0;
    QTest::newRow("ctrl+alt+shift down")
        << 0 << 0 << 4 << down << (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << 2 << -8;
    QTest::newRow("hidden sign up") << 1 << 0 << 6 << up << none << 2 << 12;
    // The position never wraps round: it holds at the limits of its type.
    QTest::newRow("up to the top limit") << 0 << (kMax - 5) << 10 << up << none << 2 << kMax;
    QTest::newRow("down to the bottom limit") << 0 << (kMin + 5) << 10 << down << none << 2 << kMin;
    QTest::newRow("up from the bottom limit") << 1 << kMin << 1 << up << none << 1 << (kMin + 1);
    // Every other key, also those whose Qt codes are the arrows' key numbers
    // elsewhere ('&' is 38, '(' is 40).
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown,
                    Qt::Key_Ampersand, Qt::Key_ParenLeft})
        QTest::addRow("key 0x%x", key) << 0 << 0 << 10 << key << none << 2 << 0;
}

void TestDestinationSign::keysRoll()
{
    QFETCH(int, index);
    QFETCH(qint32, start);
    QFETCH(int, step);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, presses);
    QFETCH(qint32, top);
    Coach coach;
    coach.sign.makuTop[index] = start;
    coach.step(index, step);
    coach.step(1 - index, 999); // the other sign's step is not used
    const controls::TwipsRect before = coach.strip(index)->twips();
    coach.press(index, key, presses, mods);
    QCOMPARE(coach.sign.makuTop[index], top);
    QCOMPARE(coach.sign.makuTop[1 - index], 0);
    // Only the strip's top edge moves, and the screen keeps it in reach; an
    // ignored key leaves even that.
    controls::TwipsRect after = before;
    if (top != start || step == 0)
        after.top = float(qint64(top) * 15);
    QVERIFY(coach.strip(index)->twips() == after);
    if (top != start)
        QCOMPARE(coach.strip(index)->y(), std::clamp(top, -1000000, 1000000));
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
    QTest::newRow("hidden sign") << 1 << false << picture("hidden.png", {49, 300})
                                 << QSize(49, 300) << false;
    QTest::newRow("the same file again") << 0 << false << m_strip << QSize(50, 400) << false;
    QTest::newRow("cancel") << 0 << true << QString() << QSize() << false;
    QTest::newRow("empty answer") << 0 << false << QString() << QSize() << false;
    QFile text(m_dir.filePath("notes.bmp"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("destination: depot\n") > 0);
    QTest::newRow("not a picture") << 0 << false << text.fileName() << QSize() << true;
    QTest::newRow("missing file") << 1 << false << m_dir.filePath("gone.gif") << QSize() << true;
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
    }
    // The settings load takes the saved path without the dialog, and leaves
    // the strip where it stands.
    coach.sign.makuPath[index] = m_strip;
    QCOMPARE(coach.sign.loadStripFromPath(index), QString());
    QCOMPARE(coach.strip(index)->picture().size(), QSize(50, 400));
    QCOMPARE(coach.strip(index)->twips().top, size.isValid() ? -75.0f : place.top);
    coach.sign.makuPath[index] = m_dir.filePath("nowhere.bmp");
    QVERIFY(!coach.sign.loadStripFromPath(index).isEmpty());
    QCOMPARE(coach.fake.alerts.calls.size(), alert ? 1 : 0);
    QCOMPARE(coach.strip(index)->picture().size(), QSize(50, 400));
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

void TestDestinationSign::mouse_data()
{
    QTest::addColumn<bool>("onStrip");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("no click: keys do nothing") << false << Qt::NoButton << false << false << 0;
    QTest::newRow("window, right") << false << Qt::RightButton << false << true << 0;
    QTest::newRow("strip, left") << true << Qt::LeftButton << false << true << 0;
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
    if (!onStrip)
        coach.strip(0)->setTop(1500); // the strip would cover the whole window
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
