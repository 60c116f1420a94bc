#pragma once

#include <QImage>
#include <array>
#include <optional>

// The designer's twelve snapshot slots. Every table drawing files a copy of
// the canvas in the slot its counter names and advances the counter, going
// round after the twelfth; the user may also store into any slot by hand.
// A slot never stored holds nothing, and restoring it gives nothing.
class SnapshotRing {
 public:
  static constexpr int kSlots = 12;

  // Files `picture` in the counter's slot, advances the counter and returns
  // the slot filled.
  int fileDrawing(const QImage& picture);
  // Stores `picture` in `slot` (0..11); other slots are ignored.
  void store(int slot, const QImage& picture);
  // The picture of `slot`; nothing for a slot never stored or out of range.
  std::optional<QImage> picture(int slot) const;
  // The slot the next drawing fills, 0..11.
  int counter() const { return counter_; }

 private:
  std::array<std::optional<QImage>, kSlots> slots_;
  int counter_ = 0;
};
