#include "services/message_box.hpp"

int showMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  return showMessageBox(owner, toSystemText(text), caption, type);
}

int showMessageBox(HWND owner, const SystemText& text, std::string_view caption, UINT type) {
  return MessageBoxW(owner, systemChars(text), systemChars(toSystemText(caption)), type);
}
