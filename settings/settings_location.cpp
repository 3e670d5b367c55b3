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
    const QFileInfo file(where.besideProgram);
    const QFileInfo folder(file.absolutePath());
    where.besideWritable = folder.isWritable() && (!file.exists() || file.isWritable());
    return where;
}

QString SettingsLocation::readPath() const
{
    // A file beside a program this user cannot write (left by an earlier run
    // as another user) would otherwise hide every session this user saved.
    if (writePath() == perUser && QFileInfo::exists(perUser))
        return perUser;
    if (QFileInfo::exists(besideProgram) || perUser.isEmpty())
        return besideProgram;
    return perUser;
}

QString SettingsLocation::writePath() const
{
    if (besideWritable || perUser.isEmpty())
        return besideProgram;
    return perUser;
}
