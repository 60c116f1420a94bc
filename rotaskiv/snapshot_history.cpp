#include "rotaskiv/snapshot_history.h"

#include <utility>

void SnapshotHistory::push(QByteArray blob) {
  ++count_;
  redoLimit_ = count_;
  // Cutting drops the snapshots an undo stepped back over; they can no longer
  // be reached once a new one is recorded.
  blobs_.resize(count_);
  blobs_[count_ - 1] = std::move(blob);
}

std::optional<QByteArray> SnapshotHistory::undo() {
  if (count_ <= 1) return std::nullopt;
  --count_;
  return blobs_.at(count_ - 1);
}

std::optional<QByteArray> SnapshotHistory::redo() {
  if (count_ + 1 > redoLimit_) {
    count_ = redoLimit_;
    return std::nullopt;
  }
  ++count_;
  return blobs_.at(count_ - 1);
}

void SnapshotHistory::replaceFirst(QByteArray blob) {
  if (!blobs_.isEmpty()) blobs_.first() = std::move(blob);
}

void SnapshotHistory::resetToFirst() {
  if (blobs_.isEmpty()) return;
  count_ = 1;
  redoLimit_ = 1;
  blobs_.resize(1);
}

void SnapshotHistory::clear() {
  blobs_.clear();
  count_ = 0;
  redoLimit_ = 0;
}

qsizetype SnapshotHistory::bytes() const {
  qsizetype total = 0;
  for (const QByteArray& blob : blobs_) total += blob.size();
  return total;
}
