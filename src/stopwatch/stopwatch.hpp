// The stopwatch: elapsed time from a monotonic clock, shown in the main window's labels; start,
// stop and laps. The timer only asks for the display to be refreshed, so a late, missed or extra
// tick never changes the time shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A clock that never goes back: counts since some fixed moment, and counts per second.
class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual std::int64_t now() const = 0;
  virtual std::int64_t frequency() const = 0;
};

// The main window's controls as the stopwatch reads and writes them, by control name.
class StopwatchControls {
 public:
  virtual ~StopwatchControls() = default;
  virtual std::string caption(std::string_view label) const = 0;
  virtual void setCaption(std::string_view label, std::string_view text) = 0;
  virtual void setContent(std::string_view editBox, std::string_view text) = 0;
  virtual void setPeriod(std::string_view timer, std::int32_t milliseconds) = 0;
  // Appends a lap line to the lap viewer's list, loading the viewer first when it is closed.
  virtual void appendLapLine(std::string_view line) = 0;
};

// The controls that hold the stopwatch's state and show it, by name.
struct StopwatchControlNames {
  std::string_view elapsed;    // the display
  std::string_view lapCount;
  std::string_view lapPrefix;  // the number and separator of the next lap line
  std::string_view separator;
  std::string_view status;     // the status box
  std::string_view timer;
};

// Whole seconds, "秒", the millisecond remainder, "毫秒": 61005 ms gives "61秒5毫秒".
std::string elapsedText(std::int64_t milliseconds);

class Stopwatch {
 public:
  static constexpr std::int32_t kTickPeriodMs = 10;

  Stopwatch(const MonotonicClock& clock, StopwatchControls& controls, const StopwatchControlNames& names)
      : clock_(clock), controls_(controls), names_(names) {}

  void onTimerTick();
  void startTiming();
  void stopTiming();
  void recordLap();

  std::int64_t elapsedMilliseconds() const;
  bool timing() const { return runningSince_.has_value(); }

 private:
  void showElapsed();

  const MonotonicClock& clock_;
  StopwatchControls& controls_;
  const StopwatchControlNames names_;
  std::int64_t finishedCounts_ = 0;          // clock counts of the intervals already stopped
  std::optional<std::int64_t> runningSince_;  // set while timing
};
