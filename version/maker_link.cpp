#include "version/maker_link.h"

#include <QDebug>
#include <QDir>
#include <QLibrary>

namespace maker {

namespace {

const QString kLibraryName = QStringLiteral("Vellum3Res");

// Whether the folder holds a file that could be the library under any of the
// names the platform gives one ("Vellum3Res.dll", "libVellum3Res.so", ...).
bool libraryFilePresent(const QDir &folder)
{
    const QStringList candidates = folder.entryList(
        {kLibraryName + QStringLiteral("*"), QStringLiteral("lib") + kLibraryName + QStringLiteral("*")},
        QDir::Files | QDir::Readable);
    for (const QString &name : candidates)
        if (QLibrary::isLibrary(name))
            return true;
    return false;
}

// The loader's own words, with paths and internal names, are for the error
// output; the user is told in a sentence what is wrong.
HomePageAddress failure(const QString &description, const QString &detail)
{
    qWarning().noquote() << detail;
    return {{}, description};
}

} // namespace

HomePageAddress homePageAddress(const QString &folder)
{
    // Only the program's own folder is searched; QLibrary adds the
    // platform's file suffix (and tries a "lib" prefix where that is usual).
    const QDir dir(folder);
    QLibrary library(dir.filePath(kLibraryName));
    if (!library.load())
        return failure(libraryFilePresent(dir)
                           ? QStringLiteral("ライブラリ %1 を読み込めません。").arg(kLibraryName)
                           : QStringLiteral("ライブラリ %1 が見つかりません。").arg(kLibraryName),
                       library.errorString());

    using UrlFunction = const char *(*)();
    const auto quorvelHpUrl = reinterpret_cast<UrlFunction>(library.resolve("QuorvelHpURL"));
    if (!quorvelHpUrl) {
        const QString detail = QStringLiteral("QuorvelHpURL not found in %1")
                                   .arg(QDir::toNativeSeparators(library.fileName()));
        library.unload();
        return failure(QStringLiteral("ライブラリ %1 に関数 QuorvelHpURL がありません。").arg(kLibraryName),
                       detail);
    }
    // Copied before the library goes: the text lives in its memory. A null
    // answer is taken as no address rather than read.
    const char *text = quorvelHpUrl();
    HomePageAddress found{text ? QString::fromLocal8Bit(text) : QString(), {}};
    library.unload();
    return found;
}

} // namespace maker
