// The ground the other tests stand on: the code page, and the fatal box with its exit code.
#include <gtest/gtest.h>

#include "test_support.hpp"
#include "windows/control_ids.hpp"

namespace {

TEST(Platform, AnsiCodePageIsGbk) { EXPECT_EQ(GetACP(), 936u); }

HWND windowOf(DWORD processId, const char* className, DWORD timeoutMs = 15000);

HWND waitForMessageBoxOf(DWORD processId, DWORD timeoutMs) { return windowOf(processId, "#32770", timeoutMs); }

std::string windowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A binding that fails ends in the fatal box, which names library and function; closing the box
// ends the process with exit code -1.
TEST(FatalError, ShowsTheBoxThenExitsWithMinusOne) {
  ChildProcess child = startChild(testProgramPath(), {"--child=unbound-function"});
  ASSERT_NE(child.process, nullptr);
  const HWND box = waitForMessageBoxOf(child.id, 15000);
  ASSERT_NE(box, nullptr) << "no box from the child";
  EXPECT_EQ(windowText(box), "错误");
  const HWND message = GetDlgItem(box, 0xFFFF);  // the message box's text control
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(windowText(message),
            "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令“"
            "LumoNoSuchFunction”\r\n");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(waitForExit(child, 10000), 0xFFFFFFFFu);
}

// A visible top-level window of the process, by class.
HWND windowOf(DWORD processId, const char* className, DWORD timeoutMs) {
  HWND found = nullptr;
  pollUntil(timeoutMs, [&] { return (found = findWindow(processId, className, true)) != nullptr; });
  return found;
}

std::string elapsedShownBy(HWND main) {
  char text[64] = "";
  SendMessageTimeoutA(GetDlgItem(main, mainControls::标签2.id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 3000, nullptr);
  return text;
}

// From the fatal error on no handler runs: the display stops while the box is up, the process
// ends with -1 and the routines for the normal end are not run.
TEST(FatalError, FreezesTheRunningStopwatchAndSkipsTheExitRoutines) {
  TempDir dir;
  const std::string note = dir / "exit-routine.txt";
  ChildProcess child = startChild(testProgramPath(), {"--child=shell", note, "fatal"});
  ASSERT_NE(child.process, nullptr);
  const HWND main = windowOf(child.id, kMainClass);
  ASSERT_NE(main, nullptr);
  const HWND box = waitForMessageBoxOf(child.id, 15000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), "运行时出错!\r\n\r\n错误信息：测试中的错误\r\n");
  const std::string frozen = elapsedShownBy(main);
  EXPECT_NE(frozen, "0秒0毫秒");  // it was timing
  Sleep(300);  // thirty ticks' worth
  EXPECT_EQ(elapsedShownBy(main), frozen);
  EXPECT_TRUE(IsWindowVisible(main));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(waitForExit(child, 10000), 0xFFFFFFFFu);
  EXPECT_EQ(readFileBytes(note), "");
}

// The normal end, for contrast: the exit routine runs and the code is 0.
TEST(NormalEnd, RunsTheExitRoutineAndExitsWithZero) {
  TempDir dir;
  const std::string note = dir / "exit-routine.txt";
  ChildProcess child = startChild(testProgramPath(), {"--child=shell", note, "close"});
  ASSERT_NE(child.process, nullptr);
  const HWND main = windowOf(child.id, kMainClass);
  ASSERT_NE(main, nullptr);
  const HWND viewer = windowOf(child.id, kViewerClass);
  ASSERT_NE(viewer, nullptr);
  PostMessageA(main, WM_CLOSE, 0, 0);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  EXPECT_EQ(waitForExit(child, 10000), 0u);
  EXPECT_EQ(readFileBytes(note), "ran");
}

// A loop told to end while both windows are open: the end destroys them, runs the exit routine
// and exits with the code the quit message carried.
TEST(NormalEnd, WithWindowsStillOpenDestroysThemAndExitsWithTheQuitCode) {
  TempDir dir;
  const std::string note = dir / "exit-routine.txt";
  ChildProcess child = startChild(testProgramPath(), {"--child=shell", note, "quit"});
  ASSERT_NE(child.process, nullptr);
  ASSERT_NE(windowOf(child.id, "3443"), nullptr);
  ASSERT_NE(windowOf(child.id, "LumoLapViewer"), nullptr);
  EXPECT_EQ(waitForExit(child, 10000), 7u);
  EXPECT_EQ(readFileBytes(note), "ran");
}

}  // namespace
