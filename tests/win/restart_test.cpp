// The reset: the script written and started, the old process ended, the new one started; and a
// reset that cannot restart leaves the program running.
#include "restart/restart.hpp"

#include <gtest/gtest.h>

#include <ostream>

#include "lapfile/lap_log.hpp"
#include "restart/restart_script.hpp"
#include "services/files.hpp"
#include "system_wording.hpp"
#include "test_support.hpp"

namespace {

// How the script names the executable.
enum class Named {
  byShortPath,  // the system's short form, as on code page 936 it always has
  byLongPath,   // the path itself in GBK, where cmd reads GBK; elsewhere as byVariable
  byVariable,   // the script of last resort: the environment variable, expanded late
};

struct RestartPlace {
  const char16_t* directoryName;
  const char* why;
  Named named;
  const char* variant = "";  // of the child's restart mode
};

const RestartPlace kPlaces[] = {
    {u"lumo", "a plain directory", Named::byShortPath},
    // Unquoted, "<parent>\探针" would be tried as a program first: one is planted there.
    {u"探针 计时 50%off 100%", "blanks, GBK and % (cmd expands %...% in a script)", Named::byShortPath},
    {u"타이머", "a name that GBK cannot write", Named::byShortPath},
    {u"探针 \U0001F600 秒", "a character beyond the BMP", Named::byShortPath},
    // Where the system gives no short form, as on a volume without short names.
    {u"探针 计时 50%off", "no short form of a GBK path", Named::byLongPath, "no-short-form"},
    {u"探针 타이머 50%off", "no short form of a path that GBK cannot write", Named::byVariable,
     "no-short-form"},
};

// The script the template gives for the path as it stands in the script.
std::string templateWith(const std::string& pathInScript) {
  return "@echo off \r\n@ping 127.0.0.1 -n 1 >nul\r\nstart \"\" \"" + pathInScript +
         "\"\r\ndel Restart.bat";
}

std::string doubledPercents(const std::string& path) {
  std::string doubled;
  for (const char c : path) doubled += c == '%' ? std::string("%%") : std::string(1, c);
  return doubled;
}

std::string expectedScript(Named named, const SystemText& executable) {
  switch (named) {
    case Named::byShortPath: {
      wchar_t shortPath[MAX_PATH] = L"";
      const DWORD length = GetShortPathNameW(systemChars(executable), shortPath, MAX_PATH);
      return templateWith(doubledPercents(
          fromSystemText(SystemText(reinterpret_cast<const char16_t*>(shortPath), length))));
    }
    case Named::byLongPath:
      if (GetOEMCP() == 936) return templateWith(doubledPercents(fromSystemText(executable)));
      [[fallthrough]];
    case Named::byVariable:
      return "@setlocal EnableDelayedExpansion\r\n" + templateWith("!LumoRestartTarget!");
  }
  return std::string();
}

void PrintTo(const RestartPlace& place, std::ostream* out) { *out << place.why; }

class Restart : public testing::TestWithParam<RestartPlace> {};

// From a copy of this program named as the restart probe: the copy ends with exit code 0, the
// script (which the copy keeps a copy of) brings a new instance up, and deletes itself; the lap
// log is not touched.
TEST_P(Restart, EndsThisInstanceAndBringsUpANewOne) {
  TempDir parent("lumo-restart");
  const SystemText dir = parent / GetParam().directoryName;
  makeDirectory(dir);
  const SystemText probe = dir + u"\\" + toSystemText(kRestartProbeName);
  ASSERT_TRUE(copyTestProgramTo(probe));
  ASSERT_TRUE(copyTestProgramTo(parent / u"探针.exe"));
  const SystemText log = dir + u"\\" + toSystemText(lapLogFileName);
  putFile(log, "1.0秒1毫秒\r\n\r\n");
  const SystemText script = dir + u"\\" + toSystemText(restartScriptName);
  putFile(script, "left from an earlier run, longer than the new script " + std::string(400, 'x'));
  const SystemText cameBack = dir + u"\\" + toSystemText(kCameBackName);

  ChildProcess old = startChild(probe, {"--child=restart", "1", parent / "note.txt", GetParam().variant});
  ASSERT_NE(old.process, nullptr);
  const DWORD oldId = old.id;
  EXPECT_EQ(waitForExit(old, 10000), 0u) << readFileBytes(parent / "note.txt");

  ASSERT_TRUE(pollUntil(30000, [&] { return !readFileBytes(cameBack).empty(); }))
      << "no new instance; script: " << readFileBytes(script);
  EXPECT_NE(readFileBytes(cameBack), std::to_string(oldId));
  EXPECT_TRUE(pollUntil(10000, [&] { return !pathExists(script); }));
  EXPECT_FALSE(fileExists(parent / kCameBackName)) << "the planted program ran";
  EXPECT_EQ(readFileBytes(log), "1.0秒1毫秒\r\n\r\n");
  EXPECT_EQ(readFileBytes(parent / "note.txt.script"), expectedScript(GetParam().named, probe));
}

INSTANTIATE_TEST_SUITE_P(Places, Restart, testing::ValuesIn(kPlaces));

TEST(Restart, LeavesTheProgramRunningWhenTheScriptCannotBeWritten) {
  TempDir dir("lumo-restart-ro");
  TempDir notes("lumo-notes");
  const std::string probe = dir / kRestartProbeName;
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), probe.c_str(), FALSE));
  ASSERT_TRUE(denyWritesTo(dir.path()));
  const DirectorySnapshot before = snapshotOf(dir.path());

  ChildProcess child = startChild(probe, {"--child=restart", "1", notes / "note.txt"});
  EXPECT_EQ(waitForExit(child, 20000), 10u + static_cast<unsigned>(RestartFailure::scriptNotWritten));
  const std::string text = readFileBytes(notes / "note.txt");
  EXPECT_NE(text.find("复位失败"), std::string::npos) << text;
  EXPECT_NE(text.find("无法写入重启脚本：" + (dir / std::string(restartScriptName))), std::string::npos)
      << text;
  EXPECT_EQ(snapshotOf(dir.path()), before);
}

TEST(Restart, RemovesAScriptThatDidNotStartAndLeavesTheProgramRunning) {
  TempDir dir("lumo-restart-unstarted");
  TempDir notes("lumo-notes");
  const std::string probe = dir / kRestartProbeName;
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), probe.c_str(), FALSE));

  ChildProcess child = startChild(probe, {"--child=restart", "1", notes / "note.txt", "unstarted"});
  EXPECT_EQ(waitForExit(child, 20000), 10u + static_cast<unsigned>(RestartFailure::scriptNotStarted));
  const std::string script = dir / std::string(restartScriptName);
  const std::string reason = systemWording(ERROR_ACCESS_DENIED);  // what the child's start gave
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(readFileBytes(notes / "note.txt"),
            "复位失败，秒表未重新启动，计时和记次都保留。\r\n\r\n无法启动重启脚本：" + script +
                "\r\n原因：" + reason);
  EXPECT_FALSE(fileExists(script));
  EXPECT_EQ(snapshotOf(dir.path()).size(), 1u) << "more than the probe is left";
}

TEST(Restart, DoesNothingWhenTheExecutableIsGone) {
  TempDir dir("lumo-restart-moved");
  const std::string probe = dir / kRestartProbeName;
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), probe.c_str(), FALSE));
  ChildProcess child = startChild(probe, {"--child=restart", "none", dir / "note.txt", "moved"});
  EXPECT_EQ(waitForExit(child, 20000), 10u + static_cast<unsigned>(RestartFailure::executableMissing));
  EXPECT_FALSE(fileExists(dir / std::string(restartScriptName)));
  EXPECT_FALSE(pollUntil(3000, [&] { return fileExists(dir / kCameBackName); }));
}

TEST(ShortPathOf, GivesAShorterNameOfTheSameFileOrThePathItself) {
  TempDir dir("lumo short path with blanks");
  putFile(dir / "a long file name.txt", "same");
  const std::string path = dir / "a long file name.txt";
  const std::string shortPath = shortPathOf(path);
  EXPECT_LE(shortPath.size(), path.size());
  EXPECT_EQ(readFileBytes(shortPath), "same");
  EXPECT_EQ(shortPathOf(dir / "missing.txt"), dir / "missing.txt");
  // The system's own short form of a name that GBK cannot write; none for a missing file.
  putFile(dir / u"타이머 긴 이름.txt", "same");
  const SystemText systemShort = shortSystemPathOf(dir / u"타이머 긴 이름.txt");
  EXPECT_FALSE(systemShort.empty());
  EXPECT_EQ(readFileBytes(systemShort), "same");
  const SystemText missing = dir / u"타이머 missing.txt";
  EXPECT_EQ(shortSystemPathOf(missing), SystemText());
}

TEST(TerminateProcessById, EndsTheGivenProcessWithExitCodeZero) {
  ChildProcess child = startChild(testProgramPath(), {"--child=wait"});
  ASSERT_NE(child.process, nullptr);
  EXPECT_TRUE(terminateProcessById(child.id, true));
  EXPECT_EQ(waitForExit(child, 10000), 0u);
  EXPECT_FALSE(terminateProcessById(0xFFFFFFF0u, true));  // no such process
}

}  // namespace
