// Resetting: the program ends and comes back as a new instance from its own directory, showing
// zero and leaving the lap log alone, from every kind of directory that trips up a script or a
// path; and what a reset does when it cannot happen.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"
#include "restart/restart_script.hpp"

namespace {

const std::string kLapLog(lapLogFileName);
const std::string kScript(restartScriptName);
constexpr char kOneLapFromIdle[] = "1.0秒0毫秒\r\n";

// A directory below the temporary one whose path has exactly the given length in bytes.
std::string directoryOfLength(const TempDir& base, std::size_t length) {
  std::string path = base.path();
  while (path.size() + 1 < length) {
    const std::size_t room = length - path.size() - 1;
    path += "\\" + std::string(room > 60 ? 60 : room, 'd');
    makeDirectory(path);
  }
  return path;
}

enum class Place {
  named,      // a directory of that name
  deep,       // as deep as the lap log's path of 259 bytes, the most ANSI file functions take
  driveRoot,  // the root of a drive, the one directory whose path ends in a backslash
};

struct DirectoryCase {
  const char* test;  // the test's name
  Place place;
  const char* name;  // the directory's own name
  const char* why;
};

void PrintTo(const DirectoryCase& c, std::ostream* out) { *out << c.why; }

class ResetFromDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

// A save from the directory lands in its log with the right bytes, and a reset brings the
// program back from the same place.
TEST_P(ResetFromDirectoryTest, SavesThereAndComesBackFromZeroLeavingTheLapLogAlone) {
  const DirectoryCase& c = GetParam();
  TempDir base(c.name);
  std::unique_ptr<MappedDrive> drive;
  std::string dir = base.path();
  if (c.place == Place::deep) dir = directoryOfLength(base, 259 - 1 - kLapLog.size());
  if (c.place == Place::driveRoot) {
    drive = std::make_unique<MappedDrive>(base.path());
    ASSERT_FALSE(drive->name().empty()) << "no drive letter could be mapped to " << base.path();
    dir = drive->name();
  }
  const std::string log = dir + "\\" + kLapLog;
  const std::string script = dir + "\\" + kScript;
  // What an earlier run left: a log, which the save appends to, and a script, which the reset
  // replaces rather than appends to.
  const std::string earlierLog = "1.0秒0毫秒\r\n\r\nleft by an earlier run";
  ASSERT_TRUE(writeFileBytes(log, earlierLog));
  ASSERT_TRUE(writeFileBytes(script, "exit\r\n"));

  App app;
  ASSERT_TRUE(app.start(dir)) << dir;
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_EQ(app.mainText(mainControls::标签3), "1");
  ASSERT_TRUE(app.clickSave());
  const std::string saved = earlierLog + kOneLapFromIdle + "\r\n";
  EXPECT_EQ(readFileBytes(log), saved);
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);

  const DWORD oldPid = app.pid();
  ASSERT_TRUE(app.clickMain(mainControls::按钮4));
  EXPECT_EQ(app.waitForExit(5000), 0u);
  const DWORD newPid = findRestartedInstance(oldPid, dir);
  ASSERT_NE(newPid, 0u) << "no new instance came up from " << dir << "; script: " << readFileBytes(script)
                        << "; instances: " << runningInstances();
  HWND main = findWindow(newPid, kMainClass);
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签2.id)), "0秒0毫秒");
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签3.id)), "0");
  EXPECT_EQ(App::text(GetDlgItem(main, mainControls::标签5.id)), "1.");
  EXPECT_TRUE(pollUntil(10000, [&] { return !pathExists(script); })) << "the script stays behind";
  EXPECT_EQ(readFileBytes(log), saved);
  if (drive) {
    EXPECT_EQ(readFileBytes(base / kLapLog), saved);  // what the drive's root is
  }

  EXPECT_EQ(closeInstance(newPid), 0u);
}

const DirectoryCase kDirectoryCases[] = {
    {"Plain", Place::named, "plain", "the ordinary case"},
    {"Blanks", Place::named, "with blanks", "blanks"},
    {"BlankAndPercent", Place::named, "计时 50%off", "a blank, and a % that the script must not expand"},
    {"LonePercent", Place::named, "100%", "a lone %"},
    {"Ampersand", Place::named, "a&b", "the command separator"},
    {"Caret", Place::named, "c^d", "the escape character"},
    {"Exclamation", Place::named, "e!f", "delayed expansion's mark"},
    {"TrailByteBackslash", Place::named, "秒表綷", "a double-byte name whose trail byte is a backslash"},
    {"TrailByteBackslashAfterOthers", Place::named, "计时綷", "the same after other double-byte characters"},
    {"Deep", Place::deep, "", "a path as long as the lap log's allows"},
    {"DriveRoot", Place::driveRoot, "root", "a drive's root"},
};

INSTANTIATE_TEST_SUITE_P(Directories, ResetFromDirectoryTest, ::testing::ValuesIn(kDirectoryCases),
                         [](const auto& info) { return std::string(info.param.test); });

// A reset from a directory with a blank must not run "<parent>\with.exe", which an unquoted
// command line would try first. (A planted kernel32.dll cannot be tried here: Wine's own loader,
// unlike Windows with its known DLLs, takes it from the program's directory before any code of
// ours runs, and the process does not start. The late-bound functions' binding is tested in the
// Windows tests.)
TEST(ResetPlantedFiles, DecoyBesideADirectoryWithABlankIsNeverRun) {
  TempDir base;
  const std::string dir = base / "with blank";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(builtExecutable().c_str(), (base / "with.exe").c_str(), FALSE));

  App app;
  ASSERT_TRUE(app.start(dir));
  const DWORD oldPid = app.pid();
  ASSERT_TRUE(app.clickMain(mainControls::按钮4));
  EXPECT_EQ(app.waitForExit(5000), 0u);
  const DWORD newPid = findRestartedInstance(oldPid, dir);
  ASSERT_NE(newPid, 0u);
  // The decoy would have come up by now as another instance from the parent directory.
  EXPECT_EQ(findRestartedInstance(oldPid, base.path(), 1000), 0u);
  EXPECT_EQ(closeInstance(newPid), 0u);
}

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
  EXPECT_EQ(app.viewerText(), kOneLapFromIdle);
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
