// Tight timing bounds on a shared machine: a run that a busy moment delays is
// repeated, while a fault that makes every run too slow (a coarse timer) still
// shows.
#pragma once

#include <algorithm>
#include <functional>
#include <limits>

namespace vlk_test {

// The shortest time in ms of up to `runs` runs of `run`, each returning its
// own time; stops at the first run within `bound_ms`.
inline double BestOfRuns(int runs, double bound_ms, const std::function<double()>& run) {
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < runs && best > bound_ms; ++i) best = std::min(best, run());
  return best;
}

}  // namespace vlk_test
