#include "settings/settings_location.h"

#include "platform/file_access.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using plat::PathKind;

SettingsLocation SettingsLocation::of(const QString &programFolder, const QString &modelNumber)
{
    const QString name = modelNumber + QStringLiteral(".ini");
    const QString beside = QDir(programFolder).filePath(name);
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // A save replaces the file its links lead to, written aside in that file's folder.
    const QString target = plat::replaceTarget(beside);
    const QFileInfo file(target.isEmpty() ? beside : target);
    const bool writable = QFileInfo(file.absolutePath()).isWritable() &&
                          (!file.exists() || file.isWritable());
    return choose(beside, userFolder.isEmpty() ? QString() : QDir(userFolder).filePath(name),
                  writable);
}

SettingsLocation SettingsLocation::choose(const QString &besideProgram, const QString &perUser,
                                          bool besideWritable)
{
    SettingsLocation where{besideProgram, perUser, {}, {}};
    const PathKind beside = plat::pathKind(besideProgram);
    // Something that is no plain file is never opened nor replaced.
    const bool besideUsable = beside == PathKind::Missing || beside == PathKind::Regular;
    if (besideUsable && (besideWritable || perUser.isEmpty()))
        where.writePath = besideProgram;
    else
        where.writePath = perUser;

    // Saves that go to the user's own file are read back from there, so a
    // stale file beside a program this user cannot write hides none of them.
    if (!perUser.isEmpty() && where.writePath == perUser &&
        plat::pathKind(perUser) != PathKind::Missing)
        where.readPath = perUser;
    else if (beside == PathKind::Regular || perUser.isEmpty())
        where.readPath = besideUsable ? besideProgram : QString();
    else
        where.readPath = perUser;
    return where;
}
