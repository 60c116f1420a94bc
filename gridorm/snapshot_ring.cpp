#include "gridorm/snapshot_ring.h"

int SnapshotRing::fileDrawing(const QImage& picture) {
  const int slot = counter_;
  store(slot, picture);
  counter_ = (counter_ + 1) % kSlots;
  return slot;
}

void SnapshotRing::store(int slot, const QImage& picture) {
  if (slot >= 0 && slot < kSlots) slots_[static_cast<std::size_t>(slot)] = picture;
}

std::optional<QImage> SnapshotRing::picture(int slot) const {
  if (slot < 0 || slot >= kSlots) return std::nullopt;
  return slots_[static_cast<std::size_t>(slot)];
}
