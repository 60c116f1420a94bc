#pragma once

#include <QList>
#include <optional>
#include <utility>

// The capture window's undo and redo history: a 1-based list of states (the
// annotations as they were after each finished edit), the index of the one
// showing (count) and the highest index redo may reach (redo limit). States
// are values; a list of annotations shares its items, so each step costs
// little more than the list itself.
template <typename State>
class SnapshotHistory {
 public:
  // count + 1; the redo limit becomes the count; the list is cut or grown to
  // exactly count entries and the last one becomes `state`. Cutting drops
  // the states an undo stepped back over: they can no longer be reached.
  void push(State state) {
    ++count_;
    redoLimit_ = count_;
    states_.resize(count_);
    states_[count_ - 1] = std::move(state);
  }

  // Undo: count - 1. When there was an earlier state, it is returned to be
  // shown. When the count was 1 (nothing to undo) the count stays 1 and
  // nothing is returned: the caller cancels the selection instead.
  std::optional<State> undo() {
    if (count_ <= 1) return std::nullopt;
    --count_;
    return states_.at(count_ - 1);
  }

  // Redo: count + 1 and the state to show, or nothing when that would pass
  // the redo limit (the count then stays at the limit).
  std::optional<State> redo() {
    if (count_ + 1 > redoLimit_) {
      count_ = redoLimit_;
      return std::nullopt;
    }
    ++count_;
    return states_.at(count_ - 1);
  }

  // Takes the last step back as if it had not been taken: count - 1, with
  // nothing to redo; the state now showing is returned. Nothing when the
  // count is 1.
  std::optional<State> dropLast() {
    if (count_ <= 1) return std::nullopt;
    redoLimit_ = --count_;
    states_.resize(count_);
    return states_.at(count_ - 1);
  }
  // Back to the first state only: count 1, redo limit 1, one entry.
  // Nothing happens while the history is empty.
  void resetToFirst() {
    if (states_.isEmpty()) return;
    count_ = 1;
    redoLimit_ = 1;
    states_.resize(1);
  }

  // Forgets everything (a new opening of the window).
  void clear() {
    states_.clear();
    count_ = 0;
    redoLimit_ = 0;
  }

  int count() const { return count_; }
  int redoLimit() const { return redoLimit_; }
  qsizetype size() const { return states_.size(); }

 private:
  QList<State> states_;
  int count_ = 0;
  int redoLimit_ = 0;
};
