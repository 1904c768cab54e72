// The stopwatch's clock: the system's performance counter, which never goes back and does not
// depend on the timer's messages arriving.
#pragma once

#include <windows.h>

#include "stopwatch/stopwatch.hpp"

class PerformanceCounterClock final : public MonotonicClock {
 public:
  PerformanceCounterClock() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart;
  }
  std::int64_t now() const override {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
  }
  std::int64_t frequency() const override { return frequency_; }

 private:
  std::int64_t frequency_;
};
