// The clock and the statistics of the toolkit's benchmarks. Every run of a body is a sample: the
// first run of a process, cold caches and all, counts as a user would meet it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace KestrinBench {

// Milliseconds from the performance counter.
inline double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Timing {
  double min = 0, median = 0;
};

inline Timing Summarise(std::vector<double> times) {
  if (times.empty()) return {};
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  return {times.front(), n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2};
}

// Several bodies timed in turn within each repeat, so that the machine's load falls on all of
// them alike.
inline std::vector<Timing> MeasureSideBySide(int repeats, const std::vector<std::function<void()>>& bodies) {
  std::vector<std::vector<double>> times(bodies.size());
  for (int i = 0; i < repeats; ++i)
    for (size_t k = 0; k < bodies.size(); ++k) {
      const double start = Now();
      bodies[k]();
      times[k].push_back(Now() - start);
    }
  std::vector<Timing> result;
  for (auto& t : times) result.push_back(Summarise(std::move(t)));
  return result;
}

inline Timing Measure(int repeats, const std::function<void()>& body) { return MeasureSideBySide(repeats, {body})[0]; }

}  // namespace KestrinBench
