#pragma once

#include <QByteArray>
#include <QStringView>

class QLocale;

namespace plat {

// Chooses the window-system platform before the application object exists.
// Under Wayland a program can neither place its windows nor keep one on top,
// so when X11 is also reachable (XWayland) and the user chose nothing, use it.
void choosePlatformPlugin();

// The platform list to ask Qt for, given what the environment holds; empty
// to leave Qt's own choice alone. The X11 platform comes first, with Wayland
// after it for when the X display turns out not to answer.
QByteArray preferredPlatforms(const QByteArray &userChoice, bool waylandDisplay,
                              bool x11Display);

// Whether the named Qt platform lets a program place its windows, read their
// places and keep one on top: every platform but Wayland's.
bool canPlaceWindowsOn(QStringView platformName);

// Puts Qt's own texts (the file dialog's labels, the standard buttons) into
// the locale's language, from the translations that come with Qt. Replaces
// those installed by an earlier call. False when Qt has none for the locale,
// as for English, which they are written in. Needs the application object.
bool loadQtTranslations(const QLocale &locale);

} // namespace plat
