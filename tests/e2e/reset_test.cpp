#include <gtest/gtest.h>

#include <string>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"
#include "restart/restart_script.hpp"

namespace {

const std::string kLapLog(lapLogFileName);
const std::string kScript(restartScriptName);

struct ResetCase {
  const char* directory;
  const char* why;
};

class ResetTest : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetTest, ComesBackFromZeroAndLeavesTheLapLogAlone) {
  TempDir dir(GetParam().directory);
  const std::string logBytes = "1.0秒0毫秒\r\n\r\nleft by an earlier run";
  ASSERT_TRUE(writeFileBytes(dir / kLapLog, logBytes));
  // A script left from an earlier run is replaced, not appended to.
  ASSERT_TRUE(writeFileBytes(dir / kScript, "exit\r\n"));

  App app;
  ASSERT_TRUE(app.start(dir.path()));
  ASSERT_TRUE(app.clickMain(mainControls::按钮1));
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_EQ(app.mainText(mainControls::标签3), "1");
  const DWORD oldPid = app.pid();
  ASSERT_TRUE(app.clickMain(mainControls::按钮4));
  EXPECT_EQ(app.waitForExit(5000), 0u);

  const DWORD newPid = findRestartedInstance(oldPid, dir.path());
  ASSERT_NE(newPid, 0u) << "no new instance came up from " << dir.path();
  HWND main = findWindow(newPid, kMainClass);
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签2.id)), "0秒0毫秒");
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签3.id)), "0");
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签5.id)), "1.");
  EXPECT_TRUE(pollUntil(10000, [&] { return !pathExists(dir / kScript); })) << "the script stays behind";
  EXPECT_EQ(readFileBytes(dir / kLapLog), logBytes);

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
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_TRUE(app.clickMain(mainControls::按钮2));
  const std::string shown = app.mainText(mainControls::标签2);
  ReadOnlyDirectory readOnly(dir.path());
  ASSERT_TRUE(readOnly.denied());

  // The box waits for the user, and the click's handler with it.
  ASSERT_TRUE(App::postClick(app.mainControl(mainControls::按钮4)));
  HWND box = nullptr;
  // Shown once the box is built, text and all.
  ASSERT_TRUE(pollUntil(5000, [&] { return (box = findMessageBox(app.pid())) != nullptr && IsWindowVisible(box); }));
  const std::string text = messageBoxText(box);
  EXPECT_NE(text.find("复位"), std::string::npos) << text;
  EXPECT_NE(text.find(kScript), std::string::npos) << text;
  EXPECT_EQ(GetWindow(box, GW_OWNER), app.mainWindow());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(pollUntil(5000, [&] { return findMessageBox(app.pid()) == nullptr; }));

  EXPECT_TRUE(app.running());
  EXPECT_EQ(app.mainText(mainControls::标签2), shown);
  EXPECT_EQ(app.mainText(mainControls::标签3), "1");
  EXPECT_EQ(app.viewerText(), "1.0秒0毫秒\r\n");
  EXPECT_FALSE(pathExists(dir / kScript));
  EXPECT_TRUE(allowWritesTo(dir.path()));
}

TEST(ResetFailure, ExecutableRenamedAwayMakesTheButtonDoNothing) {
  TempDir dir;
  App app;
  ASSERT_TRUE(app.start(dir.path()));
  ASSERT_TRUE(MoveFileA((dir / kExeName).c_str(), (dir / "renamed.exe").c_str()));
  // The click returns once its handler has run; a restart ends the process inside it.
  ASSERT_TRUE(app.clickMain(mainControls::按钮4));
  EXPECT_TRUE(app.running());
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
  EXPECT_FALSE(pathExists(dir / kScript));
}

}  // namespace
