#include "windows/controls.hpp"

#include <string>

#include "services/handles.hpp"
#include "services/system_text.hpp"
#include "services/text.hpp"

const char kLabelClass[] = "LumoLabel";
const char kTimerClass[] = "LumoTimer";

namespace {

COLORREF resolve(std::uint32_t colour) {
  return colour == kButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

// No limit but the system's on what the user types or the laps fill in.
void afterCreatingEditBox(HWND box) { SendMessageW(box, EM_LIMITTEXT, 0, 0); }

void paintLabel(HWND hwnd, const LabelLook& look) {
  const PaintSession paint(hwnd);
  const HDC dc = paint.dc();
  RECT client;
  GetClientRect(hwnd, &client);
  // The fill paints over the previous text: a caption write invalidates without erasing.
  SetDCBrushColor(dc, resolve(look.style->background));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  // Drawn as the window holds it: no conversion to GBK and back on every paint.
  const SystemText text = systemWindowText(hwnd);
  if (text.empty()) return;
  const ScopedSelect font(dc, look.font ? static_cast<HGDIOBJ>(look.font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(look.style->textColour));
  const UINT align = look.style->alignment == Alignment::right ? DT_RIGHT : DT_LEFT;
  DrawTextW(dc, systemChars(text), static_cast<int>(text.size()), &client,
            DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | align);
}

void onTimer(const TimerState& state, UINT_PTR id) {
  if (id == kTimerId && state.onTick != nullptr) state.onTick(state.context, *state.id);
}

}  // namespace

const ControlKindTraits& traitsOf(ControlKind kind) {
  static const ControlKindTraits kinds[] = {
      /* label   */ {kLabelClass, false, nullptr},
      /* button  */ {"BUTTON", true, nullptr},
      /* editBox */ {"EDIT", true, afterCreatingEditBox},
      /* timer   */ {kTimerClass, false, nullptr},
  };
  return kinds[static_cast<int>(kind)];
}

LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* look = attachedObject<LabelLook>(hwnd, message, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole label
    case WM_PAINT:
      if (look == nullptr) break;
      paintLabel(hwnd, *look);
      return 0;
    case WM_GETFONT:  // the font it draws with, as any control answers
      if (look == nullptr) break;
      return reinterpret_cast<LRESULT>(look->font ? look->font : GetStockObject(DEFAULT_GUI_FONT));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK timerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* state = attachedObject<TimerState>(hwnd, message, lParam);
  switch (message) {
    case WM_TIMER:
      if (state != nullptr) onTimer(*state, static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);  // a running timer stops with its window
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void setTimerPeriod(HWND timer, TimerState& state, std::int32_t v) {
  if (v < 0) v = 0;
  if (v == state.period) return;
  if (state.period > 0) KillTimer(timer, kTimerId);
  state.period = v;
  if (v > 0) SetTimer(timer, kTimerId, static_cast<UINT>(v), nullptr);
  // The period is the timer's window text, so that it can be read from outside like any control.
  setWindowText(timer, toText(v));
}

SystemText systemWindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return SystemText();
  SystemText text(static_cast<std::size_t>(length) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, systemChars(text), length + 1)));
  return text;
}

std::string windowText(HWND hwnd) { return fromSystemText(systemWindowText(hwnd)); }

void setWindowText(HWND hwnd, std::string_view text) { SetWindowTextW(hwnd, systemChars(toSystemText(text))); }
