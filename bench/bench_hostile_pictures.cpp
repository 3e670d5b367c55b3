// The hostile pictures of tests/fixtures/hostile through the picture loader:
// how long each takes to be shown or refused, and its outcome.
//
//   bench_hostile_pictures [--only NAME]

#include "bench/figure.h"
#include "pictures/picture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

struct Case {
    const char *name;
    const char *file;
};

const Case kCases[] = {
    {"comb clip of 600 teeth, whole frame filled", "comb-600.emf"},
    {"comb clip of 600 teeth, whole frame bit-blt", "comb-600-blt.emf"},
    {"comb clip of 2048 teeth", "comb-2048.emf"},
    {"1,000 full-frame rectangles on 8192 px", "rects-1000.emf"},
    {"300 glyphs as tall as an 8192 px frame", "glyphs-300.emf"},
    {"polygon of 150,000 frame-crossing edges", "polygon-150000.emf"},
    {"WMF region of 20,000 rectangles selected 1,000 times", "region-20000.wmf"},
    {"progressive JPEG 8192 px, 3,000 scans", "scans-3000.jpg"},
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir dir(QStringLiteral(TT_HOSTILE_DIR));

    for (const Case &c : kCases) {
        if (args.contains(QStringLiteral("--only")) && !QString::fromLatin1(c.file).contains(args.last()))
            continue;
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        const qint64 size = QFileInfo(path).size();
        QElapsedTimer timer;
        timer.start();
        const pictures::PictureResult result = pictures::loadPicture(path);
        const double ms = timer.nsecsElapsed() / 1e6;
        const QString outcome = result.ok() ? QStringLiteral("shown, %1 x %2")
                                                  .arg(result.picture.pixelSize().width())
                                                  .arg(result.picture.pixelSize().height())
                                            : QStringLiteral("refused: ") + result.error;
        std::printf("%-56s %8lld bytes %10.1f ms  %s\n", c.name, static_cast<long long>(size),
                    ms, outcome.toUtf8().constData());
        std::fflush(stdout);
        bench::figure(bench::format("hostile: %s", c.name), bench::format("%.0f ms", ms),
                      outcome.toStdString());
    }
    return 0;
}
