#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The capture window's undo and redo history: a 1-based list of snapshot
// blobs, the index of the one showing (count) and the highest index redo may
// reach (redo limit).
class SnapshotHistory {
 public:
  // count + 1; the redo limit becomes the count; the list is cut or grown to
  // exactly count entries and the last one becomes `blob`.
  void push(QByteArray blob);

  // Undo: count - 1. When there was an earlier snapshot, it is returned to be
  // shown. When the count was 1 (nothing to undo) the count stays 1 and
  // nothing is returned: the caller cancels the selection instead.
  std::optional<QByteArray> undo();

  // Redo: count + 1 and the snapshot to show, or nothing when that would pass
  // the redo limit (the count then stays at the limit).
  std::optional<QByteArray> redo();

  // Puts `blob` in place of the first snapshot, whatever is showing.
  // Nothing happens while the history is empty.
  void replaceFirst(QByteArray blob);

  // Back to the first snapshot only: count 1, redo limit 1, one entry.
  // Nothing happens while the history is empty.
  void resetToFirst();

  // Forgets everything (a new opening of the window).
  void clear();

  int count() const { return count_; }
  int redoLimit() const { return redoLimit_; }
  qsizetype size() const { return blobs_.size(); }
  // Bytes held by all blobs, for memory accounting.
  qsizetype bytes() const;

 private:
  QList<QByteArray> blobs_;
  int count_ = 0;
  int redoLimit_ = 0;
};
