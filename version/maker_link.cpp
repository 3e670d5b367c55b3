#include "version/maker_link.h"

#include <QDir>
#include <QLibrary>

namespace maker {

HomePageAddress homePageAddress(const QString &folder)
{
    // Only the program's own folder is searched; QLibrary adds the
    // platform's file suffix (and tries a "lib" prefix where that is usual).
    QLibrary library(QDir(folder).filePath(QStringLiteral("Vellum3Res")));
    if (!library.load())
        return {{}, library.errorString()};

    using UrlFunction = const char *(*)();
    const auto quorvelHpUrl = reinterpret_cast<UrlFunction>(library.resolve("QuorvelHpURL"));
    if (!quorvelHpUrl) {
        // QLibrary words a missing symbol only as "Unknown error" here, so
        // the description names the function and the file itself.
        HomePageAddress failed{{},
                               QStringLiteral("Cannot resolve symbol \"QuorvelHpURL\" in %1")
                                   .arg(QDir::toNativeSeparators(library.fileName()))};
        library.unload();
        return failed;
    }
    // Copied before the library goes: the text lives in its memory. A null
    // answer is taken as no address rather than read.
    const char *text = quorvelHpUrl();
    HomePageAddress found{text ? QString::fromLocal8Bit(text) : QString(), {}};
    library.unload();
    return found;
}

} // namespace maker
