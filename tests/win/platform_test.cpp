// The ground the other tests stand on: the code page, and the fatal box with its exit code.
#include <gtest/gtest.h>

#include "test_support.hpp"

namespace {

TEST(Platform, AnsiCodePageIsGbk) { EXPECT_EQ(GetACP(), 936u); }

struct BoxSearch {
  DWORD processId;
  HWND box;
};

BOOL CALLBACK findDialogOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window)) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

HWND waitForMessageBoxOf(DWORD processId, DWORD timeoutMs) {
  BoxSearch search{processId, nullptr};
  pollUntil(timeoutMs, [&] {
    EnumWindows(findDialogOf, reinterpret_cast<LPARAM>(&search));
    return search.box != nullptr;
  });
  return search.box;
}

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

}  // namespace
