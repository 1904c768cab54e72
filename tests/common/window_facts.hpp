// What the tests read back from a window, whichever process owns it: its place in its parent, and
// its text as the system holds it (UTF-16), with UTF-8 for comparisons that print the characters.
#pragma once

#include <windows.h>

#include <string>

// The window's rectangle in its parent's client coordinates.
inline RECT placeInParent(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The text through the wide WM_GETTEXT, which a window of another process answers too; empty when
// the window does not answer within 3 seconds.
inline std::u16string wideTextOf(HWND window) {
  constexpr WPARAM kUnits = 1024;
  wchar_t text[kUnits] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, kUnits, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &copied);
  return std::u16string(reinterpret_cast<const char16_t*>(text), copied);
}

inline std::string utf8(const std::u16string& text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, units, &out[0], size, nullptr, nullptr);
  return out;
}
