// The reference for the cost of timing: a window whose one label shows the elapsed time from the
// performance counter and is repainted every 10 ms, and nothing else.
#include "bare_window.hpp"

namespace {

DisplayLabel display;
LARGE_INTEGER started{};
LARGE_INTEGER frequency{};

void onTick() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  display.show(bareElapsedText((now.QuadPart - started.QuadPart) * 1000 / frequency.QuadPart));
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&started);
      return display.create(hwnd, kBareDisplay) && SetTimer(hwnd, kBareTimerId, kBareTickPeriodMs, nullptr) ? 0 : -1;
    case WM_TIMER:
      if (wParam == kBareTimerId) onTick();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kBareTimerId);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!registerBareClass(instance, kLabelRepaintClass, windowProc, GetSysColorBrush(COLOR_BTNFACE))) return 1;
  if (createBareWindow(kLabelRepaintClass, "label repaint", 700, 40, 549, 326) == nullptr) return 1;
  return runMessageLoop();
}
