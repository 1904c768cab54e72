// Measuring from outside a process: wall time from the performance counter, a process's CPU time
// and private bytes, busy processes that saturate the machine, and the median of several runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "services/handles.hpp"

// Milliseconds on the performance counter since some fixed moment.
double nowMs();
// Sleeps until the performance counter reaches the moment; the last stretch is waited out with
// short sleeps so that the moment is not overshot by a scheduler quantum.
void sleepUntilMs(double momentMs);

double median(std::vector<double> values);
double worst(const std::vector<double>& values);  // the largest absolute value

// User plus kernel time the process has used, in milliseconds; negative when the system says no.
double processCpuMs(HANDLE process);
// Private bytes (PROCESS_MEMORY_COUNTERS_EX.PrivateUsage); 0 when the system says no.
std::size_t privateBytes(HANDLE process);

// Busy processes, one per processor, each a copy of this program spinning in a loop; ended by
// their handles when the object goes.
class Spinners {
 public:
  explicit Spinners(const std::string& selfPath);
  Spinners(const Spinners&) = delete;
  Spinners& operator=(const Spinners&) = delete;
  ~Spinners();
  std::size_t count() const { return processes_.size(); }

 private:
  std::vector<KernelHandle> processes_;
};

inline constexpr char kSpinSwitch[] = "--spin";
// The body of a busy process: never returns.
[[noreturn]] void spinForever();

std::string ownExecutable();
std::string directoryOf(const std::string& path);
