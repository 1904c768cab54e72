#include <windows.h>

#include "services/fatal.hpp"

namespace {
volatile LONG reported = 0;
}

void reportFatalError(std::string_view message, std::int32_t code) {
  // From here on no event reaches a handler, so the display freezes while the box is up.
  InterlockedExchange(&reported, 1);
  // On the stack: this path also reports a failed allocation.
  char text[2048];
  formatFatalErrorText(text, sizeof text, message, code);
  MessageBoxA(nullptr, text, "错误", MB_ICONHAND | MB_OK);
  // ExitProcess, not exit(): the routines registered for the normal end are not run.
  ExitProcess(static_cast<UINT>(-1));
}

bool fatalErrorReported() { return reported != 0; }
