#include "settings/settings_file.h"

#include "platform/file_access.h"

#include <QDir>
#include <QFileInfo>

SettingsFileRead readSettingsFile(const QString &path)
{
    SettingsFileRead read;
    const plat::FileBytes file = plat::readRegularFile(path, kSettingsReadLimit);
    if (!file.ok()) {
        read.missing = file.failure == plat::ReadFailure::Missing &&
                       plat::pathKind(path) == plat::PathKind::Missing;
        read.content.problem = file.error;
        return read;
    }
    read.content = readSettingsRecord(file.bytes);
    return read;
}

SettingsFileWrite writeSettingsFile(const QString &path, const SettingsRecord &record)
{
    SettingsFileWrite written;
    const SettingsLine line = writeSettingsRecord(record);
    written.leftOut = line.leftOut;
    if (path.isEmpty()) {
        written.error = QStringLiteral("there is no folder to keep the settings in");
        return written;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const plat::WriteOutcome outcome = plat::replaceFile(path, line.bytes);
    written.saved = outcome.ok;
    written.error = outcome.error;
    return written;
}
