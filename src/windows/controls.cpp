#include "windows/controls.hpp"

#include <string>

#include "services/handles.hpp"
#include "services/text.hpp"

const char kLabelClass[] = "LumoLabel";
const char kTimerClass[] = "LumoTimer";

namespace {

COLORREF resolve(std::uint32_t colour) {
  return colour == kButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

void paintLabel(HWND hwnd, const LabelLook& look) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  // The fill paints over the previous text: a caption write invalidates without erasing.
  SetDCBrushColor(dc, resolve(look.background));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  const int length = GetWindowTextLengthA(hwnd);
  if (length > 0) {
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(hwnd, &text[0], length + 1);
    ScopedSelect font(dc, look.font ? static_cast<HGDIOBJ>(look.font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look.textColour);
    const UINT align = look.alignment == Alignment::right ? DT_RIGHT : DT_LEFT;
    DrawTextA(dc, text.c_str(), got, &client, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | align);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* look = attachedObject<LabelLook>(hwnd, message, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole label
    case WM_PAINT:
      if (look != nullptr) {
        paintLabel(hwnd, *look);
        return 0;
      }
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK timerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* state = attachedObject<TimerState>(hwnd, message, lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerId && state != nullptr && state->onTick != nullptr) state->onTick(state->context, state->name);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);  // a running timer stops with its window
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style, HBRUSH background) {
  WNDCLASSEXA wc{};
  if (GetClassInfoExA(instance, name, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

bool registerControlClasses(HINSTANCE instance) {
  return registerWindowClass(instance, kLabelClass, labelProc) && registerWindowClass(instance, kTimerClass, timerProc);
}

void setTimerPeriod(HWND timer, TimerState& state, std::int32_t v) {
  if (v < 0) v = 0;
  if (v == state.period) return;
  if (state.period > 0) KillTimer(timer, kTimerId);
  state.period = v;
  if (v > 0) SetTimer(timer, kTimerId, static_cast<UINT>(v), nullptr);
  // The period is the timer's window text, so that it can be read from outside like any control.
  SetWindowTextA(timer, toText(v).c_str());
}
