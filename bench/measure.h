#pragma once
// What every benchmark measures with: the median of its timed runs and the
// process's resident memory.

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A line of Linux's /proc/self/status in KiB; -1 where it cannot be read.
inline long statusKiB(const QByteArray& key) {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
  return -1;
}

// Resident memory in KiB.
inline long residentKiB() { return statusKiB("VmRSS:"); }

// The highest resident memory since the last resetPeakResident(), in KiB.
inline long peakResidentKiB() { return statusKiB("VmHWM:"); }
inline void resetPeakResident() {
  QFile refs("/proc/self/clear_refs");
  if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

}  // namespace bench
