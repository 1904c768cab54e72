#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"
#include "restart/restart_script.hpp"

namespace {

const std::string kLapLog(lapLogFileName);
const std::string kScript(restartScriptName);

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

struct PathCase {
  const char* name;  // the run directory's own name; empty: a deep path instead
  const char* why;
};

// A save from the directory lands in the right file with the right bytes, and a reset brings the
// program back from the same place.
void expectSaveAndResetFrom(const std::string& dir) {
  App app;
  ASSERT_TRUE(app.start(dir)) << dir;
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_TRUE(app.clickSave());
  EXPECT_EQ(readFileBytes(dir + "\\" + kLapLog), "1.0秒0毫秒\r\n\r\n");
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);

  const DWORD oldPid = app.pid();
  ASSERT_TRUE(app.clickMain(mainControls::按钮4));
  EXPECT_EQ(app.waitForExit(5000), 0u);
  const DWORD newPid = findRestartedInstance(oldPid, dir);
  ASSERT_NE(newPid, 0u) << "no new instance came up from " << dir << "; script: "
                        << readFileBytes(dir + "\\" + kScript) << "; instances: " << runningInstances();
  EXPECT_TRUE(pollUntil(10000, [&] { return !pathExists(dir + "\\" + kScript); }));
  EXPECT_EQ(closeInstance(newPid), 0u);
}

class OddPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(OddPathTest, SaveAndResetWork) {
  TempDir base(GetParam().name);
  // The longest file the program writes, the lap log, has a path of 259 bytes, the most ANSI
  // file functions take.
  const std::string dir = *GetParam().name != '\0'
                              ? base.path()
                              : directoryOfLength(base, 259 - 1 - kLapLog.size());
  expectSaveAndResetFrom(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Directories, OddPathTest,
    ::testing::Values(PathCase{"with blanks", "blanks"}, PathCase{"100%", "a lone %"},
                      PathCase{"a&b", "the command separator"}, PathCase{"c^d", "the escape character"},
                      PathCase{"e!f", "delayed expansion's mark"},
                      PathCase{"计时綷", "a double-byte name whose trail byte is a backslash"},
                      PathCase{"", "a deep path"}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::to_string(info.index); });

TEST(DriveRoot, SaveAndResetWork) {
  TempDir base("root");
  MappedDrive drive(base.path());
  ASSERT_FALSE(drive.name().empty()) << "no drive letter could be mapped to " << base.path();
  expectSaveAndResetFrom(drive.name());
  EXPECT_EQ(readFileBytes(base / kLapLog), "1.0秒0毫秒\r\n\r\n");
}

// A reset from a directory with a blank must not run "<parent>\with.exe", which an unquoted
// command line would try first. (A planted kernel32.dll cannot be tried here: Wine's own loader,
// unlike Windows with its known DLLs, takes it from the program's directory before any code of
// ours runs, and the process does not start. The late-bound functions' binding is tested in the
// Windows tests.)
TEST(PlantedFiles, DecoyBesideADirectoryWithABlankIsNeverRun) {
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

struct Usage {
  DWORD gdi, user, handles;
  SIZE_T privateBytes;
};

Usage usageOf(HANDLE process) {
  Usage u{};
  u.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  u.user = GetGuiResources(process, GR_USEROBJECTS);
  GetProcessHandleCount(process, &u.handles);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  // Wine leaves PrivateUsage at 0 and fills PagefileUsage, which is the same commit charge.
  u.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  return u;
}

// Timing with a lap a second and a save every ten seconds: no object, handle or memory grows but
// the laps' own text. LUMO_SOAK_SECONDS sets the length (the long form: 1800).
TEST(Soak, ResourcesStayFlat) {
  const char* setting = std::getenv("LUMO_SOAK_SECONDS");
  const int seconds = setting != nullptr ? std::atoi(setting) : 120;
  TempDir dir;
  App app;
  ASSERT_TRUE(app.start(dir.path()));
  const KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid()));
  ASSERT_TRUE(process);
  ASSERT_TRUE(app.clickMain(mainControls::按钮1));
  ASSERT_TRUE(app.clickMain(mainControls::按钮3));
  ASSERT_TRUE(app.clickSave());
  Sleep(1000);
  const Usage before = usageOf(process.get());
  for (int second = 1; second <= seconds; ++second) {
    Sleep(1000);
    ASSERT_TRUE(app.clickMain(mainControls::按钮3));
    if (second % 10 == 0) {
      ASSERT_TRUE(app.clickSave()) << second;
    }
  }
  const Usage after = usageOf(process.get());
  // A live window process always holds objects and handles; Wine counts none of them (its
  // GetGuiResources and GetProcessHandleCount answer 0), so there only memory is watched.
  if (before.gdi != 0 || before.handles != 0) {
    EXPECT_LE(after.gdi, before.gdi + 2);
    EXPECT_LE(after.user, before.user + 2);
    EXPECT_LE(after.handles, before.handles + 4);
  } else {
    std::printf("soak: this system counts no GDI or USER objects and no handles\n");
  }
  ASSERT_NE(before.privateBytes, 0u);
  // Each lap line is under 30 bytes; allow the heap its pages on top.
  EXPECT_LE(after.privateBytes, before.privateBytes + static_cast<SIZE_T>(seconds) * 30 + 1024 * 1024)
      << before.privateBytes << " -> " << after.privateBytes;
  EXPECT_EQ(app.mainText(mainControls::标签3), std::to_string(seconds + 1));
  // The last save holds every lap of the run.
  ASSERT_TRUE(app.clickSave());
  const std::string log = readFileBytes(dir / kLapLog);
  const std::string laps = app.viewerText();
  ASSERT_GE(log.size(), laps.size() + 2);
  EXPECT_EQ(log.substr(log.size() - laps.size() - 2), laps + "\r\n");
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
  std::printf("soak %d s: GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu, private bytes %lu -> %lu\n",
              seconds, before.gdi, after.gdi, before.user, after.user, before.handles, after.handles,
              static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes));
}

}  // namespace
