// The signboard: frame fits, choosing and resetting its picture, the show and
// hide toggles with their marks, dragging and its popup menu.

#include "app/main_window.h"
#include "fake_platform.h"
#include "pictures/picture.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "popup_menu_driver.h"

#include <functional>

using controls::TwipsRect;

Q_DECLARE_METATYPE(TwipsRect)

namespace controls {
char *toString(const TwipsRect &r)
{
    return QTest::toString(QStringLiteral("%1, %2, %3 x %4").arg(r.left).arg(r.top).arg(r.width).arg(r.height));
}
} // namespace controls

namespace {

void chooseItem(QMenu *menu, QAction *item)
{
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(name);
    return image.save(path) ? path : QString();
}

TwipsRect rectOf(const controls::TwipsGeometry *control) { return control->twips(); }

QPoint pixelsOf(const controls::PictureBox *box) { return box->twips().toPixels().topLeft(); }

} // namespace

class TestSignboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fullFit_data();
    void fullFit();
    void resizeMovesFrameButKeepsPostHeights();
    void choosePicture();
    void choosePictureFailsSilently_data();
    void choosePictureFailsSilently();
    void metafileTakesItsOwnExtent();
    void reset();
    void loadPictureFromPath_data();
    void loadPictureFromPath();
    void toggles_data();
    void toggles();
    void frameToggleFitsAfterDrag();
    void drag_data();
    void drag();
    void doubleClickBringsFrame();
    void middleButtonDoesNothing();
    void hiddenSignboardShownAgainFromCoachMenu();

private:
    QTemporaryDir m_dir;
};

void TestSignboard::initTestCase()
{
    qRegisterMetaType<TwipsRect>();
    QVERIFY(m_dir.isValid());
}

void TestSignboard::fullFit_data()
{
    QTest::addColumn<TwipsRect>("board");
    QTest::addColumn<TwipsRect>("leftPost");
    QTest::addColumn<TwipsRect>("rightPost");
    QTest::addColumn<TwipsRect>("bar");

    QTest::newRow("300 x 200 picture") << TwipsRect{9000, 1500, 4500, 3000}
                                       << TwipsRect{8925, 1500, 75, 3015}
                                       << TwipsRect{13500, 1500, 75, 3015}
                                       << TwipsRect{8925, 4500, 4650, 60};
    QTest::newRow("partly off the left edge") << TwipsRect{-300, -150, 600, 300}
                                              << TwipsRect{-375, -150, 75, 315}
                                              << TwipsRect{300, -150, 75, 315}
                                              << TwipsRect{-375, 150, 750, 60};
}

void TestSignboard::fullFit()
{
    QFETCH(TwipsRect, board);
    QFETCH(TwipsRect, leftPost);
    QFETCH(TwipsRect, rightPost);
    QFETCH(TwipsRect, bar);

    FakePlatform fp;
    Form1 form(fp.platform);
    form.PicKanban->setTwips(board);
    form.PicKanban_DblClick();
    QCOMPARE(rectOf(form.shpK_Waku[0]), leftPost);
    QCOMPARE(rectOf(form.shpK_Waku[1]), rightPost);
    QCOMPARE(rectOf(form.shpK_Waku[2]), bar);
    QCOMPARE(rectOf(form.PicKanban), board);
}

void TestSignboard::resizeMovesFrameButKeepsPostHeights()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.PicKanban->setWidth(3000);
    form.PicKanban->setHeight(600);
    QCOMPARE(rectOf(form.shpK_Waku[0]), (TwipsRect{10545, 1800, 75, 495}));
    QCOMPARE(rectOf(form.shpK_Waku[1]), (TwipsRect{13620, 1800, 75, 495}));
    QCOMPARE(rectOf(form.shpK_Waku[2]), (TwipsRect{10545, 2400, 3150, 60}));

    // A move alone is no resize: the frame stays.
    form.PicKanban->setLeft(0);
    QCOMPARE(form.shpK_Waku[0]->twipsLeft(), 10545.0f);
}

void TestSignboard::choosePicture()
{
    const QString path = writePicture(m_dir, QStringLiteral("board.png"), {300, 200});
    QVERIFY(!path.isEmpty());
    FakePlatform fp;
    Form1 form(fp.platform);
    form.PicKanban->setTwips({9000, 1500, 1410, 450});
    fp.fileDialog.answers.push_back(path);

    form.MnuSetKanban->trigger();

    QCOMPARE(fp.fileDialog.calls.size(), 1);
    QCOMPARE(rectOf(form.PicKanban), (TwipsRect{9000, 1500, 4500, 3000}));
    QCOMPARE(form.PicKanban->picture().size(), QSize(300, 200));
    QCOMPARE(form.signboard().kanbanPath, path);
    QCOMPARE(rectOf(form.shpK_Waku[0]), (TwipsRect{8925, 1500, 75, 3015}));
    QCOMPARE(rectOf(form.shpK_Waku[1]), (TwipsRect{13500, 1500, 75, 3015}));
    QCOMPARE(rectOf(form.shpK_Waku[2]), (TwipsRect{8925, 4500, 4650, 60}));
    QVERIFY(fp.alerts.calls.isEmpty());
}

void TestSignboard::choosePictureFailsSilently_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("name");

    QTest::newRow("cancel") << true << QString();
    QTest::newRow("empty name") << false << QString();
    QFile text(m_dir.filePath("notes.bmp"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all\n");
    text.close();
    QTest::newRow("not a picture") << false << text.fileName();
}

void TestSignboard::choosePictureFailsSilently()
{
    QFETCH(bool, cancel);
    QFETCH(QString, name);
    const QString good = writePicture(m_dir, QStringLiteral("good.png"), {40, 20});
    FakePlatform fp;
    Form1 form(fp.platform);
    fp.fileDialog.answers.push_back(good);
    form.signboard().MnuSetKanban_Click();
    // Moved off its frame, so a stray fit would show.
    form.PicKanban->setLeft(3000);
    const TwipsRect board = rectOf(form.PicKanban);
    const TwipsRect post = rectOf(form.shpK_Waku[0]);
    const TwipsRect bar = rectOf(form.shpK_Waku[2]);
    const qint64 picture = form.PicKanban->picture().cacheKey();

    fp.fileDialog.answers.push_back(cancel ? std::nullopt : std::optional<QString>(name));
    form.MnuSetKanban->trigger();

    QCOMPARE(fp.fileDialog.calls.size(), 2);
    QCOMPARE(form.PicKanban->picture().cacheKey(), picture);
    QCOMPARE(form.signboard().kanbanPath, good);
    QCOMPARE(rectOf(form.PicKanban), board);
    QCOMPARE(rectOf(form.shpK_Waku[0]), post);
    QCOMPARE(rectOf(form.shpK_Waku[2]), bar);
    QVERIFY(fp.alerts.calls.isEmpty());
}

void TestSignboard::metafileTakesItsOwnExtent()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    pictures::Picture metafile;
    metafile.kind = pictures::PictureKind::Emf;
    metafile.image = QImage(20, 10, QImage::Format_ARGB32);
    metafile.extentTwips = QSizeF(2000, 1234);
    form.signboard().setPicture(metafile);
    QCOMPARE(form.PicKanban->twipsWidth(), 2000.0f);
    QCOMPARE(form.PicKanban->twipsHeight(), 1234.0f);
}

void TestSignboard::reset()
{
    const QString path = writePicture(m_dir, QStringLiteral("reset.png"), {300, 200});
    FakePlatform fp;
    Form1 form(fp.platform);
    fp.fileDialog.answers.push_back(path);
    form.signboard().MnuSetKanban_Click();
    form.MnuViewWaku->trigger();

    form.MnuKanbanReset->trigger();

    QVERIFY(form.PicKanban->picture().isNull());
    QCOMPARE(rectOf(form.PicKanban), (TwipsRect{8910, 1605, 1410, 450}));
    QCOMPARE(rectOf(form.shpK_Waku[0]), (TwipsRect{8835, 1605, 75, 465}));
    QCOMPARE(rectOf(form.shpK_Waku[1]), (TwipsRect{10320, 1605, 75, 465}));
    QCOMPARE(rectOf(form.shpK_Waku[2]), (TwipsRect{8835, 2055, 1560, 60}));
    // The path survives, so the next start shows the picture again; the
    // marks are untouched.
    QCOMPARE(form.signboard().kanbanPath, path);
    QVERIFY(form.MnuViewKanban->isChecked());
    QVERIFY(!form.MnuViewWaku->isChecked());
    QVERIFY(form.shpK_Waku[0]->isHidden());
}

void TestSignboard::loadPictureFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QSize>("picture"); // expected afterwards; empty = none
    QTest::addColumn<QSizeF>("size");   // expected twips size afterwards

    const QString before = writePicture(m_dir, QStringLiteral("before.png"), {50, 30});
    const QString after = writePicture(m_dir, QStringLiteral("after.png"), {64, 16});
    QTest::newRow("empty path clears, keeps size")
        << QString() << false << QSize() << QSizeF(750, 450);
    QTest::newRow("picture") << after << false << QSize(64, 16) << QSizeF(960, 240);
    QTest::newRow("missing file keeps all")
        << m_dir.filePath("gone.png") << true << QSize(50, 30) << QSizeF(750, 450);
    Q_UNUSED(before);
}

void TestSignboard::loadPictureFromPath()
{
    QFETCH(QString, path);
    QFETCH(bool, fails);
    QFETCH(QSize, picture);
    QFETCH(QSizeF, size);

    FakePlatform fp;
    Form1 form(fp.platform);
    Signboard &board = form.signboard();
    board.kanbanPath = m_dir.filePath("before.png");
    QCOMPARE(board.loadPictureFromPath(), QString());

    board.kanbanPath = path;
    const QString error = board.loadPictureFromPath();
    QCOMPARE(!error.isEmpty(), fails);
    QCOMPARE(form.PicKanban->picture().size(), picture.isEmpty() ? QSize(0, 0) : picture);
    QCOMPARE(QSizeF(form.PicKanban->twipsWidth(), form.PicKanban->twipsHeight()), size);
    QCOMPARE(board.kanbanPath, path);
}

void TestSignboard::toggles_data()
{
    QTest::addColumn<bool>("frame"); // which toggle: the frame's or the signboard's
    QTest::addColumn<bool>("fromMenu");

    QTest::newRow("signboard, chosen in the menu") << false << true;
    QTest::newRow("signboard, called") << false << false;
    QTest::newRow("frame, chosen in the menu") << true << true;
    QTest::newRow("frame, called") << true << false;
}

void TestSignboard::toggles()
{
    QFETCH(bool, frame);
    QFETCH(bool, fromMenu);

    FakePlatform fp;
    Form1 form(fp.platform);
    QAction *own = frame ? form.MnuViewWaku : form.MnuViewKanban;
    QAction *other = frame ? form.MnuViewKanban : form.MnuViewWaku;
    const auto ownShown = [&] {
        if (!frame)
            return !form.PicKanban->isHidden();
        const bool shown = !form.shpK_Waku[0]->isHidden();
        for (auto *shape : form.shpK_Waku)
            if (shape->isHidden() == shown)
                return !shown; // the three disagree
        return shown;
    };
    const auto otherShown = [&] {
        return frame ? !form.PicKanban->isHidden() : !form.shpK_Waku[1]->isHidden();
    };
    const auto toggle = [&] {
        if (fromMenu)
            own->trigger();
        else if (frame)
            form.signboard().MnuViewWaku_Click();
        else
            form.signboard().MnuViewKanban_Click();
    };

    QVERIFY(own->isChecked() && ownShown());
    for (bool expected : {false, true, false}) {
        toggle();
        QCOMPARE(own->isChecked(), expected);
        QCOMPARE(ownShown(), expected);
        QVERIFY(other->isChecked());
        QVERIFY(otherShown());
    }
}

void TestSignboard::frameToggleFitsAfterDrag()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.PicKanban->setTwips({3000, 600, 1410, 450}); // no size change: as a drag leaves it
    QCOMPARE(form.shpK_Waku[0]->twipsLeft(), 10545.0f);

    form.MnuViewWaku->trigger(); // off: fits the hidden frame too
    QCOMPARE(rectOf(form.shpK_Waku[0]), (TwipsRect{2925, 600, 75, 465}));
    form.PicKanban->setLeft(4500);
    form.MnuViewWaku->trigger(); // on
    QCOMPARE(rectOf(form.shpK_Waku[1]), (TwipsRect{5910, 600, 75, 465}));
    QCOMPARE(rectOf(form.shpK_Waku[2]), (TwipsRect{4425, 1050, 1560, 60}));
    QVERIFY(!form.shpK_Waku[2]->isHidden());
}

void TestSignboard::drag_data()
{
    QTest::addColumn<QPoint>("grab");   // inside the signboard, pixels
    QTest::addColumn<QPoint>("target"); // the pointer at release, in the coach's pixels
    QTest::addColumn<QPointF>("place"); // the signboard's Left and Top afterwards, twips

    // The signboard starts at 708, 120 pixels (10620, 1800 twips).
    QTest::newRow("press and release in place") << QPoint(10, 5) << QPoint(718, 125)
                                                << QPointF(10620, 1800);
    QTest::newRow("down and right") << QPoint(10, 5) << QPoint(748, 145) << QPointF(11070, 2100);
    QTest::newRow("up and left, grabbed at the far corner")
        << QPoint(90, 25) << QPoint(100, 40) << QPointF(150, 225);
    // The pointer is held on the coach, so the grabbed point stays on it.
    QTest::newRow("beyond the bottom-right corner")
        << QPoint(10, 5) << QPoint(1000, 400) << QPointF(12855, 3720);
    QTest::newRow("beyond the top-left corner")
        << QPoint(10, 5) << QPoint(-50, -50) << QPointF(-150, -75);
}

void TestSignboard::drag()
{
    QFETCH(QPoint, grab);
    QFETCH(QPoint, target);
    QFETCH(QPointF, place);

    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();
    const TwipsRect post = rectOf(form.shpK_Waku[0]);
    const TwipsRect bar = rectOf(form.shpK_Waku[2]);
    const QPoint start = pixelsOf(form.PicKanban) + grab;

    QTest::mousePress(window, Qt::LeftButton, {}, start);
    QVERIFY(form.signboard().isDragging());
    const QPoint halfway = (start + target) / 2;
    QTest::mouseMove(window, halfway);
    QTest::mouseMove(window, target);
    QTest::mouseRelease(window, Qt::LeftButton, {}, target);
    QVERIFY(!form.signboard().isDragging());

    QCOMPARE(form.PicKanban->twipsLeft(), float(place.x()));
    QCOMPARE(form.PicKanban->twipsTop(), float(place.y()));
    QCOMPARE(form.PicKanban->twipsWidth(), 1410.0f);
    QCOMPARE(form.PicKanban->pos(), form.PicKanban->twips().toPixels().topLeft());
    // The frame stays behind until the next full fit.
    QCOMPARE(rectOf(form.shpK_Waku[0]), post);
    QCOMPARE(rectOf(form.shpK_Waku[2]), bar);

    // With the button up the signboard no longer follows.
    QTest::mouseMove(window, QPoint(300, 30));
    QCOMPARE(form.PicKanban->twipsLeft(), float(place.x()));
}

void TestSignboard::doubleClickBringsFrame()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();

    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(718, 125));
    QTest::mouseMove(window, QPoint(618, 145));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(618, 145));
    QCOMPARE(form.PicKanban->twipsLeft(), 9120.0f);
    QCOMPARE(form.shpK_Waku[0]->twipsLeft(), 10545.0f);

    QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(618, 145));
    QCOMPARE(form.PicKanban->twipsLeft(), 9120.0f); // a double-click does not move it
    QCOMPARE(rectOf(form.shpK_Waku[0]), (TwipsRect{9045, 2100, 75, 465}));
    QCOMPARE(rectOf(form.shpK_Waku[1]), (TwipsRect{10530, 2100, 75, 465}));
    QCOMPARE(rectOf(form.shpK_Waku[2]), (TwipsRect{9045, 2550, 1560, 60}));
}

void TestSignboard::middleButtonDoesNothing()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();

    QMenu *menu = whileMenuOpen(
        [&] { QTest::mousePress(window, Qt::MiddleButton, {}, QPoint(718, 125)); },
        [](QMenu *) {});
    QVERIFY(!menu);
    QVERIFY(!form.signboard().isDragging());
    QTest::mouseMove(window, QPoint(600, 60));
    QTest::mouseRelease(window, Qt::MiddleButton, {}, QPoint(600, 60));
    QCOMPARE(rectOf(form.PicKanban), (TwipsRect{10620, 1800, 1410, 450}));
}

void TestSignboard::hiddenSignboardShownAgainFromCoachMenu()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();
    const QPoint onSignboard(718, 125);

    QMenu *menu = whileMenuOpen(
        [&] { QTest::mousePress(window, Qt::RightButton, {}, onSignboard); },
        [&](QMenu *open) { chooseItem(open, form.MnuViewKanban); });
    QTest::mouseRelease(window, Qt::RightButton, {}, onSignboard);
    QVERIFY(menu);
    QVERIFY(form.PicKanban->isHidden());
    QVERIFY(!form.MnuViewKanban->isChecked());

    // Where the signboard stood the coach now takes the press.
    bool markShown = true;
    menu = whileMenuOpen(
        [&] { QTest::mousePress(window, Qt::RightButton, {}, onSignboard); },
        [&](QMenu *open) {
            markShown = form.MnuViewKanban->isChecked();
            chooseItem(open, form.MnuViewKanban);
        });
    QTest::mouseRelease(window, Qt::RightButton, {}, onSignboard);
    QCOMPARE(menu, form.MnuTempMenu1);
    QVERIFY(!markShown);
    QVERIFY(!form.PicKanban->isHidden());
    QVERIFY(form.MnuViewKanban->isChecked());
    QVERIFY(form.MnuViewWaku->isChecked());
}

QTEST_MAIN(TestSignboard)
#include "tst_signboard.moc"
