#pragma once
// Keeping the program's small windows within the user's reach, whatever the
// window manager makes of the title-bar hints.

class QWidget;

namespace plat {

// A window that the user must not lose: the control panel, which has no
// taskbar button, and a modal dialog, which holds the whole program's input.
// Where the window manager offers a minimise command despite the hints, the
// window comes back at once when it is used.
void restoreWhenMinimised(QWidget *window);

// The same for every modal window of the program while it is modal, the
// boxes that Qt's own dialogs open included. Needs the application object;
// a second call does nothing.
void restoreModalWindowsWhenMinimised();

// A modal dialog or message box: put above the always-on-top control panel,
// so that no window of the program covers it. Call before it is shown.
void keepAboveThePanel(QWidget *dialog);

} // namespace plat
