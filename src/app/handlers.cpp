#include "app/handlers.hpp"

#include <windows.h>

#include "app/main_window_controls.hpp"
#include "app/performance_clock.hpp"
#include "lapfile/lap_log.hpp"
#include "restart/restart.hpp"
#include "services/message_box.hpp"
#include "shell/window.hpp"

namespace {

Stopwatch& stopwatch() {
  static const PerformanceCounterClock clock;
  static MainWindowControls controls;
  static Stopwatch instance(clock, controls, kMainWindowNames);
  return instance;
}

}  // namespace

void showLapViewer() { (void)loadWindow(记次窗口, nullptr); }

void startTiming() { stopwatch().startTiming(); }

void stopTiming() { stopwatch().stopTiming(); }

void onTimerTick() { stopwatch().onTimerTick(); }

void recordLap() { stopwatch().recordLap(); }

void saveLapText() {
  LoadedWindow* viewer = loadedWindow(记次窗口);
  if (viewer == nullptr) return;
  const LapLogResult result = appendLapLog(lapLogBaseName, viewer->content(viewerControls::编辑框1.name));
  if (!result.saved) {
    showMessageBox(viewer->hwnd(), lapLogWarningText(result), kLapLogWarningCaption, MB_ICONWARNING | MB_OK);
  }
}

void resetStopwatch() {
  const RestartResult result = restartSelf(1);
  // Back here only when no new instance could be started; this one keeps running with its state.
  // An executable that is gone makes the button do nothing, as it always has.
  if (result.failure == RestartFailure::executableMissing) return;
  LoadedWindow* main = loadedWindow(启动窗口);
  showMessageBox(main != nullptr ? main->hwnd() : nullptr, resetFailureText(result), kResetFailureCaption,
                 MB_ICONWARNING | MB_OK);
}
