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

// Resident memory in KiB, from Linux's /proc; -1 where it cannot be read.
inline long residentKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return -1;
}

}  // namespace bench
