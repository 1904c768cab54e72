#include <gtest/gtest.h>

#include "app_driver.hpp"
#include "window_checks.hpp"
#include "window_facts.hpp"

namespace {

struct ControlFacts {
  ControlId control;
  const char* className;
  const char* text;
  int left, top, width, height;
  bool visible;
  bool tabStop;
  DWORD style;  // bits that must be set
};

void expectStyles(HWND hwnd, LONG_PTR has, LONG_PTR lacks, LONG_PTR exHas, LONG_PTR exLacks) {
  const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  EXPECT_EQ(style & has, has) << std::hex << style;
  EXPECT_EQ(style & lacks, 0) << std::hex << style;
  EXPECT_EQ(ex & exHas, exHas) << std::hex << ex;
  EXPECT_EQ(ex & exLacks, 0) << std::hex << ex;
}

void expectControl(HWND parent, const ControlFacts& c) {
  SCOPED_TRACE(std::string(c.control.name));
  HWND control = GetDlgItem(parent, c.control.id);
  ASSERT_NE(control, nullptr);
  char className[32];
  GetClassNameA(control, className, sizeof className);
  EXPECT_STREQ(className, c.className);
  EXPECT_EQ(App::text(control), c.text);
  const RECT r = placeInParent(control);
  EXPECT_EQ(r.left, c.left);
  EXPECT_EQ(r.top, c.top);
  EXPECT_EQ(r.right - r.left, c.width);
  EXPECT_EQ(r.bottom - r.top, c.height);
  EXPECT_EQ(IsWindowVisible(control) != 0, c.visible);
  EXPECT_TRUE(IsWindowEnabled(control));
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabStop);
  EXPECT_EQ(style & c.style, static_cast<LONG_PTR>(c.style)) << std::hex << style;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app.start(dir.path())) << "the program did not show its windows"; }

  // Waits for the display to show something other than the given text.
  bool displayMovesFrom(const std::string& shown) {
    return pollUntil(3000, [&] { return app.mainText(mainControls::标签2) != shown; });
  }

  TempDir dir;
  App app;
};

constexpr DWORD kButtonStyles = BS_CENTER | BS_VCENTER | BS_MULTILINE;

TEST_F(MainWindowTest, StartsCentredTopmostOwnedAndWithEveryControl) {
  HWND main = app.mainWindow();
  EXPECT_EQ(App::text(main), "Lumo秒计时器 lumo.example.org by：Lumo");
  expectCentredOuterSize(main, 549, 326);
  expectStyles(main, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN, WS_MAXIMIZEBOX,
               WS_EX_TOPMOST, WS_EX_APPWINDOW);
  EXPECT_EQ(GetClassLongPtrA(main, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS),
            CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
  // Wine answers WM_GETICON and the class icons with 0 to another process, so the icon is checked
  // in the executable: both sizes load from its DEFAULT_ICON resource.
  HMODULE image = LoadLibraryExA(builtExecutable().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(LoadImageA(image, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_SHARED), nullptr);
  EXPECT_NE(LoadImageA(image, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_SHARED), nullptr);
  FreeLibrary(image);

  // No taskbar button: owned by an invisible tool window of the same process.
  HWND owner = GetWindow(main, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  DWORD ownerPid = 0;
  GetWindowThreadProcessId(owner, &ownerPid);
  EXPECT_EQ(ownerPid, app.pid());
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_TRUE(GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  const ControlFacts controls[] = {
      {mainControls::按钮1, "Button", "开始计时", 184, 176, 80, 32, true, true, kButtonStyles},
      {mainControls::时钟1, "LumoTimer", "0", 216, 208, 40, 32, false, false, 0},  // its text is its period
      {mainControls::按钮2, "Button", "停止计时", 264, 176, 80, 32, true, true, kButtonStyles},
      {mainControls::编辑框2, "Edit", "", 72, 264, 80, 20, true, true, ES_AUTOHSCROLL},
      {mainControls::标签1, "LumoLabel", "状态：", 32, 264, 40, 24, true, false, 0},
      {mainControls::标签2, "LumoLabel", "0秒0毫秒", 112, 48, 296, 64, true, false, 0},
      {mainControls::标签3, "LumoLabel", "0", 224, 136, 64, 24, true, false, 0},
      {mainControls::按钮3, "Button", "记次", 104, 176, 80, 32, true, true, kButtonStyles},
      {mainControls::标签4, "LumoLabel", "次", 296, 136, 16, 24, true, false, 0},
      {mainControls::按钮4, "Button", "复位", 344, 176, 80, 32, true, true, kButtonStyles},
      {mainControls::按钮5, "Button", "查看记次", 104, 208, 80, 16, true, true, kButtonStyles},
      {mainControls::标签5, "LumoLabel", "1.", 32, 128, 96, 24, false, false, 0},  // hidden, but it keeps its text
      {mainControls::标签6, "LumoLabel", ".", 480, 136, 80, 24, true, false, 0},
      {mainControls::标签7, "LumoLabel", "lumo.example.org by:Lumo", 128, 8, 304, 32, true, false, 0},
  };
  for (const auto& c : controls) expectControl(main, c);
  EXPECT_TRUE(GetWindowLongPtrA(app.mainControl(mainControls::编辑框2), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(SendMessageA(app.mainControl(mainControls::编辑框2), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  EXPECT_FALSE(GetWindowLongPtrA(app.mainControl(mainControls::按钮1), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(MainWindowTest, IsActiveInFrontOfTheViewerWithTheFocusOnTheStartButton) {
  HWND main = app.mainWindow();
  HWND viewer = app.viewer();
  EXPECT_TRUE(pollUntil(3000, [&] { return activeOf(main) == main; }));
  EXPECT_TRUE(pollUntil(3000, [&] { return focusOf(main) == app.mainControl(mainControls::按钮1); }))
      << focusOf(main) << " " << viewer << " " << app.viewerControl(viewerControls::编辑框1);
  // Wine settles the z-order of a newly shown window a moment after ShowWindow returns.
  EXPECT_TRUE(pollUntil(3000, [&] { return inFrontOf(main, viewer); }));
  // The viewer lies wholly behind the main window: covered until the user brings it up.
  RECT m, v, both;
  GetWindowRect(main, &m);
  GetWindowRect(viewer, &v);
  IntersectRect(&both, &m, &v);
  EXPECT_TRUE(EqualRect(&both, &v));
}

TEST_F(MainWindowTest, StartMovesTheDisplayStopFreezesItAndStartContinues) {
  EXPECT_TRUE(app.clickMain(mainControls::按钮1));
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "正在计时");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "10");
  ASSERT_TRUE(displayMovesFrom("0秒0毫秒"));
  Sleep(300);
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "停止计时");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "0");
  const std::string frozen = app.mainText(mainControls::标签2);
  EXPECT_NE(frozen, "0秒0毫秒");
  Sleep(300);
  EXPECT_EQ(app.mainText(mainControls::标签2), frozen);

  ASSERT_TRUE(app.clickMain(mainControls::按钮1));
  ASSERT_TRUE(displayMovesFrom(frozen));
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  // Continued, not restarted: the new figure is beyond the frozen one.
  const std::string later = app.mainText(mainControls::标签2);
  ASSERT_NE(elapsedMillisOf(frozen), -1) << frozen;
  EXPECT_GT(elapsedMillisOf(later), elapsedMillisOf(frozen)) << later;
}

// One run of the stopwatch, start to stop, as this test measures it on the performance counter:
// the stopwatch starts inside the start click and stops inside the stop click, so the run it
// timed is at least the time from the end of the one to the beginning of the other, and at most
// the time from the beginning of the one to the end of the other.
struct MeasuredRun {
  double shortestMs;
  double longestMs;
};

double counterMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Times a run of about `ms`; false when a click did not take.
bool timeARun(const App& app, DWORD ms, MeasuredRun& run) {
  const double startClicked = counterMs();
  if (!app.clickMain(mainControls::按钮1)) return false;
  const double startReturned = counterMs();
  Sleep(ms);  // the interval under test, not a wait for something
  const double stopClicked = counterMs();
  if (!app.clickMain(mainControls::按钮2)) return false;
  const double stopReturned = counterMs();
  run = {stopClicked - startReturned, stopReturned - startClicked};
  return true;
}

// The display agrees with the time that really passed, over a run and over a second run added to
// it. The margin is for rounding only, since a loaded machine widens the measured bounds
// themselves; a product of counts and 1000 kept in 32 bits, which wraps every 0.43 s at Wine's
// 10 MHz counter, is off by a multiple of 429 ms, and a lost run by a whole second.
TEST_F(MainWindowTest, TheDisplayShowsTheTimeThatReallyPassed) {
  constexpr double kMarginMs = 100;
  const auto expectWithin = [&](long shownMs, double shortestMs, double longestMs) {
    EXPECT_GE(shownMs, shortestMs - kMarginMs) << "measured " << shortestMs << " to " << longestMs << " ms";
    EXPECT_LE(shownMs, longestMs + kMarginMs) << "measured " << shortestMs << " to " << longestMs << " ms";
  };

  MeasuredRun first{};
  ASSERT_TRUE(timeARun(app, 2000, first));
  const long shownFirst = elapsedMillisOf(app.mainText(mainControls::标签2));
  ASSERT_NE(shownFirst, -1) << app.mainText(mainControls::标签2);
  {
    SCOPED_TRACE("the first run");
    expectWithin(shownFirst, first.shortestMs, first.longestMs);
  }

  MeasuredRun second{};
  ASSERT_TRUE(timeARun(app, 1000, second));
  const long shownTotal = elapsedMillisOf(app.mainText(mainControls::标签2));
  ASSERT_NE(shownTotal, -1) << app.mainText(mainControls::标签2);
  SCOPED_TRACE("both runs");
  expectWithin(shownTotal, shownFirst + second.shortestMs, shownFirst + second.longestMs);
}

TEST_F(MainWindowTest, StopWhileIdleKeepsZero) {
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "停止计时");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "0");
  EXPECT_EQ(app.mainText(mainControls::标签2), "0秒0毫秒");
}

TEST_F(MainWindowTest, ClosingTheMainWindowLeavesTheViewerAndClosingBothEndsWithZero) {
  HWND viewer = app.viewer();
  App::close(app.mainWindow());
  ASSERT_TRUE(pollUntil(10000, [&] { return app.mainWindow() == nullptr; }));
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(IsWindowVisible(viewer));
  App::close(viewer);
  EXPECT_EQ(app.waitForExit(), 0u);
}

TEST_F(MainWindowTest, ClosingTheViewerFirstThenTheMainWindowEndsWithZero) {
  App::close(app.viewer());
  ASSERT_TRUE(pollUntil(10000, [&] { return app.viewer() == nullptr; }));
  EXPECT_TRUE(app.running());
  App::close(app.mainWindow());
  EXPECT_EQ(app.waitForExit(), 0u);
}

TEST_F(MainWindowTest, ResizingMovesNoControl) {
  HWND main = app.mainWindow();
  const RECT before = placeInParent(app.mainControl(mainControls::按钮4));
  SetWindowPos(main, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(pollUntil(10000, [&] {
    RECT r;
    GetWindowRect(main, &r);
    return r.right - r.left == 800;
  }));
  const RECT after = placeInParent(app.mainControl(mainControls::按钮4));
  EXPECT_TRUE(EqualRect(&before, &after));
  // No maximize from the title bar; the system menu has none either (below).
  EXPECT_FALSE(GetWindowLongPtrA(main, GWL_STYLE) & WS_MAXIMIZEBOX);
}

class MainWindowKeysTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(bringToFront(app.mainWindow()));
    ASSERT_TRUE(pollUntil(10000, [&] { return focusOf(app.mainWindow()) == app.mainControl(mainControls::按钮1); }));
  }

  bool focusMovesTo(const ControlId& control) {
    return pollUntil(3000, [&] { return focusOf(app.mainWindow()) == app.mainControl(control); });
  }
};

TEST_F(MainWindowKeysTest, TabAndShiftTabCycleThroughTheButtonsAndTheStatusBox) {
  for (const ControlId& control : {mainControls::按钮2, mainControls::编辑框2, mainControls::按钮3, mainControls::按钮4,
                                    mainControls::按钮5, mainControls::按钮1}) {
    pressKey(VK_TAB);
    EXPECT_TRUE(focusMovesTo(control)) << control.name;
  }
  pressKey(VK_TAB, true);
  EXPECT_TRUE(focusMovesTo(mainControls::按钮5));
}

TEST_F(MainWindowKeysTest, SpaceClicksTheFocusedButtonAndEnterDoesNothing) {
  pressKey(VK_RETURN);
  Sleep(200);
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "0");
  pressKey(VK_SPACE);
  EXPECT_TRUE(pollUntil(3000, [&] { return app.mainText(mainControls::编辑框2) == "正在计时"; }));
}

TEST_F(MainWindowKeysTest, EscClosesTheMainWindowEvenFromTheStatusBox) {
  pressKey(VK_TAB);
  pressKey(VK_TAB);
  ASSERT_TRUE(focusMovesTo(mainControls::编辑框2));
  pressKey(VK_ESCAPE);
  EXPECT_TRUE(pollUntil(10000, [&] { return app.mainWindow() == nullptr; }));
  EXPECT_TRUE(app.running());  // the viewer is still open
}

// The system menu as the user opens it (Alt+Space) and picks from it by its access keys, the same
// on Windows and in Wine's Chinese menu: 最大化(X) is not there for this window (on a window with a
// maximize box X maximises it), 最小化(N) and 关闭(C) are. The menu's items cannot be read from
// another process under Wine, whose menus belong to their process.
TEST_F(MainWindowKeysTest, TheSystemMenuMinimisesAndClosesButDoesNotMaximise) {
  HWND main = app.mainWindow();
  const RECT before = outerRect(main);
  const auto menuShown = [&] { return findWindow(app.pid(), "#32768", true) != nullptr; };
  const auto openSystemMenu = [&] {
    pressAltKey(VK_SPACE);
    return pollUntil(3000, menuShown);
  };

  ASSERT_TRUE(openSystemMenu()) << "no system menu";
  pressKey('X');
  // Wine closes the menu on a key for an item that cannot be taken; Windows may keep it open.
  if (pollUntil(1000, [&] { return !menuShown(); })) {
    ASSERT_TRUE(openSystemMenu());
  }
  pressKey('N');
  ASSERT_TRUE(pollUntil(3000, [&] { return IsIconic(main) != 0; })) << "no minimize in the system menu";
  // Both commands went to the window in turn: had X maximised it, it would come back maximised.
  PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(pollUntil(3000, [&] { return !IsIconic(main); }));
  EXPECT_FALSE(IsZoomed(main));
  // The restore may still be placing the window when it stops being iconic.
  RECT after{};
  EXPECT_TRUE(pollUntil(3000, [&] {
    after = outerRect(main);
    return EqualRect(&before, &after) != 0;
  })) << after.left << "," << after.top << " " << after.right - after.left << "x" << after.bottom - after.top;

  ASSERT_TRUE(bringToFront(main));
  ASSERT_TRUE(openSystemMenu());
  pressKey('C');
  EXPECT_TRUE(pollUntil(3000, [&] { return app.mainWindow() == nullptr; })) << "no close in the system menu";
  EXPECT_TRUE(app.running());  // the viewer is still open
}

TEST_F(MainWindowKeysTest, FocusComesBackWhenTheWindowIsActivatedAgain) {
  pressKey(VK_TAB);
  pressKey(VK_TAB);
  pressKey(VK_TAB);
  ASSERT_TRUE(focusMovesTo(mainControls::按钮3));
  ASSERT_TRUE(bringToFront(app.viewer()));
  ASSERT_TRUE(bringToFront(app.mainWindow()));
  EXPECT_TRUE(focusMovesTo(mainControls::按钮3));
}

}  // namespace
