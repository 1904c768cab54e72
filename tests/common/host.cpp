#include "host.hpp"

#include <windows.h>

#include <cstdlib>

#include "services/system_text.hpp"
#include "wait.hpp"

namespace {

constexpr DWORD kUnixEffectLimitMs = 5000;
constexpr int kUnixStartAttempts = 3;

}  // namespace

std::u16string utf16Of(std::string_view text, unsigned codePage) {
  if (text.empty()) return std::u16string();
  std::u16string wide(text.size(), u'\0');  // never more units than bytes
  const int units = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                        reinterpret_cast<wchar_t*>(&wide[0]), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(units > 0 ? units : 0));
  return wide;
}

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
  const std::u16string wide = utf16Of(windowsPath, CP_ACP);
  char* unixPath = unixFileName(systemChars(wide));
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
  std::u16string commandLine = u"\"" + utf16Of(windowsPathOf(unixCommand[0]), CP_UTF8) + u"\"";
  for (std::size_t i = 1; i < unixCommand.size(); ++i) commandLine += u" \"" + utf16Of(unixCommand[i], CP_UTF8) + u"\"";
  for (int attempt = 0; attempt < kUnixStartAttempts; ++attempt) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::u16string line = commandLine;  // CreateProcessW may write into it
    if (CreateProcessW(nullptr, systemChars(line), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &started)) {
      CloseHandle(started.hThread);
      CloseHandle(started.hProcess);
    }
    if (pollUntil(kUnixEffectLimitMs, done)) return true;
  }
  return false;
}
