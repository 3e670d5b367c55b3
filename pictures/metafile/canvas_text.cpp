// Text output: font size from the mapping, alignment, escapement, the
// advance array, opaque and clipped rectangles.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/font_match.h"
#include "pictures/metafile/work_costs.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <cmath>

namespace pictures::metafile {

namespace {

constexpr quint32 kEtoOpaque = 0x0002, kEtoClipped = 0x0004;
constexpr double kDefaultFontPixels = 16;

double length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

} // namespace

void Canvas::textOut(const TextRun &symbolsOrText)
{
    TextRun run = symbolsOrText;
    if (symbolEncoded(m_state.font))
        run.text = fromSymbolCodes(run.text);
    if (run.text.isEmpty() && !(run.options & kEtoOpaque))
        return;
    if (!transformUsable())
        return;
    const DcState &s = m_state;
    const QTransform &t = m_full;
    const QPointF origin = t.map(QPointF());
    const double sx = length(t.map(QPointF(1, 0)) - origin);
    const double sy = length(t.map(QPointF(0, 1)) - origin);

    if ((run.options & kEtoOpaque) && !m_inPath && prepare()
        && affordArea(t.mapRect(run.rect.normalized()), work::kFillPixel))
        m_painter->fillRect(run.rect.normalized(), s.bkColor);
    if (run.text.isEmpty() || !m_meter->charge(double(run.text.size()) * work::kGlyph))
        return;
    // Fonts need the GUI application; a console program gets the shapes only.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;

    // Flips of the page mapping do not mirror text; only the world transform
    // turns it. The escapement turns counter-clockwise in the logical space,
    // so a page that turns one axis over turns it the other way on the device.
    const QPointF wx = s.world.map(QPointF(1, 0)) - s.world.map(QPointF());
    const double baseAngle = m_mapping == Mapping::Emf ? std::atan2(wx.y(), wx.x()) * 180 / M_PI : 0;
    const double angle = baseAngle + (m_pageFlipped ? 1 : -1) * s.font.escapement / 10.0;

    const double limit = qMin(8192.0, 4.0 * (m_pictureSize.width() + m_pictureSize.height()));
    double pixels = s.font.height == 0 ? kDefaultFontPixels : std::abs(s.font.height) * sy;
    if (!(pixels >= 0.5))
        return;
    pixels = qMin(pixels, limit);
    QFont font = matchFont(s.font);
    font.setPixelSize(qMax(1, int(std::lround(pixels))));
    if (s.font.height > 0) {
        // A positive height is the whole cell, ascent plus descent.
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            font.setPixelSize(int(std::lround(qBound(1.0, pixels * pixels / cell, limit))));
    }
    if (s.font.width != 0) {
        const double average = QFontMetricsF(font).averageCharWidth();
        if (average > 0)
            font.setStretch(int(std::lround(qBound(1.0, 100 * std::abs(s.font.width) * sx / average,
                                                   4000.0))));
    }
    const QFontMetricsF metrics(font);

    // Advances along the baseline, in output pixels.
    QList<double> advances;
    double total = 0;
    if (!run.dx.isEmpty()) {
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const double a = (i < run.dx.size() ? run.dx[i] : 0) * sx;
            advances.append(std::isfinite(a) ? qBound(-limit, a, limit) : 0);
            total += advances.last();
        }
    } else {
        total = metrics.horizontalAdvance(run.text) + s.textCharExtra * sx * run.text.size();
    }

    const bool updateCp = s.textAlign & textalign::UpdateCp;
    const QPointF reference = t.map(updateCp ? s.currentPos : run.reference);
    double x = 0;
    switch (s.textAlign & textalign::HorizontalMask) {
    case textalign::Right: x = -total; break;
    case textalign::Center: x = -total / 2; break;
    default: break;
    }
    double y = 0;
    switch (s.textAlign & textalign::VerticalMask) {
    case textalign::Baseline: break;
    case textalign::Bottom: y = -metrics.descent(); break;
    default: y = metrics.ascent(); break;
    }
    QTransform local;
    local.translate(reference.x(), reference.y());
    local.rotate(angle);

    if (m_inPath) {
        QPainterPath glyphs;
        glyphs.addText(QPointF(x, y), font, run.text);
        m_path.addPath(local.map(glyphs));
    } else if (prepare()
               && affordText(local.mapRect(QRectF(x, y - metrics.ascent(), std::abs(total) + pixels,
                                                  metrics.height())),
                             run.text.size(), font.pixelSize())) {
        if (run.options & kEtoClipped)
            m_painter->setClipRect(run.rect.normalized(), Qt::IntersectClip);
        m_painter->setTransform(local);
        if (s.bkMode == kOpaqueBk && !(run.options & kEtoOpaque))
            m_painter->fillRect(QRectF(x, y - metrics.ascent(), total, metrics.height()), s.bkColor);
        m_painter->setFont(font);
        m_painter->setPen(s.textColor);
        if (advances.isEmpty() && s.textCharExtra == 0) {
            m_painter->drawText(QPointF(x, y), run.text);
        } else {
            double pen = x;
            for (qsizetype i = 0; i < run.text.size(); ++i) {
                qsizetype n = 1;
                if (run.text[i].isHighSurrogate() && i + 1 < run.text.size())
                    n = 2;
                m_painter->drawText(QPointF(pen, y), run.text.mid(i, n));
                for (qsizetype k = 0; k < n; ++k) {
                    pen += advances.isEmpty() ? metrics.horizontalAdvance(run.text.mid(i, n)) / n
                                                    + s.textCharExtra * sx
                                              : advances[i + k];
                }
                i += n - 1;
            }
        }
        if (run.options & kEtoClipped)
            m_clipDirty = true;
    }
    if (updateCp && sx > 0)
        m_state.currentPos.rx() += total / sx;
}

} // namespace pictures::metafile
