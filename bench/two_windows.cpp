// The reference for start-up and footprint: a program that shows two plain top-level windows of
// the stopwatch's two sizes and waits for them to be closed. Built with LUMO_BENCH_WITH_OLE it
// first initialises OLE, as the stopwatch must: the runner shows what that alone costs.
#include "bare_window.hpp"

#if LUMO_BENCH_WITH_OLE
#include <ole2.h>
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#if LUMO_BENCH_WITH_OLE
  if (FAILED(OleInitialize(nullptr))) return 1;
#endif
  const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  if (!registerBareClass(instance, kTwoWindowsFirstClass, lastWindowEndsProc, face) ||
      !registerBareClass(instance, kTwoWindowsSecondClass, lastWindowEndsProc, face)) {
    return 1;
  }
  // The second first, so that the first ends up in front, as the stopwatch's main window does.
  if (createBareWindow(kTwoWindowsSecondClass, "second", 760, 380, 387, 298) == nullptr ||
      createBareWindow(kTwoWindowsFirstClass, "first", 700, 40, 549, 326) == nullptr) {
    return 1;
  }
  const int code = runMessageLoop();
#if LUMO_BENCH_WITH_OLE
  OleUninitialize();
#endif
  return code;
}
