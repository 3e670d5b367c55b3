#pragma once
// The drawing objects a metafile creates, selects and deletes, and the table
// that holds them by index.

#include <QColor>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QString>

#include <variant>
#include <vector>

namespace pictures::metafile {

// Pen styles and flags as the files store them.
namespace penstyle {
inline constexpr int Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5,
                     InsideFrame = 6, UserStyle = 7, Alternate = 8;
inline constexpr quint32 StyleMask = 0x0F, EndCapMask = 0x0F00, JoinMask = 0xF000;
inline constexpr quint32 CapSquare = 0x0100, CapFlat = 0x0200;
inline constexpr quint32 JoinBevel = 0x1000, JoinMiter = 0x2000;
inline constexpr quint32 Geometric = 0x00010000;
} // namespace penstyle

namespace brushstyle {
inline constexpr int Solid = 0, Null = 1, Hatched = 2, Pattern = 3, DibPattern = 5,
                     DibPatternPt = 6;
}

struct Pen {
    quint32 style = penstyle::Solid; // style, end cap, join and type bits together
    double width = 0;                // logical units; 0 means one device pixel
    QColor color = Qt::black;
    QList<double> dashes;            // user style, in logical units

    int lineStyle() const { return int(style & penstyle::StyleMask); }
    bool isNull() const { return lineStyle() == penstyle::Null; }
};

struct Brush {
    int style = brushstyle::Solid;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern; // for pattern brushes

    bool isNull() const { return style == brushstyle::Null; }
};

struct Font {
    double height = 0; // logical; negative is the character height, positive the cell height
    double width = 0;
    int escapement = 0; // tenths of a degree
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    int pitchAndFamily = 0;
    QString face;
};

// A region as the file gives it: rectangles in device units (EMF) or in
// logical units (WMF). Held as reals: the file's corners may lie at the far
// ends of the integer range, where integer widths overflow.
struct Region {
    QList<QRectF> rects;
};

struct Palette {
    QList<QRgb> colors;
};

using GdiObject = std::variant<std::monostate, Pen, Brush, Font, Region, Palette>;

// The objects a file creates. Slots outside the table are refused, so a
// file cannot make the table grow beyond what its header announced (capped).
class ObjectTable {
public:
    explicit ObjectTable(qsizetype slots);

    qsizetype size() const { return qsizetype(m_slots.size()); }
    bool put(qsizetype index, GdiObject object);
    // The sixteen-bit format puts a new object into the lowest free slot;
    // returns that slot, or -1 when the table is full.
    qsizetype putInFreeSlot(GdiObject object);
    const GdiObject *get(qsizetype index) const;
    void remove(qsizetype index);

    static constexpr qsizetype kMaxSlots = 65536;

private:
    std::vector<GdiObject> m_slots;
};

// The platform's stock objects, which EMF selects by index with the top bit
// set. Returns an empty object for indices that name no stock object.
GdiObject stockObject(quint32 index);

// A colour stored as 0x00BBGGRR.
inline QColor colorFromRef(quint32 ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

} // namespace pictures::metafile
