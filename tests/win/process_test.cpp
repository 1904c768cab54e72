// Starting programs, and the late-bound kernel32 functions.
#include "services/process.hpp"

#include <gtest/gtest.h>

#include "services/files.hpp"
#include "services/late_bound.hpp"
#include "test_support.hpp"

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(RunProgram, StartsAHiddenBatchScriptWithoutWaitingForIt) {
  TempDir dir("lumo run 秒");  // blanks and GBK in the script's path
  putFile(dir / "slow.bat", "@ping 127.0.0.1 -n 3 >nul\r\n@echo done> \"" + (dir / "done.txt") + "\"\r\n");
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(runProgram(quoted(dir / "slow.bat"), false, kWindowHidden));
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_FALSE(pathExists(dir / "done.txt"));  // still pinging
  EXPECT_TRUE(pollUntil(15000, [&] { return pathExists(dir / "done.txt"); }));
}

TEST(RunProgram, WaitsForTheEndWhenAskedTo) {
  TempDir dir("lumo-run");
  putFile(dir / "quick.bat", "@echo done> \"" + (dir / "done.txt") + "\"\r\n");
  EXPECT_TRUE(runProgram(quoted(dir / "quick.bat"), true, kWindowHidden));
  EXPECT_EQ(readFileBytes(dir / "done.txt"), "done\r\n");
}

TEST(RunProgram, PassesTheCommandLineUnchanged) {
  TempDir dir("lumo-run");
  putFile(dir / "args.bat", "@echo %*> \"" + (dir / "args.txt") + "\"\r\n");
  EXPECT_TRUE(runProgram(quoted(dir / "args.bat") + " one \"two three\"  four", true, kWindowHidden));
  EXPECT_EQ(readFileBytes(dir / "args.txt"), "one \"two three\"  four\r\n");
}

TEST(RunProgram, FailsForAProgramThatIsNotThere) {
  TempDir dir("lumo-run");
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(runProgram(quoted(dir / "missing.exe")));
  EXPECT_NE(GetLastError(), 0xdeadbeefu);
  EXPECT_FALSE(runProgram(""));
}

struct WindowModeRow {
  std::int32_t mode;
  WORD showState;
};

const WindowModeRow kWindowModes[] = {
    {-5, SW_HIDE},           {0, SW_HIDE},          {1, SW_HIDE},
    {2, SW_SHOWNORMAL},      {3, SW_SHOWMINIMIZED}, {4, SW_SHOWMAXIMIZED},
    {5, SW_SHOWNOACTIVATE},  {6, SW_MINIMIZE},      {7, SW_MINIMIZE},
    {1000, SW_MINIMIZE},
};

TEST(RunProgram, AsksTheNewProcessToShowItsWindowByTheMode) {
  TempDir dir("lumo-run");
  for (const WindowModeRow& row : kWindowModes) {
    SCOPED_TRACE(row.mode);
    const std::string note = dir / ("mode" + std::to_string(row.mode) + ".txt");
    ASSERT_TRUE(runProgram(quoted(testProgramPath()) + " --child=startup-info " + quoted(note), true,
                           row.mode));
    EXPECT_EQ(readFileBytes(note), "1 " + std::to_string(row.showState));
  }
}

TEST(LateBound, BindsEachFunctionOnceAndCallsTheSystems) {
  EXPECT_EQ(lateBound::getCurrentProcessId(), GetCurrentProcessId());
  const int bound = lateBound::bindingCount();
  EXPECT_EQ(lateBound::getCurrentProcessId(), GetCurrentProcessId());
  EXPECT_EQ(lateBound::bindingCount(), bound);

  wchar_t buffer[MAX_PATH] = L"";
  const SystemText path = testProgramSystemPath();
  EXPECT_EQ(lateBound::getShortPathName(systemChars(path), buffer, MAX_PATH),
            GetShortPathNameW(systemChars(path), buffer, MAX_PATH));
}

// A kernel32.dll beside the executable is never what the program binds to. The planted file is
// a real module (a copy of this program), which a search of the run directory would load.
TEST(LateBound, IgnoresAKernel32PlantedInTheRunDirectory) {
  TempDir dir("lumo-planted");
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), (dir / "lumo.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(testProgramPath().c_str(), (dir / "kernel32.dll").c_str(), FALSE));
  ChildProcess child = startChild(dir / "lumo.exe", {"--child=late-bound"});
  ASSERT_NE(child.process, nullptr);
  EXPECT_EQ(waitForExit(child, 20000), 0u);
}

}  // namespace
