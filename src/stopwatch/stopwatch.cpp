#include "stopwatch/stopwatch.hpp"

#include "services/text.hpp"

namespace {

constexpr std::string_view kElapsedLabel = "标签2";
constexpr std::string_view kLapCountLabel = "标签3";
constexpr std::string_view kLapPrefixLabel = "标签5";
constexpr std::string_view kSeparatorLabel = "标签6";
constexpr std::string_view kStatusBox = "编辑框2";
constexpr std::string_view kTimer = "时钟1";

constexpr std::string_view kStatusTiming = "正在计时";
constexpr std::string_view kStatusStopped = "停止计时";
constexpr std::string_view kStatusLap = "记次中";

// The text of the lap-count label plus one, as a real, the way the count is kept.
std::string nextLapNumber(const StopwatchControls& controls) {
  return toText(toInt(controls.caption(kLapCountLabel)) + 1.0);
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
  controls_.setCaption(kElapsedLabel, elapsedText(elapsedMilliseconds()));
}

void Stopwatch::onTimerTick() { showElapsed(); }

void Stopwatch::startTiming() {
  if (!runningSince_) runningSince_ = clock_.now();
  controls_.setContent(kStatusBox, kStatusTiming);
  controls_.setPeriod(kTimer, kTickPeriodMs);
}

void Stopwatch::stopTiming() {
  if (runningSince_) {
    finishedCounts_ += clock_.now() - *runningSince_;
    runningSince_.reset();
  }
  controls_.setContent(kStatusBox, kStatusStopped);
  controls_.setPeriod(kTimer, 0);
  showElapsed();
}

void Stopwatch::recordLap() {
  // The line carries the time of the click, not that of the last tick.
  showElapsed();
  controls_.setCaption(kLapCountLabel, nextLapNumber(controls_));
  startTiming();
  controls_.setContent(kStatusBox, kStatusLap);
  controls_.appendLapLine(
      concatTexts({controls_.caption(kLapPrefixLabel), controls_.caption(kElapsedLabel), "\r\n"}));
  controls_.setCaption(kLapPrefixLabel,
                       concatTexts({nextLapNumber(controls_), toText(controls_.caption(kSeparatorLabel))}));
}
