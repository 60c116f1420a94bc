// Feeds arbitrary bytes to the picture loader, through the same path a file
// takes: format detection, the completeness walk over JPEG segments and PNG
// chunks, the size limit, Qt's decoders and the conversion of the result.
#include <QBuffer>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

#include "common/picture_loader.h"
#include "fuzz_environment.h"

namespace {

// Qt's decoders are not built with coverage, so to the fuzzer a BMP, a GIF and
// an icon all look alike, and it would keep only one of them. libFuzzer takes
// counters in this section as coverage too: one for every format and outcome
// makes each of them count as new.
constexpr int kMaxFormats = 64;
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t outcomes[kMaxFormats][2];

void noteOutcome(QBuffer& device, const LoadedPicture& picture) {
  static const QList<QByteArray> known = QImageReader::supportedImageFormats();
  device.seek(0);
  const qsizetype format = known.indexOf(QImageReader::imageFormat(&device)) + 1;  // 0: none
  outcomes[qMin(format, qsizetype(kMaxFormats - 1))][picture.ok() ? 1 : 0] = 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  startQtForFuzzing((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  const LoadedPicture picture = loadPicture(device);
  // Either a picture or a reason, and never a picture above our limit.
  if (picture.ok() == picture.image.isNull()) std::abort();
  if (picture.ok() && picture.image.sizeInBytes() > kMaxPictureBytes) std::abort();
  noteOutcome(device, picture);
  return 0;
}
