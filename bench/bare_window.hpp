// What the bare reference programs share: one window class, one message loop, and a display
// label painted the way the stopwatch paints its elapsed time (the same font, size and colours),
// so that a comparison measures the stopwatch's own structure and not a different paint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Window classes and control identifiers, known to the bench runner that drives these programs.
inline constexpr char kTickStopwatchClass[] = "LumoBenchTicks";
inline constexpr char kLabelRepaintClass[] = "LumoBenchRepaint";
inline constexpr char kTwoWindowsFirstClass[] = "LumoBenchFirst";
inline constexpr char kTwoWindowsSecondClass[] = "LumoBenchSecond";
inline constexpr char kStyledFirstClass[] = "LumoBenchStyledFirst";
inline constexpr char kStyledSecondClass[] = "LumoBenchStyledSecond";
inline constexpr int kBareStartButton = 1;
inline constexpr int kBareStopButton = 2;
inline constexpr int kBareDisplay = 3;

inline constexpr UINT_PTR kBareTimerId = 1;
inline constexpr UINT kBareTickPeriodMs = 10;

// The stopwatch's display format: whole seconds, "秒", milliseconds, "毫秒".
inline std::string bareElapsedText(std::int64_t milliseconds) {
  return std::to_string(milliseconds / 1000) + "秒" + std::to_string(milliseconds % 1000) + "毫秒";
}

inline bool registerBareClass(HINSTANCE instance, const char* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

inline int runMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

// The window procedure of a program whose top-level windows all share it: the message loop ends
// when the last of them is destroyed.
inline LRESULT CALLBACK lastWindowEndsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static int openWindows = 0;
  switch (message) {
    case WM_CREATE:
      ++openWindows;
      return 0;
    case WM_DESTROY:
      if (--openWindows == 0) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A child window whose text is painted green on black in the display font; its window text can
// be read from outside, as the stopwatch's label can.
class DisplayLabel {
 public:
  DisplayLabel() = default;
  DisplayLabel(const DisplayLabel&) = delete;
  DisplayLabel& operator=(const DisplayLabel&) = delete;
  ~DisplayLabel() {
    if (font_ != nullptr) DeleteObject(font_);
  }

  bool create(HWND parent, int id) {
    static bool registered = false;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
      registered = registerBareClass(instance, kClass, proc, nullptr);
      if (!registered) return false;
    }
    font_ = CreateFontA(-35, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "宋体");
    hwnd_ = CreateWindowExA(0, kClass, bareElapsedText(0).c_str(), WS_CHILD | WS_VISIBLE, 112, 48, 296, 64, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    return hwnd_ != nullptr;
  }

  // As the stopwatch does: the text, then an invalidation; the paint comes with the next paint
  // message.
  void show(const std::string& text) {
    SetWindowTextA(hwnd_, text.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

 private:
  static constexpr char kClass[] = "LumoBenchDisplay";

  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      static_cast<DisplayLabel*>(create->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<DisplayLabel*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        if (self != nullptr) {
          self->paint();
          return 0;
        }
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  void paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    char text[64];
    const int length = GetWindowTextA(hwnd_, text, sizeof text);
    const HGDIOBJ previous = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(128, 224, 0));
    DrawTextA(dc, text, length, &client, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_LEFT);
    SelectObject(dc, previous);
    EndPaint(hwnd_, &ps);
  }

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
};

// A top-level window of the stopwatch's size, shown at once.
inline HWND createBareWindow(const char* className, const char* caption, int x, int y, int width, int height,
                             HWND owner = nullptr) {
  return CreateWindowExA(0, className, caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE,
                         x, y, width, height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}
