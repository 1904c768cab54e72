#include "measure.hpp"

#include "host.hpp"

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>

double nowMs() {
  static const double countsPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / countsPerMs;
}

void sleepUntilMs(double momentMs) {
  for (;;) {
    const double left = momentMs - nowMs();
    if (left <= 0) return;
    Sleep(left > 30 ? static_cast<DWORD>(left - 20) : 1);
  }
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double worst(const std::vector<double>& values) {
  double largest = 0;
  for (double v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}

namespace {

double filetimeMs(const FILETIME& t) {
  return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}


// The times the system's process list gives for the process: user and kernel time are the 64-bit
// fields at offsets 40 and 48 of each entry, the process id the pointer-sized field at 80 on 64-bit
// builds and 68 on 32-bit ones (the layout of SYSTEM_PROCESS_INFORMATION, class 5).
double processListCpuMs(DWORD pid) {
  using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  constexpr ULONG kSystemProcessInformation = 5;
  constexpr std::size_t kIdOffset = sizeof(void*) == 8 ? 80 : 68;
  std::vector<unsigned char> list(1 << 20);
  ULONG got = 0;
  if (query(kSystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &got) < 0) return -1;
  for (std::size_t at = 0; at + kIdOffset + sizeof(ULONG_PTR) <= got;) {
    ULONG next = 0;
    ULONG_PTR id = 0;
    long long user = 0, kernel = 0;
    std::memcpy(&next, &list[at], sizeof next);
    std::memcpy(&id, &list[at + kIdOffset], sizeof id);
    if (id == pid) {
      std::memcpy(&user, &list[at + 40], sizeof user);
      std::memcpy(&kernel, &list[at + 48], sizeof kernel);
      return static_cast<double>(user + kernel) / 10000.0;  // 100 ns units
    }
    if (next == 0) break;
    at += next;
  }
  return -1;
}

}  // namespace

double processCpuMs(HANDLE process) {
  // Wine 8 answers GetProcessTimes for another process with the caller's own times; its process
  // list carries the real ones, read from the kernel.
  if (runningUnderWine()) return processListCpuMs(GetProcessId(process));
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return filetimeMs(kernel) + filetimeMs(user);
}

std::size_t privateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    return 0;
  }
  // The two are the same figure for a process (its commit charge); Wine fills only the second for
  // another process.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

Spinners::Spinners(const std::string& selfPath) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  for (DWORD i = 0; i < system.dwNumberOfProcessors; ++i) {
    std::string commandLine = "\"" + selfPath + "\" " + kSpinSwitch;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
      continue;
    }
    const KernelHandle thread(info.hThread);
    processes_.emplace_back(info.hProcess);
  }
  // Let them get going before anything is measured.
  Sleep(500);
}

Spinners::~Spinners() {
  for (const KernelHandle& process : processes_) {
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
  }
}

void spinForever() {
  volatile unsigned long long counter = 0;
  for (;;) counter = counter + 1;
}

std::string ownExecutable() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  return std::string(self, length);
}

std::string directoryOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }
