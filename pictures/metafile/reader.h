#pragma once
// A little-endian cursor over a byte range that never reads outside it.
//
// Reading past the end yields zero and marks the reader failed, so a record
// can be read in one go and checked once with ok(), instead of guarding every
// field.

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace pictures::metafile {

class Reader {
public:
    Reader() = default;
    Reader(const char *data, qint64 size) : m_data(data), m_size(data ? qMax<qint64>(size, 0) : 0) {}
    explicit Reader(const QByteArray &bytes) : Reader(bytes.constData(), bytes.size()) {}

    bool ok() const { return m_ok; }
    qint64 size() const { return m_size; }
    qint64 pos() const { return m_pos; }
    qint64 remaining() const { return m_size - m_pos; }
    const char *data() const { return m_data; }
    const char *current() const { return m_data + m_pos; }

    // True when n more bytes can be read.
    bool has(qint64 n) const { return m_ok && n >= 0 && n <= m_size - m_pos; }

    void seek(qint64 pos)
    {
        if (pos < 0 || pos > m_size)
            fail();
        else
            m_pos = pos;
    }
    void skip(qint64 n) { seek(m_pos + n); }

    quint8 u8() { return read<quint8>(); }
    quint16 u16() { return read<quint16>(); }
    qint16 i16() { return read<qint16>(); }
    quint32 u32() { return read<quint32>(); }
    qint32 i32() { return read<qint32>(); }
    float f32()
    {
        const quint32 bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // The bytes [offset, offset + length) of this reader's range, or a failed
    // reader when they do not lie inside it.
    Reader sub(qint64 offset, qint64 length) const
    {
        if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
            return failed();
        return Reader(m_data + offset, length);
    }
    // From the current position to the end.
    Reader rest() const { return m_ok ? sub(m_pos, m_size - m_pos) : failed(); }

private:
    static Reader failed()
    {
        Reader r;
        r.m_ok = false;
        return r;
    }
    void fail()
    {
        m_ok = false;
        m_pos = m_size;
    }
    template<typename T>
    T read()
    {
        if (!has(qint64(sizeof(T)))) {
            fail();
            return T{};
        }
        const T value = qFromLittleEndian<T>(m_data + m_pos);
        m_pos += qint64(sizeof(T));
        return value;
    }

    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    bool m_ok = true;
};

} // namespace pictures::metafile
