#include "pictures/metafile/canvas.h"

#include <cmath>

namespace pictures::metafile {

namespace {

// Scales beyond these are never meant; they only push coordinates out of
// what the rasteriser can hold.
constexpr double kMaxScale = 1.0e6;
constexpr double kMaxOffset = 1.0e9;
// A dashed line that would break into more dashes than this is drawn solid,
// so that a dotted pen over a huge distance cannot stall playback.
constexpr double kMaxDashes = 20000;

bool finiteTransform(const QTransform &t)
{
    const double v[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double x : v) {
        if (!std::isfinite(x))
            return false;
    }
    if (std::abs(t.m11()) > kMaxScale || std::abs(t.m12()) > kMaxScale
        || std::abs(t.m21()) > kMaxScale || std::abs(t.m22()) > kMaxScale
        || std::abs(t.dx()) > kMaxOffset || std::abs(t.dy()) > kMaxOffset)
        return false;
    return t.m13() == 0 && t.m23() == 0 && std::abs(t.determinant()) > 1e-18;
}

} // namespace

Canvas::Canvas(QImage *target, Mapping mapping, const PictureFrame &frame, const View &view,
               WorkMeter *meter)
    : m_target(target), m_painter(std::make_unique<QPainter>(target)), m_mapping(mapping),
      m_frame(frame), m_pictureSize(QSizeF(frame.pixels) * view.scale),
      m_view(QTransform::fromTranslate(-view.origin.x(), -view.origin.y())), m_meter(meter)
{
    m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    if (mapping == Mapping::Emf) {
        const QRectF f = frame.deviceFrame;
        m_base = QTransform::fromTranslate(-f.left(), -f.top())
                 * QTransform::fromScale(m_pictureSize.width() / f.width(),
                                         m_pictureSize.height() / f.height())
                 * m_view;
    } else {
        m_base = m_view;
        m_state.mapMode = mapmode::Anisotropic;
        m_state.windowOrg = frame.window.topLeft();
        m_state.windowExt = frame.window.size();
        m_state.viewportExt = m_fileViewport = QSizeF(frame.pixels);
    }
}

void Canvas::setFileViewportExt(QSizeF ext)
{
    if (!m_fileViewportSet) {
        m_fileViewport = ext;
        m_fileViewportSet = true;
    }
    m_state.viewportExt = ext;
    m_transformDirty = true;
}

Canvas::~Canvas()
{
    endGuardedDrawing();
    m_painter->end();
}

void Canvas::saveDc()
{
    // Past this depth a file is looping; further saves are dropped.
    if (m_saved.size() < kMaxSavedStates)
        m_saved.append(m_state);
}

void Canvas::restoreDc(int which)
{
    qsizetype keep;
    if (which < 0) {
        if (qint64(-qint64(which)) > m_saved.size())
            return;
        keep = m_saved.size() + which;
    } else if (which > 0 && which <= m_saved.size()) {
        keep = which - 1;
    } else {
        return;
    }
    m_state = m_saved.at(keep);
    m_saved.resize(keep);
    m_transformDirty = true;
    m_clipDirty = true;
}

bool Canvas::transformUsable()
{
    if (!m_transformDirty)
        return m_fullUsable;
    m_transformDirty = false;
    const DcState &s = m_state;
    double sx = 1, sy = 1;
    QPointF viewportOrg = s.viewportOrg;
    if (m_mapping == Mapping::Wmf) {
        const double ux = m_pictureSize.width() / m_fileViewport.width();
        const double uy = m_pictureSize.height() / m_fileViewport.height();
        sx = s.viewportExt.width() / s.windowExt.width() * ux;
        sy = s.viewportExt.height() / s.windowExt.height() * uy;
        viewportOrg = QPointF(s.viewportOrg.x() * ux, s.viewportOrg.y() * uy);
    } else {
        const double mmX = m_frame.devicePxPerMmX, mmY = m_frame.devicePxPerMmY;
        switch (s.mapMode) {
        case mapmode::LoMetric: sx = mmX * 0.1; sy = -mmY * 0.1; break;
        case mapmode::HiMetric: sx = mmX * 0.01; sy = -mmY * 0.01; break;
        case mapmode::LoEnglish: sx = mmX * 0.254; sy = -mmY * 0.254; break;
        case mapmode::HiEnglish: sx = mmX * 0.0254; sy = -mmY * 0.0254; break;
        case mapmode::Twips: sx = mmX * 25.4 / 1440; sy = -mmY * 25.4 / 1440; break;
        case mapmode::Isotropic:
        case mapmode::Anisotropic:
            sx = s.viewportExt.width() / s.windowExt.width();
            sy = s.viewportExt.height() / s.windowExt.height();
            if (s.mapMode == mapmode::Isotropic && std::isfinite(sx) && std::isfinite(sy)) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        default: break;
        }
    }
    m_pageFlipped = (sx < 0) != (sy < 0);
    const QTransform page(sx, 0, 0, sy, viewportOrg.x() - s.windowOrg.x() * sx,
                          viewportOrg.y() - s.windowOrg.y() * sy);
    m_full = m_mapping == Mapping::Emf ? s.world * page * m_base : page * m_base;
    m_fullUsable = finiteTransform(page) && finiteTransform(m_full);
    return m_fullUsable;
}

const QTransform &Canvas::transform()
{
    transformUsable();
    return m_full;
}

bool Canvas::prepare()
{
    if (!transformUsable())
        return false;
    applyClip();
    if (m_clipGuarded && !beginGuardedDrawing())
        return false;
    m_painter->setTransform(m_full);
    return true;
}

QPen Canvas::currentPen()
{
    const Pen &p = m_state.pen;
    if (p.isNull())
        return Qt::NoPen;
    QPen pen(p.color);
    const double scale = std::sqrt(std::abs(m_full.determinant()));
    const double outputWidth = p.width * scale;
    const bool geometric = p.style & penstyle::Geometric;
    // One device pixel is a cosmetic pen: thin, flat-ended, and dashed when
    // its style says so. The platform's device widths are whole pixels, so a
    // width of 1 stays one pixel when the mapping scales it by a hair (a
    // frame in hundredths of a millimetre never maps exactly).
    const bool cosmetic = p.width <= 0 || outputWidth < 1.5;
    if (cosmetic) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        // Wider than the picture is never useful and only costs time.
        const double limit = 4.0 * (m_pictureSize.width() + m_pictureSize.height());
        pen.setWidthF(std::min(outputWidth, limit) / scale);
        const quint32 cap = p.style & penstyle::EndCapMask, join = p.style & penstyle::JoinMask;
        pen.setCapStyle(cap == penstyle::CapSquare ? Qt::SquareCap
                        : cap == penstyle::CapFlat ? Qt::FlatCap
                                                   : Qt::RoundCap);
        pen.setJoinStyle(join == penstyle::JoinBevel ? Qt::BevelJoin
                         : join == penstyle::JoinMiter ? Qt::MiterJoin
                                                       : Qt::RoundJoin);
    }
    // Non-geometric pens wider than a pixel are drawn solid, as the platform does.
    const bool dashed = cosmetic || geometric;
    switch (p.lineStyle()) {
    case penstyle::Dash:
        if (dashed)
            pen.setDashPattern(cosmetic ? QList<qreal>{18, 6} : QList<qreal>{3, 1});
        break;
    case penstyle::Dot:
        if (dashed)
            pen.setDashPattern(cosmetic ? QList<qreal>{3, 3} : QList<qreal>{1, 1});
        break;
    case penstyle::DashDot:
        if (dashed)
            pen.setDashPattern(cosmetic ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1});
        break;
    case penstyle::DashDotDot:
        if (dashed)
            pen.setDashPattern(cosmetic ? QList<qreal>{9, 3, 3, 3, 3, 3}
                                        : QList<qreal>{3, 1, 1, 1, 1, 1});
        break;
    case penstyle::Alternate:
        pen.setDashPattern({1, 1});
        break;
    case penstyle::UserStyle: {
        QList<qreal> pattern;
        const double unit = cosmetic ? 1.0 : qMax(p.width, 1e-9);
        for (double d : p.dashes)
            pattern.append(qMax(d / unit, 0.01));
        if (pattern.size() % 2)
            pattern.append(pattern.last());
        if (!pattern.isEmpty())
            pen.setDashPattern(pattern);
        break;
    }
    default: break;
    }
    return pen;
}

QBrush Canvas::brushFor(const Brush &b)
{
    switch (b.style) {
    case brushstyle::Null: return Qt::NoBrush;
    case brushstyle::Hatched: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                 Qt::FDiagPattern, Qt::BDiagPattern,
                                                 Qt::CrossPattern, Qt::DiagCrossPattern};
        const int h = b.hatch >= 0 && b.hatch < 6 ? b.hatch : 0;
        return QBrush(b.color, hatches[h]);
    }
    case brushstyle::Pattern:
    case brushstyle::DibPattern:
    case brushstyle::DibPatternPt:
        if (!b.pattern.isNull()) {
            QBrush brush(b.pattern);
            // Patterns tile in device pixels, whatever the mapping.
            brush.setTransform(m_full.inverted());
            return brush;
        }
        return QBrush(b.color);
    default: return QBrush(b.color);
    }
}

bool Canvas::applyRop2(QPen *pen, QBrush *brush)
{
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    auto recolor = [&](const QColor &color) {
        if (pen->style() != Qt::NoPen)
            pen->setColor(color);
        if (brush->style() != Qt::NoBrush)
            *brush = QBrush(color, brush->style() == Qt::TexturePattern ? Qt::SolidPattern
                                                                         : brush->style());
    };
    switch (m_state.rop2) {
    case rop2::Nop: return false;
    case rop2::Black: recolor(Qt::black); break;
    case rop2::White: recolor(Qt::white); break;
    case rop2::NotCopyPen: {
        // The inverse of whatever is drawn, the brush's fill as well as the line.
        const auto inverse = [](const QColor &c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); };
        if (pen->style() != Qt::NoPen)
            pen->setColor(inverse(pen->color()));
        if (brush->style() == Qt::TexturePattern) {
            QImage texture = brush->textureImage();
            texture.invertPixels();
            brush->setTextureImage(texture);
        } else if (brush->style() != Qt::NoBrush) {
            brush->setColor(inverse(brush->color()));
        }
        break;
    }
    case rop2::Not: mode = QPainter::RasterOp_NotDestination; break;
    case rop2::XorPen: mode = QPainter::RasterOp_SourceXorDestination; break;
    case rop2::MaskPen: mode = QPainter::RasterOp_SourceAndDestination; break;
    case rop2::MergePen: mode = QPainter::RasterOp_SourceOrDestination; break;
    default: break;
    }
    m_painter->setCompositionMode(mode);
    return true;
}

void Canvas::drawShape(const QPainterPath &logical, bool fill, bool stroke)
{
    if (!transformUsable())
        return;
    if (m_inPath) {
        m_path.addPath(m_full.map(logical));
        m_figureOpen = false;
        return;
    }
    if (!prepare())
        return;
    QPainterPath path = logical;
    path.setFillRule(m_state.polyFillMode == kAlternateFill ? Qt::OddEvenFill : Qt::WindingFill);
    QBrush brush = fill ? brushFor(m_state.brush) : QBrush(Qt::NoBrush);
    QPen pen = stroke ? currentPen() : QPen(Qt::NoPen);
    if (brush.style() == Qt::NoBrush && pen.style() == Qt::NoPen)
        return;
    if (!affordPath(m_full.map(path), brush.style() != Qt::NoBrush, pen))
        return;
    if (!applyRop2(&pen, &brush))
        return;
    if (brush.style() != Qt::NoBrush) {
        const bool hatched = brush.style() >= Qt::HorPattern && brush.style() <= Qt::DiagCrossPattern;
        if (hatched && m_state.bkMode == kOpaqueBk)
            m_painter->fillPath(path, m_state.bkColor);
        m_painter->fillPath(path, brush);
    }
    if (pen.style() != Qt::NoPen) {
        if (pen.style() != Qt::SolidLine) {
            double period = 0;
            for (qreal d : pen.dashPattern())
                period += d;
            const double unit = pen.isCosmetic() ? 1.0
                                                 : pen.widthF() * std::sqrt(std::abs(m_full.determinant()));
            const double length = m_full.map(path).length();
            if (period * unit <= 0 || length / (period * unit) > kMaxDashes)
                pen.setStyle(Qt::SolidLine);
        }
        // The platform rounds a thin line's points to whole pixels; Qt's
        // aliased stroker takes the pixel below them, so a line just above
        // a pixel row would vanish. Half a pixel turns the one into the other.
        if (pen.isCosmetic())
            m_painter->setTransform(m_full * QTransform::fromTranslate(0.5, 0.5));
        m_painter->strokePath(path, pen);
        m_painter->setTransform(m_full);
    }
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::setPixel(QPointF p, const QColor &color)
{
    if (m_inPath || !prepare())
        return;
    const QPointF out = m_full.map(p);
    m_painter->resetTransform();
    m_painter->fillRect(QRectF(std::floor(out.x()), std::floor(out.y()), 1, 1), color);
}

} // namespace pictures::metafile
