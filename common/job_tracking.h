#pragma once

#include <atomic>

// What a window's work on a worker thread shares with the window's thread.
struct JobTracking {
  // Set by the window when it no longer wants the result: the work may end
  // early, with any result, which then goes nowhere.
  std::atomic_bool stop{false};
  // Set by the work when it can tell: how far it has come, 0 to 100.
  std::atomic<int> percent{0};
};
