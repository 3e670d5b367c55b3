#pragma once
// The drawing state of the device context that records change, and that
// save and restore records push and pop as a whole.

#include "pictures/metafile/gdi_objects.h"

#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QTransform>

#include <optional>

namespace pictures::metafile {

namespace mapmode {
inline constexpr int Text = 1, LoMetric = 2, HiMetric = 3, LoEnglish = 4, HiEnglish = 5,
                     Twips = 6, Isotropic = 7, Anisotropic = 8;
}

namespace textalign {
inline constexpr quint32 UpdateCp = 0x01, Right = 0x02, Center = 0x06, HorizontalMask = 0x06,
                         Top = 0x00, Bottom = 0x08, Baseline = 0x18, VerticalMask = 0x18;
}

inline constexpr int kTransparentBk = 1;
inline constexpr int kOpaqueBk = 2;
inline constexpr int kAlternateFill = 1;
inline constexpr int kHalftoneStretch = 4;

namespace rop2 {
inline constexpr int Black = 1, NotCopyPen = 4, Not = 6, XorPen = 7, MaskPen = 9, Nop = 11,
                     CopyPen = 13, MergePen = 15, White = 16;
}

struct DcState {
    int mapMode = mapmode::Text;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
    QTransform world;

    Pen pen;
    Brush brush;
    Font font;

    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = kOpaqueBk;
    int polyFillMode = kAlternateFill;
    int rop2 = rop2::CopyPen;
    quint32 textAlign = 0;
    bool clockwise = false;
    bool smoothStretch = false; // the halftone stretch mode; the others pick pixels
    double textCharExtra = 0;
    QPointF currentPos;

    // In output pixels; nullopt means no clipping.
    std::optional<QRegion> clip;
    std::optional<QRegion> metaClip;
};

} // namespace pictures::metafile
