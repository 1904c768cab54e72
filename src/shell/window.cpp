#include "shell/window.hpp"

#include <cstring>

#include "shell/shell.hpp"

namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL
constexpr char kIconName[] = "DEFAULT_ICON";

int centred(int screen, int size) { return (screen - size) / 2; }

std::string windowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, &text[0], length + 1)));
  return text;
}

HFONT createLabelFont(const FontSpec& spec) {
  if (spec.face == nullptr) return nullptr;
  LOGFONTA font{};
  font.lfHeight = spec.height;
  font.lfWeight = spec.weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(font.lfFaceName, spec.face, LF_FACESIZE);
  return CreateFontIndirectA(&font);
}

// A single-line box must be tall enough for a Chinese character in its font and the sunken edge.
int editBoxHeight(HWND box, int height) {
  HDC dc = GetDC(box);
  if (dc == nullptr) return height;
  SIZE size{};
  {
    ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, "吴", 2, &size);
  }
  ReleaseDC(box, dc);
  const int needed = size.cy + 2 * GetSystemMetrics(SM_CYEDGE);
  return height < needed ? needed : height;
}

bool isWantReturnBox(HWND hwnd) {
  char className[16];
  if (GetClassNameA(hwnd, className, sizeof className) == 0 || lstrcmpiA(className, "EDIT") != 0) return false;
  const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
  return (style & ES_MULTILINE) && (style & ES_WANTRETURN) && !(style & ES_READONLY);
}

void timerTicked(void* context, const char* name) {
  raiseEvent(static_cast<LoadedWindow*>(context)->description(), name, Event::periodic);
}

}  // namespace

LoadedWindow::~LoadedWindow() {
  if (exists()) DestroyWindow(hwnd_);
}

bool LoadedWindow::registerClass(HINSTANCE instance, const WindowDescription& description) {
  // Hollow: the window paints its own background in the button-face colour.
  return registerWindowClass(instance, description.className, windowProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                             static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

bool LoadedWindow::create(HWND owner) {
  const int left = centred(GetSystemMetrics(SM_CXSCREEN), description_.outerWidth);
  const int top = centred(GetSystemMetrics(SM_CYSCREEN), description_.outerHeight);
  const HINSTANCE instance = programInstance();
  hwnd_ = CreateWindowExA(0, description_.className, description_.caption, description_.style, left, top,
                          description_.outerWidth, description_.outerHeight, owner, nullptr, instance, this);
  if (hwnd_ == nullptr) return false;
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  if (outer.right - outer.left != description_.outerWidth || outer.bottom - outer.top != description_.outerHeight) {
    SetWindowPos(hwnd_, nullptr, 0, 0, description_.outerWidth, description_.outerHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const auto loadIcon = [instance](int size) {
    return reinterpret_cast<LPARAM>(LoadImageA(instance, kIconName, IMAGE_ICON, size, size, LR_SHARED));
  };
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, loadIcon(32));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, loadIcon(16));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (description_.topmost) {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  controls_ = std::make_unique<Control[]>(description_.controlCount);
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    controls_[i].row = &description_.controls[i];
    if (!createControl(controls_[i], kFirstControlId + static_cast<int>(i))) return false;
  }
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    const Control& c = controls_[i];
    ShowWindow(c.hwnd, c.row->shown && c.row->kind != ControlKind::timer ? SW_SHOWNA : SW_HIDE);
  }
  return true;
}

bool LoadedWindow::createControl(Control& control, int id) {
  const ControlRow& row = *control.row;
  DWORD style = WS_CHILD | row.style | (row.tabStop ? WS_TABSTOP : 0);
  const char* className = nullptr;
  void* createParams = nullptr;
  switch (row.kind) {
    case ControlKind::label:
      className = kLabelClass;
      control.font.reset(createLabelFont(row.font));
      control.look = {control.font.get(), static_cast<COLORREF>(row.textColour), row.background, row.alignment};
      createParams = &control.look;
      break;
    case ControlKind::timer:
      className = kTimerClass;
      control.timer.onTick = timerTicked;
      control.timer.context = this;
      control.timer.name = row.name;
      createParams = &control.timer;
      break;
    case ControlKind::button:
      className = "BUTTON";
      break;
    case ControlKind::editBox:
      className = "EDIT";
      break;
  }
  control.hwnd = CreateWindowExA(row.exStyle, className, row.text, style, row.left, row.top, row.width,
                                 row.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 programInstance(), createParams);
  if (control.hwnd == nullptr) return false;
  if (row.kind == ControlKind::button || row.kind == ControlKind::editBox) {
    SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  }
  if (row.kind == ControlKind::editBox) {
    SendMessageA(control.hwnd, EM_LIMITTEXT, 0, 0);
    if (!(row.style & ES_MULTILINE)) {
      const int height = editBoxHeight(control.hwnd, row.height);
      if (height != row.height) {
        SetWindowPos(control.hwnd, nullptr, 0, 0, row.width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
  }
  return true;
}

void LoadedWindow::show() {
  // SW_SHOW activates the window and brings it to the front of its band.
  ShowWindow(hwnd_, SW_SHOW);
}

LoadedWindow::Control* LoadedWindow::find(std::string_view name) {
  if (!controls_) return nullptr;
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    if (name == controls_[i].row->name && controls_[i].hwnd != nullptr) return &controls_[i];
  }
  return nullptr;
}

const LoadedWindow::Control* LoadedWindow::find(std::string_view name) const {
  return const_cast<LoadedWindow*>(this)->find(name);
}

void LoadedWindow::appendEditText(std::string_view editBox, std::string_view text) {
  Control* c = find(editBox);
  if (c == nullptr) return;
  // The length alone, without copying the text. It counts bytes while the box may count
  // characters (Wine does); a position past the end is the end, so the caret lands there either way.
  const int n = GetWindowTextLengthA(c->hwnd);
  SendMessageA(c->hwnd, EM_SETSEL, static_cast<WPARAM>(n), n);
  SendMessageA(c->hwnd, EM_SCROLLCARET, 0, 0);
  SendMessageA(c->hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

HWND LoadedWindow::control(std::string_view name) const {
  const Control* c = find(name);
  return c != nullptr ? c->hwnd : nullptr;
}

std::string LoadedWindow::caption(std::string_view label) const {
  const Control* c = find(label);
  return c != nullptr ? windowText(c->hwnd) : std::string();
}

void LoadedWindow::setCaption(std::string_view label, std::string_view text) {
  Control* c = find(label);
  if (c == nullptr) return;
  SetWindowTextA(c->hwnd, std::string(text).c_str());
  // No synchronous repaint: the label paints at the next paint message, once for many writes.
  InvalidateRect(c->hwnd, nullptr, FALSE);
}

std::string LoadedWindow::content(std::string_view editBox) const {
  const Control* c = find(editBox);
  return c != nullptr ? windowText(c->hwnd) : std::string();
}

void LoadedWindow::setContent(std::string_view editBox, std::string_view text) {
  Control* c = find(editBox);
  if (c == nullptr) return;
  SetWindowTextA(c->hwnd, std::string(text).c_str());
  SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c->hwnd), EN_CHANGE), reinterpret_cast<LPARAM>(c->hwnd));
}

std::int32_t LoadedWindow::period(std::string_view timer) const {
  const Control* c = find(timer);
  return c != nullptr ? c->timer.period : 0;
}

void LoadedWindow::setPeriod(std::string_view timer, std::int32_t milliseconds) {
  Control* c = find(timer);
  if (c != nullptr && c->row->kind == ControlKind::timer) setTimerPeriod(c->hwnd, c->timer, milliseconds);
}

bool LoadedWindow::preTranslateKey(const MSG& message) {
  switch (message.wParam) {
    case VK_ESCAPE:
      SendMessageA(hwnd_, WM_CLOSE, 0, 0);
      return true;
    case VK_TAB: {
      HWND focus = GetFocus();
      const bool backwards = GetKeyState(VK_SHIFT) < 0;
      HWND next = GetNextDlgTabItem(hwnd_, IsChild(hwnd_, focus) ? focus : nullptr, backwards);
      if (next != nullptr) SetFocus(next);
      return true;
    }
    case VK_RETURN:
      // No default button: Enter only breaks a line in a box that takes line breaks.
      return !isWantReturnBox(message.hwnd);
  }
  return false;
}

LRESULT CALLBACK LoadedWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LoadedWindow* self = attachedObject<LoadedWindow>(hwnd, message, lParam);
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->handleMessage(message, wParam, lParam);
}

LRESULT LoadedWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      onActivate(wParam);
      return 0;
    case WM_ERASEBKGND:
      onEraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcA(hwnd_, message, wParam, lParam);
      onNcDestroy();
      return result;
    }
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void LoadedWindow::onCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return;
  const int index = LOWORD(wParam) - kFirstControlId;
  if (index < 0 || static_cast<std::size_t>(index) >= description_.controlCount) return;
  const ControlRow& row = description_.controls[index];
  if (row.kind == ControlKind::button) raiseEvent(description_, row.name, Event::clicked);
}

void LoadedWindow::onActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (HIWORD(wParam) != 0) return;  // minimised: no control takes the focus
  HWND target = lastFocus_ != nullptr && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)
                    ? lastFocus_
                    : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  SetFocus(target != nullptr ? target : hwnd_);
}

void LoadedWindow::onEraseBackground(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void LoadedWindow::onNcDestroy() {
  hwnd_ = nullptr;
  lastFocus_ = nullptr;
  // The children are gone by now, so their fonts and records can go too.
  controls_.reset();
  windowDestroyed();
}
