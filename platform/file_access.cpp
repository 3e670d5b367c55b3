#include "platform/file_access.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#ifdef Q_OS_WIN
#include <QRegularExpression>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plat {

namespace {

QString notRegularText() { return QStringLiteral("通常のファイルではありません。"); }

#ifdef Q_OS_WIN
// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name a device in every folder, with
// any extension and with trailing dots or blanks ("COM1.bmp", "nul .txt").
bool isReservedDeviceName(const QString &fileName)
{
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|CONIN\\$|CONOUT\\$|COM[0-9\\x{b9}\\x{b2}\\x{b3}]|"
                       "LPT[0-9\\x{b9}\\x{b2}\\x{b3}])[ .]*(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return reserved.match(fileName).hasMatch();
}

bool isDeviceNamespace(const QString &path)
{
    const QString p = QString(path).replace(u'/', u'\\');
    return p.startsWith(QStringLiteral("\\\\.\\")) || p.startsWith(QStringLiteral("\\\\?\\GLOBALROOT"),
                                                                     Qt::CaseInsensitive);
}
#endif

} // namespace

PathKind pathKind(const QString &path)
{
    if (path.isEmpty())
        return PathKind::Missing;
#ifdef Q_OS_WIN
    if (isDeviceNamespace(path) || isReservedDeviceName(QFileInfo(path).fileName()))
        return PathKind::Special;
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? PathKind::DanglingLink : PathKind::Missing;
    if (info.isSymLink() && isReservedDeviceName(QFileInfo(info.canonicalFilePath()).fileName()))
        return PathKind::Special;
    return info.isFile() ? PathKind::Regular : PathKind::Special;
#else
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return PathKind::Missing;
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(native.constData(), &st) != 0)
        return errno == ENOENT ? PathKind::DanglingLink : PathKind::Special;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Special;
#endif
}

FileBytes readRegularFile(const QString &path, qint64 maxBytes)
{
    FileBytes result;
    switch (pathKind(path)) {
    case PathKind::Regular: break;
    case PathKind::Missing:
    case PathKind::DanglingLink:
        result.failure = ReadFailure::Missing;
        result.error = QStringLiteral("ファイルが見つかりません。");
        return result;
    case PathKind::Special:
        result.failure = ReadFailure::NotRegular;
        result.error = notRegularText();
        return result;
    }

    QFile file;
#ifdef Q_OS_WIN
    file.setFileName(path);
    const bool opened = file.open(QIODevice::ReadOnly);
#else
    // Non-blocking, so that a pipe put in the file's place since the check
    // above opens at once instead of waiting for a writer; then checked again.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.failure = ReadFailure::Unreadable;
        result.error = qt_error_string(errno);
        return result;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.failure = ReadFailure::NotRegular;
        result.error = notRegularText();
        return result;
    }
    const bool opened = file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!opened)
        ::close(fd);
#endif
    if (!opened) {
        result.failure = ReadFailure::Unreadable;
        result.error = file.errorString();
        return result;
    }
    // One byte more than asked tells a longer file from one of exactly that size.
    // A regular file's size is known, so no buffer larger than the file is
    // ever allocated.
    maxBytes = std::max<qint64>(maxBytes, 0);
    result.bytes = file.read(std::min(maxBytes, file.size()) + 1);
    if (file.error() != QFileDevice::NoError) {
        result = {};
        result.failure = ReadFailure::Unreadable;
        result.error = file.errorString();
        return result;
    }
    if (result.bytes.size() > maxBytes) {
        result.bytes.truncate(maxBytes);
        result.truncated = true;
    }
    return result;
}

QString replaceTarget(const QString &path)
{
    switch (pathKind(path)) {
    case PathKind::Missing: return path;
    case PathKind::Regular: {
        const QFileInfo info(path);
        return info.isSymLink() ? info.canonicalFilePath() : path;
    }
    case PathKind::DanglingLink:
    case PathKind::Special: break;
    }
    return {};
}

WriteOutcome replaceFile(const QString &path, const QByteArray &contents)
{
    WriteOutcome outcome;
    const QString target = replaceTarget(path);
    if (target.isEmpty()) {
        outcome.error = notRegularText();
        return outcome;
    }
    QSaveFile file(target);
    // QSaveFile buffers and its commit() does not notice a flush that stops
    // short (a full disk), so flush first and commit only then.
    outcome.ok = file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
                 file.flush() && file.commit();
    if (!outcome.ok)
        outcome.error = file.errorString();
    return outcome;
}

} // namespace plat
