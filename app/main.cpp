#include "app/main_window.h"
#include "platform/end_requests.h"
#include "platform/startup.h"
#include "platform/window_keeping.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

int main(int argc, char *argv[])
{
    plat::choosePlatformPlugin();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("TT04K0007"));
    app.setOrganizationName(QStringLiteral("Totora"));
    app.setDesktopFileName(QStringLiteral("io.github.totora.Totora"));
    app.setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // The file dialog and the standard buttons speak the user's language,
    // as the desktop's own dialogs do; the program's own texts are Japanese
    // whatever the locale.
    plat::loadQtTranslations(QLocale::system());
    // A modal box minimised by a window manager that offers it anyway would
    // leave the whole program waiting for it, out of sight.
    plat::restoreModalWindowsWhenMinimised();

    // Listening before the settings are read, so that a log-out during
    // start-up cannot save the windows' design values over the user's file.
    plat::EndRequests endRequests;
    Form1 form(plat::Platform::real());
    form.followEndRequests(endRequests);
    form.Form_Load();
    form.show();
    return app.exec();
}
