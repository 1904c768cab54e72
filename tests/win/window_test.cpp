// A window built from its description, in this process: the messages its controls get when a
// caption is written and when the timer ticks, and the colours of its edit boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "app/main_window_controls.hpp"
#include "app/performance_clock.hpp"
#include "services/handles.hpp"
#include "shell/window.hpp"
#include "shell/window_class.hpp"
#include "test_support.hpp"
#include "window_facts.hpp"

namespace {

// Messages that windows of this thread received, in order, as Wine's own user32 tests record them.
struct Received {
  HWND window;
  UINT message;
};

class MessageLog {
 public:
  // Starts recording what the window procedure of each window gets. Through the wide functions:
  // the windows are Unicode windows, and an ANSI procedure put in front would make them ANSI ones
  // for the test, their texts crossing the ANSI code page on the way.
  void watch(HWND window) {
    originals_[window] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageLog::record)));
  }
  void unwatchAll() {
    for (const auto& [window, original] : originals_) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    originals_.clear();
  }
  void clear() { received_.clear(); }
  const std::vector<Received>& received() const { return received_; }

  static MessageLog& instance() {
    static MessageLog log;
    return log;
  }

 private:
  // What the pointer resting on the window brings: not part of any sequence here.
  static bool isPointerMessage(UINT message) {
    return message == WM_NCHITTEST || message == WM_SETCURSOR || message == WM_MOUSEMOVE ||
           message == WM_NCMOUSEMOVE;
  }

  static LRESULT CALLBACK record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog& log = instance();
    if (!isPointerMessage(message)) log.received_.push_back({window, message});
    return CallWindowProcW(log.originals_.at(window), window, message, wParam, lParam);
  }

  std::map<HWND, WNDPROC> originals_;
  std::vector<Received> received_;
};

enum Flags { kRequired = 0, kOptional = 1 };
struct Expected {
  const char* window;  // a control name, or "" for the window itself
  UINT message;
  Flags flags;
};

std::string describe(const char* window, UINT message) {
  char text[64];
  wsprintfA(text, "%s 0x%04x", *window ? window : "(window)", message);
  return text;
}

// Compares what was received with the table, in order; optional rows may be missing. Every
// message received must be in the table.
void expectSequence(const LoadedWindow& window, const std::vector<Received>& received,
                    const std::vector<Expected>& expected) {
  const auto nameOf = [&](HWND hwnd) -> std::string {
    if (hwnd == window.hwnd()) return "";
    for (std::size_t i = 0; i < window.description().controlCount; ++i) {
      const std::string_view name = window.description().controls[i].id.name;
      if (window.control(name) == hwnd) return std::string(name);
    }
    return "?";
  };
  std::string got;
  for (const Received& r : received) got += describe(nameOf(r.window).c_str(), r.message) + "\n";
  std::size_t e = 0;
  for (const Received& r : received) {
    while (e < expected.size() && expected[e].flags == kOptional &&
           !(nameOf(r.window) == expected[e].window && r.message == expected[e].message)) {
      ++e;
    }
    ASSERT_LT(e, expected.size()) << "unexpected " << describe(nameOf(r.window).c_str(), r.message)
                                  << "; received:\n" << got;
    ASSERT_EQ(describe(nameOf(r.window).c_str(), r.message), describe(expected[e].window, expected[e].message))
        << "received:\n" << got;
    ++e;
  }
  for (; e < expected.size(); ++e) {
    EXPECT_EQ(expected[e].flags, kOptional) << "missing " << describe(expected[e].window, expected[e].message)
                                            << "; received:\n" << got;
  }
}

// Dispatches this thread's messages until the flag is set, and not one message after it; for 5
// seconds at the most (the caller checks the flag).
void pumpUntil(const bool& done) {
  (void)pollUntil(5000, [&] {
    MSG message;
    while (!done && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return done;
  });
}

// The stopwatch writing to the test's window, as the program's adapter does to its own.
class WindowControls final : public StopwatchControls {
 public:
  explicit WindowControls(LoadedWindow& window) : window_(window) {}
  std::string caption(std::string_view label) const override { return window_.caption(label); }
  void setCaption(std::string_view label, std::string_view text) override { window_.setCaption(label, text); }
  void setContent(std::string_view box, std::string_view text) override { window_.setContent(box, text); }
  void setPeriod(std::string_view timer, std::int32_t ms) override { window_.setPeriod(timer, ms); }
  void appendLapLine(std::string_view) override {}

 private:
  LoadedWindow& window_;
};

class TickingEvents final : public WindowEvents {
 public:
  Stopwatch* stopwatch = nullptr;
  bool ticked = false;
  void raise(const WindowDescription&, const ControlId* control, Event event) override {
    if (event != Event::periodic || control == nullptr || stopwatch == nullptr) return;
    stopwatch->onTimerTick();
    ticked = true;
  }
  void destroyed(LoadedWindow&) override {}
};

class LoadedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(registerControlClasses(instance));
    ASSERT_TRUE(LoadedWindow::registerClass(instance, 启动窗口));
    ASSERT_TRUE(LoadedWindow::registerClass(instance, 记次窗口));
    ASSERT_TRUE(main.create(nullptr));
    main.show();
    UpdateWindow(main.hwnd());
  }
  void TearDown() override { MessageLog::instance().unwatchAll(); }

  void watchAll() {
    MessageLog& log = MessageLog::instance();
    log.watch(main.hwnd());
    for (std::size_t i = 0; i < 启动窗口.controlCount; ++i) log.watch(main.control(启动窗口.controls[i].id.name));
    log.clear();
  }

  TickingEvents events;
  LoadedWindow main{启动窗口, GetModuleHandleA(nullptr), events};
};

// The label reads its own text while it paints.
const std::vector<Expected> kLabelPaint = {
    {"标签2", WM_PAINT, kRequired},
    {"标签2", WM_GETTEXTLENGTH, kOptional},
    {"标签2", WM_GETTEXT, kOptional},
};

std::vector<Expected> concat(std::vector<Expected> a, const std::vector<Expected>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The new text is drawn over the old at the next paint: no erase, no synchronous paint, nothing
// for the window or the other controls.
TEST_F(LoadedWindowTest, CaptionWriteRepaintsTheLabelAloneWithoutErasing) {
  watchAll();
  main.setCaption(mainControls::标签2.name, "1秒0毫秒");
  const std::vector<Received> beforePaint = MessageLog::instance().received();
  UpdateWindow(main.hwnd());
  expectSequence(main, beforePaint, {{"标签2", WM_SETTEXT, kRequired}});
  expectSequence(main, MessageLog::instance().received(), concat({{"标签2", WM_SETTEXT, kRequired}}, kLabelPaint));
  EXPECT_EQ(main.caption(mainControls::标签2.name), "1秒0毫秒");
}

// A tick writes the elapsed time to the display and nothing else: one label repaints.
TEST_F(LoadedWindowTest, TimerTickRepaintsTheDisplayAlone) {
  const PerformanceCounterClock clock;
  WindowControls controls(main);
  Stopwatch stopwatch(clock, controls, kMainWindowNames);
  stopwatch.startTiming();
  UpdateWindow(main.hwnd());
  events.stopwatch = &stopwatch;
  watchAll();
  pumpUntil(events.ticked);
  ASSERT_TRUE(events.ticked);
  UpdateWindow(main.hwnd());
  const std::vector<Received> received = MessageLog::instance().received();
  MessageLog::instance().unwatchAll();
  main.setPeriod(mainControls::时钟1.name, 0);
  expectSequence(main, received, concat({{"时钟1", WM_TIMER, kRequired}, {"标签2", WM_SETTEXT, kRequired}}, kLabelPaint));
}

// Sets system colours for one scope and puts the old ones back.
class ScopedColours {
 public:
  ScopedColours(std::vector<int> elements, std::vector<COLORREF> colours) : elements_(std::move(elements)) {
    for (int e : elements_) old_.push_back(GetSysColor(e));
    SetSysColors(static_cast<int>(elements_.size()), elements_.data(), colours.data());
  }
  ~ScopedColours() { SetSysColors(static_cast<int>(elements_.size()), elements_.data(), old_.data()); }

 private:
  std::vector<int> elements_;
  std::vector<COLORREF> old_;
};

// Both boxes keep black text on white when the user's scheme has other window colours.
TEST_F(LoadedWindowTest, EditBoxesAreBlackOnWhiteWhateverTheColourScheme) {
  constexpr COLORREF kNavy = RGB(0, 0, 128), kYellow = RGB(255, 255, 0);
  const ScopedColours scheme({COLOR_WINDOW, COLOR_WINDOWTEXT}, {kNavy, kYellow});
  ASSERT_EQ(GetSysColor(COLOR_WINDOW), kNavy);
  LoadedWindow viewer{记次窗口, GetModuleHandleA(nullptr), events};
  ASSERT_TRUE(viewer.create(nullptr));
  const struct {
    const LoadedWindow* window;
    ControlId box;
  } boxes[] = {{&main, mainControls::编辑框2}, {&viewer, viewerControls::编辑框1}};
  for (const auto& b : boxes) {
    SCOPED_TRACE(std::string(b.box.name));
    const HWND box = b.window->control(b.box.name);
    ASSERT_NE(box, nullptr);
    const MemoryDC dc(CreateCompatibleDC(nullptr));
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(b.window->hwnd(), WM_CTLCOLOREDIT,
                                                             reinterpret_cast<WPARAM>(dc.get()),
                                                             reinterpret_cast<LPARAM>(box)));
    LOGBRUSH fill{};
    ASSERT_EQ(GetObjectA(brush, sizeof fill, &fill), static_cast<int>(sizeof fill));
    EXPECT_EQ(fill.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc.get()), RGB(255, 255, 255));
  }
}

HFONT fontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)); }

LONG fontHeight(HFONT font) {
  LOGFONTA logFont{};
  return GetObjectA(font, sizeof logFont, &logFont) == sizeof logFont ? logFont.lfHeight : 0;
}

// As the system does when a window moves to a monitor of another scale: the new DPI and the
// rectangle it suggests, the window's 96-DPI size scaled and its top-left corner kept.
void moveToScale(const LoadedWindow& window, int dpi) {
  RECT outer;
  GetWindowRect(window.hwnd(), &outer);
  RECT suggested{outer.left, outer.top, outer.left + scaleForDpi(window.description().outerWidth, dpi),
                 outer.top + scaleForDpi(window.description().outerHeight, dpi)};
  SendMessageA(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Every control where the rule puts it at the window's DPI; a single-line box may be taller, to
// fit its font.
void expectLaidOutFor(const LoadedWindow& window, int dpi) {
  SCOPED_TRACE(std::string(window.description().name) + " at " + std::to_string(dpi));
  EXPECT_EQ(window.dpi(), dpi);
  RECT outer;
  GetWindowRect(window.hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, scaleForDpi(window.description().outerWidth, dpi));
  EXPECT_EQ(outer.bottom - outer.top, scaleForDpi(window.description().outerHeight, dpi));
  for (std::size_t i = 0; i < window.description().controlCount; ++i) {
    const ControlRow& row = window.description().controls[i];
    SCOPED_TRACE(std::string(row.id.name));
    const Place want = scaleForDpi(row.place, dpi);
    const RECT got = placeInParent(window.control(row.id.name));
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right - got.left, want.width);
    if (row.kind == ControlKind::editBox && !(row.style & ES_MULTILINE)) {
      EXPECT_GE(got.bottom - got.top, want.height);
    } else {
      EXPECT_EQ(got.bottom - got.top, want.height);
    }
  }
}

// Each label's and button's text, measured with the control's own font, inside the control.
void expectNoTextCut(const LoadedWindow& window) {
  SCOPED_TRACE(std::string(window.description().name) + " at " + std::to_string(window.dpi()));
  for (std::size_t i = 0; i < window.description().controlCount; ++i) {
    const ControlRow& row = window.description().controls[i];
    if (row.kind != ControlKind::label && row.kind != ControlKind::button) continue;
    SCOPED_TRACE(std::string(row.id.name));
    const HWND control = window.control(row.id.name);
    const std::string text = window.caption(row.id.name);
    SIZE size{};
    {
      const WindowDC dc(control);
      ASSERT_TRUE(dc);
      const ScopedSelect font(dc.get(), fontOf(control));
      GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    RECT client;
    GetClientRect(control, &client);
    // A button draws its text inside its raised edges.
    const int inset = row.kind == ControlKind::button ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
    EXPECT_LE(size.cx, client.right - inset) << text;
    EXPECT_LE(size.cy, client.bottom) << text;
  }
}

TEST_F(LoadedWindowTest, MovingToAnotherScaleLaysOutAgainWithNewFontsAndKeepsTheTexts) {
  LoadedWindow viewer{记次窗口, GetModuleHandleA(nullptr), events};
  ASSERT_TRUE(viewer.create(nullptr));
  viewer.show();
  const HWND box = viewer.control(viewerControls::编辑框1.name);
  viewer.setContent(viewerControls::编辑框1.name, "1.0秒1毫秒\r\n2.1秒2毫秒\r\n");
  SendMessageA(box, EM_SETSEL, 3, 8);
  const HWND display = main.control(mainControls::标签2.name);
  const HWND button = main.control(mainControls::按钮1.name);
  const HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  ASSERT_EQ(main.dpi(), 96) << "the Windows tests run at 96 DPI";
  expectLaidOutFor(main, 96);
  const HFONT displayAt96 = fontOf(display);
  EXPECT_EQ(fontHeight(displayAt96), -35);
  EXPECT_EQ(fontOf(button), stock);

  for (const LoadedWindow* w : {&main, &viewer}) moveToScale(*w, 144);
  expectLaidOutFor(main, 144);
  expectLaidOutFor(viewer, 144);
  const HFONT displayAt144 = fontOf(display);
  EXPECT_EQ(fontHeight(displayAt144), -53);
  EXPECT_EQ(fontHeight(fontOf(button)), fontHeight(stock) * 3 / 2);
  EXPECT_EQ(fontHeight(fontOf(box)), fontHeight(fontOf(button)));
  EXPECT_EQ(GetObjectType(displayAt96), 0u) << "the 96-DPI font was not deleted";

  for (const LoadedWindow* w : {&main, &viewer}) moveToScale(*w, 96);
  expectLaidOutFor(main, 96);
  expectLaidOutFor(viewer, 96);
  EXPECT_EQ(fontHeight(fontOf(display)), -35);
  EXPECT_EQ(fontOf(button), stock);
  EXPECT_EQ(fontOf(box), stock);
  EXPECT_EQ(GetObjectType(displayAt144), 0u) << "the 144-DPI font was not deleted";
  EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_FONT));

  EXPECT_EQ(viewer.content(viewerControls::编辑框1.name), "1.0秒1毫秒\r\n2.1秒2毫秒\r\n");
  DWORD start = 0, end = 0;
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 8u);
}

TEST_F(LoadedWindowTest, NoLabelOrButtonTextIsCutAtAnyScale) {
  LoadedWindow viewer{记次窗口, GetModuleHandleA(nullptr), events};
  ASSERT_TRUE(viewer.create(nullptr));
  // The longest texts the labels take while the program runs.
  main.setCaption(mainControls::标签2.name, "35999秒999毫秒");
  main.setCaption(mainControls::标签3.name, "9999");
  for (int dpi : {96, 120, 144, 192}) {
    for (const LoadedWindow* w : {&main, &viewer}) moveToScale(*w, dpi);
    expectNoTextCut(main);
    expectNoTextCut(viewer);
  }
}

}  // namespace
