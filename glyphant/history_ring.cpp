#include "glyphant/history_ring.h"

#include <QCoreApplication>
#include <algorithm>

void HistoryRing::store(int slot, const QImage& canvas, const CanvasRecord& drawings) {
  if (slot < 0 || slot >= kSlots) return;
  slots_[size_t(slot)] = PackedPicture::pack(canvas);
  drawings_[size_t(slot)] = drawings;
}

void HistoryRing::record(const QImage& canvas, const CanvasRecord& drawings) {
  ++stepIndex_;
  store(stepIndex_, canvas, drawings);
  if (stepIndex_ >= kLastStep) stepIndex_ = 0;
}

void HistoryRing::recordStamp(const QImage& canvas, const CanvasRecord& drawings) {
  // Capped at the last step: a drawing after a stamp at step 10 writes slot
  // 11 at most, so no slot beyond the ring is ever addressed.
  stepIndex_ = std::int16_t(std::min<int>(stepIndex_ + 1, kLastStep));
  if (stepIndex_ == 1) store(0, canvas, drawings);
  if (stepIndex_ == 2) {
    store(1, canvas, drawings);
    stepIndex_ = 0;
  }
}

HistoryRing::Restore HistoryRing::stepBack() {
  stepIndex_ = std::int16_t(std::max<int>(stepIndex_ - 1, kFirstStep));
  Restore restored = restore();
  if (stepIndex_ == kFirstStep)
    restored.status = QCoreApplication::translate("HistoryRing", "已到第1步不能再退");
  return restored;
}

HistoryRing::Restore HistoryRing::stepForward() {
  stepIndex_ = std::int16_t(std::min<int>(stepIndex_ + 1, kLastStep));
  Restore restored = restore();
  if (stepIndex_ == kLastStep)
    restored.status = QCoreApplication::translate("HistoryRing", "已到第10不能再进");
  return restored;
}

HistoryRing::Restore HistoryRing::restore() const {
  return {stepIndex_, slot(stepIndex_),
          QCoreApplication::translate("HistoryRing", "第%1步").arg(stepIndex_),
          written(stepIndex_) ? drawings_[size_t(stepIndex_)] : CanvasRecord()};
}

bool HistoryRing::written(int slot) const {
  return slot >= 0 && slot < kSlots && !slots_[size_t(slot)].isNull();
}

QImage HistoryRing::slot(int slot) const {
  return written(slot) ? slots_[size_t(slot)].unpack() : QImage();
}

qsizetype HistoryRing::bytes() const {
  qsizetype total = 0;
  for (const PackedPicture& packed : slots_) total += packed.bytes();
  return total;
}
