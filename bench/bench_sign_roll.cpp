// Rolling the destination sign: the time from an arrow key press to the
// repainted strip, with a 50 x 20,000 pixel strip picture.
//
//   bench_sign_roll [key events per run]

#include "app/main_window.h"
#include "bench/figure.h"
#include "panel/control_panel.h"
#include "sign/destination_sign.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Counts the strip's paint events, to show that every key was repainted.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void report(const char *label, std::vector<qint64> nanos, int paints)
{
    std::sort(nanos.begin(), nanos.end());
    double sum = 0;
    for (qint64 n : nanos)
        sum += double(n);
    const auto at = [&nanos](double q) {
        return double(nanos[std::min(nanos.size() - 1, size_t(q * double(nanos.size())))]) / 1000.0;
    };
    std::printf("%-28s %6zu keys  mean %8.1f us  median %8.1f us  p95 %8.1f us  max %8.1f us"
                "  strip paints %d\n",
                label, nanos.size(), sum / double(nanos.size()) / 1000.0, at(0.5), at(0.95),
                at(1.0), paints);
    bench::figure(bench::format("sign: key to repaint, 50 x 20,000 strip, %s", label),
                  bench::format("%.1f us median", at(0.5)),
                  bench::format("mean %.1f us, p95 %.1f us", sum / double(nanos.size()) / 1000.0,
                                at(0.95)));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int keys = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 2000;

    QTemporaryDir dir;
    QImage strip(50, 20000, QImage::Format_RGB32);
    for (int y = 0; y < strip.height(); ++y) // bands, so each step paints new pixels
        std::fill_n(reinterpret_cast<QRgb *>(strip.scanLine(y)), strip.width(),
                    qRgb((y * 7) & 0xFF, (y / 20) & 0xFF, 0x80));
    const QString path = dir.filePath(QStringLiteral("strip.bmp"));
    if (!dir.isValid() || !strip.save(path)) {
        std::fprintf(stderr, "cannot write the strip picture\n");
        return 1;
    }

    Form1 form(plat::Platform::real());
    DestinationSign &sign = form.sign();
    sign.makuPath[0] = path;
    if (const QString error = sign.loadStripFromPath(0); !error.isEmpty()) {
        std::fprintf(stderr, "cannot load the strip: %s\n", qPrintable(error));
        return 1;
    }
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    form.picWaku1[0]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();

    PaintCounter counter;
    form.imgMaku1[0]->installEventFilter(&counter);
    QWindow *window = form.windowHandle();

    std::printf("platform %s, strip %d x %d, Qt %s\n", qPrintable(QApplication::platformName()),
                strip.width(), strip.height(), QT_VERSION_STR);
    for (int step : {1, 20, 1000}) {
        form.panel().scllMakuSpeed[0]->setValue(step);
        sign.makuTop[0] = 0;
        std::vector<qint64> nanos;
        nanos.reserve(size_t(keys));
        counter.paints = 0;
        // Down through the strip and back up, turning at its end.
        const int turn = std::max(1, std::min(keys / 2, strip.height() / step));
        QElapsedTimer timer;
        for (int i = 0; i < keys; ++i) {
            const Qt::Key key = (i / turn) % 2 == 0 ? Qt::Key_Down : Qt::Key_Up;
            timer.start();
            QTest::keyClick(window, key);
            QApplication::processEvents(); // delivers the repaint the move asked for
            nanos.push_back(timer.nsecsElapsed());
        }
        char label[64];
        std::snprintf(label, sizeof label, "step %d px", step);
        report(label, std::move(nanos), counter.paints);
    }
    return 0;
}
