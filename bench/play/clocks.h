// Clocks and memory readings of the whole-program benchmark: the monotonic clock, thread and
// process CPU time in seconds, and the resident set size the kernel reports for the process.
#pragma once

#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace play {

constexpr double kMillisPerSecond = 1000.0;
constexpr double kNanosPerSecond = 1e9;
constexpr double kBytesPerMb = 1024.0 * 1024.0;

inline double ReadClock(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  return ts.tv_sec + ts.tv_nsec / kNanosPerSecond;
}

inline double MonotonicSeconds() { return ReadClock(CLOCK_MONOTONIC); }
// CPU time of the calling thread only.
inline double ThreadCpuSeconds() { return ReadClock(CLOCK_THREAD_CPUTIME_ID); }
// CPU time of every thread of the process (the rasteriser's and the mixer's included).
inline double ProcessCpuSeconds() { return ReadClock(CLOCK_PROCESS_CPUTIME_ID); }

inline long long MonotonicNanos() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * static_cast<long long>(kNanosPerSecond) + ts.tv_nsec;
}

// Resident set size in MB (2^20 bytes), or -1 when the kernel's figure cannot be read.
inline double ResidentMb() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long size = 0, resident = -1;
  int fields = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  if (fields != 2 || resident < 0) return -1;
  return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / kBytesPerMb;
}

}  // namespace play
