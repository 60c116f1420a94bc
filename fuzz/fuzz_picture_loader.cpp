// Feeds arbitrary bytes to the picture loader, through the same path a file
// takes: format detection, the completeness walk over JPEG segments and PNG
// chunks, the size limit, Qt's decoders and the conversion of the result.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "common/picture_loader.h"
#include "fuzz_environment.h"

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
  return 0;
}
