// The fatal box reads the same whatever the system's ANSI code page: the test command runs this in
// prefixes of code page 1252 and 932 as well (LUMO_CODE_PAGE names the one expected), and reads the
// box back with the wide functions.
#include <gtest/gtest.h>

#include "host.hpp"
#include "test_support.hpp"
#include "window_facts.hpp"

namespace {

TEST(CodePage, TheFatalBoxShowsItsChineseText) {
  ASSERT_EQ(GetACP(), expectedCodePage());
  ChildProcess child = startChild(testProgramPath(), {"--child=unbound-function"});
  ASSERT_NE(child.process, nullptr);
  HWND box = nullptr;
  ASSERT_TRUE(pollUntil(15000, [&] { return (box = findWindow(child.id, "#32770", true)) != nullptr; }));
  EXPECT_EQ(utf8(wideTextOf(box)), utf8(u"错误"));
  EXPECT_EQ(utf8(wideTextOf(GetDlgItem(box, 0xFFFF))),
            utf8(u"运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令“LumoNoSuchFunction”\r\n"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(waitForExit(child, 10000), 0xFFFFFFFFu);
}

}  // namespace
