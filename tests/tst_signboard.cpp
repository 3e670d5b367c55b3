// The signboard: its frame fits, choosing, loading and resetting its picture,
// the show and hide toggles with their marks, dragging and its menu.

#include "app/main_window.h"
#include "fake_platform.h"
#include "pictures/picture.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "popup_menu_driver.h"

using Rects = QList<QRectF>; // the signboard, then the left post, right post and bar

namespace {

QRectF rectOf(const controls::TwipsGeometry *c)
{
    return {c->twipsLeft(), c->twipsTop(), c->twipsWidth(), c->twipsHeight()};
}

Rects placeOf(const Form1 &form)
{
    return {rectOf(form.PicKanban), rectOf(form.shpK_Waku[0]), rectOf(form.shpK_Waku[1]),
            rectOf(form.shpK_Waku[2])};
}

void setPlace(Form1 &form, const QRectF &r)
{
    form.PicKanban->setTwips({float(r.x()), float(r.y()), float(r.width()), float(r.height())});
}

// Where the frame stands at creation.
const Rects kFrameAtStart{{10545, 1785, 75, 495}, {12030, 1785, 75, 495}, {10545, 2250, 1560, 60}};

} // namespace

class TestSignboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fits_data();
    void fits();
    void choosePicture_data();
    void choosePicture();
    void loadPictureFromPath_data();
    void loadPictureFromPath();
    void toggles_data();
    void toggles();
    void drag_data();
    void drag();
    void hiddenSignboardShownAgainFromCoachMenu();

private:
    QString picture(const QString &name, QSize size);
    QTemporaryDir m_dir;
};

QString TestSignboard::picture(const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = m_dir.filePath(name);
    return image.save(path) ? path : QString();
}

void TestSignboard::initTestCase() { QVERIFY(m_dir.isValid()); }

void TestSignboard::fits_data()
{
    QTest::addColumn<QRectF>("board"); // set in one step
    QTest::addColumn<QString>("then");
    QTest::addColumn<Rects>("place");
    QTest::newRow("a move alone leaves the frame")
        << QRectF(3000, 600, 1410, 450) << "" << Rects{{3000, 600, 1410, 450}} + kFrameAtStart;
    QTest::newRow("a resize fits all but the posts' heights")
        << QRectF(10620, 1800, 3000, 600) << ""
        << Rects{{10620, 1800, 3000, 600}, {10545, 1800, 75, 495}, {13620, 1800, 75, 495},
                 {10545, 2400, 3150, 60}};
    QTest::newRow("double-click, 300 x 200 picture")
        << QRectF(9000, 1500, 4500, 3000) << "double-click"
        << Rects{{9000, 1500, 4500, 3000}, {8925, 1500, 75, 3015}, {13500, 1500, 75, 3015},
                 {8925, 4500, 4650, 60}};
    QTest::newRow("double-click, partly off the coach")
        << QRectF(-300, -150, 600, 300) << "double-click"
        << Rects{{-300, -150, 600, 300}, {-375, -150, 75, 315}, {300, -150, 75, 315},
                 {-375, 150, 750, 60}};
    QTest::newRow("the frame toggle fits the frame it hides")
        << QRectF(3000, 600, 1410, 450) << "frame toggle"
        << Rects{{3000, 600, 1410, 450}, {2925, 600, 75, 465}, {4410, 600, 75, 465},
                 {2925, 1050, 1560, 60}};
    QTest::newRow("reset") << QRectF(3000, 600, 4500, 3000) << "reset"
                           << Rects{{8910, 1605, 1410, 450}, {8835, 1605, 75, 465},
                                    {10320, 1605, 75, 465}, {8835, 2055, 1560, 60}};
}

void TestSignboard::fits()
{
    QFETCH(QRectF, board);
    QFETCH(QString, then);
    QFETCH(Rects, place);
    FakePlatform fp;
    Form1 form(fp.platform);
    if (then == "reset") {
        // The picture goes; its path, the marks and what is shown stay.
        fp.fileDialog.answers = {picture("reset.png", {300, 200})};
        form.MnuSetKanban->trigger();
        form.MnuViewWaku->trigger();
    }
    setPlace(form, board);
    if (then == "double-click")
        QTest::mouseDClick(form.PicKanban, Qt::LeftButton, {}, QPoint(2, 2));
    else if (then == "frame toggle")
        form.MnuViewWaku->trigger();
    else if (then == "reset")
        form.MnuKanbanReset->trigger();
    QCOMPARE(placeOf(form), place);
    if (then == "reset") {
        QVERIFY(form.PicKanban->picture().isNull());
        QCOMPARE(form.signboard().kanbanPath, m_dir.filePath("reset.png"));
        QVERIFY(form.MnuViewKanban->isChecked() && !form.MnuViewWaku->isChecked());
        QVERIFY(form.shpK_Waku[0]->isHidden() && !form.PicKanban->isHidden());
    }
}

void TestSignboard::choosePicture_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("takes");
    QTest::newRow("300 x 200 picture") << false << picture("board.png", {300, 200}) << true;
    QTest::newRow("cancel") << true << QString() << false;
    QTest::newRow("empty name") << false << QString() << false;
    QFile text(m_dir.filePath("notes.bmp"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture at all\n") > 0);
    QTest::newRow("not a picture") << false << text.fileName() << false;
}

// Choosing fails silently and changes nothing; a picture sizes the signboard
// and brings the frame to it.
void TestSignboard::choosePicture()
{
    QFETCH(bool, cancel);
    QFETCH(QString, answer);
    QFETCH(bool, takes);
    FakePlatform fp;
    Form1 form(fp.platform);
    const QString first = picture("first.png", {40, 20});
    fp.fileDialog.answers = {first, cancel ? std::nullopt : std::optional<QString>(answer)};
    form.MnuSetKanban->trigger();
    QCOMPARE(rectOf(form.PicKanban), QRectF(10620, 1800, 600, 300));
    setPlace(form, {9000, 1500, 600, 300}); // off its frame, so a stray fit shows
    const Rects before = placeOf(form);
    const qint64 shown = form.PicKanban->picture().cacheKey();

    form.MnuSetKanban->trigger();

    QCOMPARE(fp.fileDialog.calls.size(), 2);
    QVERIFY(fp.alerts.calls.isEmpty());
    if (takes) {
        QCOMPARE(placeOf(form), (Rects{{9000, 1500, 4500, 3000}, {8925, 1500, 75, 3015},
                                       {13500, 1500, 75, 3015}, {8925, 4500, 4650, 60}}));
        QCOMPARE(form.PicKanban->picture().size(), QSize(300, 200));
        QCOMPARE(form.signboard().kanbanPath, answer);
    } else {
        QCOMPARE(placeOf(form), before);
        QCOMPARE(form.PicKanban->picture().cacheKey(), shown);
        QCOMPARE(form.signboard().kanbanPath, first);
    }
}

void TestSignboard::loadPictureFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSizeF>("size"); // twips
    QTest::newRow("empty path clears, keeps the size") << "" << false << QSize() << QSizeF(750, 450);
    QTest::newRow("missing file keeps all") << m_dir.filePath("gone.png") << true << QSize(50, 30)
                                            << QSizeF(750, 450);
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
    board.kanbanPath = this->picture("before.png", {50, 30});
    QCOMPARE(board.loadPictureFromPath(), QString());
    board.kanbanPath = path;
    QCOMPARE(board.loadPictureFromPath().isEmpty(), !fails);
    QCOMPARE(form.PicKanban->picture().size(), picture.isValid() ? picture : QSize(0, 0));
    QCOMPARE(rectOf(form.PicKanban).size(), size);
    QCOMPARE(board.kanbanPath, path);

    // A metafile takes its own extent, not its pixels' size.
    pictures::Picture metafile;
    metafile.kind = pictures::PictureKind::Emf;
    metafile.image = QImage(20, 10, QImage::Format_ARGB32);
    metafile.extentTwips = QSizeF(2000, 1234);
    board.setPicture(metafile);
    QCOMPARE(rectOf(form.PicKanban).size(), QSizeF(2000, 1234));
}

void TestSignboard::toggles_data()
{
    QTest::addColumn<bool>("frame");
    // Shown or not: signboard, three frame pieces; then the two marks.
    QTest::addColumn<QString>("off");
    QTest::newRow("signboard") << false << "-+++-+";
    QTest::newRow("frame") << true << "+---+-";
}

// Each toggle flips its own mark and what it shows, and nothing else.
void TestSignboard::toggles()
{
    QFETCH(bool, frame);
    QFETCH(QString, off);
    FakePlatform fp;
    Form1 form(fp.platform);
    const auto state = [&] {
        QString s;
        for (const QWidget *w : std::initializer_list<const QWidget *>{
                 form.PicKanban, form.shpK_Waku[0], form.shpK_Waku[1], form.shpK_Waku[2]})
            s += w->isHidden() ? '-' : '+';
        for (const QAction *mark : {form.MnuViewKanban, form.MnuViewWaku})
            s += mark->isChecked() ? '+' : '-';
        return s;
    };
    QCOMPARE(state(), QStringLiteral("++++++"));
    for (const QString &expected : {off, QStringLiteral("++++++"), off}) {
        (frame ? form.MnuViewWaku : form.MnuViewKanban)->trigger();
        QCOMPARE(state(), expected);
    }
}

void TestSignboard::drag_data()
{
    QTest::addColumn<QPoint>("grab");    // inside the signboard, pixels
    QTest::addColumn<QPoint>("release"); // in the coach, pixels
    QTest::addColumn<QPointF>("place");  // Left and Top afterwards, twips
    // The signboard starts at 708, 120 pixels.
    QTest::newRow("press and release in place") << QPoint(10, 5) << QPoint(718, 125)
                                                << QPointF(10620, 1800);
    // The pointer is held on the coach, so the grabbed point stays on it.
    QTest::newRow("beyond the bottom-right corner")
        << QPoint(10, 5) << QPoint(1000, 400) << QPointF(12855, 3720);
    QTest::newRow("beyond the top-left corner")
        << QPoint(10, 5) << QPoint(-50, -50) << QPointF(-150, -75);
}

void TestSignboard::drag()
{
    QFETCH(QPoint, grab);
    QFETCH(QPoint, release);
    QFETCH(QPointF, place);
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();
    const QPoint start = QPoint(708, 120) + grab;

    QTest::mousePress(window, Qt::LeftButton, {}, start);
    QVERIFY(form.signboard().isDragging());
    QTest::mouseMove(window, (start + release) / 2);
    QTest::mouseMove(window, release);
    QTest::mouseRelease(window, Qt::LeftButton, {}, release);
    QVERIFY(!form.signboard().isDragging());
    // With the button up the signboard no longer follows.
    QTest::mouseMove(window, QPoint(300, 30));

    // The frame stays behind until the next full fit.
    QCOMPARE(placeOf(form), (Rects{{place, QSizeF(1410, 450)}} + kFrameAtStart));
    QCOMPARE(form.PicKanban->pos(), (place / 15).toPoint());
}

// A right press opens the menu, from which a hidden signboard is shown again
// where the coach now takes the press.
void TestSignboard::hiddenSignboardShownAgainFromCoachMenu()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint onSignboard(718, 125);
    bool mark = true;
    const auto press = [&](Qt::MouseButton button) {
        return whileMenuOpen(
            [&] { QTest::mousePress(form.windowHandle(), button, {}, onSignboard); },
            [&](QMenu *menu) {
                mark = form.MnuViewKanban->isChecked();
                QTest::mouseClick(menu, Qt::LeftButton, {},
                                  menu->actionGeometry(form.MnuViewKanban).center());
            });
    };
    QCOMPARE(press(Qt::RightButton), form.MnuTempMenu1);
    QTest::mouseRelease(form.windowHandle(), Qt::RightButton, {}, onSignboard);
    QVERIFY(mark && form.PicKanban->isHidden());
    QCOMPARE(press(Qt::RightButton), form.MnuTempMenu1);
    QTest::mouseRelease(form.windowHandle(), Qt::RightButton, {}, onSignboard);
    QVERIFY(!mark && !form.PicKanban->isHidden());
    QVERIFY(form.MnuViewKanban->isChecked() && form.MnuViewWaku->isChecked());
}

QTEST_MAIN(TestSignboard)
#include "tst_signboard.moc"
