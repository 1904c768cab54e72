#include "test_support.hpp"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<unsigned> tempCounter{0};

std::string quoted(const std::string& argument) { return "\"" + argument + "\""; }

// Runs a command line to its end, for the helpers below; true when it ran.
bool runToEnd(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &started)) {
    std::fprintf(stderr, "cannot run %s: error %lu\n", commandLine.c_str(), GetLastError());
    return false;
  }
  WaitForSingleObject(started.hProcess, 10000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

const wchar_t* wide(const SystemText& text) { return systemChars(text); }

// Under Wine the Unix permissions decide; the path of the directory on the Unix side.
std::string unixPathOf(const SystemText& path) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return std::string();
  char* unixPath = unixFileName(wide(path));
  if (unixPath == nullptr) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool canCreateIn(const SystemText& directory) {
  const SystemText probe = directory + u"\\probe.tmp";
  const HANDLE file = CreateFileW(wide(probe), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileW(wide(probe));
  return true;
}

void setWritable(const SystemText& directory, bool writable) {
  const std::string unixPath = unixPathOf(directory);
  if (!unixPath.empty()) {
    runToEnd(std::string("/bin/chmod ") + (writable ? "u+w " : "a-w ") + quoted(unixPath));
  } else {
    const std::string path = fromSystemText(directory);
    runToEnd(writable ? "icacls " + quoted(path) + " /remove:d *S-1-1-0"
                      : "icacls " + quoted(path) + " /deny *S-1-1-0:(WD,AD,DC)");
  }
}

void allowWritesTo(const SystemText& directory) {
  if (canCreateIn(directory)) return;
  setWritable(directory, true);
  pollUntil(5000, [&] { return canCreateIn(directory); });
}

void removeTree(const SystemText& path) {
  const DWORD attributes = GetFileAttributesW(wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    allowWritesTo(path);
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(wide(path + u"\\*"), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const SystemText name(reinterpret_cast<const char16_t*>(entry.cFileName));
        if (name != u"." && name != u"..") removeTree(path + u"\\" + name);
      } while (FindNextFileW(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryW(wide(path));
  } else {
    SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide(path));
  }
}

DirectorySnapshot snapshotOf(const SystemText& directory) {
  DirectorySnapshot snapshot;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(wide(directory + u"\\*"), &entry);
  if (search == INVALID_HANDLE_VALUE) return snapshot;
  do {
    const SystemText wideName(reinterpret_cast<const char16_t*>(entry.cFileName));
    if (wideName == u"." || wideName == u"..") continue;
    const std::string name = fromSystemText(wideName);
    const SystemText path = directory + u"\\" + wideName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      snapshot[name] = "dir";
      for (const auto& [inner, what] : snapshotOf(path)) snapshot[name + "\\" + inner] = what;
    } else {
      snapshot[name] = "file " + readFileBytes(path) +
                       ((entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " (read-only)" : "");
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return snapshot;
}

ChildProcess startWith(SystemText commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, systemChars(commandLine), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return {};
  }
  CloseHandle(started.hThread);
  return {started.hProcess, started.dwProcessId};
}

}  // namespace

TempDir::TempDir(const std::string& nameHint) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  path_ = std::string(base) + nameHint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(tempCounter++) + "-" + std::to_string(GetTickCount64() % 100000);
  if (!path_.empty() && path_.back() == '\\') path_.pop_back();
  makeDirectory(path_);
}

TempDir::~TempDir() {
  // A process that a test started may still hold the directory for a moment after its work is
  // done (a restart script's cmd, say); give it time to go.
  pollUntil(10000, [&] {
    removeTree(path_);
    return !pathExists(toSystemText(path_));
  });
}

SystemText TempDir::operator/(std::u16string_view name) const {
  return toSystemText(path_) + u"\\" + SystemText(name);
}

void removeTree(const std::string& path) { removeTree(toSystemText(path)); }

void putFile(const std::string& path, const std::string& bytes) {
  if (!writeFileBytes(path, bytes)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void makeDirectory(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void setReadOnly(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
}

DirectorySnapshot snapshotOf(const std::string& directory) {
  return snapshotOf(toSystemText(directory));
}

bool denyWritesTo(const std::string& directory) {
  const SystemText path = toSystemText(directory);
  setWritable(path, false);
  // Under Wine the helper is a Unix process whose end the wait may not see.
  return pollUntil(5000, [&] { return !canCreateIn(path); });
}

void allowWritesTo(const std::string& directory) { allowWritesTo(toSystemText(directory)); }

std::string testProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

ChildProcess startChild(const std::string& program, const std::vector<std::string>& arguments) {
  return startChild(toSystemText(program), arguments);
}

ChildProcess startChild(const SystemText& program, const std::vector<std::string>& arguments) {
  SystemText commandLine = u"\"" + program + u"\"";
  for (const std::string& argument : arguments) commandLine += u" " + toSystemText(quoted(argument));
  return startWith(commandLine);
}

SystemText testProgramSystemPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return SystemText(reinterpret_cast<const char16_t*>(path), length);
}

SystemText ownDirectory() {
  const SystemText path = testProgramSystemPath();
  return path.substr(0, path.rfind(u'\\'));
}

std::string readFileBytes(const SystemText& path) {
  const HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void putFile(const SystemText& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool whole = file != INVALID_HANDLE_VALUE &&
                     WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                               nullptr) &&
                     written == bytes.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!whole) std::fprintf(stderr, "cannot write %s\n", fromSystemText(path).c_str());
}

void makeDirectory(const SystemText& path) { CreateDirectoryW(wide(path), nullptr); }

bool pathExists(const SystemText& path) {
  return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool copyTestProgramTo(const SystemText& path) {
  return CopyFileW(wide(testProgramSystemPath()), wide(path), FALSE) != FALSE;
}

ChildProcess::~ChildProcess() {
  if (process != nullptr) waitForExit(*this, 0);
}

DWORD waitForExit(ChildProcess& child, DWORD timeoutMs) {
  if (child.process == nullptr) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(child.process, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(child.process, &code);
  } else {
    TerminateProcess(child.process, 1);
    WaitForSingleObject(child.process, 5000);
  }
  CloseHandle(child.process);
  child.process = nullptr;
  return code;
}
