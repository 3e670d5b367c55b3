// Decode-and-render time of typical clip-art metafiles, and peak memory.
//
//   bench_metafile [iterations]

#include "bench/figure.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "tests/tst_metafile_samples.h"

#include <QElapsedTimer>
#include <QGuiApplication>

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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int iterations = argc > 1 ? qMax(1, atoi(argv[1])) : 200;
    const long before = peakRssKb();
    run("clip-art EMF", mftest::sampleEmf(), iterations);
    run("clip-art WMF", mftest::sampleWmf(), iterations);
    run("detailed EMF (40 hills)", mftest::sampleEmf(40), iterations);
    run("detailed WMF (40 hills)", mftest::sampleWmf(40), iterations);
    std::printf("peak resident memory: %ld KiB (%ld KiB before the first picture)\n", peakRssKb(),
                before);
    bench::figure("metafile: peak memory", bench::format("%.1f MB", peakRssKb() / 1024.0),
                  bench::format("%.1f MB before the first picture", before / 1024.0));
    return 0;
}
