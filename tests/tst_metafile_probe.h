#pragma once
// Checks a few pixels of a rendered picture instead of whole images.
//
// A probe is "x,y=#aarrggbb" for an exact colour or "x,y~#rrggbb" for an
// opaque colour within a small tolerance per channel.

#include <QColor>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace mftest {

inline QString probeMismatches(const QImage &image, const QStringList &probes)
{
    QStringList wrong;
    for (const QString &probe : probes) {
        const bool near = probe.contains(QLatin1Char('~'));
        const QStringList parts = probe.split(QRegularExpression(QStringLiteral("[,=~]")));
        const int x = parts.value(0).toInt(), y = parts.value(1).toInt();
        if (!image.valid(x, y)) {
            wrong << QStringLiteral("%1 lies outside the %2x%3 picture").arg(probe).arg(image.width()).arg(image.height());
            continue;
        }
        const QColor got = image.pixelColor(x, y);
        const QColor want(parts.value(2));
        bool ok;
        if (near) {
            ok = got.alpha() == 255 && qAbs(got.red() - want.red()) <= 40
                 && qAbs(got.green() - want.green()) <= 40 && qAbs(got.blue() - want.blue()) <= 40;
        } else {
            ok = got.rgba() == want.rgba() || (got.alpha() == 0 && want.alpha() == 0);
        }
        if (!ok)
            wrong << QStringLiteral("%1 got %2").arg(probe, got.name(QColor::HexArgb));
    }
    return wrong.join(QStringLiteral("; "));
}

inline QStringList at(std::initializer_list<const char *> probes)
{
    QStringList list;
    for (const char *p : probes)
        list << QString::fromLatin1(p);
    return list;
}

} // namespace mftest
