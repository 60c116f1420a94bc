#include "glyphant/picture_memory.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

namespace picture_memory {

namespace {

constexpr size_t kLargePicture = size_t(64) << 20;
struct Block {
  void* memory = nullptr;
  size_t bytes = 0;
};
std::mutex spareMutex;
Block spare;

// The cleanup of a picture from blank(): runs on whichever thread lets the
// picture go last.
void giveBack(void* info) {
  const std::unique_ptr<Block> block(static_cast<Block*>(info));
  const std::lock_guard lock(spareMutex);
  std::free(std::exchange(spare, *block).memory);
}

}  // namespace

QImage blank(QSize size) {
  // Rows of a 32-bit image are 4-byte aligned, so they follow each other
  // without padding.
  const size_t rowBytes = size_t(size.width()) * 4;
  const size_t bytes = rowBytes * size_t(size.height());
  if (bytes < kLargePicture) return QImage(size, QImage::Format_RGB32);
  void* memory = nullptr;
  {
    const std::lock_guard lock(spareMutex);
    // A spare of another size is no use to this canvas.
    Block kept = std::exchange(spare, {});
    if (kept.bytes == bytes)
      memory = kept.memory;
    else
      std::free(kept.memory);
  }
  if (memory == nullptr) memory = std::malloc(bytes);
  if (memory == nullptr) return {};
  return QImage(static_cast<uchar*>(memory), size.width(), size.height(), qsizetype(rowBytes),
                QImage::Format_RGB32, giveBack, new Block{memory, bytes});
}

}  // namespace picture_memory
