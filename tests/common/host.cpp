#include "host.hpp"

#include <windows.h>

#include <cstdlib>

#include "wait.hpp"

namespace {

std::wstring widen(const std::string& text, UINT codePage) {
  if (text.empty()) return std::wstring();
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                           &wide[0], static_cast<int>(wide.size()))));
  return wide;
}

constexpr DWORD kUnixEffectLimitMs = 5000;
constexpr int kUnixStartAttempts = 3;

}  // namespace

bool runningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

unsigned expectedCodePage() {
  const char* given = std::getenv("LUMO_CODE_PAGE");
  return given != nullptr ? static_cast<unsigned>(std::atoi(given)) : 936u;
}

std::string unixPathOf(const std::string& windowsPath) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unixFileName = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return std::string();
  const std::wstring wide = widen(windowsPath, CP_ACP);
  char* unixPath = unixFileName(wide.c_str());
  if (unixPath == nullptr) return std::string();
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::string windowsPathOf(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windowsPath = "Z:" + path;
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  return windowsPath;
}

bool runUnixProgramUntil(const std::vector<std::string>& unixCommand, const std::function<bool()>& done) {
  if (unixCommand.empty()) return false;
  // Wine finds a Unix program through drive Z: by its full path (the prefix has no PATH of its
  // own) and hands it the arguments in the Unix side's encoding.
  std::wstring commandLine = L"\"" + widen(windowsPathOf(unixCommand[0]), CP_UTF8) + L"\"";
  for (std::size_t i = 1; i < unixCommand.size(); ++i) commandLine += L" \"" + widen(unixCommand[i], CP_UTF8) + L"\"";
  for (int attempt = 0; attempt < kUnixStartAttempts; ++attempt) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring line = commandLine;  // CreateProcessW may write into it
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &started)) {
      CloseHandle(started.hThread);
      CloseHandle(started.hProcess);
    }
    if (pollUntil(kUnixEffectLimitMs, done)) return true;
  }
  return false;
}
