#include "services/message_box.hpp"

#include "services/system_text.hpp"

int showMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  return MessageBoxW(owner, systemChars(toSystemText(text)), systemChars(toSystemText(caption)), type);
}
