#include "services/process.hpp"

#include <windows.h>

#include <algorithm>
#include <vector>

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
  const std::int32_t mode = std::clamp<std::int32_t>(windowMode, 1, 6);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = kShowStates[mode - 1];
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
