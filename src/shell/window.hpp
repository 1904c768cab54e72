// A window built from its description, with its controls; the object lives from loading to the
// window's destruction and answers the handlers' property reads and writes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "services/handles.hpp"
#include "windows/controls.hpp"
#include "windows/description.hpp"

class LoadedWindow;

// Where a window reports what happens to it: the events its controls raise, and its end.
class WindowEvents {
 public:
  // control: nullptr for the window itself.
  virtual void raise(const WindowDescription& window, const ControlId* control, Event event) = 0;
  // The window and its controls are gone; the object is still there.
  virtual void destroyed(LoadedWindow& window) = 0;

 protected:
  ~WindowEvents() = default;
};

class LoadedWindow {
 public:
  LoadedWindow(const WindowDescription& description, HINSTANCE instance, WindowEvents& events)
      : description_(description), instance_(instance), events_(events) {}
  LoadedWindow(const LoadedWindow&) = delete;
  LoadedWindow& operator=(const LoadedWindow&) = delete;
  ~LoadedWindow();

  static bool registerClass(HINSTANCE instance, const WindowDescription& description);

  // Creates the window hidden, then its controls, each hidden and then shown as the table says.
  bool create(HWND owner);
  void show();

  HWND hwnd() const { return hwnd_; }
  // The DPI the window and its controls are laid out for.
  int dpi() const { return dpi_; }
  bool exists() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
  const WindowDescription& description() const { return description_; }

  // The properties handlers use. Controls that the table lacks read as empty and ignore writes.
  std::string caption(std::string_view label) const;
  void setCaption(std::string_view label, std::string_view text);
  // What the user typed that GBK cannot write comes back as "?", counted into *unwritable.
  std::string content(std::string_view editBox, std::size_t* unwritable = nullptr) const;
  void setContent(std::string_view editBox, std::string_view text);
  void setPeriod(std::string_view timer, std::int32_t milliseconds);
  HWND control(std::string_view name) const;
  // Puts the caret at the end of the box's text and inserts the text there, not undoable.
  void appendEditText(std::string_view editBox, std::string_view text);

  // Keys the window looks at before the focused control: Esc closes, Tab moves the focus, Enter
  // reaches only a box that takes line breaks. True when the key was consumed.
  bool preTranslateKey(UINT virtualKey, HWND target);

 private:
  struct Control {
    const ControlRow* row = nullptr;
    HWND hwnd = nullptr;
    FontHandle font;
    LabelLook look{};
    TimerState timer{};
  };

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool createControl(Control& control);
  // The font of buttons and edit boxes at dpi_: guiFont_, or the stock font where that is empty.
  HFONT guiFont() const;
  // A control's font and place for dpi_; the control exists.
  void applyFont(Control& control, bool redraw);
  void placeControl(const Control& control);
  void onCommand(int id, UINT code, HWND control);
  void onActivate(UINT state, bool minimised);
  void onEraseBackground(HDC dc);
  HBRUSH onEditColour(HDC dc);
  void onDpiChanged(int dpi, const RECT& suggested);
  void onNcDestroy();
  static void timerTicked(void* context, const ControlId& timer);
  Control* find(std::string_view name);
  const Control* find(std::string_view name) const;

  const WindowDescription& description_;
  const HINSTANCE instance_;
  WindowEvents& events_;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
  int dpi_ = kDesignDpi;
  FontHandle guiFont_;  // empty: the stock GUI font
  // Fixed once built: labels and timers point into these records.
  std::unique_ptr<Control[]> controls_;
};
