// A window as fixed data: its frame, one row per control, and the events bound to handlers.
// Building a window walks these tables; no control is created by code of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

enum class ControlKind { label, button, editBox, timer };
enum class Event { created, clicked, periodic, feedback };
enum class Alignment { left, right };

// A colour, or the system's button-face colour (which follows the user's colour scheme).
constexpr std::uint32_t kButtonFace = 0xFFFFFFFFu;

struct FontSpec {
  const char* face;  // nullptr: the stock DEFAULT_GUI_FONT
  int height;        // a LOGFONTA height: negative is the character height in pixels
  int weight;
};

struct ControlRow {
  ControlKind kind;
  const char* name;
  int left, top, width, height;
  const char* text;
  bool shown;
  bool tabStop;
  FontSpec font;
  std::uint32_t textColour;
  std::uint32_t background;
  Alignment alignment;
  DWORD style;    // kind-specific styles on top of WS_CHILD, WS_TABSTOP
  DWORD exStyle;
};

using Handler = void (*)();

struct Binding {
  const char* source;  // a control name, or nullptr for the window itself
  Event event;
  Handler handler;     // nullptr: bound, and does nothing
};

struct WindowDescription {
  const char* name;
  const char* className;
  const char* caption;
  int outerWidth, outerHeight;
  DWORD style;
  bool topmost;
  bool taskbarButton;  // false: owned by the shell's hidden owner window
  bool visible;
  const ControlRow* controls;
  std::size_t controlCount;
  const Binding* bindings;
  std::size_t bindingCount;
};

// The two windows of the program.
extern const WindowDescription 启动窗口;
extern const WindowDescription 记次窗口;

// The credit line of the captions and of the main window's credit label.
#define LUMO_CREDIT_SITE "lumo.example.org"
#define LUMO_CREDIT_AUTHOR "Lumo"
