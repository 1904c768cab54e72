#include "services/process.hpp"

#include <windows.h>

#include <algorithm>

#include "services/handles.hpp"

namespace {

constexpr WORD kShowStates[] = {
    SW_HIDE,             // 1
    SW_SHOWNORMAL,       // 2
    SW_SHOWMINIMIZED,    // 3
    SW_SHOWMAXIMIZED,    // 4
    SW_SHOWNOACTIVATE,   // 5
    SW_MINIMIZE,         // 6
};
constexpr DWORD kInputIdleLimitMs = 1000;

}  // namespace

bool runProgram(const std::string& commandLine, bool wait, std::int32_t windowMode) {
  return runProgram(toSystemText(commandLine), wait, windowMode);
}

bool runProgram(const SystemText& commandLine, bool wait, std::int32_t windowMode) {
  const std::int32_t mode = std::clamp<std::int32_t>(windowMode, 1, 6);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = kShowStates[mode - 1];
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  SystemText line = commandLine;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, systemChars(line), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return false;
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  // Either wait only paces the caller; the program runs on whatever it returns.
  if (wait) {
    (void)WaitForSingleObject(process.get(), INFINITE);
  } else {
    (void)WaitForInputIdle(process.get(), kInputIdleLimitMs);
  }
  return true;
}
