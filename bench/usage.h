// The process's CPU time and peak memory, as the benchmarks report them.
#ifndef KESTREL_BENCH_USAGE_H
#define KESTREL_BENCH_USAGE_H

#include <sys/resource.h>

namespace ksbench {

// User and system time so far, in seconds.
inline double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The largest resident size so far, in KiB.
inline long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace ksbench

#endif
