// A window built from its description, with its controls; the object lives from loading to the
// window's destruction and answers the handlers' property reads and writes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "services/handles.hpp"
#include "windows/controls.hpp"
#include "windows/description.hpp"

class LoadedWindow {
 public:
  explicit LoadedWindow(const WindowDescription& description) : description_(description) {}
  LoadedWindow(const LoadedWindow&) = delete;
  LoadedWindow& operator=(const LoadedWindow&) = delete;
  ~LoadedWindow();

  static bool registerClass(HINSTANCE instance, const WindowDescription& description);

  // Creates the window hidden, then its controls, each hidden and then shown as the table says.
  bool create(HWND owner);
  void show();

  HWND hwnd() const { return hwnd_; }
  bool exists() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
  const WindowDescription& description() const { return description_; }

  // The properties handlers use. Controls that the table lacks read as empty and ignore writes.
  std::string caption(std::string_view label) const;
  void setCaption(std::string_view label, std::string_view text);
  std::string content(std::string_view editBox) const;
  void setContent(std::string_view editBox, std::string_view text);
  std::int32_t period(std::string_view timer) const;
  void setPeriod(std::string_view timer, std::int32_t milliseconds);
  HWND control(std::string_view name) const;
  // Puts the caret at the end of the box's text and inserts the text there, not undoable.
  void appendEditText(std::string_view editBox, std::string_view text);

  // Keys the window looks at before the focused control: Esc closes, Tab moves the focus, Enter
  // reaches only a box that takes line breaks. True when the key was consumed.
  bool preTranslateKey(const MSG& message);

 private:
  struct Control {
    const ControlRow* row;
    HWND hwnd = nullptr;
    FontHandle font;
    LabelLook look{};
    TimerState timer{};
  };

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool createControl(Control& control, int id);
  void onCommand(WPARAM wParam, LPARAM lParam);
  void onActivate(WPARAM wParam);
  void onEraseBackground(HDC dc);
  void onNcDestroy();
  Control* find(std::string_view name);
  const Control* find(std::string_view name) const;

  const WindowDescription& description_;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
  // Fixed once built: labels and timers point into these records.
  std::unique_ptr<Control[]> controls_;
};
