#pragma once
// Private to the Word writers: little-endian values written into and
// appended to byte arrays, as the binary formats store them.
#include <QByteArray>
#include <QtEndian>

namespace platform::text {

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
