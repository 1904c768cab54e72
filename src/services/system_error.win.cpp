#include "services/system_error.hpp"

#include <windows.h>

#include "services/system_text.hpp"

namespace {

constexpr DWORD kWordingUnits = 1024;

}  // namespace

SystemText systemErrorText(std::uint32_t errorCode) {
  wchar_t buffer[kWordingUnits];
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     errorCode, 0, buffer, kWordingUnits, nullptr);
  std::u16string_view text(reinterpret_cast<const char16_t*>(buffer), length);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return toSystemText("系统错误 " + std::to_string(errorCode));
  return SystemText(text);
}
