// The reference for accuracy: a stopwatch that counts its 10 ms WM_TIMER messages and shows the
// count times 10 ms, as a tick-counting design would. Ticks that come late or not at all (the
// system sends at most one pending WM_TIMER) make it fall behind the wall clock.
#include "bare_window.hpp"

namespace {

struct TickStopwatch {
  DisplayLabel display;
  std::int64_t ticks = 0;
  bool timing = false;
};

TickStopwatch stopwatch;

void onCommand(HWND hwnd, int id) {
  if (id == kBareStartButton && !stopwatch.timing) {
    stopwatch.timing = SetTimer(hwnd, kBareTimerId, kBareTickPeriodMs, nullptr) != 0;
  } else if (id == kBareStopButton && stopwatch.timing) {
    KillTimer(hwnd, kBareTimerId);
    stopwatch.timing = false;
  }
}

void onTick() {
  ++stopwatch.ticks;
  stopwatch.display.show(bareElapsedText(stopwatch.ticks * kBareTickPeriodMs));
}

bool onCreate(HWND hwnd) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  auto button = [&](const char* text, int id, int x) {
    return CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 176, 80, 32, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr) != nullptr;
  };
  return stopwatch.display.create(hwnd, kBareDisplay) && button("开始计时", kBareStartButton, 184) &&
         button("停止计时", kBareStopButton, 264);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return onCreate(hwnd) ? 0 : -1;
    case WM_COMMAND:
      onCommand(hwnd, LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kBareTimerId) onTick();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!registerBareClass(instance, kTickStopwatchClass, windowProc, GetSysColorBrush(COLOR_BTNFACE))) return 1;
  if (createBareWindow(kTickStopwatchClass, "tick stopwatch", 700, 40, 549, 326) == nullptr) return 1;
  return runMessageLoop();
}
