#pragma once
// Private to the Word readers and writers: little-endian values read from
// and written into byte arrays, as the binary formats store them.
#include <QByteArray>
#include <QtEndian>

namespace platform::text {

// Reads of data that answer 0 past its end.
struct WordBytes {
    const QByteArray& d;
    bool has(qint64 at, qint64 n) const { return at >= 0 && n >= 0 && at <= d.size() && n <= d.size() - at; }
    quint8 u8(qint64 at) const { return has(at, 1) ? quint8(d[at]) : 0; }
    quint16 u16(qint64 at) const { return has(at, 2) ? qFromLittleEndian<quint16>(d.constData() + at) : 0; }
    quint32 u32(qint64 at) const { return has(at, 4) ? qFromLittleEndian<quint32>(d.constData() + at) : 0; }
    qint16 s16(qint64 at) const { return qint16(u16(at)); }
    qint32 s32(qint64 at) const { return qint32(u32(at)); }
};

inline void put16(QByteArray& d, qsizetype at, quint16 v) { qToLittleEndian(v, d.data() + at); }
inline void put32(QByteArray& d, qsizetype at, quint32 v) { qToLittleEndian(v, d.data() + at); }

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    put16(b, 0, v);
    return b;
}

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    put32(b, 0, v);
    return b;
}

} // namespace platform::text
