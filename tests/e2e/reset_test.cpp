#include <gtest/gtest.h>

#include <string>

#include "app_driver.hpp"
#include "restart_support.hpp"

namespace {

const char kLapLog[] = "Lumo秒计时器记次复制文本.txt";

struct ResetCase {
  const char* directory;
  const char* why;
};

class ResetTest : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetTest, ComesBackFromZeroAndLeavesTheLapLogAlone) {
  TempDir dir(GetParam().directory);
  const std::string logBytes = "1.0秒0毫秒\r\n\r\nleft by an earlier run";
  ASSERT_TRUE(writeFileBytes(dir.file(kLapLog), logBytes));
  // A script left from an earlier run is replaced, not appended to.
  ASSERT_TRUE(writeFileBytes(dir.file("Restart.bat"), "exit\r\n"));

  App app;
  ASSERT_TRUE(app.start(dir.path()));
  app.clickMain(k按钮1);
  app.clickMain(k按钮3);
  ASSERT_EQ(app.mainText(k标签3), "1");
  const DWORD oldPid = app.pid();
  app.clickMain(k按钮4);
  EXPECT_EQ(app.waitForExit(5000), 0u);

  const DWORD newPid = findRestartedInstance(oldPid, dir.path());
  ASSERT_NE(newPid, 0u) << "no new instance came up from " << dir.path();
  HWND main = findWindow(newPid, kMainClass);
  EXPECT_EQ(App::text(GetDlgItem(main, k标签2)), "0秒0毫秒");
  EXPECT_EQ(App::text(GetDlgItem(main, k标签3)), "0");
  EXPECT_EQ(App::text(GetDlgItem(main, k标签5)), "1.");
  EXPECT_TRUE(waitUntil([&] { return !fileExists(dir.file("Restart.bat")); }, 10000)) << "the script stays behind";
  EXPECT_EQ(readFileBytes(dir.file(kLapLog)), logBytes);

  EXPECT_EQ(closeInstance(newPid), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Directories, ResetTest,
    ::testing::Values(ResetCase{"plain", "the ordinary case"},
                      ResetCase{"计时 50%off", "a blank, and a % that the script must not expand"},
                      ResetCase{"秒表綷", "a double-byte name whose trail byte is a backslash"}),
    [](const ::testing::TestParamInfo<ResetCase>& info) { return std::to_string(info.index); });

TEST(ResetFailure, ReadOnlyDirectoryShowsABoxAndKeepsRunningWithItsState) {
  TempDir dir("readonly");
  App app;
  ASSERT_TRUE(app.start(dir.path()));
  app.clickMain(k按钮3);
  app.clickMain(k按钮2);
  const std::string shown = app.mainText(k标签2);
  ASSERT_TRUE(setDirectoryWritable(dir.path(), false));

  app.clickMain(k按钮4);
  HWND box = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (box = findMessageBox(app.pid())) != nullptr; }, 5000));
  const std::string text = messageBoxText(box);
  EXPECT_NE(text.find("复位"), std::string::npos) << text;
  EXPECT_NE(text.find("Restart.bat"), std::string::npos) << text;
  EXPECT_EQ(GetWindow(box, GW_OWNER), app.mainWindow());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitUntil([&] { return findMessageBox(app.pid()) == nullptr; }, 5000));

  EXPECT_TRUE(app.running());
  EXPECT_EQ(app.mainText(k标签2), shown);
  EXPECT_EQ(app.mainText(k标签3), "1");
  EXPECT_EQ(app.viewerText(), "1.0秒0毫秒\r\n");
  EXPECT_FALSE(fileExists(dir.file("Restart.bat")));
  EXPECT_TRUE(setDirectoryWritable(dir.path(), true));
}

TEST(ResetFailure, ExecutableRenamedAwayMakesTheButtonDoNothing) {
  TempDir dir;
  App app;
  ASSERT_TRUE(app.start(dir.path()));
  ASSERT_TRUE(MoveFileA(dir.file("LumoStopwatch.exe").c_str(), dir.file("renamed.exe").c_str()));
  app.clickMain(k按钮4);
  Sleep(500);  // a restart would have ended the process by now
  EXPECT_TRUE(app.running());
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
  EXPECT_FALSE(fileExists(dir.file("Restart.bat")));
}

}  // namespace
