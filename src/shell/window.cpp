#include "shell/window.hpp"

#include "services/system_text.hpp"
#include "shell/dpi.hpp"
#include "shell/window_class.hpp"

namespace {

constexpr char kIconName[] = "DEFAULT_ICON";

// A label's own font at the DPI; nullptr for a label in the GUI font.
HFONT createLabelFont(const FontSpec& spec, int dpi) {
  if (spec.face == nullptr) return nullptr;
  LOGFONTW font{};
  font.lfHeight = scaleForDpi(spec.height, dpi);
  font.lfWeight = spec.weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynW(font.lfFaceName, systemChars(toSystemText(spec.face)), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

bool isWantReturnBox(HWND hwnd) {
  wchar_t className[16];
  if (GetClassNameW(hwnd, className, 16) == 0 || lstrcmpiW(className, L"EDIT") != 0) return false;
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  return (style & ES_MULTILINE) && (style & ES_WANTRETURN) && !(style & ES_READONLY);
}

// The height of a Chinese character in the control's font.
int textHeightOf(HWND control) {
  const WindowDC dc(control);
  if (!dc) return 0;
  SIZE size{};
  const ScopedSelect font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32W(dc.get(), L"\u5434", 1, &size);  // 吴
  return size.cy;
}

constexpr UINT kMoveQuietly = SWP_NOZORDER | SWP_NOACTIVATE;

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
  dpi_ = systemDpi();
  int width = scaleForDpi(description_.outerWidth, dpi_);
  int height = scaleForDpi(description_.outerHeight, dpi_);
  hwnd_ = CreateWindowExW(0, systemChars(toSystemText(description_.className)),
                          systemChars(toSystemText(description_.caption)), description_.style,
                          centred(GetSystemMetrics(SM_CXSCREEN), width), centred(GetSystemMetrics(SM_CYSCREEN), height),
                          width, height, owner, nullptr, instance_, this);
  if (hwnd_ == nullptr) return false;
  // On a monitor of another scale than the system's, the window is laid out for its own.
  dpi_ = dpiOf(hwnd_);
  width = scaleForDpi(description_.outerWidth, dpi_);
  height = scaleForDpi(description_.outerHeight, dpi_);
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  if (outer.right - outer.left != width || outer.bottom - outer.top != height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const auto loadIcon = [this](int size) {
    return reinterpret_cast<LPARAM>(LoadImageA(instance_, kIconName, IMAGE_ICON, size, size, LR_SHARED));
  };
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, loadIcon(32));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, loadIcon(16));
  guiFont_ = guiFontForDpi(dpi_);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), FALSE);
  if (description_.has(kTopmost)) {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  controls_ = std::make_unique<Control[]>(description_.controlCount);
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    controls_[i].row = &description_.controls[i];
    if (!createControl(controls_[i])) return false;
  }
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    const Control& c = controls_[i];
    ShowWindow(c.hwnd, c.row->shown && c.row->kind != ControlKind::timer ? SW_SHOWNA : SW_HIDE);
  }
  return true;
}

bool LoadedWindow::createControl(Control& control) {
  const ControlRow& row = *control.row;
  const ControlKindTraits& kind = traitsOf(row.kind);
  void* createParams = nullptr;
  if (row.kind == ControlKind::label) {
    control.look.style = row.label;
    createParams = &control.look;
  } else if (row.kind == ControlKind::timer) {
    control.timer.onTick = timerTicked;
    control.timer.context = this;
    control.timer.id = &row.id;
    createParams = &control.timer;
  }
  const DWORD style = WS_CHILD | row.style | (row.tabStop ? WS_TABSTOP : 0);
  const Place place = scaleForDpi(row.place, dpi_);
  control.hwnd = CreateWindowExW(row.exStyle, systemChars(toSystemText(kind.className)),
                                 systemChars(toSystemText(row.text)), style, place.left, place.top, place.width,
                                 place.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id.id)),
                                 instance_, createParams);
  if (control.hwnd == nullptr) return false;
  applyFont(control, false);
  if (kind.afterCreate != nullptr) kind.afterCreate(control.hwnd);
  placeControl(control);
  return true;
}

HFONT LoadedWindow::guiFont() const {
  return guiFont_ ? guiFont_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void LoadedWindow::applyFont(Control& control, bool redraw) {
  const ControlRow& row = *control.row;
  if (row.kind == ControlKind::label) {
    control.font.reset(createLabelFont(row.label->font, dpi_));
    // A label in the GUI font draws with the window's GUI font for the DPI, as the buttons do.
    control.look.font = control.font ? control.font.get() : guiFont();
    if (redraw) InvalidateRect(control.hwnd, nullptr, FALSE);
  } else if (traitsOf(row.kind).takesGuiFont) {
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), redraw);
  }
}

void LoadedWindow::placeControl(const Control& control) {
  const ControlRow& row = *control.row;
  Place place = scaleForDpi(row.place, dpi_);
  if (row.kind == ControlKind::editBox && !(row.style & ES_MULTILINE)) {
    place.height = editBoxHeight(place.height, textHeightOf(control.hwnd), systemMetricForDpi(SM_CYEDGE, dpi_));
  }
  RECT now;
  GetWindowRect(control.hwnd, &now);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&now), 2);
  if (now.left != place.left || now.top != place.top || now.right - now.left != place.width ||
      now.bottom - now.top != place.height) {
    SetWindowPos(control.hwnd, nullptr, place.left, place.top, place.width, place.height, kMoveQuietly);
  }
}

void LoadedWindow::show() {
  // SW_SHOW activates the window and brings it to the front of its band.
  ShowWindow(hwnd_, SW_SHOW);
}

LoadedWindow::Control* LoadedWindow::find(std::string_view name) {
  if (!controls_) return nullptr;
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    if (name == controls_[i].row->id.name && controls_[i].hwnd != nullptr) return &controls_[i];
  }
  return nullptr;
}

const LoadedWindow::Control* LoadedWindow::find(std::string_view name) const {
  return const_cast<LoadedWindow*>(this)->find(name);
}

void LoadedWindow::appendEditText(std::string_view editBox, std::string_view text) {
  Control* c = find(editBox);
  if (c == nullptr) return;
  // The length alone, without copying the text: the box's own UTF-16 units.
  const int n = GetWindowTextLengthW(c->hwnd);
  SendMessageW(c->hwnd, EM_SETSEL, static_cast<WPARAM>(n), n);
  SendMessageW(c->hwnd, EM_SCROLLCARET, 0, 0);
  SendMessageW(c->hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(systemChars(toSystemText(text))));
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
  setWindowText(c->hwnd, text);
  // No synchronous repaint: the label paints at the next paint message, once for many writes.
  InvalidateRect(c->hwnd, nullptr, FALSE);
}

std::string LoadedWindow::content(std::string_view editBox, std::size_t* unwritable) const {
  if (unwritable != nullptr) *unwritable = 0;
  const Control* c = find(editBox);
  return c != nullptr ? fromSystemText(systemWindowText(c->hwnd), unwritable) : std::string();
}

void LoadedWindow::setContent(std::string_view editBox, std::string_view text) {
  Control* c = find(editBox);
  if (c == nullptr) return;
  setWindowText(c->hwnd, text);
  SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(c->row->id.id, EN_CHANGE), reinterpret_cast<LPARAM>(c->hwnd));
}

void LoadedWindow::setPeriod(std::string_view timer, std::int32_t milliseconds) {
  Control* c = find(timer);
  if (c != nullptr && c->row->kind == ControlKind::timer) setTimerPeriod(c->hwnd, c->timer, milliseconds);
}

bool LoadedWindow::preTranslateKey(UINT virtualKey, HWND target) {
  switch (virtualKey) {
    case VK_ESCAPE:
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
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
      return !isWantReturnBox(target);
  }
  return false;
}

void LoadedWindow::timerTicked(void* context, const ControlId& timer) {
  auto* self = static_cast<LoadedWindow*>(context);
  self->events_.raise(self->description_, &timer, Event::periodic);
}

LRESULT CALLBACK LoadedWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LoadedWindow* self = attachedObject<LoadedWindow>(hwnd, message, lParam);
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->handleMessage(message, wParam, lParam);
}

LRESULT LoadedWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_ACTIVATE:
      onActivate(LOWORD(wParam), HIWORD(wParam) != 0);
      return 0;
    case WM_ERASEBKGND:
      onEraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(onEditColour(reinterpret_cast<HDC>(wParam)));
    case WM_DPICHANGED:
      onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
      onNcDestroy();
      return result;
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void LoadedWindow::onCommand(int id, UINT code, HWND control) {
  if (code != BN_CLICKED || control == nullptr) return;
  const ControlRow* row = description_.rowWithId(id);
  if (row != nullptr && row->kind == ControlKind::button) events_.raise(description_, &row->id, Event::clicked);
}

void LoadedWindow::onActivate(UINT state, bool minimised) {
  if (state == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (minimised) return;  // no control takes the focus
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

HBRUSH LoadedWindow::onEditColour(HDC dc) {
  // Black on white as the description draws them, not the colour scheme's window colours.
  static_assert(kEditBackground == RGB(255, 255, 255), "the stock white brush fills the box");
  SetTextColor(dc, kEditText);
  SetBkColor(dc, kEditBackground);
  return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void LoadedWindow::onDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  // The new fonts are in place before the old ones go: no control is left holding a deleted font.
  FontHandle previous = std::move(guiFont_);
  guiFont_ = guiFontForDpi(dpi_);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), FALSE);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, kMoveQuietly);
  for (std::size_t i = 0; i < description_.controlCount; ++i) {
    applyFont(controls_[i], true);
    placeControl(controls_[i]);
  }
  previous.reset();
}

void LoadedWindow::onNcDestroy() {
  hwnd_ = nullptr;
  lastFocus_ = nullptr;
  // The children are gone by now, so their fonts and records can go too.
  controls_.reset();
  events_.destroyed(*this);
}
