// The timer control's period rules, on a real timer window of this process.
#include <gtest/gtest.h>

#include <windows.h>

#include "shell/window_class.hpp"
#include "windows/controls.hpp"

namespace {

class TimerControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registerControlClasses(GetModuleHandleA(nullptr)));
    state.onTick = [](void* context, const ControlId&) { ++*static_cast<int*>(context); };
    state.context = &ticks;
    state.id = &mainControls::时钟1;
    timer = CreateWindowExA(0, kTimerClass, "0", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), &state);
    ASSERT_NE(timer, nullptr);
  }
  void TearDown() override { DestroyWindow(timer); }

  // Pumps this thread's messages for a while, calling between() every few milliseconds.
  template <typename Between>
  void pumpFor(DWORD ms, Between between) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      between();
      Sleep(3);
    }
  }

  std::string text() {
    char buffer[16] = "";
    GetWindowTextA(timer, buffer, sizeof buffer);
    return buffer;
  }

  TimerState state;
  int ticks = 0;
  HWND timer = nullptr;
};

TEST_F(TimerControlTest, RewritingTheSamePeriodKeepsTheScheduleRunning) {
  setTimerPeriod(timer, state, 10);
  // Rewritten every few milliseconds, faster than the period: a restart each time would never
  // let a tick through.
  pumpFor(300, [&] { setTimerPeriod(timer, state, 10); });
  EXPECT_GT(ticks, 3);
  EXPECT_EQ(text(), "10");
}

TEST_F(TimerControlTest, ZeroAndNegativePeriodsStopIt) {
  setTimerPeriod(timer, state, 10);
  pumpFor(100, [] {});
  ASSERT_GT(ticks, 0);
  for (int stop : {0, -5}) {
    setTimerPeriod(timer, state, 10);
    setTimerPeriod(timer, state, stop);
    EXPECT_EQ(state.period, 0);
    EXPECT_EQ(text(), "0");
    pumpFor(30, [] {});  // a tick already queued may still arrive
    ticks = 0;
    pumpFor(150, [] {});
    EXPECT_EQ(ticks, 0) << stop;
  }
}

}  // namespace
