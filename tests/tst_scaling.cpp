// Pictures at other display scales. This program runs as on a display scaled
// to 200 % (its own main sets the scale before the application exists), so
// widgets that prepare their pictures for the display do so here too. At
// scale 2 every picture must be its scale-1 painting with each pixel doubled:
// a smoothed picture or one half a pixel off fails. At 1.25 and 1.5 no
// colour may appear that the scale-1 painting lacks: smoothing mixes colours,
// sharp-edged stretching only repeats pixels.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "controls/controls.h"
#include "version/version_dialog.h"

#include <QApplication>
#include <QSet>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// What is looked at: a widget and the part of it, in its own logical pixels,
// that only pictures cover.
struct Subject {
    QWidget *widget = nullptr;
    QRect area;
};

// The windows a case needs, kept alive while it runs.
struct Scene {
    FakePlatform fp;
    std::unique_ptr<Form1> form;
    std::unique_ptr<frmShowVersion> dialog;
};

using Setup = std::function<Subject(Scene &)>;

QImage renderAt(QWidget *widget, qreal ratio)
{
    QImage image(QSize(int(std::ceil(widget->width() * ratio)),
                       int(std::ceil(widget->height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    // Without the parent's background: only what the widget paints.
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    image.setDevicePixelRatio(1);
    return image;
}

// The device pixels lying wholly inside a logical area.
QRect devicePixelsInside(const QRect &area, qreal ratio)
{
    const int left = int(std::ceil(area.left() * ratio));
    const int top = int(std::ceil(area.top() * ratio));
    const int right = int(std::floor((area.left() + area.width()) * ratio));
    const int bottom = int(std::floor((area.top() + area.height()) * ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
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

Form1 &startedCoach(Scene &s)
{
    s.form = std::make_unique<Form1>(s.fp.platform);
    s.form->Form_Load();
    return *s.form;
}

QString firstDifference(const QImage &expected, const QImage &actual)
{
    if (expected.size() != actual.size())
        return QStringLiteral("sizes differ");
    int count = 0;
    QPoint first;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (expected.pixel(x, y) != actual.pixel(x, y) && count++ == 0)
                first = QPoint(x, y);
    if (count == 0)
        return {};
    return QStringLiteral("%1 pixels differ, the first at %2,%3: %4 instead of %5")
        .arg(count)
        .arg(first.x())
        .arg(first.y())
        .arg(actual.pixel(first), 8, 16, QLatin1Char('0'))
        .arg(expected.pixel(first), 8, 16, QLatin1Char('0'));
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestScaling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void doubledAtScale2_data() { subjects(); }
    void doubledAtScale2();
    void noMixedColours_data() { subjects(); }
    void noMixedColours();
    void picturesWhole_data();
    void picturesWhole();

private:
    void subjects();
};

void TestScaling::initTestCase()
{
    QWidget probe;
    QCOMPARE(probe.devicePixelRatio(), 2.0);
}

void TestScaling::subjects()
{
    QTest::addColumn<Setup>("setup");
    QTest::newRow("coach at start") << Setup([](Scene &s) {
        Form1 &f = startedCoach(s);
        return Subject{&f, f.rect()};
    });
    QTest::newRow("coach: door part open, user's pictures") << Setup([](Scene &s) {
        Form1 &f = startedCoach(s);
        f.picSlideBase1->setLeft(700);
        f.imgMaku1[0]->setPicture(testCard({50, 250}));
        f.imgMaku1[0]->setTop(-1230);
        f.PicKanban->setPicture(testCard({94, 30}));
        return Subject{&f, f.rect()};
    });
    QTest::newRow("front-door switch") << Setup([](Scene &s) {
        controls::PictureToggle *sw = startedCoach(s).panel().Check1;
        return Subject{sw, sw->pictureRect() & sw->rect()};
    });
    QTest::newRow("front-door switch, set and locked") << Setup([](Scene &s) {
        controls::PictureToggle *sw = startedCoach(s).panel().Check1;
        sw->blockSignals(true); // set without running the door
        sw->setChecked(true);
        sw->setEnabled(false);
        return Subject{sw, sw->pictureRect() & sw->rect()};
    });
    QTest::newRow("program icon in the version dialog") << Setup([](Scene &s) {
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        return Subject{s.dialog->Image1, s.dialog->Image1->rect()};
    });
}

void TestScaling::doubledAtScale2()
{
    QFETCH(Setup, setup);
    Scene scene;
    const Subject subject = setup(scene);
    const QImage one = renderAt(subject.widget, 1).copy(subject.area);
    const QImage two = renderAt(subject.widget, 2).copy(devicePixelsInside(subject.area, 2));
    const QImage doubled = one.scaled(one.size() * 2, Qt::IgnoreAspectRatio,
                                      Qt::FastTransformation);
    const QString difference = firstDifference(doubled, two);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestScaling::noMixedColours()
{
    QFETCH(Setup, setup);
    for (qreal ratio : {1.25, 1.5}) {
        Scene scene;
        const Subject subject = setup(scene);
        // Away from the area's edges, where a device pixel may straddle
        // the picture and what lies beside it.
        const QRect inner = subject.area.adjusted(1, 1, -1, -1);
        const QImage one = renderAt(subject.widget, 1).copy(inner);
        QSet<QRgb> known;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x)
                known.insert(one.pixel(x, y));
        const QImage scaled =
            renderAt(subject.widget, ratio).copy(devicePixelsInside(inner, ratio));
        int mixed = 0;
        QPoint first;
        for (int y = 0; y < scaled.height(); ++y)
            for (int x = 0; x < scaled.width(); ++x)
                if (!known.contains(scaled.pixel(x, y)) && mixed++ == 0)
                    first = QPoint(x, y);
        QVERIFY2(mixed == 0, qPrintable(QStringLiteral("at %1: %2 pixels of new colours, the "
                                                       "first at %3,%4")
                                            .arg(ratio)
                                            .arg(mixed)
                                            .arg(first.x())
                                            .arg(first.y())));
    }
}

void TestScaling::picturesWhole_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("picture");
    QTest::newRow("front-door switch") << Setup([](Scene &s) {
        controls::PictureToggle *sw = startedCoach(s).panel().Check1;
        return Subject{sw, sw->pictureRect()};
    }) << ":/pictures/switch_front.png";
    QTest::newRow("program icon") << Setup([](Scene &s) {
        s.dialog = std::make_unique<frmShowVersion>(s.fp.platform);
        return Subject{s.dialog->Image1, s.dialog->Image1->rect()};
    }) << ":/pictures/icon.png";
}

// The scale-1 painting the others are measured against shows the pictures
// themselves, every pixel of them that fits.
void TestScaling::picturesWhole()
{
    QFETCH(Setup, setup);
    QFETCH(QString, picture);
    Scene scene;
    const Subject subject = setup(scene);
    const QImage expected(picture);
    const QRect shown = subject.area & subject.widget->rect();
    QVERIFY(shown.width() >= expected.width() - 1 && shown.height() == expected.height());
    const QImage painted = renderAt(subject.widget, 1).copy(shown);
    const QImage wanted =
        expected.convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .copy(shown.translated(-subject.area.topLeft()));
    const QString difference = firstDifference(wanted, painted);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
