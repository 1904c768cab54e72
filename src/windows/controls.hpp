// The control kinds that are not standard window classes: the painted label and the hidden timer.
// Each is a real child window whose window text is its caption, so it can be read from outside.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/description.hpp"

// Registers a window class with the arrow cursor unless it exists already; false when the
// system refuses.
bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style = 0,
                         HBRUSH background = nullptr);

// The object a window procedure serves: taken from the creation parameters at WM_NCCREATE, kept
// in GWLP_USERDATA, and cleared at WM_NCDESTROY. Null before and after.
template <typename T>
T* attachedObject(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* object = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  return object;
}

// Registers the label and timer classes once per process; false when the system refuses.
bool registerControlClasses(HINSTANCE instance);

extern const char kLabelClass[];
extern const char kTimerClass[];

// What a label needs to paint itself; owned by the window that holds the label.
struct LabelLook {
  HFONT font;  // nullptr: DEFAULT_GUI_FONT
  COLORREF textColour;
  std::uint32_t background;  // kButtonFace or a colour
  Alignment alignment;
};

// What the timer window keeps; the owner raises 'periodic' from onTick.
struct TimerState {
  std::int32_t period = 0;
  void (*onTick)(void* context, const char* name) = nullptr;
  void* context = nullptr;
  const char* name = nullptr;
};

inline constexpr UINT_PTR kTimerId = 1000;

// Writes v to the timer's period: negative counts as 0, an unchanged period leaves a running timer
// on its schedule, 0 stops it.
void setTimerPeriod(HWND timer, TimerState& state, std::int32_t v);
