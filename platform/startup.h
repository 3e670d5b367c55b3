#pragma once

namespace plat {

// Chooses the window-system platform before the application object exists.
// Under Wayland a program can neither place its windows nor keep one on top,
// so when X11 is also reachable (XWayland) and the user chose nothing, use it.
void choosePlatformPlugin();

} // namespace plat
