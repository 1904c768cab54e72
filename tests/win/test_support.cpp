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

// Under Wine the Unix permissions decide; the path of the directory on the Unix side.
std::string unixPathOf(const std::string& path) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return std::string();
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) return std::string();
  char* unixPath = unixFileName(wide);
  if (unixPath == nullptr) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool canCreateIn(const std::string& directory) {
  const std::string probe = directory + "\\probe.tmp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

void setWritable(const std::string& directory, bool writable) {
  const std::string unixPath = unixPathOf(directory);
  if (!unixPath.empty()) {
    runToEnd(std::string("/bin/chmod ") + (writable ? "u+w " : "a-w ") + quoted(unixPath));
  } else {
    runToEnd(writable ? "icacls " + quoted(directory) + " /remove:d *S-1-1-0"
                      : "icacls " + quoted(directory) + " /deny *S-1-1-0:(WD,AD,DC)");
  }
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
    return GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
  });
}

void removeTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    allowWritesTo(path);
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") removeTree(path + "\\" + name);
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
  } else {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

void putFile(const std::string& path, const std::string& bytes) {
  if (!writeFileBytes(path, bytes)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void makeDirectory(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void setReadOnly(const std::string& file) {
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
}

DirectorySnapshot snapshotOf(const std::string& directory) {
  DirectorySnapshot snapshot;
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return snapshot;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = directory + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      snapshot[name] = "dir";
      for (const auto& [inner, what] : snapshotOf(path)) snapshot[name + "\\" + inner] = what;
    } else {
      snapshot[name] = "file " + readFileBytes(path) +
                       ((entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " (read-only)" : "");
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return snapshot;
}

bool denyWritesTo(const std::string& directory) {
  setWritable(directory, false);
  // Under Wine the helper is a Unix process whose end the wait may not see.
  return pollUntil(5000, [&] { return !canCreateIn(directory); });
}

void allowWritesTo(const std::string& directory) {
  if (canCreateIn(directory)) return;
  setWritable(directory, true);
  pollUntil(5000, [&] { return canCreateIn(directory); });
}

std::string testProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

ChildProcess startChild(const std::string& program, const std::vector<std::string>& arguments) {
  std::string commandLine = quoted(program);
  for (const std::string& argument : arguments) commandLine += " " + quoted(argument);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return {};
  }
  CloseHandle(started.hThread);
  return {started.hProcess, started.dwProcessId};
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
