#include "pictures/metafile/gdi_objects.h"

namespace pictures::metafile {

ObjectTable::ObjectTable(qsizetype slots)
    : m_slots(size_t(qBound<qsizetype>(0, slots, kMaxSlots)))
{
}

bool ObjectTable::put(qsizetype index, GdiObject object)
{
    if (index < 0 || index >= size())
        return false;
    m_slots[size_t(index)] = std::move(object);
    return true;
}

qsizetype ObjectTable::putInFreeSlot(GdiObject object)
{
    for (size_t i = 0; i < m_slots.size(); ++i) {
        if (std::holds_alternative<std::monostate>(m_slots[i])) {
            m_slots[i] = std::move(object);
            return qsizetype(i);
        }
    }
    return -1;
}

const GdiObject *ObjectTable::get(qsizetype index) const
{
    if (index < 0 || index >= size())
        return nullptr;
    const GdiObject &object = m_slots[size_t(index)];
    return std::holds_alternative<std::monostate>(object) ? nullptr : &object;
}

void ObjectTable::remove(qsizetype index)
{
    if (index >= 0 && index < size())
        m_slots[size_t(index)] = std::monostate{};
}

GdiObject stockObject(quint32 index)
{
    auto brush = [](int grey) {
        Brush b;
        b.color = QColor(grey, grey, grey);
        return b;
    };
    auto pen = [](QColor color, int style) {
        Pen p;
        p.color = color;
        p.style = quint32(style);
        return p;
    };
    auto font = [](const char *face, int height, int pitchAndFamily) {
        Font f;
        f.face = QString::fromLatin1(face);
        f.height = height;
        f.pitchAndFamily = pitchAndFamily;
        return f;
    };
    switch (index & 0x7FFFFFFF) {
    case 0: return brush(255);
    case 1: return brush(192);
    case 2: return brush(128);
    case 3: return brush(64);
    case 4: return brush(0);
    case 5: {
        Brush b;
        b.style = brushstyle::Null;
        return b;
    }
    case 6: return pen(Qt::white, penstyle::Solid);
    case 7: return pen(Qt::black, penstyle::Solid);
    case 8: return pen(Qt::black, penstyle::Null);
    case 10: return font("Courier New", 12, 0x31);
    case 11: return font("Courier New", 12, 0x31);
    case 12: return font("Arial", 12, 0x22);
    case 13: return font("System", 16, 0x22);
    case 14: return font("System", 16, 0x22);
    case 15: return Palette{};
    case 16: return font("Fixedsys", 15, 0x31);
    case 17: return font("MS Shell Dlg", -11, 0x22);
    case 18: return brush(255); // DC brush: its colour is set by records we do not play
    case 19: return pen(Qt::black, penstyle::Solid);
    default: return std::monostate{};
    }
}

} // namespace pictures::metafile
