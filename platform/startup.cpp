#include "platform/startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

#include <memory>

namespace plat {

QByteArray preferredPlatforms(const QByteArray &userChoice, bool waylandDisplay,
                              bool x11Display)
{
    if (!userChoice.isEmpty() || !waylandDisplay || !x11Display)
        return {};
    // A list: Qt tries each in turn, so a stale DISPLAY falls back to the
    // native Wayland platform instead of ending the program.
    return QByteArrayLiteral("xcb;wayland");
}

void choosePlatformPlugin()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const QByteArray platforms = preferredPlatforms(
        qgetenv("QT_QPA_PLATFORM"), !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
        !qEnvironmentVariableIsEmpty("DISPLAY"));
    if (!platforms.isEmpty())
        qputenv("QT_QPA_PLATFORM", platforms);
#endif
}

bool canPlaceWindowsOn(QStringView platformName)
{
    return !platformName.startsWith(u"wayland", Qt::CaseInsensitive);
}

bool loadQtTranslations(const QLocale &locale)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    auto translator = std::make_unique<QTranslator>();
    // "qtbase" holds the widgets' texts; the finder tries the locale's
    // languages in order ("ja_JP", then "ja").
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

} // namespace plat
