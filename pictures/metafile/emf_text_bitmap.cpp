// Enhanced metafile: text, bitmaps and gradients.

#include "pictures/metafile/emf_player_p.h"
#include "pictures/metafile/emf_records.h"
#include "pictures/metafile/font_match.h"

#include <cmath>

namespace pictures::metafile {

namespace {

constexpr quint32 kEtoGlyphIndex = 0x0010, kEtoPdy = 0x2000;
constexpr quint32 kSrcCopy = 0x00CC0020;
constexpr quint32 kGradientRectH = 0, kGradientRectV = 1, kGradientTriangle = 2;
// Gradient meshes beyond this are not clip art; they only cost time.
constexpr quint32 kMaxGradientParts = 100000;

// A source transform that is not a plain, sane mapping is treated as none.
QTransform sourceXform(Reader &r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32();
    const double dx = r.f32(), dy = r.f32();
    const QTransform t(m11, m12, m21, m22, dx, dy);
    const double v[] = {m11, m12, m21, m22, dx, dy};
    for (double x : v) {
        if (!std::isfinite(x) || std::abs(x) > 1e6)
            return {};
    }
    return std::abs(t.determinant()) > 1e-9 ? t : QTransform();
}

QColor vertexColor(quint16 r, quint16 g, quint16 b)
{
    return QColor(r >> 8, g >> 8, b >> 8);
}

} // namespace

bool EmfPlayer::playText(quint32 type, const Reader &rec, Reader &r)
{
    if (type != emf::ExtTextOutW && type != emf::ExtTextOutA)
        return false;
    r.skip(16); // bounds
    r.u32();    // graphics mode
    r.skip(8);  // scales, for the compatible graphics mode only
    TextRun run;
    run.reference = readPointL(r);
    const quint32 chars = r.u32();
    const quint32 offString = r.u32();
    run.options = r.u32();
    run.rect = readRectL(r);
    const quint32 offDx = r.u32();
    if (!r.ok())
        return true;
    const bool wide = type == emf::ExtTextOutW;
    const Reader text = rec.sub(offString, qint64(chars) * (wide ? 2 : 1));
    if (!text.ok())
        return true; // the string lies outside the record
    // Glyph indices need the very font the writer had: only the opaque
    // rectangle of such a run is drawn.
    if (run.options & kEtoGlyphIndex) {
        m_canvas.textOut(run);
        return true;
    }
    if (wide) {
        Reader units = text;
        run.text.resize(qsizetype(chars));
        for (quint32 i = 0; i < chars; ++i)
            run.text[i] = QChar(units.u16());
    } else {
        run.text = decodeNarrow(QByteArrayView(text.data(), qsizetype(chars)),
                                m_canvas.state().font.charset);
    }
    const int step = (run.options & kEtoPdy) ? 2 : 1;
    Reader dx = rec.sub(offDx, qint64(chars) * 4 * step);
    // A multi-byte narrow string has one advance per byte; those no longer
    // match its characters, and natural advances are used instead.
    if (offDx && dx.ok() && run.text.size() == qsizetype(chars)) {
        for (quint32 i = 0; i < chars; ++i) {
            run.dx.append(dx.i32());
            if (step == 2)
                dx.i32();
        }
    }
    m_canvas.textOut(run);
    return true;
}

bool EmfPlayer::playBitmap(quint32 type, const Reader &rec, Reader &r)
{
    switch (type) {
    case emf::BitBlt:
    case emf::StretchBlt:
    case emf::MaskBlt:
    case emf::AlphaBlend:
    case emf::TransparentBlt: {
        r.skip(16);
        const qint32 x = r.i32(), y = r.i32(), cx = r.i32(), cy = r.i32();
        const quint32 rop = r.u32();
        const qint32 xSrc = r.i32(), ySrc = r.i32();
        const QTransform xform = sourceXform(r);
        r.u32(); // background colour of the source
        const quint32 usage = r.u32();
        const quint32 offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        qint32 cxSrc = cx, cySrc = cy;
        if (type == emf::StretchBlt || type == emf::AlphaBlend || type == emf::TransparentBlt) {
            cxSrc = r.i32();
            cySrc = r.i32();
        }
        if (!r.ok())
            return true;
        const QRectF dest(x, y, cx, cy);
        if (cbInfo == 0) {
            if (type == emf::BitBlt || type == emf::StretchBlt)
                m_canvas.patBlt(dest, rop);
            return true;
        }
        const bool alpha = type == emf::AlphaBlend && ((rop >> 24) & 0x01);
        QImage image = bitmap(rec, offInfo, cbInfo, offBits, cbBits, usage, alpha);
        if (image.isNull())
            return true;
        const QRectF source = xform.mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc));
        const QRectF signedSource(source.topLeft(),
                                  QSizeF(std::copysign(source.width(), double(cxSrc)),
                                         std::copysign(source.height(), double(cySrc))));
        if (type == emf::AlphaBlend)
            m_canvas.alphaBlend(dest, image, signedSource, int((rop >> 16) & 0xFF));
        else if (type == emf::TransparentBlt)
            m_canvas.blit(dest, withColorKey(image, colorFromRef(rop).rgb()), signedSource, kSrcCopy);
        else
            m_canvas.blit(dest, image, signedSource, type == emf::MaskBlt ? kSrcCopy : rop);
        return true;
    }
    case emf::StretchDiBits:
    case emf::SetDiBitsToDevice: {
        r.skip(16);
        const qint32 x = r.i32(), y = r.i32(), xSrc = r.i32(), ySrc = r.i32();
        const qint32 cxSrc = r.i32(), cySrc = r.i32();
        const quint32 offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        const quint32 usage = r.u32();
        quint32 rop = kSrcCopy;
        qint32 cx = cxSrc, cy = cySrc;
        if (type == emf::StretchDiBits) {
            rop = r.u32();
            cx = r.i32();
            cy = r.i32();
        }
        if (!r.ok())
            return true;
        bool bottomUp = true;
        const QImage image = bitmap(rec, offInfo, cbInfo, offBits, cbBits, usage, false, &bottomUp);
        if (image.isNull())
            return true;
        // Bottom-up bitmaps count the source rectangle from their last row.
        const double top = bottomUp ? image.height() - double(ySrc) - cySrc : ySrc;
        m_canvas.blit(QRectF(x, y, cx, cy), image, QRectF(xSrc, top, cxSrc, cySrc), rop);
        return true;
    }
    case emf::GradientFill: gradientFill(r); return true;
    default: return false;
    }
}

void EmfPlayer::gradientFill(Reader &r)
{
    r.skip(16);
    const quint32 vertices = r.u32(), parts = r.u32(), mode = r.u32();
    if (!r.ok() || parts > kMaxGradientParts || !r.has(qint64(vertices) * 16))
        return;
    QList<QPointF> points;
    QList<QColor> colors;
    for (quint32 i = 0; i < vertices; ++i) {
        points.append(readPointL(r));
        const quint16 red = r.u16(), green = r.u16(), blue = r.u16();
        r.u16();
        colors.append(vertexColor(red, green, blue));
    }
    auto valid = [&](quint32 i) { return i < quint32(points.size()); };
    for (quint32 p = 0; p < parts && r.ok(); ++p) {
        if (mode == kGradientTriangle) {
            const quint32 a = r.u32(), b = r.u32(), c = r.u32();
            if (!r.ok() || !valid(a) || !valid(b) || !valid(c))
                return;
            const QColor corner[3] = {colors[a], colors[b], colors[c]};
            m_canvas.gradientTriangle(QPolygonF({points[a], points[b], points[c]}), corner);
        } else if (mode == kGradientRectH || mode == kGradientRectV) {
            const quint32 a = r.u32(), b = r.u32();
            if (!r.ok() || !valid(a) || !valid(b))
                return;
            m_canvas.gradientRect(QRectF(points[a], points[b]), colors[a], colors[b],
                                  mode == kGradientRectV);
        }
    }
}

} // namespace pictures::metafile
