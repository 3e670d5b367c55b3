#include "platform/metafile/metafile.h"

namespace plat::metafile {

Format detect(const QByteArray &bytes)
{
    Q_UNUSED(bytes);
    return Format::None;
}

Rendered render(const QByteArray &bytes, qint64 maxPixels)
{
    Q_UNUSED(bytes);
    Q_UNUSED(maxPixels);
    Rendered r;
    r.error = QStringLiteral("Windows metafiles are not supported yet");
    return r;
}

} // namespace plat::metafile
