#pragma once

#include <QByteArray>
#include <QtEndian>

// Little-endian fields of file data, at offsets the caller has checked lie
// within the bytes. Out of line, as inlined GCC takes an empty array's shared
// byte for the data and warns about reading past it.
namespace little_endian {

template <typename T>
Q_NEVER_INLINE T field(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<T>(bytes.constData() + at);
}
inline quint16 u16(const QByteArray& bytes, qsizetype at) { return field<quint16>(bytes, at); }
inline qint16 s16(const QByteArray& bytes, qsizetype at) { return field<qint16>(bytes, at); }
inline quint32 u32(const QByteArray& bytes, qsizetype at) { return field<quint32>(bytes, at); }
inline qint32 s32(const QByteArray& bytes, qsizetype at) { return field<qint32>(bytes, at); }

}  // namespace little_endian
