// Sixteen-bit metafile: text and bitmaps.

#include "pictures/metafile/font_match.h"
#include "pictures/metafile/wmf_player_p.h"
#include "pictures/metafile/wmf_records.h"

namespace pictures::metafile {

namespace {

constexpr quint16 kEtoOpaque = 0x0002, kEtoClipped = 0x0004;
constexpr quint32 kSrcCopy = 0x00CC0020;

} // namespace

bool WmfPlayer::playText(quint16 function, Reader &r)
{
    const int charset = m_canvas.state().font.charset;
    if (function == wmf::TextOut) {
        const qint16 count = r.i16();
        if (!r.ok() || count <= 0 || !r.has(count + (count % 2) + 4))
            return true;
        TextRun run;
        run.text = decodeNarrow(QByteArrayView(r.current(), count), charset);
        r.skip(count + (count % 2));
        run.reference = readReversedPoint(r);
        m_canvas.textOut(run);
        return true;
    }
    if (function != wmf::ExtTextOut)
        return false;
    TextRun run;
    run.reference = readReversedPoint(r);
    const qint16 count = r.i16();
    run.options = r.u16();
    if (run.options & (kEtoOpaque | kEtoClipped)) {
        const qint16 left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
        run.rect = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    if (!r.ok() || count < 0 || !r.has(count))
        return true;
    const QByteArrayView bytes(r.current(), count);
    run.text = decodeNarrow(bytes, charset);
    r.skip(count + (count % 2));
    // The advances are optional; a multi-byte string has one per byte, which
    // no longer match its characters.
    if (r.ok() && r.has(qint64(count) * 2) && run.text.size() == count) {
        for (int i = 0; i < count; ++i)
            run.dx.append(r.i16());
    }
    m_canvas.textOut(run);
    return true;
}

bool WmfPlayer::playBitmap(quint16 function, Reader &r)
{
    // A record without a bitmap is one parameter word longer than the
    // function's high byte says when it has none.
    const qint64 plainWords = (function >> 8) + 3;
    const bool hasBitmap = r.size() / 2 + 3 != plainWords;
    switch (function) {
    case wmf::PatBlt: {
        const quint32 rop = r.u32();
        const qint16 h = r.i16(), w = r.i16(), y = r.i16(), x = r.i16();
        if (r.ok())
            m_canvas.patBlt(QRectF(x, y, w, h), rop);
        return true;
    }
    case wmf::DibBitBlt:
    case wmf::BitBlt:
    case wmf::DibStretchBlt:
    case wmf::StretchBlt: {
        // The stretching records carry the source size; the others copy one
        // the size of the destination.
        const bool stretch = function == wmf::DibStretchBlt || function == wmf::StretchBlt;
        const quint32 rop = r.u32();
        const qint16 hSrc = stretch ? r.i16() : 0, wSrc = stretch ? r.i16() : 0;
        const qint16 ySrc = r.i16(), xSrc = r.i16();
        if (!hasBitmap)
            r.skip(2);
        const qint16 h = r.i16(), w = r.i16(), y = r.i16(), x = r.i16();
        if (!r.ok())
            return true;
        if (!hasBitmap) {
            m_canvas.patBlt(QRectF(x, y, w, h), rop);
        } else {
            const bool dib = function == wmf::DibBitBlt || function == wmf::DibStretchBlt;
            if (!dib) {
                Reader size = r;
                size.skip(2);
                const qint16 bw = size.i16(), bh = size.i16();
                if (!size.ok() || !m_canvas.chargeBitmap(qint64(qMax<qint16>(bw, 0)) * qMax<qint16>(bh, 0)))
                    return true;
            }
            const QImage image = dib ? packedDib(r, 0) : readBitmap16(r, m_maxBitmapPixels);
            const QRectF source(xSrc, ySrc, stretch ? wSrc : w, stretch ? hSrc : h);
            if (!image.isNull())
                m_canvas.blit(QRectF(x, y, w, h), image, source, rop);
        }
        return true;
    }
    case wmf::StretchDib: {
        const quint32 rop = r.u32();
        const quint16 usage = r.u16();
        const qint16 hSrc = r.i16(), wSrc = r.i16(), ySrc = r.i16(), xSrc = r.i16();
        const qint16 h = r.i16(), w = r.i16(), y = r.i16(), x = r.i16();
        if (!r.ok())
            return true;
        const bool bottomUp = dibIsBottomUp(r.rest());
        const QImage image = packedDib(r, usage);
        if (image.isNull())
            return true;
        const double top = bottomUp ? image.height() - double(ySrc) - hSrc : ySrc;
        m_canvas.blit(QRectF(x, y, w, h), image, QRectF(xSrc, top, wSrc, hSrc), rop);
        return true;
    }
    case wmf::SetDibToDev: {
        const quint16 usage = r.u16();
        r.u16(); // scan count
        r.u16(); // first scan
        const qint16 ySrc = r.i16(), xSrc = r.i16(), h = r.i16(), w = r.i16();
        const qint16 y = r.i16(), x = r.i16();
        if (!r.ok())
            return true;
        const bool bottomUp = dibIsBottomUp(r.rest());
        const QImage image = packedDib(r, usage);
        if (image.isNull())
            return true;
        const double top = bottomUp ? image.height() - double(ySrc) - h : ySrc;
        m_canvas.blit(QRectF(x, y, w, h), image, QRectF(xSrc, top, w, h), kSrcCopy);
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile
