// The lap viewer and the lap button, driven through the real program as a user would.
#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"
#include "window_checks.hpp"
#include "window_facts.hpp"

namespace {

constexpr int kViewerWidth = 387;
constexpr int kViewerHeight = 298;
constexpr char kFirstLapFromIdle[] = "1.0秒0毫秒\r\n";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The viewer's frame as every fresh one has it: caption, size and place, styles, top band, no
// owner and a taskbar button of its own.
void expectFreshViewerFrame(HWND viewer) {
  SCOPED_TRACE("lap viewer frame");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(App::text(viewer), "查看记次   lumo.example.org by:Lumo");
  expectCentredOuterSize(viewer, kViewerWidth, kViewerHeight);
  const LONG_PTR style = GetWindowLongPtrA(viewer, GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrA(viewer, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
      << std::hex << style;
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << std::hex << style;
  EXPECT_TRUE(ex & WS_EX_TOPMOST) << std::hex << ex;
  EXPECT_EQ(GetWindow(viewer, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(viewer), nullptr);
  // A taskbar button: asked for, or an unowned window that is no tool window.
  EXPECT_TRUE((ex & WS_EX_APPWINDOW) || !(ex & WS_EX_TOOLWINDOW)) << std::hex << ex;
  EXPECT_TRUE(IsWindowVisible(viewer));
  EXPECT_FALSE(IsIconic(viewer));
}

class LapViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app.start(dir.path())) << "the program did not show its windows"; }

  HWND editBox() const { return app.viewerControl(viewerControls::编辑框1); }

  bool viewerCloses(HWND old) {
    return pollUntil(5000, [&] { return !IsWindow(old); });
  }
  bool focusIn(HWND window, HWND control) {
    return pollUntil(3000, [&] { return focusOf(window) == control; });
  }

  TempDir dir;
  App app;
};

TEST_F(LapViewerTest, StartsEmptyCentredUnownedBehindTheMainWindow) {
  HWND viewer = app.viewer();
  expectFreshViewerFrame(viewer);
  // Wine settles the z-order of a newly shown window a moment after ShowWindow returns.
  EXPECT_TRUE(pollUntil(3000, [&] { return inFrontOf(app.mainWindow(), viewer); }));

  HWND box = editBox();
  HWND save = app.viewerControl(viewerControls::按钮1);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(save, nullptr);
  struct Place {
    HWND control;
    const char* className;
    int left, top, width, height;
  };
  for (const Place& p : {Place{box, "Edit", 0, 0, 384, 248}, Place{save, "Button", 0, 248, 384, 24}}) {
    SCOPED_TRACE(p.className);
    char className[32];
    GetClassNameA(p.control, className, sizeof className);
    EXPECT_STREQ(className, p.className);
    ASSERT_EQ(GetParent(p.control), viewer);
    const RECT r = placeInParent(p.control);
    EXPECT_EQ(r.left, p.left);
    EXPECT_EQ(r.top, p.top);
    EXPECT_EQ(r.right - r.left, p.width);
    EXPECT_EQ(r.bottom - r.top, p.height);
    EXPECT_TRUE(IsWindowVisible(p.control));
    EXPECT_TRUE(IsWindowEnabled(p.control));
    EXPECT_TRUE(GetWindowLongPtrA(p.control, GWL_STYLE) & WS_TABSTOP);
  }
  EXPECT_EQ(app.viewerText(), "");
  EXPECT_EQ(App::text(save), "一键保存记次文本");
  const LONG_PTR boxStyle = GetWindowLongPtrA(box, GWL_STYLE);
  constexpr LONG_PTR kListStyles = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  EXPECT_EQ(boxStyle & kListStyles, kListStyles) << std::hex << boxStyle;
  EXPECT_EQ(boxStyle & (ES_AUTOHSCROLL | ES_READONLY | WS_HSCROLL), 0) << std::hex << boxStyle;
  EXPECT_TRUE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // EM_LIMITTEXT 0 lifts the limit; a multi-line box then reports -1 (a single-line one 0x7FFFFFFE).
  EXPECT_EQ(static_cast<DWORD>(SendMessageA(box, EM_GETLIMITTEXT, 0, 0)), 0xFFFFFFFFu);
  EXPECT_FALSE(GetWindowLongPtrA(save, GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(LapViewerTest, FocusStartsInTheListAndTabMovesBetweenTheTwoControls) {
  HWND viewer = app.viewer();
  HWND save = app.viewerControl(viewerControls::按钮1);
  ASSERT_TRUE(bringToFront(viewer));
  EXPECT_TRUE(focusIn(viewer, editBox()));
  pressKey(VK_TAB);
  EXPECT_TRUE(focusIn(viewer, save));
  pressKey(VK_TAB);
  EXPECT_TRUE(focusIn(viewer, editBox()));
  pressKey(VK_TAB, true);
  EXPECT_TRUE(focusIn(viewer, save));
}

TEST_F(LapViewerTest, EnterBreaksTheLineInTheListAndDoesNothingOnTheSaveButton) {
  HWND viewer = app.viewer();
  ASSERT_TRUE(bringToFront(viewer));
  ASSERT_TRUE(focusIn(viewer, editBox()));
  pressKey('A');
  pressKey(VK_RETURN);
  pressKey('B');
  EXPECT_TRUE(pollUntil(3000, [&] { return app.viewerText() == "a\r\nb"; })) << app.viewerText();

  pressKey(VK_TAB);
  ASSERT_TRUE(focusIn(viewer, app.viewerControl(viewerControls::按钮1)));
  // Enter must not save; Space, which follows it through the same queue, does. Once Space's save is
  // in the log, Enter has been handled too, so the log shows whether it saved as well.
  pressKey(VK_RETURN);
  pressKey(VK_SPACE);
  const std::string log = dir / lapLogFileName;
  ASSERT_TRUE(pollUntil(3000, [&] { return pathExists(log); }));
  EXPECT_EQ(readFileBytes(log), "a\r\nb\r\n");
  EXPECT_EQ(app.viewerText(), "a\r\nb");
}

TEST_F(LapViewerTest, EscClosesTheViewerFromTheListAndTheProgramRunsOn) {
  HWND viewer = app.viewer();
  ASSERT_TRUE(bringToFront(viewer));
  ASSERT_TRUE(focusIn(viewer, editBox()));
  pressKey(VK_ESCAPE);
  EXPECT_TRUE(viewerCloses(viewer));
  EXPECT_TRUE(app.running());
  EXPECT_NE(app.mainWindow(), nullptr);
}

// --- Laps -------------------------------------------------------------------------------------

TEST_F(LapViewerTest, FirstLapFromIdleCountsAppendsTheZeroLineAndStartsTiming) {
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  EXPECT_EQ(app.mainText(mainControls::标签3), "1");
  EXPECT_EQ(app.viewerText(), kFirstLapFromIdle);
  EXPECT_EQ(app.mainText(mainControls::标签5), "2.");  // hidden, but it keeps its text
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "记次中");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "10");
}

TEST_F(LapViewerTest, LaterLapsAreNumberedInTurnAndCarryTheirOwnTimes) {
  for (int lap = 0; lap < 3; ++lap) {
    ASSERT_TRUE(app.clickMain(mainControls::按钮3));
    Sleep(30);  // long enough for the clock to move between laps
  }
  EXPECT_EQ(app.mainText(mainControls::标签3), "3");
  EXPECT_EQ(app.mainText(mainControls::标签5), "4.");
  const std::vector<std::string> lines = linesOf(app.viewerText());
  ASSERT_EQ(lines.size(), 3u) << app.viewerText();
  EXPECT_EQ(app.viewerText().substr(app.viewerText().size() - 2), "\r\n");
  const std::regex lapLine("([0-9]+)\\.([0-9]+秒[0-9]+毫秒)");
  long previous = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[i], m, lapLine));
    EXPECT_EQ(std::stoul(m[1]), i + 1);
    const long millis = elapsedMillisOf(m[2]);
    ASSERT_NE(millis, -1);
    EXPECT_GT(millis, previous);
    previous = millis;
  }
  EXPECT_EQ(lines[0], "1.0秒0毫秒");
}

TEST_F(LapViewerTest, LapWhileStoppedStartsTimingAgainWithTheLapStatus) {
  ASSERT_TRUE(app.clickMain(mainControls::按钮1));
  ASSERT_TRUE(pollUntil(3000, [&] { return app.mainText(mainControls::标签2) != "0秒0毫秒"; }));
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  ASSERT_EQ(app.mainText(mainControls::时钟1), "0");
  const std::string frozen = app.mainText(mainControls::标签2);

  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  EXPECT_EQ(app.mainText(mainControls::编辑框2), "记次中");
  EXPECT_EQ(app.mainText(mainControls::时钟1), "10");
  EXPECT_TRUE(pollUntil(3000, [&] { return app.mainText(mainControls::标签2) != frozen; }));
  // Continued from where it stopped, not from zero.
  const std::vector<std::string> lines = linesOf(app.viewerText());
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_NE(elapsedMillisOf(frozen), -1) << frozen;
  EXPECT_GE(elapsedMillisOf(lines[0].substr(2)), elapsedMillisOf(frozen)) << lines[0];
}

TEST_F(LapViewerTest, LapGoesToTheEndWhateverTheUserSelectedAndTheCaretFollowsIt) {
  HWND box = editBox();
  // Enough lines that the box scrolls; the user looks at the top with a selection there.
  std::string userText;
  for (int i = 0; i < 40; ++i) userText += "用户第" + std::to_string(i) + "行\r\n";
  ASSERT_TRUE(App::setText(box, userText));
  SendMessageA(box, EM_SETSEL, 2, 5);
  SendMessageA(box, EM_SCROLLCARET, 0, 0);
  ASSERT_EQ(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  EXPECT_EQ(app.viewerText(), userText + kFirstLapFromIdle);
  // Positions count UTF-16 units under Wine and bytes on Windows; editUnits knows which.
  const int end = editUnits(userText + kFirstLapFromIdle);
  EXPECT_EQ(editSelection(box), std::make_pair(end, end));
  // The new line is in view.
  const LRESULT place = SendMessageA(box, EM_POSFROMCHAR, static_cast<WPARAM>(editUnits(userText)), 0);
  RECT client;
  GetClientRect(box, &client);
  const int y = static_cast<short>(HIWORD(place));
  EXPECT_GT(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_GE(y, 0);
  EXPECT_LT(y, client.bottom);
}

TEST_F(LapViewerTest, AUserLineWithoutLineBreakIsJoinedByTheNextLap) {
  ASSERT_TRUE(App::setText(editBox(), "备注"));
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  EXPECT_EQ(app.viewerText(), std::string("备注") + kFirstLapFromIdle);
}

// --- Showing the viewer again -----------------------------------------------------------------

TEST_F(LapViewerTest, ShowButtonRestoresAMinimisedViewerWithItsTextAndPlace) {
  HWND viewer = app.viewer();
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  const std::string laps = app.viewerText();
  const RECT before = outerRect(viewer);
  PostMessageA(viewer, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the title bar's minimize button
  ASSERT_TRUE(pollUntil(3000, [&] { return IsIconic(viewer) != 0; }));

  ASSERT_TRUE(app.clickMain(mainControls::按钮5));
  EXPECT_TRUE(pollUntil(3000, [&] { return !IsIconic(viewer) && IsWindowVisible(viewer); }));
  EXPECT_EQ(app.viewer(), viewer);
  EXPECT_EQ(app.viewerText(), laps);
  const RECT after = outerRect(viewer);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(pollUntil(3000, [&] { return activeOf(viewer) == viewer; }));
}

TEST_F(LapViewerTest, ShowButtonBringsAnOpenViewerToTheFrontUntouched) {
  HWND viewer = app.viewer();
  HWND main = app.mainWindow();
  HWND box = editBox();
  // The user moved the viewer and selected part of its text.
  SetWindowPos(viewer, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(App::setText(box, "第一行\r\n第二行\r\n"));
  SendMessageA(box, EM_SETSEL, 1, 3);
  ASSERT_TRUE(bringToFront(main));
  ASSERT_TRUE(pollUntil(3000, [&] { return inFrontOf(main, viewer); }));

  ASSERT_TRUE(app.clickMain(mainControls::按钮5));
  EXPECT_TRUE(pollUntil(3000, [&] { return activeOf(viewer) == viewer; }));
  EXPECT_TRUE(pollUntil(3000, [&] { return inFrontOf(viewer, main); }));
  EXPECT_EQ(app.viewer(), viewer);
  EXPECT_EQ(app.viewerText(), "第一行\r\n第二行\r\n");
  EXPECT_EQ(editSelection(box), std::make_pair(1, 3));
  const RECT r = outerRect(viewer);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_TRUE(focusIn(viewer, box));
}

// A closed viewer comes back new: centred although the old one was moved, active, and holding
// nothing of the old text; the lap button brings it back with just its own line.
TEST_F(LapViewerTest, AClosedViewerComesBackFreshFromEitherButton) {
  struct Row {
    const char* what;
    ControlId button;
    const char* text;
  };
  const Row rows[] = {
      {"show button", mainControls::按钮5, ""},
      {"lap button", mainControls::按钮3, kFirstLapFromIdle},  // no lap was taken before: from idle
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    HWND old = app.viewer();
    ASSERT_NE(old, nullptr);
    SetWindowPos(old, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(App::setText(app.viewerControl(viewerControls::编辑框1), "旧的文本\r\n"));
    App::close(old);
    ASSERT_TRUE(viewerCloses(old));
    ASSERT_TRUE(app.running());

    ASSERT_TRUE(app.clickMain(row.button));
    ASSERT_TRUE(pollUntil(5000, [&] { return app.viewer() != nullptr && IsWindowVisible(app.viewer()); }));
    HWND fresh = app.viewer();
    expectFreshViewerFrame(fresh);
    EXPECT_EQ(app.viewerText(), row.text);
    EXPECT_TRUE(pollUntil(3000, [&] { return activeOf(fresh) == fresh; }));
    EXPECT_TRUE(focusIn(fresh, app.viewerControl(viewerControls::编辑框1)));
  }
}

// --- Closing ------------------------------------------------------------------------------------

TEST_F(LapViewerTest, TheViewerOutlivesTheMainWindowSavesAndClosingItEndsWithZero) {
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  const std::string laps = app.viewerText();
  HWND viewer = app.viewer();
  App::close(app.mainWindow());
  ASSERT_TRUE(pollUntil(10000, [&] { return app.mainWindow() == nullptr; }));
  ASSERT_TRUE(app.running());
  EXPECT_EQ(app.viewerText(), laps);

  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(readFileBytes(dir / lapLogFileName), laps + "\r\n");
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);

  App::close(viewer);
  EXPECT_EQ(app.waitForExit(), 0u);
}

}  // namespace
