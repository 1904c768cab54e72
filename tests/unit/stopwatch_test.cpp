#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/main_window_controls.hpp"
#include "stopwatch/stopwatch.hpp"

namespace {

using namespace mainControls;

// A clock in milliseconds that moves only when the test says so.
class ManualClock : public MonotonicClock {
 public:
  std::int64_t now() const override { return now_; }
  std::int64_t frequency() const override { return 1000; }
  void advance(std::int64_t ms) { now_ += ms; }

 private:
  std::int64_t now_ = 123456;
};

// The main window's controls as texts, with their start values, and the lap list.
class FakeControls : public StopwatchControls {
 public:
  std::map<std::string, std::string, std::less<>> texts{{std::string(标签2.name), "0秒0毫秒"},
                                                       {std::string(标签3.name), "0"},
                                                       {std::string(标签5.name), "1."},
                                                       {std::string(标签6.name), "."},
                                                       {std::string(编辑框2.name), ""}};
  std::int32_t period = 0;
  int periodWrites = 0;
  std::string lapList;

  std::string caption(std::string_view label) const override { return texts.find(label)->second; }
  void setCaption(std::string_view label, std::string_view text) override {
    texts.find(label)->second = std::string(text);
  }
  void setContent(std::string_view box, std::string_view text) override {
    texts.find(box)->second = std::string(text);
  }
  void setPeriod(std::string_view timer, std::int32_t ms) override {
    EXPECT_EQ(timer, 时钟1.name);
    period = ms;
    ++periodWrites;
  }
  void appendLapLine(std::string_view line) override { lapList += line; }
  std::string& of(const ControlId& control) { return texts.find(control.name)->second; }
};

class StopwatchTest : public ::testing::Test {
 protected:
  ManualClock clock;
  FakeControls controls;
  Stopwatch stopwatch{clock, controls, kMainWindowNames};

  const std::string& shown() { return controls.of(标签2); }
  const std::string& status() { return controls.of(编辑框2); }
};

TEST(ElapsedText, WholeSecondsAndUnpaddedMilliseconds) {
  const struct {
    std::int64_t ms;
    const char* text;
  } cases[] = {
      {0, "0秒0毫秒"},          {1, "0秒1毫秒"},       {999, "0秒999毫秒"},
      {1000, "1秒0毫秒"},       {1050, "1秒50毫秒"},   {61005, "61秒5毫秒"},
      {100000, "100秒0毫秒"},   {600000, "600秒0毫秒"},
      {4294967296000, "4294967296秒0毫秒"},  // past any 32-bit count
  };
  for (const auto& c : cases) EXPECT_EQ(elapsedText(c.ms), c.text) << c.ms;
}

TEST_F(StopwatchTest, StartSetsStatusAndPeriodAndTicksShowTheClock) {
  stopwatch.startTiming();
  EXPECT_EQ(status(), "正在计时");
  EXPECT_EQ(controls.period, 10);
  clock.advance(1000);  // one tick after a whole second without ticks
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "1秒0毫秒");
}

TEST_F(StopwatchTest, MissedOrExtraTicksNeverChangeTheTime) {
  stopwatch.startTiming();
  clock.advance(5);
  for (int i = 0; i < 50; ++i) stopwatch.onTimerTick();  // a burst of ticks in 5 ms
  EXPECT_EQ(shown(), "0秒5毫秒");
  clock.advance(15995);  // no tick at all for 16 s
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "16秒0毫秒");
}

TEST_F(StopwatchTest, StopFreezesTheExactTimeAndStartContinuesFromIt) {
  stopwatch.startTiming();
  clock.advance(1234);
  stopwatch.stopTiming();  // no tick since the start: stop itself shows the time
  EXPECT_EQ(shown(), "1秒234毫秒");
  EXPECT_EQ(status(), "停止计时");
  EXPECT_EQ(controls.period, 0);
  clock.advance(60000);  // time while stopped does not count
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "1秒234毫秒");
  stopwatch.startTiming();
  clock.advance(766);
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "2秒0毫秒");
}

TEST_F(StopwatchTest, StartTwiceKeepsTheFirstStart) {
  stopwatch.startTiming();
  clock.advance(300);
  stopwatch.startTiming();
  clock.advance(200);
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "0秒500毫秒");
  EXPECT_EQ(controls.periodWrites, 2);  // the same period written again
  EXPECT_EQ(controls.period, 10);
}

TEST_F(StopwatchTest, StopWhileIdleKeepsZero) {
  stopwatch.stopTiming();
  EXPECT_EQ(status(), "停止计时");
  EXPECT_EQ(controls.period, 0);
  EXPECT_EQ(shown(), "0秒0毫秒");
}

TEST_F(StopwatchTest, FirstLapFromIdleCountsStartsAndAppendsZeroTime) {
  stopwatch.recordLap();
  EXPECT_EQ(controls.of(标签3), "1");
  EXPECT_EQ(controls.lapList, "1.0秒0毫秒\r\n");
  EXPECT_EQ(controls.of(标签5), "2.");
  EXPECT_EQ(status(), "记次中");
  EXPECT_EQ(controls.period, 10);
  EXPECT_TRUE(stopwatch.timing());
}

TEST_F(StopwatchTest, LapsCarryTheTimeOfTheClickAndConsecutiveNumbers) {
  stopwatch.startTiming();
  clock.advance(1500);
  stopwatch.recordLap();  // no tick since the start
  clock.advance(7);
  stopwatch.recordLap();
  clock.advance(2000);
  stopwatch.recordLap();
  EXPECT_EQ(controls.lapList, "1.1秒500毫秒\r\n2.1秒507毫秒\r\n3.3秒507毫秒\r\n");
  EXPECT_EQ(controls.of(标签3), "3");
  EXPECT_EQ(controls.of(标签5), "4.");
}

TEST_F(StopwatchTest, LapWhileStoppedRestartsTimingWithLapStatus) {
  stopwatch.startTiming();
  clock.advance(100);
  stopwatch.stopTiming();
  clock.advance(5000);
  stopwatch.recordLap();
  EXPECT_EQ(controls.lapList, "1.0秒100毫秒\r\n");
  EXPECT_EQ(status(), "记次中");
  clock.advance(900);
  stopwatch.onTimerTick();
  EXPECT_EQ(shown(), "1秒0毫秒");
}

TEST_F(StopwatchTest, SeparatorAndCountComeFromTheLabels) {
  controls.of(标签6) = "、";
  controls.of(标签3) = "41";  // the count is parsed back from its label
  stopwatch.recordLap();
  EXPECT_EQ(controls.of(标签3), "42");
  EXPECT_EQ(controls.lapList, "1.0秒0毫秒\r\n");  // the prefix written before the count changed
  EXPECT_EQ(controls.of(标签5), "43、");
}

TEST(StopwatchLongRun, HighFrequencyClockDoesNotOverflow) {
  struct FastClock : MonotonicClock {
    std::int64_t t = 0;
    std::int64_t now() const override { return t; }
    std::int64_t frequency() const override { return 10000000; }  // 100 ns counts
  } clock;
  FakeControls controls;
  Stopwatch stopwatch(clock, controls, kMainWindowNames);
  stopwatch.startTiming();
  clock.t = std::int64_t{10000000} * 3600 * 24 * 365 * 100;  // a century
  stopwatch.onTimerTick();
  EXPECT_EQ(controls.of(标签2), "3153600000秒0毫秒");
}

}  // namespace
