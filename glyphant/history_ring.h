#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "glyphant/canvas_record.h"
#include "glyphant/packed_picture.h"

// The ten-step history: a fixed ring of twelve canvas slots addressed by one
// step index that recording and stepping share. The index is at once the
// slot last written and the slot last shown. Drawing writes slots 1 to 10 in
// turn (the eleventh drawing overwrites slot 1); stamping writes slot 0 or 1
// on its own odd rule; stepping moves between 1 and 10. Slots are never
// cleared. The pictures are kept packed, each with the drawings it was made
// of, so that a print after a step back draws what the canvas shows.
class HistoryRing {
 public:
  static constexpr int kSlots = 12;
  static constexpr int kFirstStep = 1;
  static constexpr int kLastStep = 10;

  // What stepping leads to: the status text, and the slot's picture, which is
  // null when the slot was never written (the canvas then stays as it is).
  struct Restore {
    int slot = 0;
    QImage picture;
    QString status;
    CanvasRecord drawings;  // what made `picture`
  };

  // After a drawing: the index moves on, the slot it names keeps `canvas`,
  // and from 10 on the index starts again at 0.
  void record(const QImage& canvas, const CanvasRecord& drawings = {});
  // After a stamp: the index moves on (never past 10); at 1 slot 0 keeps
  // `canvas`, at 2 slot 1 keeps it and the index goes back to 0.
  void recordStamp(const QImage& canvas, const CanvasRecord& drawings = {});
  // Back one step, never below step 1.
  Restore stepBack();
  // Forward one step, never beyond step 10.
  Restore stepForward();

  int stepIndex() const { return stepIndex_; }
  bool written(int slot) const;
  // The picture of a slot; null when it was never written (or out of range).
  QImage slot(int slot) const;
  // Bytes held by all slots.
  qsizetype bytes() const;

 private:
  void store(int slot, const QImage& canvas, const CanvasRecord& drawings);
  Restore restore() const;

  std::array<PackedPicture, kSlots> slots_{};
  std::array<CanvasRecord, kSlots> drawings_{};
  // A small integer, as the window has always kept it.
  std::int16_t stepIndex_ = 0;
};
