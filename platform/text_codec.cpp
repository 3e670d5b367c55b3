#include "platform/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace plat {

namespace {

#ifdef Q_OS_WIN
constexpr auto kLocalEncoding = QStringConverter::System;
constexpr bool kLocalIsUtf8 = false;
#else
constexpr auto kLocalEncoding = QStringConverter::Utf8;
constexpr bool kLocalIsUtf8 = true;
#endif

// A byte-order mark is only skipped at the start of a file, never inside a field.
constexpr auto kConverterFlags = QStringConverter::Flag::Stateless
                                 | QStringConverter::Flag::ConvertInitialBom;

} // namespace

std::optional<QString> decodeLocalText(QByteArrayView bytes)
{
    QStringDecoder decoder(kLocalEncoding, kConverterFlags);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encodeLocalText(QStringView text)
{
    QStringEncoder encoder(kLocalEncoding, kConverterFlags);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

QByteArrayView skipByteOrderMark(QByteArrayView bytes)
{
    if (kLocalIsUtf8 && bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.sliced(3);
    return bytes;
}

QString localTextEncodingName()
{
    return kLocalIsUtf8 ? QStringLiteral("UTF-8") : QStringLiteral("the system code page");
}

} // namespace plat
