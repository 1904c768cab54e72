#include "processes.hpp"

#include <psapi.h>

#include <vector>

#include "host.hpp"
#include "services/system_text.hpp"

namespace {

constexpr DWORD kEndLimitMs = 5000;

struct WindowSearch {
  DWORD pid;
  const char* className;
  bool visibleOnly;
  HWND found;
};

// A named callback: a lambda has no stdcall conversion in the 32-bit build.
BOOL CALLBACK matchWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid) return TRUE;
  char className[64];
  if (GetClassNameA(hwnd, className, sizeof className) == 0 || lstrcmpA(className, search->className) != 0) {
    return TRUE;
  }
  if (search->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The long form of a path: an executable started through its short (8.3) path may report that.
std::string longPathOf(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetLongPathNameA(path.c_str(), full, sizeof full);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

bool isInside(const std::string& image, const std::string& directory) {
  if (image.empty()) return false;
  const std::string path = longPathOf(image);
  return path.size() > directory.size() + 1 && path[directory.size()] == '\\' &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.data(), static_cast<int>(directory.size()),
                        directory.data(), static_cast<int>(directory.size())) == CSTR_EQUAL;
}

}  // namespace

std::string imagePath(DWORD pid) {
  const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return std::string();
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  return QueryFullProcessImageNameA(process.get(), 0, path, &size) ? std::string(path, size) : std::string();
}

HWND findWindow(DWORD pid, const char* className, bool visibleOnly) {
  WindowSearch search{pid, className, visibleOnly, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

ProcessJob::ProcessJob() : job_(CreateJobObjectA(nullptr, nullptr)) {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job_ && !SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    job_.reset();  // a job that would not end its processes is no use
  }
}

KernelHandle ProcessJob::start(const std::string& commandLine, const char* directory, DWORD* pid) {
  const std::u16string wideDirectory = directory != nullptr ? utf16Of(directory, CP_ACP) : std::u16string();
  return start(utf16Of(commandLine, CP_ACP), directory != nullptr ? wideDirectory.c_str() : nullptr, pid);
}

KernelHandle ProcessJob::start(std::u16string commandLine, const char16_t* directory, DWORD* pid) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, systemChars(commandLine), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, reinterpret_cast<const wchar_t*>(directory), &startup, &started)) {
    return KernelHandle();
  }
  KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  // Where no job could be had (a system whose jobs do not nest), the sweep by directory remains.
  if (job_) (void)AssignProcessToJobObject(job_.get(), process.get());
  ResumeThread(thread.get());
  if (pid != nullptr) *pid = started.dwProcessId;
  return process;
}

DWORD ProcessJob::activeProcesses() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (!job_ || !QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting,
                                          sizeof accounting, nullptr)) {
    return 0;
  }
  return accounting.ActiveProcesses;
}

bool ProcessJob::endAll() {
  const bool had = job_.valid();
  job_.reset();  // the last handle: the system ends what the job holds
  return had;
}

int endProcessesIn(const std::string& directory) {
  std::vector<DWORD> pids(4096);
  DWORD bytes = 0;
  if (!EnumProcesses(pids.data(), static_cast<DWORD>(pids.size() * sizeof(DWORD)), &bytes)) return 0;
  pids.resize(bytes / sizeof(DWORD));
  int ended = 0;
  const std::string inside = longPathOf(directory);
  for (const DWORD pid : pids) {
    if (pid == 0 || pid == GetCurrentProcessId() || !isInside(imagePath(pid), inside)) continue;
    const KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (process && TerminateProcess(process.get(), 1)) {
      WaitForSingleObject(process.get(), kEndLimitMs);
      ++ended;
    }
  }
  return ended;
}
