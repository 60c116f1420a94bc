// Feeds arbitrary bytes to the metafile loader: our walk over the records,
// then libwmf onto Qt's painter, or our mending of EMF records, libemf2svg
// and Qt SVG. The libraries are the system's, not built with coverage, so the
// fuzzer learns about them only through the counters below.
#include <QBuffer>
#include <QtEndian>
#include <cstdint>
#include <cstdlib>

#include "common/metafile_loader.h"
#include "fuzz_environment.h"

namespace {

// libFuzzer takes counters in this section as coverage too. One for every
// record type of each format, apart for files that loaded and files that did
// not, so that an input reaching a new kind of record in the libraries counts
// as new, and so does one that makes a known record load.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t records[2][2][256];

void noteRecords(const QByteArray& bytes, bool emf, bool loaded) {
  std::uint8_t(&seen)[256] = records[emf][loaded];
  if (emf) {
    for (qsizetype at = 0; bytes.size() - at >= 8;) {
      const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
      seen[qFromLittleEndian<quint32>(bytes.constData() + at) & 0xFF] = 1;
      if (size < 8 || size > quint64(bytes.size() - at)) break;
      at += size;
    }
    return;
  }
  const qsizetype header = qFromLittleEndian<quint32>(bytes.constData()) == 0x9AC6CDD7 ? 22 : 0;
  for (qsizetype at = header + 18; bytes.size() - at >= 6;) {
    const quint32 words = qFromLittleEndian<quint32>(bytes.constData() + at);
    seen[qFromLittleEndian<quint16>(bytes.constData() + at + 4) & 0xFF] = 1;
    if (words < 3 || words > quint64(bytes.size() - at) / 2) break;
    at += qsizetype(words) * 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  startQtForFuzzing((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  if (!isMetafileHead(bytes.left(64))) return -1;  // not a metafile: keep it out of the corpus
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  const LoadedPicture picture = loadMetafile(device);
  // Either a picture or a reason, and never a picture above our limit.
  if (picture.ok() == picture.image.isNull()) std::abort();
  if (picture.ok() && picture.image.sizeInBytes() > kMaxPictureBytes) std::abort();
  const bool emf = size >= 44 && qFromLittleEndian<quint32>(data) == 1;
  noteRecords(bytes, emf, picture.ok());
  return 0;
}
