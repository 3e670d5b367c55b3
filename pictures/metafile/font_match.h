#pragma once
// From the fonts and eight-bit strings that metafiles name to what this
// system has: font families by face name and character set, and the text of
// narrow strings in the font's character set.

#include "pictures/metafile/gdi_objects.h"

#include <QByteArrayView>
#include <QFont>
#include <QString>

namespace pictures::metafile {

// A font with the file's face first, then look-alikes we are likely to have.
// The size is left to the caller.
QFont matchFont(const Font &font);

// Decodes a narrow string written in the given font character set.
QString decodeNarrow(QByteArrayView bytes, int charset);

// A text font whose codes are the Symbol font's (Greek letters and
// mathematical signs), and the characters those codes stand for.
bool symbolEncoded(const Font &font);
QString fromSymbolCodes(const QString &text);

} // namespace pictures::metafile
