// The system's own wording for an error code, asked of FormatMessageA here and not through the
// program's systemErrorText, so that the texts the program shows can be checked against it.
#pragma once

#include <windows.h>

#include <string>

// Without the trailing line break; empty when the system has no text for the code.
inline std::string systemWording(DWORD error) {
  char buffer[1024];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
