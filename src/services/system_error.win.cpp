#include "services/system_error.hpp"

#include <windows.h>

std::string systemErrorText(std::uint32_t errorCode) {
  char buffer[1024];
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     errorCode, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) return "系统错误 " + std::to_string(errorCode);
  return text;
}
