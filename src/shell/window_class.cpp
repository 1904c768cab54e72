#include "shell/window_class.hpp"

#include "services/system_text.hpp"
#include "windows/controls.hpp"

bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style, HBRUSH background) {
  const SystemText className = toSystemText(name);
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, systemChars(className), &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = systemChars(className);
  return RegisterClassExW(&wc) != 0;
}

bool registerControlClasses(HINSTANCE instance) {
  return registerWindowClass(instance, kLabelClass, labelProc) && registerWindowClass(instance, kTimerClass, timerProc);
}
