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

// The signboard at b with its frame fitted: a post each side, the bar under
// it across both posts.
Rects framed(const QRectF &b, qreal postHeight)
{
    return {b, {b.left() - 75, b.top(), 75, postHeight}, {b.right(), b.top(), 75, postHeight},
            {b.left() - 75, b.bottom(), b.width() + 150, 60}};
}

// A 300 x 200 picture at 9000, 1500 with its frame fitted whole.
const Rects kFitted = framed({9000, 1500, 4500, 3000}, 3015);

} // namespace

class TestSignboard : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString picture(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = m_dir.filePath(name);
        return image.save(path) ? path : QString();
    }

private Q_SLOTS:
    void fits_data()
    {
        QTest::addColumn<QRectF>("board"); // set in one step
        QTest::addColumn<QString>("then");
        QTest::addColumn<Rects>("place"); // empty: the frame as before
        QTest::newRow("a move alone leaves the frame") << QRectF(3000, 600, 1410, 450) << "" << Rects();
        QTest::newRow("a resize fits all but the posts' heights")
            << QRectF(10620, 1800, 3000, 600) << "" << framed({10620, 1800, 3000, 600}, 495);
        QTest::newRow("double-click") << QRectF(9000, 1500, 4500, 3000) << "double-click" << kFitted;
        QTest::newRow("double-click, partly off the coach")
            << QRectF(-300, -150, 600, 300) << "double-click" << framed({-300, -150, 600, 300}, 315);
        QTest::newRow("the frame toggle fits the frame it hides")
            << QRectF(3000, 600, 1410, 450) << "frame toggle" << framed({3000, 600, 1410, 450}, 465);
        QTest::newRow("reset") << QRectF(3000, 600, 4500, 3000) << "reset"
                               << framed({8910, 1605, 1410, 450}, 465);
    }

    void fits()
    {
        QFETCH(QRectF, board);
        QFETCH(QString, then);
        QFETCH(Rects, place);
        FakePlatform fp;
        Form1 form(fp.platform);
        if (then == "reset") {
            fp.fileDialog.answers = {picture("reset.png", {300, 200})};
            form.MnuSetKanban->trigger();
            form.MnuViewWaku->trigger();
        }
        const Rects frame = placeOf(form).mid(1);
        setPlace(form, board);
        if (then == "double-click")
            QTest::mouseDClick(form.PicKanban, Qt::LeftButton, {}, QPoint(2, 2));
        else if (then == "frame toggle")
            form.MnuViewWaku->trigger();
        else if (then == "reset")
            form.MnuKanbanReset->trigger();
        QCOMPARE(placeOf(form), place.isEmpty() ? Rects{board} + frame : place);
        if (then == "reset") { // the picture goes; its path, the marks and what is shown stay
            QVERIFY(form.PicKanban->picture().isNull());
            QCOMPARE(form.signboard().kanbanPath, m_dir.filePath("reset.png"));
            QVERIFY(form.MnuViewKanban->isChecked() && !form.MnuViewWaku->isChecked());
            QVERIFY(form.shpK_Waku[0]->isHidden() && !form.PicKanban->isHidden());
        }
    }

    void choosePicture_data()
    {
        QTest::addColumn<std::optional<QString>>("answer"); // nullopt: cancel
        QTest::addColumn<bool>("takes");
        const QString bad = QStringLiteral(TT_FIXTURES_DIR "/pictures/bad-");
        QTest::newRow("300 x 200 picture") << std::optional(picture("board.png", {300, 200})) << true;
        QTest::newRow("cancel") << std::optional<QString>() << false;
        QTest::newRow("empty name") << std::optional(QString()) << false;
        QTest::newRow("not a picture") << std::optional(bad + "text.txt") << false;
        QTest::newRow("damaged picture") << std::optional(bad + "png-with-broken-pixel-data.png") << false;
        QTest::newRow("gone") << std::optional(m_dir.filePath("gone.png")) << false;
    }

    // Choosing fails silently and changes nothing; a picture sizes the
    // signboard and brings the frame to it.
    void choosePicture()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(bool, takes);
        FakePlatform fp;
        Form1 form(fp.platform);
        const QString first = picture("first.png", {40, 20});
        fp.fileDialog.answers = {first, answer};
        form.MnuSetKanban->trigger();
        setPlace(form, {9000, 1500, 600, 300}); // off its frame, so a stray fit shows
        const Rects before = placeOf(form);
        form.MnuSetKanban->trigger();
        QCOMPARE(fp.fileDialog.calls.size(), 2);
        QVERIFY(fp.alerts.calls.isEmpty());
        QCOMPARE(placeOf(form), takes ? kFitted : before);
        QCOMPARE(form.PicKanban->picture().size(), takes ? QSize(300, 200) : QSize(40, 20));
        QCOMPARE(form.signboard().kanbanPath, takes ? *answer : first);
    }

    // Loading the stored path reports what failed, keeps the path, and keeps
    // the picture when the file is gone; no path clears the picture.
    void loadPictureFromPath()
    {
        FakePlatform fp;
        Form1 form(fp.platform);
        Signboard &board = form.signboard();
        board.kanbanPath = picture("before.png", {50, 30});
        QCOMPARE(board.loadPictureFromPath(), QString());
        board.kanbanPath = m_dir.filePath("gone.png");
        QVERIFY(!board.loadPictureFromPath().isEmpty());
        QCOMPARE(form.PicKanban->picture().size(), QSize(50, 30));
        QCOMPARE(board.kanbanPath, m_dir.filePath("gone.png"));
        board.kanbanPath.clear();
        QCOMPARE(board.loadPictureFromPath(), QString());
        QVERIFY(form.PicKanban->picture().isNull());
        QCOMPARE(rectOf(form.PicKanban).size(), QSizeF(750, 450));

        // A metafile takes its own extent, not its pixels' size.
        pictures::Picture metafile;
        metafile.kind = pictures::PictureKind::Emf;
        metafile.image = QImage(20, 10, QImage::Format_ARGB32);
        metafile.extentTwips = QSizeF(2000, 1234);
        board.setPicture(metafile);
        QCOMPARE(rectOf(form.PicKanban).size(), QSizeF(2000, 1234));
    }

    // Each toggle flips its own mark and what it shows, and nothing else:
    // shown or not, the signboard and three frame pieces; then the two marks.
    void toggles()
    {
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
        for (const QString step : {"K-+++-+", "K++++++", "W+---+-", "K------", "W-+++-+", "K++++++"}) {
            (step[0] == 'K' ? form.MnuViewKanban : form.MnuViewWaku)->trigger();
            QCOMPARE(state(), step.mid(1));
        }
    }

    void drag_data()
    {
        QTest::addColumn<QPoint>("release"); // in the coach, pixels, having grabbed 10, 5 in
        QTest::addColumn<QPointF>("place");  // Left and Top afterwards, twips
        // The signboard starts at 708, 120 pixels.
        QTest::newRow("press and release in place") << QPoint(718, 125) << QPointF(10620, 1800);
        // The pointer is held on the coach, so the grabbed point stays on it.
        QTest::newRow("beyond the bottom-right corner") << QPoint(1000, 400) << QPointF(12855, 3720);
        QTest::newRow("beyond the top-left corner") << QPoint(-50, -50) << QPointF(-150, -75);
    }

    void drag()
    {
        QFETCH(QPoint, release);
        QFETCH(QPointF, place);
        FakePlatform fp;
        Form1 form(fp.platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWindow *window = form.windowHandle();
        const Rects frame = placeOf(form).mid(1);
        const QPoint start(718, 125);
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        QVERIFY(form.signboard().isDragging());
        QTest::mouseMove(window, (start + release) / 2);
        QTest::mouseMove(window, release);
        QTest::mouseRelease(window, Qt::LeftButton, {}, release);
        QVERIFY(!form.signboard().isDragging());
        QTest::mouseMove(window, QPoint(300, 30)); // with the button up it no longer follows
        // The frame stays behind until the next full fit.
        QCOMPARE(placeOf(form), (Rects{{place, QSizeF(1410, 450)}} + frame));
        QCOMPARE(form.PicKanban->pos(), (place / 15).toPoint());
    }

    // A right press opens the menu, from which a hidden signboard is shown
    // again where the coach now takes the press.
    void hiddenSignboardShownAgainFromCoachMenu()
    {
        FakePlatform fp;
        Form1 form(fp.platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint onSignboard(718, 125);
        for (bool shown : {true, false}) {
            bool mark = !shown;
            QMenu *menu = whileMenuOpen(
                [&] { QTest::mousePress(form.windowHandle(), Qt::RightButton, {}, onSignboard); },
                [&](QMenu *menu) {
                    mark = form.MnuViewKanban->isChecked();
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(form.MnuViewKanban).center());
                });
            QCOMPARE(menu, form.MnuTempMenu1);
            QTest::mouseRelease(form.windowHandle(), Qt::RightButton, {}, onSignboard);
            QVERIFY(mark == shown && form.PicKanban->isHidden() == shown);
        }
        QVERIFY(form.MnuViewKanban->isChecked() && form.MnuViewWaku->isChecked());
    }
};

QTEST_MAIN(TestSignboard)
#include "tst_signboard.moc"
