#pragma once
// Reading and replacing the user's files without trusting what the path
// names. A picture or a settings file may be a named pipe, a device, a
// socket, a folder or a link to one of them: opening such a thing for a
// blocking read can hang the program for ever, and replacing it can destroy
// a device. Only regular files, reached directly or through links, are read
// or written here.

#include <QByteArray>
#include <QString>

namespace plat {

enum class PathKind {
    Missing,     // nothing there, not even a link
    Regular,     // a regular file, directly or through links
    DanglingLink, // a link whose target does not exist
    Special,     // a pipe, device, socket, folder, a link to one, or a reserved device name
};

// What path is, following links. Never opens it.
PathKind pathKind(const QString &path);

enum class ReadFailure { None, Missing, NotRegular, Unreadable };

struct FileBytes {
    QByteArray bytes;
    // The file holds more than the bytes asked for; only those were read.
    bool truncated = false;
    ReadFailure failure = ReadFailure::None;
    QString error; // the file system's description when unreadable

    bool ok() const { return failure == ReadFailure::None; }
};

// Reads at most maxBytes from the start of a regular file. Anything else is
// refused without a blocking open, and the check is repeated on the opened
// handle, so a path swapped for a pipe in between cannot hang the read.
FileBytes readRegularFile(const QString &path, qint64 maxBytes);

// Where a write to path lands: path itself, or the file its links lead to.
// Empty when the write must not happen: path (or the end of its links) is a
// special file or a dangling link.
QString replaceTarget(const QString &path);

struct WriteOutcome {
    bool ok = false;
    QString error; // the file system's description on failure
};

// Replaces the contents of the file at path as a whole: written aside and
// swapped in, so a failure half-way leaves the old file as it was. A link
// stays a link and its target gets the new contents. Refused where
// replaceTarget() is empty.
WriteOutcome replaceFile(const QString &path, const QByteArray &contents);

} // namespace plat
