// A long run: timing with a lap a second and a save every ten seconds must leave the program's
// objects, windows, handles and memory where they were, but for the laps' own text.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"

namespace {

// --- What a process holds, as figures that Windows and Wine both answer -----------------------------

// Wine answers GetGuiResources and GetProcessHandleCount with 0. It keeps the GDI objects of each
// process in a table of the process's own, which the process environment block points at
// (GdiSharedHandleTable, as on Windows): 65536 entries of 24 bytes, an entry in use where its type
// byte, at offset 14, is not 0. On Windows that table is the session's, so there the count comes
// from GetGuiResources.
constexpr std::size_t kGdiTableEntries = 0x10000;
constexpr std::size_t kGdiEntrySize = 24;
constexpr std::size_t kGdiEntryTypeOffset = 14;
constexpr std::size_t kPebGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

template <typename Function>
Function ntdllFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// The GDI objects in use in the process's table under Wine; 0 when it cannot be read.
DWORD gdiTableCount(HANDLE process) {
  using QueryProcess = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = ntdllFunction<QueryProcess>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
  void* table = nullptr;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTableOffset,
                         &table, sizeof table, nullptr) ||
      table == nullptr) {
    return 0;
  }
  std::vector<unsigned char> entries(kGdiTableEntries * kGdiEntrySize);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return 0;
  DWORD used = 0;
  for (std::size_t at = kGdiEntryTypeOffset; at < entries.size(); at += kGdiEntrySize) used += entries[at] != 0;
  return used;
}

DWORD gdiObjectsOf(HANDLE process) {
  return runningUnderWine() ? gdiTableCount(process) : GetGuiResources(process, GR_GDIOBJECTS);
}

// The process's handles, from the system's list of processes, which Wine fills too.
DWORD handlesOf(DWORD pid) {
  using QuerySystem = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = ntdllFunction<QuerySystem>("NtQuerySystemInformation");
  if (query == nullptr) return 0;
  std::vector<char> list(1 << 20);
  ULONG size = 0;
  while (query(SystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &size) != 0) {
    if (list.size() >= (64u << 20)) return 0;
    list.resize(list.size() * 2);
  }
  for (std::size_t at = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(list.data() + at);
    if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == pid) return entry->HandleCount;
    if (entry->NextEntryOffset == 0) return 0;
    at += entry->NextEntryOffset;
  }
}

BOOL CALLBACK countChild(HWND, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  return TRUE;
}

struct WindowCount {
  DWORD pid;
  DWORD count;
};

BOOL CALLBACK countTopLevel(HWND hwnd, LPARAM param) {
  auto* windows = reinterpret_cast<WindowCount*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != windows->pid) return TRUE;
  ++windows->count;
  EnumChildWindows(hwnd, countChild, reinterpret_cast<LPARAM>(&windows->count));
  return TRUE;
}

// The process's windows, top-level and child: the USER objects that it is likeliest to leak.
DWORD windowsOf(DWORD pid) {
  WindowCount windows{pid, 0};
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows.count;
}

struct Usage {
  DWORD gdi, windows, handles;
  SIZE_T privateBytes;
};

Usage usageOf(HANDLE process, DWORD pid) {
  Usage u{};
  u.gdi = gdiObjectsOf(process);
  u.windows = windowsOf(pid);
  u.handles = handlesOf(pid);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  // Wine leaves PrivateUsage at 0 and fills PagefileUsage, which is the same commit charge.
  u.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  return u;
}

// The figures between paints: each the least of a few samples, since a sample taken while the
// display repaints also counts the objects that the paint makes and deletes again.
Usage steadyUsageOf(HANDLE process, DWORD pid) {
  constexpr int kSamples = 10;
  constexpr DWORD kSampleGapMs = 20;
  Usage least = usageOf(process, pid);
  for (int i = 1; i < kSamples; ++i) {
    Sleep(kSampleGapMs);
    const Usage u = usageOf(process, pid);
    least = {std::min(least.gdi, u.gdi), std::min(least.windows, u.windows), std::min(least.handles, u.handles),
             std::min(least.privateBytes, u.privateBytes)};
  }
  return least;
}

// The figures see what they should: the objects that this process makes, and some handles and
// windows of a running program. Without this a figure that answered 0 would let any leak pass.
void expectFiguresAnswer(const Usage& program) {
  const HANDLE self = GetCurrentProcess();
  const DWORD before = gdiObjectsOf(self);
  HBRUSH brushes[3];
  for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
  const DWORD during = gdiObjectsOf(self);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  EXPECT_NE(before, 0u);
  EXPECT_EQ(during, before + 3);
  EXPECT_NE(program.gdi, 0u);
  EXPECT_GE(program.windows, 2u + 14u + 2u);  // both windows and their controls
  EXPECT_NE(program.handles, 0u);
  EXPECT_NE(program.privateBytes, 0u);
}

// Timing with a lap a second and a save every ten seconds: no object, window, handle or memory
// grows but the laps' own text. LUMO_SOAK_SECONDS sets the length (the long form: 1800).
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
  // What the program makes once, when it first needs it (the list's scroll bar, say), it has
  // made by the end of the warm-up; the figures are compared from there on.
  const int warmUpSeconds = std::min(20, seconds / 2);
  Usage before{};
  for (int second = 1; second <= seconds; ++second) {
    Sleep(1000);  // the length of the run, not a wait for something
    ASSERT_TRUE(app.clickMain(mainControls::按钮3)) << second;
    if (second % 10 == 0) {
      ASSERT_TRUE(app.clickSave()) << second;
    }
    if (second == warmUpSeconds) {
      before = steadyUsageOf(process.get(), app.pid());
      SCOPED_TRACE("the figures answer");
      expectFiguresAnswer(before);
    }
  }
  const Usage after = steadyUsageOf(process.get(), app.pid());
  EXPECT_LE(after.gdi, before.gdi + 2);
  EXPECT_EQ(after.windows, before.windows);
  EXPECT_LE(after.handles, before.handles + 4);
  // Each lap line is under 30 bytes; allow the heap its pages on top.
  EXPECT_LE(after.privateBytes, before.privateBytes + static_cast<SIZE_T>(seconds - warmUpSeconds) * 30 + 1024 * 1024)
      << before.privateBytes << " -> " << after.privateBytes;
  EXPECT_EQ(app.mainText(mainControls::标签3), std::to_string(seconds + 1));
  // The last save holds every lap of the run.
  ASSERT_TRUE(app.clickSave());
  const std::string log = readFileBytes(dir / lapLogFileName);
  const std::string laps = app.viewerText();
  ASSERT_GE(log.size(), laps.size() + 2);
  EXPECT_EQ(log.substr(log.size() - laps.size() - 2), laps + "\r\n");
  EXPECT_EQ(findMessageBox(app.pid()), nullptr);
  std::printf(
      "soak %d s, compared after %d: GDI objects %lu -> %lu, windows %lu -> %lu, handles %lu -> %lu, "
      "private bytes %lu -> %lu\n",
      seconds, warmUpSeconds, before.gdi, after.gdi, before.windows, after.windows, before.handles, after.handles,
      static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes));
}

}  // namespace
