// Each window, in the states a user sees, painted offscreen and compared
// pixel for pixel with its checked picture in fixtures/windows. A change of
// place, size, colour, font, text or picture shows here. After a deliberate
// change, TT_UPDATE_RENDERS=1 rewrites the pictures: look at them before
// committing. A mismatch is written to /tmp/tt-window-NAME.png.
//
// The suite also runs this at display scales of 200 % and 150 %
// (QT_SCALE_FACTOR), on the windows that show pictures: at 200 % each
// picture must be its 100 % self with every pixel doubled, at 150 % sharp
// edged, never smoothed into colours of its own.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "version/version_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace {

const QDir kWindows(QStringLiteral(TT_FIXTURES_DIR "/windows"));

// Hard edges and many colours, so that a picture placed or cut one pixel
// off shows.
QImage testCard(QSize size)
{
    QImage card(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            card.setPixel(x, y, ((x / 4 + y / 3) % 2) ? qRgb(20 + x * 7 % 200, 200, y * 13 % 256)
                                                      : qRgb(250, 10 + y * 5 % 200, 40));
    return card;
}

QWidget *exposed(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("%s never exposed", qPrintable(window->objectName()));
    return window;
}

// What the screen shows of the window once pending repaints are done: a
// change drawn nowhere but in the widget's state shows as the old picture.
QImage painted(QWidget *window)
{
    exposed(window);
    QApplication::processEvents();
    // The offscreen screen keeps its pictures at 100 %: at other scales the
    // window paints itself afresh.
    const QPixmap shot = qApp->devicePixelRatio() == 1 ? window->screen()->grabWindow(window->winId())
                                                       : window->grab();
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

// The focus moved to the field as by Tab: the style marks the focus only
// once the keyboard has moved it.
void focus(QWidget *window, QWidget *field)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    field->clearFocus();
    field->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(field->hasFocus());
}

struct Scene {
    FakePlatform fp;
    Form1 form{fp.platform};
    std::unique_ptr<frmShowVersion> dialog;
};
using Shown = std::function<QWidget *(Scene &)>;

} // namespace

Q_DECLARE_METATYPE(Shown)

class TestWindowRenders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void looksAsChecked_data();
    void looksAsChecked();
};

// The file name's suffix at this display scale: "" at 100 %, "@2x" at 200 %.
QString scaleSuffix()
{
    const qreal ratio = qApp->devicePixelRatio();
    return ratio == 1 ? QString() : QStringLiteral("@%1x").arg(ratio);
}

void TestWindowRenders::looksAsChecked_data()
{
    QTest::addColumn<Shown>("shown");
    QTest::newRow("coach") << Shown([](Scene &s) -> QWidget * { return &s.form; });
    QTest::newRow("panel") << Shown([](Scene &s) -> QWidget * { return &s.form.panel(); });
    QTest::newRow("version") << Shown([](Scene &s) -> QWidget * {
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        return s.dialog.get();
    });
    // Each change made on a window already shown, so that it must repaint.
    QTest::newRow("coach with pictures, door open, no frame") << Shown([](Scene &s) -> QWidget * {
        exposed(&s.form);
        s.form.picSlideBase1->setLeft(1260);
        s.form.imgMaku1[0]->setPicture(testCard({50, 250}));
        s.form.imgMaku1[1]->setPicture(testCard({49, 120}));
        s.form.imgMaku1[0]->setTop(-1230);
        s.form.PicKanban->setPicture(testCard({94, 30}));
        s.form.MnuViewWaku->trigger();
        return &s.form;
    });
    if (qApp->devicePixelRatio() != 1)
        return;
    QTest::newRow("coach, signboard hidden") << Shown([](Scene &s) -> QWidget * {
        exposed(&s.form)->update();
        QApplication::processEvents();
        s.form.MnuViewKanban->trigger();
        return &s.form;
    });
    QTest::newRow("panel, changed") << Shown([](Scene &s) -> QWidget * {
        frmSet &set = *static_cast<frmSet *>(exposed(&s.form.panel()));
        set.HScroll1->setValue(30000);
        set.scllMakuSpeed[0]->setValue(1000);
        set.Option1[2]->setChecked(true);
        set.Check1->setEnabled(false);
        return &set;
    });
    QTest::newRow("panel, switch focused") << Shown([](Scene &s) -> QWidget * {
        focus(&s.form.panel(), s.form.panel().Check1);
        return &s.form.panel();
    });
    QTest::newRow("panel, slider focused") << Shown([](Scene &s) -> QWidget * {
        focus(&s.form.panel(), s.form.panel().HScroll1);
        return &s.form.panel();
    });
    // Where the window system keeps places to itself (native Wayland), a
    // notice says why the panel may not stay in front.
    QTest::newRow("version, window places kept by the window system") << Shown([](Scene &s) -> QWidget * {
        s.fp.windowSystem.placesWindows = false;
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        return s.dialog.get();
    });
    QTest::newRow("version, link focused") << Shown([](Scene &s) -> QWidget * {
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        focus(s.dialog.get(), s.dialog->Label5);
        return s.dialog.get();
    });
}

void TestWindowRenders::looksAsChecked()
{
    QFETCH(Shown, shown);
    Scene scene;
    scene.form.Form_Load();
    QWidget *window = shown(scene);
    QVERIFY(window && !QTest::currentTestFailed());
    const QImage image = painted(window);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[ ,]+"), "_") + scaleSuffix();
    const QString path = kWindows.filePath(name + ".png");
    if (qEnvironmentVariableIsSet("TT_UPDATE_RENDERS")) {
        QDir().mkpath(kWindows.path());
        QVERIFY(image.save(path));
        return;
    }
    const QImage wanted(path);
    QVERIFY2(!wanted.isNull(), qPrintable("no checked picture: " + path));
    if (image != wanted.convertToFormat(QImage::Format_RGB32)) {
        image.save(QDir::temp().filePath("tt-window-" + name + ".png"));
        QFAIL(qPrintable("differs from " + path));
    }
}

QTEST_MAIN(TestWindowRenders)
#include "tst_window_renders.moc"
