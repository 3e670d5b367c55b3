#include "platform/startup.h"

#include <QtGlobal>

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

} // namespace plat
