#include "test_files.hpp"

std::string readFileBytes(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

namespace {

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

}  // namespace

HWND findWindow(DWORD pid, const char* className, bool visibleOnly) {
  WindowSearch search{pid, className, visibleOnly, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
