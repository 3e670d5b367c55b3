#include "settings/settings_location.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SettingsLocation SettingsLocation::of(const plat::Process &process)
{
    const QString name = plat::modelNumber(process) + QStringLiteral(".ini");
    SettingsLocation where;
    where.besideProgram = QDir(plat::programFolder(process)).filePath(name);
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!userFolder.isEmpty())
        where.perUser = QDir(userFolder).filePath(name);
    return where;
}

QString SettingsLocation::readPath() const
{
    if (QFileInfo::exists(besideProgram) || perUser.isEmpty())
        return besideProgram;
    return perUser;
}

QString SettingsLocation::writePath() const
{
    const QFileInfo file(besideProgram);
    const QFileInfo folder(file.absolutePath());
    const bool writable = folder.isWritable() && (!file.exists() || file.isWritable());
    if (writable || perUser.isEmpty())
        return besideProgram;
    return perUser;
}
