#pragma once
// The settings file on disk: its record read at start-up and the file
// replaced as a whole at shutdown. Only plain files are read or replaced,
// directly or through links; a link stays a link.

#include "settings/settings_record.h"

#include <QString>
#include <QStringList>

struct SettingsFileRead {
    bool missing = false; // nothing there: a first start
    // fieldsRead is 0 when the file could not be read at all.
    SettingsReadResult content;
};

// Reads no more than the reader looks at, and never blocks on a pipe or device.
SettingsFileRead readSettingsFile(const QString &path);

struct SettingsFileWrite {
    bool saved = false;
    // The file system's description when not saved, for the error output.
    QString error;
    // Paths written empty, and why (see writeSettingsRecord).
    QStringList leftOut;
};

// Replaces the file at path with the record's line, making its folder when
// needed. Written aside and swapped in: a failure leaves the old file whole.
SettingsFileWrite writeSettingsFile(const QString &path, const SettingsRecord &record);
