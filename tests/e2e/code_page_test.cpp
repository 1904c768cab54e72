// The Chinese texts, the lap log and its name whatever the system's ANSI code page. The test
// command runs these in prefixes of code page 1252 and 932 as well (LUMO_CODE_PAGE names the one
// expected); everything is read back with the wide functions and compared with Unicode strings.
#include <gtest/gtest.h>

#include "app_driver.hpp"
#include "services/system_text.hpp"
#include "window_facts.hpp"

namespace {

using namespace mainControls;

std::u16string widePath(const std::string& asciiPath) { return std::u16string(asciiPath.begin(), asciiPath.end()); }

class CodePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), expectedCodePage()) << "the prefix is not in the code page the test expects";
    ASSERT_TRUE(app.start(dir.path())) << "the program did not show its windows";
  }
  // The temporary directory's path is ASCII, so its wide form is the same characters.
  std::u16string logPath() const { return widePath(dir.path()) + u"\\Lumo秒计时器记次复制文本.txt"; }

  TempDir dir;
  App app;
};

#define EXPECT_WIDE_EQ(window, expected) EXPECT_EQ(utf8(wideTextOf(window)), utf8(expected))

TEST_F(CodePageTest, BothWindowsShowTheChineseTexts) {
  EXPECT_WIDE_EQ(app.mainWindow(), u"Lumo秒计时器 lumo.example.org by：Lumo");
  const struct {
    ControlId id;
    const char16_t* text;
  } main[] = {
      {按钮1, u"开始计时"}, {按钮2, u"停止计时"}, {按钮3, u"记次"},     {按钮4, u"复位"},
      {按钮5, u"查看记次"}, {标签1, u"状态："},   {标签2, u"0秒0毫秒"}, {标签4, u"次"},
  };
  for (const auto& c : main) {
    SCOPED_TRACE(c.id.id);
    EXPECT_WIDE_EQ(app.mainControl(c.id), c.text);
  }
  EXPECT_WIDE_EQ(app.viewer(), u"查看记次   lumo.example.org by:Lumo");
  EXPECT_WIDE_EQ(app.viewerControl(viewerControls::按钮1), u"一键保存记次文本");
  ASSERT_TRUE(app.clickMain(按钮1));
  EXPECT_WIDE_EQ(app.mainControl(编辑框2), u"正在计时");
}

// The lap taken while stopped shows 0 ms, so its line is known to the byte: GBK, as the same lap
// gives on code page 936, in the file of the real Unicode name.
TEST_F(CodePageTest, ALapIsSavedAsGbkUnderTheUnicodeName) {
  ASSERT_TRUE(app.clickMain(按钮3));
  EXPECT_WIDE_EQ(app.viewerControl(viewerControls::编辑框1), u"1.0秒0毫秒\r\n");
  EXPECT_WIDE_EQ(app.mainControl(编辑框2), u"记次中");
  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(readFileBytes(logPath()), "1.0\xC3\xEB" "0\xBA\xC1\xC3\xEB\r\n\r\n");  // 秒, 毫秒 in GBK
}

// What GBK cannot write is saved as "?"; a box owned by the viewer says how many characters.
TEST_F(CodePageTest, ACharacterGbkCannotWriteIsSavedAsAQuestionMarkAndCounted) {
  const HWND box = app.viewerControl(viewerControls::编辑框1);
  ASSERT_TRUE(SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"a\u00DF\uD55C\r\n")));  // "aß한"
  ASSERT_TRUE(App::postClick(app.viewerControl(viewerControls::按钮1)));
  HWND told = nullptr;
  ASSERT_TRUE(pollUntil(5000, [&] { return (told = findMessageBox(app.pid())) != nullptr; })) << "no box";
  EXPECT_EQ(GetWindow(told, GW_OWNER), app.viewer());
  EXPECT_WIDE_EQ(told, u"记次文本已保存");
  EXPECT_WIDE_EQ(GetDlgItem(told, 0xFFFF), u"记次文本已保存，其中 2 个字符无法用 GBK 编码写入，已存为“?”。");
  PostMessageW(told, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(pollUntil(5000, [&] { return !IsWindow(told); }));
  EXPECT_EQ(readFileBytes(logPath()), "a??\r\n\r\n");
}

// A save that fails names the log as it is, also in a directory whose name GBK cannot write: the
// warning is put together in UTF-16, the path never passing through GBK.
TEST(CodePageFailure, TheWarningNamesADirectoryGbkCannotWriteAsItIs) {
  TempDir parent;
  const std::u16string dir = parent / u"타이머";
  const std::u16string log = dir + u"\\Lumo秒计时器记次复制文本.txt";
  ASSERT_TRUE(CreateDirectoryW(systemChars(dir), nullptr));
  ASSERT_TRUE(CreateDirectoryW(systemChars(log), nullptr));  // where the log goes
  App app;
  ASSERT_TRUE(app.start(dir)) << "the program did not show its windows";
  ASSERT_TRUE(App::postClick(app.viewerControl(viewerControls::按钮1)));
  HWND box = nullptr;
  ASSERT_TRUE(pollUntil(5000, [&] { return (box = findMessageBox(app.pid())) != nullptr && IsWindowVisible(box); }))
      << "no warning box";
  EXPECT_WIDE_EQ(box, u"记次文本未保存");
  const std::u16string text = wideTextOf(GetDlgItem(box, 0xFFFF));
  const std::u16string named = u"文件：" + log + u"\r\n原因：";
  EXPECT_NE(text.find(named), std::u16string::npos) << utf8(text) << "\nwanted: " << utf8(named);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(pollUntil(5000, [&] { return !IsWindow(box); }));
  EXPECT_TRUE(app.running());
}

}  // namespace
