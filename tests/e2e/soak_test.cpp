// A long run: timing with a lap a second and a save every ten seconds must leave the program's
// objects, handles and memory where they were, but for the laps' own text.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"

namespace {

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
  const std::string log = readFileBytes(dir / lapLogFileName);
  const std::string laps = app.viewerText();
  ASSERT_GE(log.size(), laps.size() + 2);
  EXPECT_EQ(log.substr(log.size() - laps.size() - 2), laps + "\r\n");
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
  std::printf("soak %d s: GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu, private bytes %lu -> %lu\n",
              seconds, before.gdi, after.gdi, before.user, after.user, before.handles, after.handles,
              static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes));
}

}  // namespace
