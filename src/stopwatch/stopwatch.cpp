#include "stopwatch/stopwatch.hpp"

#include "services/text.hpp"

namespace {

constexpr std::string_view kStatusTiming = "正在计时";
constexpr std::string_view kStatusStopped = "停止计时";
constexpr std::string_view kStatusLap = "记次中";

// The text of the lap-count label plus one, as a real, the way the count is kept.
std::string nextLapNumber(const StopwatchControls& controls, std::string_view lapCount) {
  return toText(toInt(controls.caption(lapCount)) + 1.0);
}

}  // namespace

std::string elapsedText(std::int64_t milliseconds) {
  return concatTexts({toText(milliseconds / 1000), "秒", toText(milliseconds % 1000), "毫秒"});
}

std::int64_t Stopwatch::elapsedMilliseconds() const {
  std::int64_t counts = finishedCounts_;
  if (runningSince_) counts += clock_.now() - *runningSince_;
  const std::int64_t perSecond = clock_.frequency();
  // Split so that counts * 1000 cannot overflow however long the run.
  return counts / perSecond * 1000 + counts % perSecond * 1000 / perSecond;
}

void Stopwatch::showElapsed() {
  controls_.setCaption(names_.elapsed, elapsedText(elapsedMilliseconds()));
}

void Stopwatch::onTimerTick() { showElapsed(); }

void Stopwatch::startTiming() {
  if (!runningSince_) runningSince_ = clock_.now();
  controls_.setContent(names_.status, kStatusTiming);
  controls_.setPeriod(names_.timer, kTickPeriodMs);
}

void Stopwatch::stopTiming() {
  if (runningSince_) {
    finishedCounts_ += clock_.now() - *runningSince_;
    runningSince_.reset();
  }
  controls_.setContent(names_.status, kStatusStopped);
  controls_.setPeriod(names_.timer, 0);
  showElapsed();
}

void Stopwatch::recordLap() {
  // The line carries the time of the click, not that of the last tick.
  showElapsed();
  controls_.setCaption(names_.lapCount, nextLapNumber(controls_, names_.lapCount));
  startTiming();
  controls_.setContent(names_.status, kStatusLap);
  controls_.appendLapLine(
      concatTexts({controls_.caption(names_.lapPrefix), controls_.caption(names_.elapsed), "\r\n"}));
  controls_.setCaption(names_.lapPrefix, concatTexts({nextLapNumber(controls_, names_.lapCount),
                                                     toText(controls_.caption(names_.separator))}));
}
