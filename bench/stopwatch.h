// Wall and processor time of a measured stretch, best of several rounds: on
// a busy machine the processor time is the steadier figure.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>

namespace tos::bench {

struct Timing {
  double wall = 1e30;
  double cpu = 1e30;
};

class Stopwatch {
 public:
  Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(std::clock()) {}
  void KeepBest(Timing& best) const {
    using Seconds = std::chrono::duration<double>;
    best.wall = std::min(best.wall, Seconds(std::chrono::steady_clock::now() - wall_).count());
    best.cpu = std::min(best.cpu, static_cast<double>(std::clock() - cpu_) / CLOCKS_PER_SEC);
  }

 private:
  std::chrono::steady_clock::time_point wall_;
  std::clock_t cpu_;
};

}  // namespace tos::bench
