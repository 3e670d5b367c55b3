#include "pictures/metafile/header.h"

#include "pictures/metafile/reader.h"
#include "pictures/metafile/wmf_records.h"

#include <cmath>

namespace pictures::metafile {

namespace {

// Sizes beyond this are no picture anybody drew; they only overflow arithmetic.
constexpr double kMaxExtentPixels = 1.0e6;

int toPixels(double value)
{
    return int(std::lround(value));
}

} // namespace

bool readEmfHeader(const QByteArray &bytes, PictureFrame *frame, QString *error)
{
    Reader r(bytes);
    const quint32 type = r.u32();
    const quint32 headerSize = r.u32();
    const qint32 bl = r.i32(), bt = r.i32(), br = r.i32(), bb = r.i32();
    const qint32 fl = r.i32(), ft = r.i32(), fr = r.i32(), fb = r.i32();
    const quint32 signature = r.u32();
    r.u32(); // version
    r.u32(); // declared file size; the real size is what we bound reads by
    r.u32(); // record count
    const quint16 handles = r.u16();
    r.u16();
    r.u32(); // description length
    r.u32(); // description offset
    r.u32(); // palette entries
    const qint32 devW = r.i32(), devH = r.i32();
    const qint32 mmW = r.i32(), mmH = r.i32();
    if (type != 1 || signature != kEmfSignature) {
        *error = QStringLiteral("not an enhanced metafile (no EMF header)");
        return false;
    }
    if (!r.ok()) {
        *error = QStringLiteral("the EMF header is cut short");
        return false;
    }
    if (headerSize < 88 || headerSize % 4 != 0 || headerSize > quint32(bytes.size())) {
        *error = QStringLiteral("the EMF header is damaged (its size is %1 bytes)").arg(headerSize);
        return false;
    }

    // The platform places the frame on the reference device by its size in
    // whole millimetres. The micrometres of newer headers would move a frame
    // far from the device's origin by pixels (and some writers keep their
    // description where that field would be).
    const double mmWidth = mmW, mmHeight = mmH;
    if (devW > 0 && devH > 0 && mmWidth > 0 && mmHeight > 0) {
        frame->devicePxPerMmX = devW / mmWidth;
        frame->devicePxPerMmY = devH / mmHeight;
    }

    // The frame (0.01 mm) is the picture's extent; a few writers leave it
    // empty, and then the bounds (device pixels) are the best we have.
    double wMm = double(fr) - fl, hMm = double(fb) - ft;
    QRectF deviceFrame(fl / 100.0 * frame->devicePxPerMmX, ft / 100.0 * frame->devicePxPerMmY,
                       wMm / 100.0 * frame->devicePxPerMmX, hMm / 100.0 * frame->devicePxPerMmY);
    if (wMm <= 0 || hMm <= 0) {
        if (double(br) - bl <= 0 || double(bb) - bt <= 0) {
            *error = QStringLiteral("the EMF header gives the picture no size");
            return false;
        }
        deviceFrame = QRectF(bl, bt, double(br) - bl + 1, double(bb) - bt + 1);
        wMm = deviceFrame.width() / frame->devicePxPerMmX * 100.0;
        hMm = deviceFrame.height() / frame->devicePxPerMmY * 100.0;
    }
    const double wPx = wMm * 96.0 / 2540.0, hPx = hMm * 96.0 / 2540.0;
    if (wPx > kMaxExtentPixels || hPx > kMaxExtentPixels) {
        *error = QStringLiteral("the EMF header gives an impossible size");
        return false;
    }
    frame->format = Format::Emf;
    frame->pixels = QSize(qMax(1, toPixels(wPx)), qMax(1, toPixels(hPx)));
    frame->twips = QSizeF(wMm * 1440.0 / 2540.0, hMm * 1440.0 / 2540.0);
    frame->deviceFrame = deviceFrame;
    frame->handleCount = handles;
    frame->firstRecord = 0; // the header is itself the first record
    return true;
}

namespace {

// The standard header that follows the placeable one (or starts the file).
bool readStandardWmfHeader(Reader &r, PictureFrame *frame, QString *error)
{
    const qint64 start = r.pos();
    const quint16 type = r.u16();
    const quint16 headerWords = r.u16();
    const quint16 version = r.u16();
    r.u32(); // file size in words
    const quint16 objects = r.u16();
    r.u32(); // largest record
    r.u16();
    if (!r.ok() || (type != 1 && type != 2) || headerWords != 9
        || (version != 0x0100 && version != 0x0300)) {
        *error = QStringLiteral("not a Windows metafile (no WMF header)");
        return false;
    }
    frame->objectCount = objects;
    frame->firstRecord = start + 18;
    return true;
}

// A file without the placeable header gives its size only through the
// window extent that one of its first records sets.
bool findWindow(const QByteArray &bytes, qint64 first, QRectF *window)
{
    Reader r(bytes);
    r.seek(first);
    QPointF origin;
    while (r.ok() && r.remaining() >= 6) {
        const qint64 start = r.pos();
        const quint32 words = r.u32();
        const quint16 function = r.u16();
        if (words < 3 || qint64(words) * 2 > r.size() - start || function == wmf::Eof)
            return false;
        if (function == wmf::SetWindowOrg) {
            const qint16 y = r.i16(), x = r.i16();
            origin = QPointF(x, y);
        } else if (function == wmf::SetWindowExt) {
            const qint16 y = r.i16(), x = r.i16();
            if (!r.ok() || x == 0 || y == 0)
                return false;
            *window = QRectF(origin, QSizeF(x, y));
            return true;
        }
        r.seek(start + qint64(words) * 2);
    }
    return false;
}

} // namespace

bool readWmfHeader(const QByteArray &bytes, PictureFrame *frame, QString *error)
{
    Reader r(bytes);
    frame->format = Format::Wmf;
    if (r.u32() == kPlaceableKey) {
        r.u16(); // handle, unused on disk
        const qint16 left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
        const quint16 unitsPerInch = r.u16();
        r.u32();
        r.u16(); // checksum: many writers get it wrong, and so it is not checked
        if (!r.ok()) {
            *error = QStringLiteral("the placeable WMF header is cut short");
            return false;
        }
        if (unitsPerInch == 0 || right == left || bottom == top) {
            *error = QStringLiteral("the placeable WMF header gives the picture no size");
            return false;
        }
        if (!readStandardWmfHeader(r, frame, error))
            return false;
        const double w = std::abs(double(right) - left), h = std::abs(double(bottom) - top);
        frame->pixels = QSize(qMax(1, toPixels(w * 96.0 / unitsPerInch)),
                              qMax(1, toPixels(h * 96.0 / unitsPerInch)));
        frame->twips = QSizeF(w * 1440.0 / unitsPerInch, h * 1440.0 / unitsPerInch);
        frame->window = QRectF(left, top, double(right) - left, double(bottom) - top);
        return true;
    }
    r.seek(0);
    if (!readStandardWmfHeader(r, frame, error))
        return false;
    QRectF window;
    if (!findWindow(bytes, frame->firstRecord, &window)) {
        *error = QStringLiteral("the WMF has neither a placeable header nor a window extent, "
                                "so its size is unknown");
        return false;
    }
    // Without a placeable header the window's units are taken as pixels.
    frame->pixels = QSize(qMax(1, toPixels(std::abs(window.width()))),
                          qMax(1, toPixels(std::abs(window.height()))));
    frame->twips = QSizeF(frame->pixels.width() * 15.0, frame->pixels.height() * 15.0);
    frame->window = window;
    return true;
}

} // namespace pictures::metafile
