// picture-info FILE [--render OUT.png]
// Loads FILE with the program's own picture loader and prints its kind and
// size in pixels, or why it could not be loaded. Exit status 0 or 1.

#include "pictures/picture.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

namespace {

int usage(QTextStream &err)
{
    err << "usage: picture-info FILE [--render OUT.png]\n";
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Metafiles are played through QPainter, which wants a GUI application;
    // the offscreen platform keeps the tool usable without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = app.arguments().mid(1);
    QString renderPath;
    const qsizetype renderAt = args.indexOf(QStringLiteral("--render"));
    if (renderAt >= 0) {
        if (renderAt + 1 >= args.size())
            return usage(err);
        renderPath = args.at(renderAt + 1);
        args.remove(renderAt, 2);
    }
    if (args.size() != 1 || args.first().isEmpty())
        return usage(err);

    const QString path = args.first();
    const pictures::PictureResult result = pictures::loadPicture(path);
    if (!result.ok()) {
        err << path << ": " << result.error;
        if (!result.detail.isEmpty())
            err << " (" << result.detail << ')';
        err << '\n';
        return 1;
    }
    const pictures::Picture &picture = result.picture;
    out << pictures::pictureKindName(picture.kind) << ' ' << picture.pixelSize().width() << ' '
        << picture.pixelSize().height() << '\n';
    out.flush();

    if (!renderPath.isEmpty() && !picture.vector.isEmpty()) {
        err << renderPath << ": the picture is kept as a vector, too large to write as one image\n";
        return 1;
    }
    if (!renderPath.isEmpty() && !picture.image.save(renderPath, "PNG")) {
        err << renderPath << ": the picture could not be written\n";
        return 1;
    }
    return 0;
}
