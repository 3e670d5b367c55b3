// Bitmaps and gradients.
//
// The picture starts transparent so that the container's background shows
// wherever the file draws nothing. Raster operations that combine a bitmap
// with what lies below are therefore played for their visible intent: the
// parts of the source that would leave the destination unchanged (white for
// AND, black for OR and XOR) are left out, and the rest is painted over.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/dib.h"
#include "pictures/metafile/work_costs.h"

#include <cmath>

namespace pictures::metafile {

namespace {

namespace rop3 {
// The operations with a source that are not drawn as a plain copy.
constexpr quint32 SrcCopy = 0x00CC0020, SrcPaint = 0x00EE0086, SrcAnd = 0x008800C6,
                  SrcInvert = 0x00660046, NotSrcCopy = 0x00330008;
}

// Brings dest and source to positive sizes, mirroring the image where the
// two disagree in sign, and cuts the source to the image.
bool normalise(QRectF *dest, QImage *image, QRectF *source)
{
    const bool mirrorX = (dest->width() < 0) != (source->width() < 0);
    const bool mirrorY = (dest->height() < 0) != (source->height() < 0);
    *dest = dest->normalized();
    *source = source->normalized();
    if (dest->isEmpty() || source->isEmpty() || image->isNull())
        return false;
    const QRectF inside = source->intersected(QRectF(image->rect()));
    if (inside.isEmpty())
        return false;
    if (inside != *source) {
        const double kx = dest->width() / source->width(), ky = dest->height() / source->height();
        *dest = QRectF(dest->left() + (inside.left() - source->left()) * kx,
                       dest->top() + (inside.top() - source->top()) * ky, inside.width() * kx,
                       inside.height() * ky);
        *source = inside;
    }
    if (mirrorX || mirrorY) {
        *image = image->mirrored(mirrorX, mirrorY);
        if (mirrorX)
            source->moveLeft(image->width() - source->right());
        if (mirrorY)
            source->moveTop(image->height() - source->bottom());
    }
    return true;
}

} // namespace

bool Canvas::affordImage(const QRectF &dest, const QImage &image, bool copied)
{
    // Mirroring, a colour key or inversion each copy the whole bitmap first.
    const double copies = (dest.width() < 0 || dest.height() < 0 ? 1 : 0) + (copied ? 1 : 0);
    return m_meter->charge(copies * double(image.width()) * image.height() * work::kCopyPixel)
           && affordArea(m_full.mapRect(dest.normalized()), work::kImagePixel);
}

void Canvas::blit(const QRectF &destIn, const QImage &imageIn, const QRectF &sourceIn, quint32 rop)
{
    constexpr quint32 kDestinationOnly = 0xAA; // the operation's code byte: D
    if (((rop >> 16) & 0xFF) == kDestinationOnly || m_inPath || !prepare())
        return;
    QRectF dest = destIn, source = sourceIn;
    QImage image = imageIn;
    if (!affordImage(dest, imageIn, rop != rop3::SrcCopy) || !normalise(&dest, &image, &source))
        return;
    switch (rop) {
    case rop3::SrcAnd: image = withColorKey(image, 0xFFFFFF); break;
    case rop3::SrcPaint:
    case rop3::SrcInvert: image = withColorKey(image, 0x000000); break;
    case rop3::NotSrcCopy: image.invertPixels(); break;
    default: break;
    }
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, m_state.smoothStretch);
    m_painter->drawImage(dest, image, source);
}

void Canvas::patBlt(const QRectF &destIn, quint32 rop)
{
    // Without a source bitmap only the pattern (P) and the destination (D)
    // matter; the operation's code byte names the result.
    constexpr int kZero = 0x00, kNotP = 0x0F, kNotD = 0x55, kPXorD = 0x5A, kPAndD = 0xA0,
                  kD = 0xAA, kP = 0xF0, kPOrD = 0xFA, kOne = 0xFF;
    const int code = int((rop >> 16) & 0xFF);
    if (code == kD || m_inPath || !prepare())
        return; // the destination is left as it is
    const QRectF dest = destIn.normalized();
    if (!affordArea(m_full.mapRect(dest), work::kPatternPixel))
        return;
    const bool brush = !m_state.brush.isNull();
    switch (code) {
    case kZero: m_painter->fillRect(dest, Qt::black); break;
    case kOne: m_painter->fillRect(dest, Qt::white); break;
    case kNotD:
        m_painter->setCompositionMode(QPainter::RasterOp_NotDestination);
        m_painter->fillRect(dest, Qt::black);
        break;
    case kNotP:
        if (brush) {
            const QColor c = m_state.brush.color;
            m_painter->fillRect(dest, QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
        }
        break;
    case kPXorD:
    case kPAndD:
    case kPOrD:
        if (brush) {
            m_painter->setCompositionMode(code == kPXorD   ? QPainter::RasterOp_SourceXorDestination
                                          : code == kPAndD ? QPainter::RasterOp_SourceAndDestination
                                                           : QPainter::RasterOp_SourceOrDestination);
            m_painter->fillRect(dest, brushFor(m_state.brush));
        }
        break;
    case kP:
    default:
        if (brush)
            m_painter->fillRect(dest, brushFor(m_state.brush));
        break;
    }
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::alphaBlend(const QRectF &destIn, const QImage &imageIn, const QRectF &sourceIn,
                        int opacity)
{
    if (m_inPath || !prepare())
        return;
    QRectF dest = destIn, source = sourceIn;
    QImage image = imageIn;
    if (!affordImage(dest, imageIn, false) || !normalise(&dest, &image, &source))
        return;
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, m_state.smoothStretch);
    m_painter->setOpacity(qBound(0, opacity, 255) / 255.0);
    m_painter->drawImage(dest, image, source);
    m_painter->setOpacity(1.0);
}

void Canvas::gradientRect(const QRectF &box, const QColor &from, const QColor &to, bool vertical)
{
    if (m_inPath || !prepare())
        return;
    const QRectF r = box.normalized();
    if (!affordArea(m_full.mapRect(r), work::kPatternPixel))
        return;
    QLinearGradient gradient(r.topLeft(), vertical ? r.bottomLeft() : r.topRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    m_painter->fillRect(r, gradient);
}

void Canvas::gradientTriangle(const QPolygonF &triangle, const QColor colors[3])
{
    if (m_inPath || triangle.size() != 3 || !prepare())
        return;
    // Shaded as the mean of its corners; triangle meshes are fine enough in
    // the files that use them for this to read as a smooth shade.
    const QColor mean((colors[0].red() + colors[1].red() + colors[2].red()) / 3,
                      (colors[0].green() + colors[1].green() + colors[2].green()) / 3,
                      (colors[0].blue() + colors[1].blue() + colors[2].blue()) / 3);
    QPainterPath path;
    path.addPolygon(triangle);
    path.closeSubpath();
    if (!affordPath(m_full.map(path), true, Qt::NoPen))
        return;
    m_painter->fillPath(path, mean);
}

} // namespace pictures::metafile
