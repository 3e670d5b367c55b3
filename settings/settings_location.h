#pragma once
// Where the settings file lives: beside the program, named after it; or, when
// the program's folder cannot be written (an installed copy), under the same
// name in the user's own configuration folder.

#include "platform/platform.h"

#include <QString>

struct SettingsLocation {
    QString besideProgram; // <program folder>/<model number>.ini
    QString perUser;       // <user config folder>/<model number>.ini
    bool besideWritable = true; // the program's folder, and a file there, can be written

    static SettingsLocation of(const plat::Process &process);

    // Where the last save went when there is a file there: the user's own file
    // when the program's folder cannot be written; else the file beside the
    // program when there is one; else the user's own.
    QString readPath() const;
    // Beside the program when that folder can be written, else the user's own.
    QString writePath() const;
};
