// The hostile pictures of tests/hostile_pictures.h through the picture
// loader: how long each takes to be shown or refused, and its outcome.
//
//   bench_hostile_pictures [--write DIR]
// With --write, the files are also left in DIR, to try with the program.

#include "bench/figure.h"
#include "pictures/picture.h"
#include "tests/hostile_pictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>


int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype writeAt = args.indexOf(QStringLiteral("--write"));
    const QString dir = writeAt >= 0 ? args.value(writeAt + 1) : QString();
    if (!dir.isEmpty())
        QDir().mkpath(dir);

    for (const hostile::Case &c : hostile::cases()) {
        if (args.contains(QStringLiteral("--only")) && !QString::fromLatin1(c.file).contains(args.last()))
            continue;
        const QByteArray bytes = c.make();
        const QString path = dir.isEmpty() ? QDir::temp().filePath(QString::fromLatin1(c.file))
                                           : QDir(dir).filePath(QString::fromLatin1(c.file));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
        file.close();
        QElapsedTimer timer;
        timer.start();
        const pictures::PictureResult result = pictures::loadPicture(path);
        const double ms = timer.nsecsElapsed() / 1e6;
        const QString outcome = result.ok() ? QStringLiteral("shown, %1 x %2")
                                                  .arg(result.picture.pixelSize().width())
                                                  .arg(result.picture.pixelSize().height())
                                            : QStringLiteral("refused: ") + result.error;
        std::printf("%-56s %8lld bytes %10.1f ms  %s\n", c.name, static_cast<long long>(bytes.size()),
                    ms, outcome.toUtf8().constData());
        std::fflush(stdout);
        bench::figure(bench::format("hostile: %s", c.name), bench::format("%.0f ms", ms),
                      outcome.toStdString());
        if (dir.isEmpty())
            QFile::remove(path);
    }
    return 0;
}
