// Pictures at other display scales. This program runs as on a display scaled
// to 200 % (its own main sets the scale before the application exists), so
// widgets that prepare their pictures for the display do so here too. At
// scale 2 every picture must be its scale-1 painting with each pixel doubled:
// a smoothed picture or one half a pixel off fails. At 1.25 and 1.5 no
// colour may appear that the scale-1 painting lacks: smoothing mixes colours,
// sharp-edged stretching only repeats pixels.

#include "app/main_window.h"
#include "controls/controls.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "version/version_dialog.h"

#include <QApplication>
#include <QColorSpace>
#include <QSet>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// The windows a case needs, and the widget and area (its own logical
// pixels) that only pictures cover.
struct Scene {
    FakePlatform fp;
    std::unique_ptr<Form1> form;
    std::unique_ptr<frmShowVersion> dialog;
    QWidget *widget = nullptr;
    QRect area;
    QPoint pictureAt; // the picture's top-left in the widget
};
using Setup = std::function<void(Scene &)>;

QImage renderAt(QWidget *widget, qreal ratio, const QRect &area)
{
    QImage image(QSize(int(std::ceil(widget->width() * ratio)),
                       int(std::ceil(widget->height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    // Without the parent's background: only what the widget paints.
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    image.setDevicePixelRatio(1);
    // The device pixels lying wholly inside the area.
    return image.copy(QRect(QPoint(int(std::ceil(area.left() * ratio)),
                                   int(std::ceil(area.top() * ratio))),
                            QPoint(int(std::floor((area.right() + 1) * ratio)) - 1,
                                   int(std::floor((area.bottom() + 1) * ratio)) - 1)));
}

// A picture with hard edges and many colours, so that any mixing shows.
QImage testCard(QSize size)
{
    QImage card(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            card.setPixel(x, y, ((x / 3 + y / 2) % 2) ? qRgb(20 + x * 7 % 200, 200, y * 13 % 256)
                                                      : qRgb(250, 10 + y * 5 % 200, 40));
    return card;
}

Form1 &coach(Scene &s)
{
    s.form = std::make_unique<Form1>(s.fp.platform);
    s.form->Form_Load();
    s.widget = s.form.get();
    s.area = s.form->rect();
    return *s.form;
}

void frontSwitch(Scene &s)
{
    controls::PictureToggle *sw = coach(s).panel().Check1;
    s.widget = sw;
    s.area = sw->pictureRect() & sw->rect();
    s.pictureAt = sw->pictureRect().topLeft();
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestScaling : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCOMPARE(QWidget().devicePixelRatio(), 2.0); }
    void scaled_data();
    void scaled();
};

void TestScaling::scaled_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("picture"); // what the scale-1 painting shows, if one picture
    QTest::newRow("coach at start") << Setup([](Scene &s) { coach(s); }) << QString();
    QTest::newRow("coach: door part open, user's pictures") << Setup([](Scene &s) {
        Form1 &f = coach(s);
        f.picSlideBase1->setLeft(700);
        f.imgMaku1[0]->setPicture(testCard({50, 250}));
        f.imgMaku1[0]->setTop(-1230);
        f.PicKanban->setPicture(testCard({94, 30}));
    }) << QString();
    QTest::newRow("front-door switch") << Setup([](Scene &s) { frontSwitch(s); })
                                       << ":/pictures/switch_front.png";
    QTest::newRow("program icon in the version dialog") << Setup([](Scene &s) {
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        s.widget = s.dialog->Image1;
        s.area = s.dialog->Image1->rect();
    }) << ":/pictures/icon.png";
}

void TestScaling::scaled()
{
    QFETCH(Setup, setup);
    QFETCH(QString, picture);
    Scene scene;
    setup(scene);
    const QImage one = renderAt(scene.widget, 1, scene.area);
    if (!picture.isEmpty()) {
        // The scale-1 painting shows the picture itself, all of it that fits.
        QImage wanted = QImage(picture).convertToFormat(one.format());
        wanted.setColorSpace(one.colorSpace()); // a file's colour space tag is no pixel
        QVERIFY(one.width() >= wanted.width() - 1 && one.height() == wanted.height());
        QCOMPARE(one, wanted.copy(one.rect().translated(scene.area.topLeft() - scene.pictureAt)));
    }
    const QImage doubled = one.scaled(one.size() * 2);
    QCOMPARE(renderAt(scene.widget, 2, scene.area), doubled);

    // Away from the area's edges, where a device pixel may straddle the
    // picture and what lies beside it.
    const QRect inner = scene.area.adjusted(1, 1, -1, -1);
    const QImage known = renderAt(scene.widget, 1, inner);
    QSet<QRgb> colours;
    for (int y = 0; y < known.height(); ++y)
        for (int x = 0; x < known.width(); ++x)
            colours.insert(known.pixel(x, y));
    for (qreal ratio : {1.25, 1.5}) {
        const QImage scaled = renderAt(scene.widget, ratio, inner);
        for (int y = 0; y < scaled.height(); ++y)
            for (int x = 0; x < scaled.width(); ++x)
                if (!colours.contains(scaled.pixel(x, y)))
                    QFAIL(qPrintable(QStringLiteral("a new colour at %1, at %2,%3")
                                         .arg(ratio).arg(x).arg(y)));
    }
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
