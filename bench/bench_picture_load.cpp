// Loading a 4000 x 3000 JPEG with the picture loader, next to ImageMagick
// decoding the same file to nothing in one run. Prints figures; asserts none.
//
// bench_picture_load [RUNS]

#include "bench/figure.h"
#include "pictures/picture.h"
#include "pictures/picture_check.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

const QString kConvert = QStringLiteral("/usr/bin/convert");

struct Figures {
    double best = 0;
    double median = 0;
};

Figures timeRuns(int runs, const std::function<bool()> &run)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return {-1, -1};
        ms.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.first(), ms.at(ms.size() / 2)};
}

bool runConvert(const QStringList &args)
{
    QProcess process;
    process.start(kConvert, args);
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

QString line(const char *what, Figures f)
{
    if (f.best < 0)
        return QStringLiteral("%1: FAILED").arg(QLatin1String(what), -44);
    return QStringLiteral("%1: best %2 ms, median %3 ms")
        .arg(QLatin1String(what), -44)
        .arg(f.best, 8, 'f', 1)
        .arg(f.median, 8, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int runs = std::max(1, app.arguments().value(1, QStringLiteral("7")).toInt());

    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("photo-4000x3000.jpg"));
    const bool haveConvert = QFile::exists(kConvert);
    if (haveConvert) {
        out << "making a 4000 x 3000 JPEG with ImageMagick..." << Qt::endl;
        if (!runConvert({"-seed", "1", "-size", "4000x3000", "plasma:fractal", "-quality", "90", jpeg})) {
            out << "convert failed to make the picture" << Qt::endl;
            return 1;
        }
    } else {
        out << "note: " << kConvert << " is missing: a Qt-made picture, no comparison" << Qt::endl;
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qRgb((x * 7 + y) & 0xff, (x ^ y) & 0xff, (y * 3) & 0xff);
        }
        image.save(jpeg, "JPEG", 90);
    }

    QFile file(jpeg);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    out << "file: " << bytes.size() << " bytes, " << runs << " runs each" << Qt::endl;

    const pictures::PictureResult first = pictures::loadPicture(jpeg);
    if (!first.ok()) {
        out << "the loader refused it: " << first.error << Qt::endl;
        return 1;
    }
    out << "loaded: " << pictures::pictureKindName(first.picture.kind) << ' '
        << first.picture.pixelSize().width() << " x " << first.picture.pixelSize().height() << Qt::endl;

    const Figures loader = timeRuns(runs, [&] { return pictures::loadPicture(jpeg).ok(); });
    out << line("loadPicture (read + check + decode)", loader) << Qt::endl;
    out << line("Qt alone: QImage(FILE), no checks", timeRuns(runs, [&] {
        return !QImage(jpeg).isNull();
    })) << Qt::endl;
    out << line("of which the whole-file check", timeRuns(runs, [&] {
        return pictures::checkJpeg(bytes).fault == pictures::PictureFault::None;
    })) << Qt::endl;
    std::string against;
    if (haveConvert) {
        const Figures convert = timeRuns(runs, [&] { return runConvert({jpeg, "null:"}); });
        out << line("convert FILE null: (a whole process)", convert) << Qt::endl;
        against = bench::format("ImageMagick %.0f ms (a whole process)", convert.median);
    }
    bench::figure("picture: 4000 x 3000 JPEG load", bench::format("%.0f ms", loader.median), against);

    // The same picture as a 24-bit BMP, through our own decoder.
    const QString bmp = dir.filePath(QStringLiteral("photo-4000x3000.bmp"));
    first.picture.image.save(bmp, "BMP");
    const Figures ownBmp = timeRuns(runs, [&] { return pictures::loadPicture(bmp).ok(); });
    out << line("loadPicture, same picture as 24-bit BMP", ownBmp) << Qt::endl;
    const Figures qtBmp = timeRuns(runs, [&] { return !QImage(bmp).isNull(); });
    out << line("Qt alone: QImage(BMP FILE), no checks", qtBmp) << Qt::endl;
    bench::figure("picture: 4000 x 3000 BMP load", bench::format("%.0f ms", ownBmp.median),
                  bench::format("Qt's reader alone %.0f ms", qtBmp.median));
    return 0;
}
