#include "app/handlers.hpp"

#include <windows.h>

#include "app/main_window_controls.hpp"
#include "app/performance_clock.hpp"
#include "lapfile/lap_log.hpp"
#include "restart/restart.hpp"
#include "services/message_box.hpp"
#include "services/text.hpp"
#include "shell/window.hpp"

namespace {

// The log holds GBK, as it always has; what the user typed that GBK has no character for is
// saved as "?", and the user is told how much.
constexpr std::string_view kUnwritableCaption = "记次文本已保存";
std::string unwritableText(std::size_t count) {
  return concatTexts({"记次文本已保存，其中 ", toText(static_cast<std::int64_t>(count)),
                      " 个字符无法用 GBK 编码写入，已存为“?”。"});
}

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
  std::size_t unwritable = 0;
  const std::string text = viewer->content(viewerControls::编辑框1.name, &unwritable);
  const LapLogResult result = appendLapLog(lapLogBaseName, text);
  if (!result.saved) {
    showMessageBox(viewer->hwnd(), lapLogWarningText(result), kLapLogWarningCaption, MB_ICONWARNING | MB_OK);
  } else if (unwritable > 0) {
    showMessageBox(viewer->hwnd(), unwritableText(unwritable), kUnwritableCaption, MB_ICONINFORMATION | MB_OK);
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
