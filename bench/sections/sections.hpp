// The measurements of the benchmark report, one file each. A section runs the stopwatch and the
// bare reference programs it compares it with in the same run, and returns its part of the report
// with the goals its figures are held to; it prints nothing itself.
#pragma once

#include <windows.h>

#include <string>

#include "../measure.hpp"
#include "../report.hpp"
#include "app_driver.hpp"

struct Settings {
  bool quick = false;      // every measurement shortened, to try the runner out, not for figures
  std::string shippedExe;  // the shipped 32-bit program, when the one measured is another build
};

Report measureAccuracy(const Settings& settings);
Report measureCpu(const Settings& settings);
Report measureStartUp(const Settings& settings);  // with the footprint, from the same start-ups
Report measureLaps(const Settings& settings);

// A bare reference program: built beside the runner.
inline std::string referencePath(const char* exeName) { return directoryOf(ownExecutable()) + "\\" + exeName; }

// The process's window of that class, once it is there; null when it did not come in time.
inline HWND windowOf(const App& process, const char* className, DWORD timeoutMs = 15000) {
  HWND found = nullptr;
  pollUntil(timeoutMs, [&] { return (found = findWindow(process.pid(), className)) != nullptr; });
  return found;
}
