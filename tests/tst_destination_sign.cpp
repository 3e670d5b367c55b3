// The destination sign: choosing and loading a strip picture, and rolling it
// from the keyboard.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "pictures/picture.h"
#include "sign/destination_sign.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();

// The coach window on fake seams, with its control panel created.
struct Coach {
    FakePlatform fake;
    Form1 form{fake.platform};
    DestinationSign &sign = form.sign();

    QScrollBar *speed(int index) { return form.panel().scllMakuSpeed[index]; }
    controls::ImageControl *strip(int index) { return form.imgMaku1[index]; }

    // Chooses path in the dialog of sign window index.
    void choose(int index, const std::optional<QString> &path)
    {
        fake.fileDialog.answers.push_back(path);
        sign.Load方向幕(index);
    }
};

QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size,
                     QColor color = Qt::red)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    if (!image.save(path))
        qFatal("cannot write test picture %s", qPrintable(path));
    return path;
}

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
    return path;
}

} // namespace

class TestDestinationSign : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void keysRoll_data();
    void keysRoll();
    void stepIsReadAtEveryKey();
    void rollingHoldsAtTheLimits_data();
    void rollingHoldsAtTheLimits();

    void loadShowsPictureFromTop_data();
    void loadShowsPictureFromTop();
    void reloadingSameFileResetsRoll();
    void cancelChangesNothing();
    void failedLoadKeepsEverything_data();
    void failedLoadKeepsEverything();
    void dialogOffersLastChosenPath();

    void loadStripFromPath_data();
    void loadStripFromPath();

    void clickFocusesSignWindow_data();
    void clickFocusesSignWindow();
    void keysNeedTheFocus();
    void doorwayClickTakesFocusAway();
    void doubleClickOnStripLoads();

private:
    QTemporaryDir m_dir;
    QString m_picture;
};

void TestDestinationSign::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_picture = writePicture(m_dir, QStringLiteral("strip.png"), QSize(50, 400));
}

void TestDestinationSign::keysRoll_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("expectedTop");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("up 7 x 13") << 0 << 13 << int(Qt::Key_Up) << none << 7 << 91;
    QTest::newRow("down 4 x 25") << 0 << 25 << int(Qt::Key_Down) << none << 4 << -100;
    QTest::newRow("up at the largest step") << 0 << 1000 << int(Qt::Key_Up) << none << 3 << 3000;
    QTest::newRow("step 0 up") << 0 << 0 << int(Qt::Key_Up) << none << 5 << 0;
    QTest::newRow("ctrl down") << 0 << 4 << int(Qt::Key_Down)
                               << Qt::KeyboardModifiers(Qt::ControlModifier) << 2 << -8;
    QTest::newRow("ctrl+alt+shift up")
        << 0 << 3 << int(Qt::Key_Up)
        << (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << 1 << 3;
    QTest::newRow("hidden sign up") << 1 << 6 << int(Qt::Key_Up) << none << 2 << 12;
    QTest::newRow("hidden sign down") << 1 << 6 << int(Qt::Key_Down) << none << 1 << -6;

    // Every other key, including the Qt keys that share the design's arrow
    // key numbers ('&' is 38, '(' is 40).
    const int others[] = {Qt::Key_Left, Qt::Key_PageUp, Qt::Key_Space, Qt::Key_Ampersand,
                          Qt::Key_ParenLeft, Qt::Key_8, Qt::Key_Shift};
    for (int key : others)
        QTest::addRow("key 0x%x", key) << 0 << 10 << key << none << 2 << 0;
}

void TestDestinationSign::keysRoll()
{
    QFETCH(int, index);
    QFETCH(int, step);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, presses);
    QFETCH(int, expectedTop);

    Coach coach;
    coach.speed(index)->setValue(step);
    coach.speed(1 - index)->setValue(999); // the other sign's step must not be used
    const float left = coach.strip(index)->twipsLeft();
    const float startTop = coach.strip(index)->twipsTop();

    for (int i = 0; i < presses; ++i)
        QTest::keyClick(coach.form.picWaku1[index], Qt::Key(key), modifiers);

    QCOMPARE(coach.sign.makuTop[index], expectedTop);
    QCOMPARE(coach.sign.makuTop[1 - index], 0);
    if (expectedTop == 0 && step != 0) {
        // An ignored key leaves even the design place of sign 1 alone.
        QCOMPARE(coach.strip(index)->twipsTop(), startTop);
    } else {
        QCOMPARE(coach.strip(index)->twipsTop(), float(expectedTop * 15));
        QCOMPARE(coach.strip(index)->geometry().top(), expectedTop);
    }
    QCOMPARE(coach.strip(index)->twipsLeft(), left); // only the top edge moves
}

void TestDestinationSign::stepIsReadAtEveryKey()
{
    Coach coach;
    QWidget *window = coach.form.picWaku1[0];
    coach.speed(0)->setValue(3);
    QTest::keyClick(window, Qt::Key_Up);
    coach.speed(0)->setValue(7);
    QTest::keyClick(window, Qt::Key_Up);
    coach.speed(0)->setValue(20);
    QTest::keyClick(window, Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[0], 3 + 7 - 20);
}

void TestDestinationSign::rollingHoldsAtTheLimits_data()
{
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("step");
    QTest::addColumn<qint32>("expected");
    QTest::addColumn<int>("expectedPixelTop");

    QTest::newRow("up reaches the top limit") << (kMax - 5) << int(Qt::Key_Up) << 10 << kMax << 1000000;
    QTest::newRow("up stays at the top limit") << kMax << int(Qt::Key_Up) << 1000 << kMax << 1000000;
    QTest::newRow("down leaves the top limit") << kMax << int(Qt::Key_Down) << 1 << (kMax - 1) << 1000000;
    QTest::newRow("down reaches the bottom limit") << (kMin + 5) << int(Qt::Key_Down) << 10 << kMin << -1000000;
    QTest::newRow("down stays at the bottom limit") << kMin << int(Qt::Key_Down) << 1000 << kMin << -1000000;
    QTest::newRow("up leaves the bottom limit") << kMin << int(Qt::Key_Up) << 1 << (kMin + 1) << -1000000;
}

void TestDestinationSign::rollingHoldsAtTheLimits()
{
    QFETCH(qint32, start);
    QFETCH(int, key);
    QFETCH(int, step);
    QFETCH(qint32, expected);
    QFETCH(int, expectedPixelTop);

    QCOMPARE(rolledTop(start, key == Qt::Key_Up ? step : -step), expected);

    Coach coach;
    coach.sign.makuTop[0] = start;
    coach.speed(0)->setValue(step);
    QTest::keyClick(coach.form.picWaku1[0], Qt::Key(key));
    QCOMPARE(coach.sign.makuTop[0], expected);
    // The widget stays at a sane place however far the strip has rolled.
    QCOMPARE(coach.strip(0)->geometry().top(), expectedPixelTop);
    QCOMPARE(coach.strip(0)->geometry().height(), 250);
}

void TestDestinationSign::loadShowsPictureFromTop_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    QTest::newRow("PNG strip") << 0 << "tall.png" << QSize(50, 2000);
    QTest::newRow("narrower and shorter than the window") << 0 << "small.bmp" << QSize(30, 10);
    QTest::newRow("very tall strip") << 0 << "long.png" << QSize(50, 20000);
    QTest::newRow("hidden sign") << 1 << "hidden.png" << QSize(49, 300);
}

void TestDestinationSign::loadShowsPictureFromTop()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QSize, size);

    const QString path = writePicture(m_dir, name, size, Qt::green);
    Coach coach;
    const float left = coach.strip(index)->twipsLeft();
    coach.speed(index)->setValue(5);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(coach.form.picWaku1[index], Qt::Key_Up);
    QCOMPARE(coach.sign.makuTop[index], 15);

    coach.choose(index, path);

    QVERIFY(coach.fake.alerts.calls.isEmpty());
    QCOMPARE(coach.sign.makuPath[index], path);
    QCOMPARE(coach.sign.makuPath[1 - index], QString());
    QCOMPARE(coach.strip(index)->picture().size(), size);
    QCOMPARE(coach.strip(index)->picture().pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(coach.strip(index)->twipsWidth(), float(size.width() * 15));
    QCOMPARE(coach.strip(index)->twipsHeight(), float(size.height() * 15));
    QCOMPARE(coach.strip(index)->twipsLeft(), left);
    QCOMPARE(coach.sign.makuTop[index], 0);
    QCOMPARE(coach.strip(index)->twipsTop(), 0.0f);

    // The next key rolls from the top.
    QTest::keyClick(coach.form.picWaku1[index], Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[index], -5);
    QCOMPARE(coach.strip(index)->geometry().top(), -5);
}

void TestDestinationSign::reloadingSameFileResetsRoll()
{
    Coach coach;
    coach.choose(0, m_picture);
    coach.speed(0)->setValue(40);
    QTest::keyClick(coach.form.picWaku1[0], Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[0], -40);

    coach.choose(0, m_picture);
    QCOMPARE(coach.sign.makuTop[0], 0);
    QCOMPARE(coach.strip(0)->twipsTop(), 0.0f);
    QCOMPARE(coach.sign.makuPath[0], m_picture);
}

void TestDestinationSign::cancelChangesNothing()
{
    Coach coach;
    coach.choose(0, m_picture);
    coach.speed(0)->setValue(9);
    QTest::keyClick(coach.form.picWaku1[0], Qt::Key_Up);
    const QImage before = coach.strip(0)->picture();
    const controls::TwipsRect place = coach.strip(0)->twips();

    coach.choose(0, std::nullopt);
    coach.choose(0, QString()); // an empty answer is no choice either

    QCOMPARE(coach.fake.fileDialog.calls.size(), 3);
    QVERIFY(coach.fake.alerts.calls.isEmpty());
    QCOMPARE(coach.sign.makuPath[0], m_picture);
    QCOMPARE(coach.sign.makuTop[0], 9);
    QCOMPARE(coach.strip(0)->picture(), before);
    QVERIFY(coach.strip(0)->twips() == place);
}

void TestDestinationSign::failedLoadKeepsEverything_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("not a picture")
        << writeBytes(m_dir, QStringLiteral("notes.bmp"), "destination: depot\n");
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("gone.bmp"));
}

void TestDestinationSign::failedLoadKeepsEverything()
{
    QFETCH(QString, path);
    const QString description = pictures::loadPicture(path).error;
    QVERIFY2(!description.isEmpty(), "the fixture must be rejected by the loader");

    Coach coach;
    coach.choose(0, m_picture);
    coach.speed(0)->setValue(2);
    QTest::keyClick(coach.form.picWaku1[0], Qt::Key_Down);
    const QImage before = coach.strip(0)->picture();
    const controls::TwipsRect place = coach.strip(0)->twips();

    coach.choose(0, path);

    QCOMPARE(coach.fake.alerts.calls.size(), 1);
    const FakeAlerts::Call &alert = coach.fake.alerts.calls.first();
    QCOMPARE(alert.title, QStringLiteral("トトラ"));
    QVERIFY2(alert.text.contains(description), qPrintable(alert.text));
    QVERIFY2(alert.text.contains(QFileInfo(path).fileName()), qPrintable(alert.text));

    QCOMPARE(coach.sign.makuPath[0], m_picture);
    QCOMPARE(coach.sign.makuTop[0], -2);
    QCOMPARE(coach.strip(0)->picture(), before);
    QVERIFY(coach.strip(0)->twips() == place);
    // The path that is saved still loads at the next start.
    QCOMPARE(coach.sign.loadStripFromPath(0), QString());
}

void TestDestinationSign::dialogOffersLastChosenPath()
{
    Coach coach;
    const QString bad = writeBytes(m_dir, QStringLiteral("bad.jpeg"), "no picture here");
    coach.choose(0, m_picture);
    coach.choose(0, std::nullopt);
    coach.choose(1, bad);
    coach.choose(0, std::nullopt);

    const QList<FakeFileDialog::Call> &calls = coach.fake.fileDialog.calls;
    QCOMPARE(calls.size(), 4);
    QCOMPARE(calls[0].initialPath, QString());
    QCOMPARE(calls[1].initialPath, m_picture);
    QCOMPARE(calls[2].initialPath, m_picture); // a cancel does not forget it
    QCOMPARE(calls[3].initialPath, bad);       // the dialog remembers even a rejected file
    QVERIFY(calls[0].filter.contains(QStringLiteral("*.bmp")));
}

void TestDestinationSign::loadStripFromPath_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QSize>("expectedSize");

    QTest::newRow("empty path") << 0 << QString() << true << QSize(0, 0);
    QTest::newRow("picture") << 0 << m_picture << true << QSize(50, 400);
    QTest::newRow("hidden sign picture") << 1 << m_picture << true << QSize(50, 400);
    QTest::newRow("missing file") << 0 << m_dir.filePath(QStringLiteral("nowhere.bmp")) << false
                                  << QSize(0, 0);
}

void TestDestinationSign::loadStripFromPath()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(QSize, expectedSize);

    Coach coach;
    const float top = coach.strip(index)->twipsTop();
    const float left = coach.strip(index)->twipsLeft();
    coach.sign.makuPath[index] = path;

    const QString error = coach.sign.loadStripFromPath(index);

    QCOMPARE(error.isEmpty(), ok);
    QVERIFY(coach.fake.alerts.calls.isEmpty()); // the caller decides what to tell
    QVERIFY(coach.fake.fileDialog.calls.isEmpty());
    QCOMPARE(coach.strip(index)->picture().size(), expectedSize);
    QCOMPARE(coach.strip(index)->twipsTop(), top);
    QCOMPARE(coach.strip(index)->twipsLeft(), left);
    QCOMPARE(coach.sign.makuTop[index], 0);
    QCOMPARE(coach.sign.makuPath[index], path);
}

void TestDestinationSign::clickFocusesSignWindow_data()
{
    QTest::addColumn<bool>("onStrip");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("window, left") << false << Qt::LeftButton;
    QTest::newRow("window, right") << false << Qt::RightButton;
    QTest::newRow("strip, left") << true << Qt::LeftButton;
    QTest::newRow("strip, right") << true << Qt::RightButton;
}

void TestDestinationSign::clickFocusesSignWindow()
{
    QFETCH(bool, onStrip);
    QFETCH(Qt::MouseButton, button);

    Coach coach;
    coach.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&coach.form));
    QWidget *window = coach.form.picWaku1[0];
    QVERIFY(!window->hasFocus());

    QWidget *target = onStrip ? static_cast<QWidget *>(coach.strip(0)) : window;
    QTest::mouseClick(target, button, {}, QPoint(5, 5));
    QTRY_VERIFY(window->hasFocus());

    coach.speed(0)->setValue(2);
    QTest::keyClick(coach.form.windowHandle(), Qt::Key_Down);
    QTest::keyClick(coach.form.windowHandle(), Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[0], -4);
    QVERIFY(window->hasFocus()); // the arrow keys do not move the focus on
}

void TestDestinationSign::keysNeedTheFocus()
{
    Coach coach;
    coach.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&coach.form));
    QVERIFY(!coach.form.picWaku1[0]->hasFocus());

    QTest::keyClick(coach.form.windowHandle(), Qt::Key_Up);
    QTest::keyClick(coach.form.windowHandle(), Qt::Key_Down);
    QTest::keyClick(coach.form.windowHandle(), Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[0], 0);
    QCOMPARE(coach.sign.makuTop[1], 0);
}

void TestDestinationSign::doorwayClickTakesFocusAway()
{
    Coach coach;
    coach.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&coach.form));
    QWindow *window = coach.form.windowHandle();
    coach.speed(0)->setValue(1);

    QTest::mouseClick(coach.form.picWaku1[0], Qt::LeftButton, {}, QPoint(3, 3));
    QTRY_VERIFY(coach.form.picWaku1[0]->hasFocus());
    QTest::keyClick(window, Qt::Key_Up);
    QCOMPARE(coach.sign.makuTop[0], 1);

    QTest::mouseClick(coach.form.Picture1, Qt::RightButton, {}, QPoint(10, 100));
    QTRY_VERIFY(coach.form.Picture1->hasFocus());
    QTest::keyClick(window, Qt::Key_Up);
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Down);
    QCOMPARE(coach.sign.makuTop[0], 1);
}

void TestDestinationSign::doubleClickOnStripLoads()
{
    Coach coach;
    coach.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&coach.form));
    coach.fake.fileDialog.answers.push_back(m_picture);

    // Through the window, so that the press and release before the double
    // click arrive as they would from a real mouse.
    const QPoint onStrip = coach.strip(0)->mapTo(&coach.form, QPoint(4, 4));
    QTest::mouseDClick(coach.form.windowHandle(), Qt::LeftButton, {}, onStrip);

    QCOMPARE(coach.fake.fileDialog.calls.size(), 1);
    QCOMPARE(coach.sign.makuPath[0], m_picture);
    QCOMPARE(coach.strip(0)->picture().size(), QSize(50, 400));
    QVERIFY(coach.form.picWaku1[0]->hasFocus());

    // The right button's double click opens nothing.
    QTest::mouseDClick(coach.form.windowHandle(), Qt::RightButton, {}, onStrip);
    QCOMPARE(coach.fake.fileDialog.calls.size(), 1);
}

QTEST_MAIN(TestDestinationSign)
#include "tst_destination_sign.moc"
