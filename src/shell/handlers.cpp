#include "shell/handlers.hpp"

#include <windows.h>

#include "lapfile/lap_log.hpp"
#include "restart/restart.hpp"
#include "shell/shell.hpp"
#include "shell/window.hpp"
#include "stopwatch/stopwatch.hpp"

namespace {

class PerformanceCounterClock : public MonotonicClock {
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

// The stopwatch's view of 启动窗口; the handlers that use it run only while it is loaded.
class MainWindowControls : public StopwatchControls {
 public:
  std::string caption(std::string_view label) const override {
    LoadedWindow* w = loadedWindow(启动窗口);
    return w != nullptr ? w->caption(label) : std::string();
  }
  void setCaption(std::string_view label, std::string_view text) override {
    if (LoadedWindow* w = loadedWindow(启动窗口)) w->setCaption(label, text);
  }
  void setContent(std::string_view box, std::string_view text) override {
    if (LoadedWindow* w = loadedWindow(启动窗口)) w->setContent(box, text);
  }
  void setPeriod(std::string_view timer, std::int32_t ms) override {
    if (LoadedWindow* w = loadedWindow(启动窗口)) w->setPeriod(timer, ms);
  }
  void appendLapLine(std::string_view line) override {
    // A closed viewer is opened again, fresh, so that no lap is dropped.
    if (loadedWindow(记次窗口) == nullptr) showLapViewer();
    if (LoadedWindow* viewer = loadedWindow(记次窗口)) viewer->appendEditText("编辑框1", line);
  }
};

Stopwatch& stopwatch() {
  static const PerformanceCounterClock clock;
  static MainWindowControls controls;
  static Stopwatch instance(clock, controls);
  return instance;
}

}  // namespace

void showLapViewer() { (void)loadWindow(记次窗口, nullptr, false); }

void startTiming() { stopwatch().startTiming(); }

void stopTiming() { stopwatch().stopTiming(); }

void onTimerTick() { stopwatch().onTimerTick(); }

void recordLap() { stopwatch().recordLap(); }

void saveLapText() {
  LoadedWindow* viewer = loadedWindow(记次窗口);
  if (viewer == nullptr) return;
  const LapLogResult result = appendLapLog(lapLogBaseName, viewer->content("编辑框1"));
  if (!result.saved) {
    MessageBoxA(viewer->hwnd(), lapLogWarningText(result).c_str(), std::string(kLapLogWarningCaption).c_str(),
                MB_ICONWARNING | MB_OK);
  }
}

void resetStopwatch() {
  const RestartResult result = restartSelf(1);
  // Back here only when no new instance could be started; this one keeps running with its state.
  // An executable that is gone makes the button do nothing, as it always has.
  if (result.failure == RestartFailure::executableMissing) return;
  LoadedWindow* main = loadedWindow(启动窗口);
  MessageBoxA(main != nullptr ? main->hwnd() : nullptr, resetFailureText(result).c_str(),
              std::string(kResetFailureCaption).c_str(), MB_ICONWARNING | MB_OK);
}
