// A window as fixed data: its frame, one row per control, and the events bound to handlers.
// Building a window walks these tables; no control is created by code of its own. A binding names
// its handler by an id, which the program's handler table resolves at start-up.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "windows/control_ids.hpp"
#include "windows/layout.hpp"

enum class ControlKind { label, button, editBox, timer };
enum class Event { created, clicked, periodic, feedback };
enum class Alignment { left, right };

// The handlers a description can bind; `nothing` is bound and does nothing.
enum class HandlerId {
  nothing,
  showLapViewer,
  startTiming,
  stopTiming,
  onTimerTick,
  recordLap,
  saveLapText,
  resetStopwatch,
};

// A colour, or the system's button-face colour (which follows the user's colour scheme).
constexpr std::uint32_t kButtonFace = 0xFFFFFFFFu;
constexpr std::uint32_t kBlack = RGB(0, 0, 0);
constexpr std::uint32_t kWhite = RGB(255, 255, 255);

struct FontSpec {
  const char* face;  // nullptr: the stock DEFAULT_GUI_FONT
  int height;        // a LOGFONTA height: negative is the character height in pixels
  int weight;
};
constexpr FontSpec kGuiFont{nullptr, 0, 0};

// What only a label has: its own font, its colours and where the text sits.
struct LabelStyle {
  FontSpec font;
  std::uint32_t textColour;
  std::uint32_t background;  // kButtonFace or a colour
  Alignment alignment;
};

struct ControlRow {
  ControlKind kind;
  ControlId id;
  Place place;
  const char* text;
  bool shown;
  bool tabStop;
  DWORD style;    // kind-specific styles on top of WS_CHILD, WS_TABSTOP
  DWORD exStyle;
  const LabelStyle* label;  // labels only; nullptr for every other kind
};

struct Binding {
  const ControlId* source;  // nullptr for the window itself
  Event event;
  HandlerId handler;
};

// How a window stands among the others.
enum WindowTraits : unsigned {
  kTopmost = 1u << 0,
  kTaskbarButton = 1u << 1,  // without: owned by the shell's hidden owner window
  kShownWhenLoaded = 1u << 2,
};

struct WindowDescription {
  const char* name;
  const char* className;
  const char* caption;
  int outerWidth, outerHeight;
  DWORD style;
  unsigned traits;  // WindowTraits
  const ControlRow* controls;
  std::size_t controlCount;
  const Binding* bindings;
  std::size_t bindingCount;

  bool has(WindowTraits trait) const { return (traits & trait) != 0; }
  // The row of a control, or nullptr when the window has none of that name.
  const ControlRow* row(std::string_view controlName) const;
  const ControlRow* rowWithId(int id) const;
};

// The two windows of the program.
extern const WindowDescription 启动窗口;
extern const WindowDescription 记次窗口;

// The credit line of the captions and of the main window's credit label.
#define LUMO_CREDIT_SITE "lumo.example.org"
#define LUMO_CREDIT_AUTHOR "Lumo"
