// The fatal box reads the same whatever the system's ANSI code page: the test command runs this in
// prefixes of code page 1252 and 932 as well (LUMO_CODE_PAGE names the one expected), and reads the
// box back with the wide functions.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.hpp"

namespace {

std::u16string wideText(HWND window) {
  wchar_t text[1024] = L"";
  const int n = GetWindowTextW(window, text, 1024);
  return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(n > 0 ? n : 0));
}

std::string utf8(const std::u16string& text) {
  char out[4096];
  const int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.c_str()),
                                    static_cast<int>(text.size()), out, sizeof out, nullptr, nullptr);
  return std::string(out, static_cast<std::size_t>(n > 0 ? n : 0));
}

TEST(CodePage, TheFatalBoxShowsItsChineseText) {
  const char* given = std::getenv("LUMO_CODE_PAGE");
  ASSERT_EQ(GetACP(), given != nullptr ? static_cast<UINT>(std::atoi(given)) : 936u);
  ChildProcess child = startChild(testProgramPath(), {"--child=unbound-function"});
  ASSERT_NE(child.process, nullptr);
  HWND box = nullptr;
  ASSERT_TRUE(pollUntil(15000, [&] { return (box = findWindow(child.id, "#32770", true)) != nullptr; }));
  EXPECT_EQ(utf8(wideText(box)), utf8(u"错误"));
  EXPECT_EQ(utf8(wideText(GetDlgItem(box, 0xFFFF))),
            utf8(u"运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令“LumoNoSuchFunction”\r\n"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(waitForExit(child, 10000), 0xFFFFFFFFu);
}

}  // namespace
