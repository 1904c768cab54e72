#include <windows.h>

#include "services/fatal.hpp"
#include "services/system_text.hpp"

namespace {
volatile LONG reported = 0;
}

void reportFatalError(std::string_view message, std::int32_t code) {
  // From here on no event reaches a handler, so the display freezes while the box is up.
  InterlockedExchange(&reported, 1);
  // On the stack: this path also reports a failed allocation.
  char text[2048];
  const std::size_t length = formatFatalErrorText(text, sizeof text, message, code);
  // A text never needs more UTF-16 units than it has bytes, so these always hold theirs.
  constexpr char kCaption[] = "错误";
  char16_t wideText[sizeof text];
  char16_t caption[sizeof kCaption];
  toSystemText(std::string_view(text, length), wideText, sizeof text);
  toSystemText(kCaption, caption, sizeof kCaption);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(wideText), reinterpret_cast<const wchar_t*>(caption),
              MB_ICONHAND | MB_OK);
  // ExitProcess, not exit(): the routines registered for the normal end are not run.
  ExitProcess(static_cast<UINT>(-1));
}

bool fatalErrorReported() { return reported != 0; }
