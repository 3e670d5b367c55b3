#pragma once
// Where the settings file lives: beside the program, named after it; or, when
// that file cannot be written (an installed copy's folder) or is no plain file
// at all (a pipe, a device, a folder, a link to one, a dangling link), under
// the same name in the user's own configuration folder.

#include <QString>

struct SettingsLocation {
    QString besideProgram; // <program folder>/<model number>.ini
    QString perUser;       // <user config folder>/<model number>.ini; empty when there is none
    // Where start-up reads and where shutdown writes, decided together so
    // that the next start reads what this one saves. writePath is empty when
    // there is nowhere to write.
    QString readPath;
    QString writePath;

    static SettingsLocation of(const QString &programFolder, const QString &modelNumber);
    // The decision itself, given whether a plain file beside the program (or
    // the file its links lead to) and its folder can be written.
    static SettingsLocation choose(const QString &besideProgram, const QString &perUser,
                                   bool besideWritable);
};
