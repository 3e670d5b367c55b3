#pragma once
// The encoding of the program's own text files (the settings file): the
// system's ANSI code page on Windows, where older files come from, and UTF-8
// everywhere else. Both directions report bytes or characters they cannot
// carry instead of replacing them, so a path is never silently altered.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace plat {

// Empty when the bytes are not valid text in the local encoding.
std::optional<QString> decodeLocalText(QByteArrayView bytes);

// Empty when some character has no form in the local encoding.
std::optional<QByteArray> encodeLocalText(QStringView text);

// Drops a leading byte-order mark that an editor may have put in front of a
// UTF-8 file; the ANSI code page has none, so there the bytes are kept.
QByteArrayView skipByteOrderMark(QByteArrayView bytes);

// For messages: "UTF-8" or "the system code page".
QString localTextEncodingName();

} // namespace plat
