// Decode-and-render time of typical clip-art metafiles, and peak memory.
//
//   bench_metafile [iterations] [FOLDER]
//
// With a folder, every .wmf and .emf file under it is loaded through the
// program's picture loader in this process, each as many times as given (3
// unless told), and the median, the slowest and the whole set are reported.

#include "bench/figure.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <vector>

#include <sys/resource.h>

#include <cstdio>

namespace {

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void run(const char *name, const QByteArray &bytes, int iterations)
{
    // One untimed pass loads the fonts.
    pictures::metafile::render(bytes, pictures::kMaxPicturePixels);
    QElapsedTimer timer;
    timer.start();
    QSize size;
    for (int i = 0; i < iterations; ++i)
        size = pictures::metafile::render(bytes, pictures::kMaxPicturePixels).image.size();
    const double ms = timer.nsecsElapsed() / 1e6 / iterations;
    std::printf("%-28s %7lld bytes  %4dx%-4d  %8.3f ms per decode and render\n", name,
                static_cast<long long>(bytes.size()), size.width(), size.height(), ms);
    bench::figure(bench::format("metafile: %s, decode and render", name), bench::format("%.2f ms", ms),
                  bench::format("%lld bytes, %d x %d", static_cast<long long>(bytes.size()),
                                size.width(), size.height()));
}

// Each file's time is its fastest of the iterations, which is the least
// disturbed by the other work on the machine.
int runFolder(const QString &folder, int iterations)
{
    struct Timing {
        double ms;
        QString name;
    };
    std::vector<Timing> timings;
    int refused = 0;
    double slowestRepaint = 0;
    QDirIterator it(folder, {QStringLiteral("*.wmf"), QStringLiteral("*.emf")}, QDir::Files,
                    QDirIterator::Subdirectories);
    const long before = peakRssKb();
    while (it.hasNext()) {
        const QString path = it.next();
        double best = 1e300;
        bool ok = false;
        for (int i = 0; i < iterations; ++i) {
            QElapsedTimer timer;
            timer.start();
            ok = pictures::loadPicture(path).ok();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        refused += ok ? 0 : 1;
        const pictures::PictureResult kept = pictures::loadPicture(path);
        if (!kept.picture.vector.isEmpty()) {
            // A vector picture is drawn as it shows: time one sign window's
            // worth of it, in its middle.
            const QSize size = kept.picture.pixelSize();
            const QRect part(size.width() / 2, size.height() / 2, 50, 19);
            QImage target(part.size(), QImage::Format_ARGB32_Premultiplied);
            double repaint = 1e300;
            for (int i = 0; i < iterations; ++i) {
                target.fill(Qt::white);
                QPainter painter(&target);
                painter.translate(-part.topLeft());
                QElapsedTimer timer;
                timer.start();
                pictures::drawPicture(&painter, kept.picture, part);
                repaint = std::min(repaint, timer.nsecsElapsed() / 1e6);
            }
            slowestRepaint = std::max(slowestRepaint, repaint);
            std::printf("%8.2f ms  one 50 x 19 repaint of %s (%d x %d, kept as a vector)\n", repaint,
                        qPrintable(QFileInfo(path).fileName()), size.width(), size.height());
        }
        timings.push_back({best, QFileInfo(path).fileName()});
        std::printf("%8.2f ms  %s%s\n", best, qPrintable(timings.back().name), ok ? "" : "  (refused)");
    }
    if (timings.empty()) {
        std::fprintf(stderr, "bench_metafile: no .wmf or .emf file under %s\n", qPrintable(folder));
        return 1;
    }
    std::sort(timings.begin(), timings.end(), [](const Timing &a, const Timing &b) { return a.ms < b.ms; });
    double total = 0;
    for (const Timing &t : timings)
        total += t.ms;
    const size_t n = timings.size();
    const double median = n % 2 ? timings[n / 2].ms : (timings[n / 2 - 1].ms + timings[n / 2].ms) / 2;
    const Timing &slowest = timings.back();
    std::printf("%zu files (%d refused): whole set %.1f ms, median %.2f ms, slowest %.2f ms (%s); "
                "peak resident memory %ld KiB (%ld KiB before the first file)\n",
                n, refused, total, median, slowest.ms, qPrintable(slowest.name), peakRssKb(), before);
    const std::string set = bench::format("%zu files", n);
    bench::figure("metafile folder: whole set, load and render", bench::format("%.1f ms", total), set);
    bench::figure("metafile folder: median file", bench::format("%.2f ms", median), set);
    bench::figure("metafile folder: slowest file", bench::format("%.2f ms", slowest.ms),
                  qPrintable(slowest.name));
    if (slowestRepaint > 0)
        bench::figure("metafile folder: slowest 50 x 19 repaint of a vector picture",
                      bench::format("%.2f ms", slowestRepaint), "too large to raster whole");
    bench::figure("metafile folder: peak memory", bench::format("%.1f MB", peakRssKb() / 1024.0),
                  bench::format("%.1f MB before the first file", before / 1024.0));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    for (const QString &arg : args) {
        if (QFileInfo(arg).isDir())
            return runFolder(arg, args.size() > 1 ? qMax(1, args.first().toInt()) : 3);
    }
    const int iterations = argc > 1 ? qMax(1, atoi(argv[1])) : 200;
    const long before = peakRssKb();
    const auto file = [](const char *path) {
        QFile f(QString::fromUtf8(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    run("clip-art EMF", file(TT_SOURCE_DIR "/tests/fixtures/metafiles/cases/clip_art.emf"), iterations);
    run("clip-art WMF", file(TT_SOURCE_DIR "/tests/fixtures/metafiles/cases/clip_art.wmf"), iterations);
    // The clip art with 40 hills instead of its few.
    run("detailed EMF (40 hills)", file(TT_SOURCE_DIR "/bench/data/detailed-40.emf"), iterations);
    run("detailed WMF (40 hills)", file(TT_SOURCE_DIR "/bench/data/detailed-40.wmf"), iterations);
    std::printf("peak resident memory: %ld KiB (%ld KiB before the first picture)\n", peakRssKb(),
                before);
    bench::figure("metafile: peak memory", bench::format("%.1f MB", peakRssKb() / 1024.0),
                  bench::format("%.1f MB before the first picture", before / 1024.0));
    return 0;
}
