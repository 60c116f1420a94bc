// Feeds arbitrary bytes to the snapshot blob reader. A blob it accepts must
// write and read back to the same picture.
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "common/picture_loader.h"
#include "fuzz_environment.h"
#include "rotaskiv/excel_property_bag.h"

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  startQtForFuzzing((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ExcelPropertyBag bag;
  const QImage picture =
      bag.ReadP(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
  if (picture.isNull()) return 0;
  if (picture.sizeInBytes() > kMaxPictureBytes) std::abort();
  const QImage again = bag.ReadP(bag.WriteP(picture));
  if (again != picture || again.devicePixelRatio() != picture.devicePixelRatio()) std::abort();
  return 0;
}
