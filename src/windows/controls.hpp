// The control kinds: which window class each is made of, whether it takes the dialog font, what
// it needs once created; and the two kinds that are windows of our own, the painted label and the
// hidden timer. Every control is a real child window whose window text is its caption or content,
// so it can be read from outside.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "services/system_text.hpp"
#include "windows/description.hpp"

extern const char kLabelClass[];
extern const char kTimerClass[];

struct ControlKindTraits {
  const char* className;
  bool takesGuiFont;  // a label draws with the font of its style instead
  void (*afterCreate)(HWND control);  // nullptr: nothing
};
const ControlKindTraits& traitsOf(ControlKind kind);

// The colours of an edit box: black text on white whatever the colour scheme.
inline constexpr COLORREF kEditText = kBlack;
inline constexpr COLORREF kEditBackground = kWhite;

// The object a window procedure serves: taken from the creation parameters at WM_NCCREATE, kept
// in GWLP_USERDATA, and cleared at WM_NCDESTROY. Null before and after.
template <typename T>
T* attachedObject(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* object = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return object;
}

// What a label needs to paint itself; owned by the window that holds the label.
struct LabelLook {
  HFONT font;  // nullptr: DEFAULT_GUI_FONT
  const LabelStyle* style;
};
LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// What the timer window keeps; its owner raises 'periodic' from onTick.
struct TimerState {
  std::int32_t period = 0;
  void (*onTick)(void* context, const ControlId& timer) = nullptr;
  void* context = nullptr;
  const ControlId* id = nullptr;
};
LRESULT CALLBACK timerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr UINT_PTR kTimerId = 1000;

// A window's text as the system holds it (UTF-16), and as the program holds its texts (GBK).
SystemText systemWindowText(HWND hwnd);
std::string windowText(HWND hwnd);
void setWindowText(HWND hwnd, std::string_view text);

// Writes v to the timer's period: negative counts as 0, an unchanged period leaves a running timer
// on its schedule, 0 stops it.
void setTimerPeriod(HWND timer, TimerState& state, std::int32_t v);
