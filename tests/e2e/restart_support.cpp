#include "restart_support.hpp"

#include "app_driver.hpp"

std::string imagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return std::string();
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  const BOOL ok = QueryFullProcessImageNameA(process, 0, path, &size);
  CloseHandle(process);
  return ok ? std::string(path, size) : std::string();
}

std::string imageDirectory(DWORD pid) {
  const std::string full = imagePath(pid);
  return full.substr(0, full.rfind('\\'));
}

namespace {

struct FindOther {
  DWORD notPid;
  std::string directory;
  DWORD found;
};

BOOL CALLBACK matchOther(HWND hwnd, LPARAM param) {
  auto* request = reinterpret_cast<FindOther*>(param);
  char className[16];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == request->notPid || GetClassNameA(hwnd, className, sizeof className) == 0 ||
      lstrcmpA(className, kMainClass) != 0 || !IsWindowVisible(hwnd)) {
    return TRUE;
  }
  if (lstrcmpiA(imageDirectory(pid).c_str(), request->directory.c_str()) != 0) return TRUE;
  request->found = pid;
  return FALSE;
}

}  // namespace

DWORD findRestartedInstance(DWORD oldPid, const std::string& directory, DWORD timeoutMs) {
  FindOther request{oldPid, directory, 0};
  waitUntil(
      [&] {
        EnumWindows(matchOther, reinterpret_cast<LPARAM>(&request));
        return request.found != 0;
      },
      timeoutMs);
  return request.found;
}

DWORD closeInstance(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return STILL_ACTIVE;
  App::close(findWindow(pid, kViewerClass));
  App::close(findWindow(pid, kMainClass));
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  } else {
    TerminateProcess(process, 1);
  }
  CloseHandle(process);
  return code;
}
