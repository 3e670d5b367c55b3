// Copied into an installed tree beside the program and started through a link
// on the command path, it reports what the program would make of that place:
// its own folder, where the settings file is read and written, and what the
// maker's library beside it answers. One "key=value" line each.

#include "platform/platform.h"
#include "settings/settings_location.h"
#include "version/maker_link.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The program's own names, which the per-user folder is made of.
    app.setApplicationName(QStringLiteral("TT04K0007"));
    app.setOrganizationName(QStringLiteral("Totora"));

    const plat::Process &process = *plat::Platform::real().process;
    const SettingsLocation where = SettingsLocation::of(plat::programFolder(process), plat::modelNumber(process));
    const maker::HomePageAddress home = maker::homePageAddress(plat::programFolder(process));

    QTextStream out(stdout);
    out << "folder=" << plat::programFolder(process) << '\n'
        << "settings-read=" << where.readPath << '\n'
        << "settings-write=" << where.writePath << '\n'
        << "settings-beside=" << where.besideProgram << '\n'
        << "home-page=" << home.address << '\n'
        << "home-page-error=" << home.error << '\n';
    return 0;
}
