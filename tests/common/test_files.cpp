#include "test_files.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host.hpp"
#include "processes.hpp"
#include "services/handles.hpp"
#include "services/system_text.hpp"
#include "wait.hpp"

namespace {

constexpr DWORD kReadSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

std::string readAll(const FileHandle& file) {
  if (!file) return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

}  // namespace

std::string readFileBytes(const std::string& path) {
  return readAll(FileHandle(
      CreateFileA(path.c_str(), GENERIC_READ, kReadSharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

std::string readFileBytes(const std::u16string& path) {
  return readAll(FileHandle(CreateFileW(systemChars(path), GENERIC_READ, kReadSharing,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  const FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void putFile(const std::string& path, const std::string& bytes) {
  if (!writeFileBytes(path, bytes)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void makeDirectory(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) std::fprintf(stderr, "cannot make %s\n", path.c_str());
}

void setReadOnly(const std::string& file) {
  if (!SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY)) {
    std::fprintf(stderr, "cannot make %s read-only\n", file.c_str());
  }
}

bool pathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

// The path in the ANSI code page, when that has a character for each of the path's.
bool ansiFormOf(const std::u16string& path, std::string& ansi) {
  BOOL lossy = FALSE;
  const int units = static_cast<int>(path.size());
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, systemChars(path), units, nullptr, 0, nullptr, &lossy);
  if (lossy || (size == 0 && units > 0)) return false;
  ansi.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, systemChars(path), units, &ansi[0], size, nullptr, &lossy);
  return !lossy;
}

}  // namespace

void removeTree(const std::string& path) { removeTree(utf16Of(path, CP_ACP)); }

void removeTree(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(systemChars(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(systemChars(path), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(systemChars(path));
    return;
  }
  // Only a test makes a directory refuse writes, and only by its ANSI path.
  if (std::string ansi; ansiFormOf(path, ansi)) allowWritesTo(ansi);
  WIN32_FIND_DATAW entry;
  if (const FindHandle search(FindFirstFileW(systemChars(path + u"\\*"), &entry)); search) {
    do {
      const std::u16string name(reinterpret_cast<const char16_t*>(entry.cFileName));
      if (name != u"." && name != u"..") removeTree(path + u"\\" + name);
    } while (FindNextFileW(search.get(), &entry));
  }
  RemoveDirectoryW(systemChars(path));
}

// --- The temporary directory --------------------------------------------------------------------

namespace {

// A program that a test started may hold the directory for a moment after its work is done (a
// restart script's cmd, say).
constexpr DWORD kRemovalLimitMs = 10000;

}  // namespace

TempDir::TempDir(std::string_view name) {
  char base[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof base, base);
  std::string temp(base, length);
  if (!temp.empty() && temp.back() == '\\') temp.pop_back();
  // Fresh even when an earlier run of a process with the same id left its directories behind.
  static unsigned serial = 0;
  do {
    root_ = temp + "\\lumo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  } while (!CreateDirectoryA(root_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
  path_ = root_;
  if (!name.empty()) {
    path_ += "\\" + std::string(name);
    makeDirectory(path_);
  }
}

TempDir::~TempDir() {
  endProcessesIn(root_);
  pollUntil(kRemovalLimitMs, [&] {
    removeTree(root_);
    return !pathExists(root_);
  });
}

// --- Snapshots ------------------------------------------------------------------------------------

DirectorySnapshot snapshotOf(const std::string& directory) {
  DirectorySnapshot snapshot;
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((directory + "\\*").c_str(), &entry));
  if (!search) return snapshot;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = directory + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      snapshot[name] = "dir";
      for (const auto& [inner, what] : snapshotOf(path)) snapshot[name + "\\" + inner] = what;
    } else {
      snapshot[name] = fileEntry(readFileBytes(path), (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0);
    }
  } while (FindNextFileA(search.get(), &entry));
  return snapshot;
}

std::string fileEntry(const std::string& bytes, bool readOnly) {
  return (readOnly ? "read-only file: " : "file: ") + bytes;
}

// --- Directories that refuse writes -----------------------------------------------------------------

namespace {

constexpr char kProbePrefix[] = ".write-probe-";
constexpr DWORD kCommandLimitMs = 10000;

// Runs a Windows command line to its end; true when it ran and exited with 0.
bool runCommand(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &started)) {
    return false;
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.get(), kCommandLimitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
  return code == 0;
}

// A probe that meets the permission change half-way may be left behind (it can no longer be
// deleted), so leftovers are swept once writes work again.
void sweepProbes(const std::string& directory) {
  WIN32_FIND_DATAA entry;
  const FindHandle search(FindFirstFileA((directory + "\\" + kProbePrefix + "*").c_str(), &entry));
  if (!search) return;
  do {
    DeleteFileA((directory + "\\" + entry.cFileName).c_str());
  } while (FindNextFileA(search.get(), &entry));
}

bool setWritable(const std::string& directory, bool writable) {
  if (runningUnderWine()) {
    // Under Wine the Unix permission bits decide what the program may write.
    const std::string unixPath = unixPathOf(directory);
    return !unixPath.empty() && runUnixProgramUntil({"/bin/chmod", writable ? "u+w" : "a-w", unixPath},
                                                    [&] { return canCreateFileIn(directory) == writable; });
  }
  const std::string quoted = "\"" + directory + "\"";
  return runCommand(writable ? "icacls " + quoted + " /remove:d *S-1-1-0"
                             : "icacls " + quoted + " /deny *S-1-1-0:(WD,AD,DC)") &&
         canCreateFileIn(directory) == writable;
}

}  // namespace

bool canCreateFileIn(const std::string& directory) {
  // Each probe has a name of its own: see sweepProbes.
  static unsigned serial = 0;
  const std::string probe = directory + "\\" + kProbePrefix + std::to_string(++serial);
  FileHandle file(
      CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file) return false;
  file.reset();
  DeleteFileA(probe.c_str());  // in case the close did not take it along
  return true;
}

bool denyWritesTo(const std::string& directory) { return !canCreateFileIn(directory) || setWritable(directory, false); }

bool allowWritesTo(const std::string& directory) {
  if (canCreateFileIn(directory)) return true;
  const bool allowed = setWritable(directory, true);
  if (allowed) sweepProbes(directory);
  return allowed;
}

ReadOnlyDirectory::ReadOnlyDirectory(std::string directory)
    : directory_(std::move(directory)), denied_(denyWritesTo(directory_)) {}

ReadOnlyDirectory::~ReadOnlyDirectory() { allowWritesTo(directory_); }

// --- Drive letters --------------------------------------------------------------------------------

namespace {

// Under Wine a drive letter is a link in the prefix's dosdevices directory, looked up afresh on
// every access; the object-namespace link that DefineDosDevice makes there is not followed.
std::string dosDeviceLink(const std::string& drive) {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  const std::string base = prefix != nullptr ? prefix : std::string(home != nullptr ? home : "") + "/.wine";
  return base + "/dosdevices/" + static_cast<char>(drive[0] - 'A' + 'a') + ":";
}

bool driveRootExists(const std::string& drive) { return pathExists(drive + "\\"); }

std::string freeDriveLetter() {
  const DWORD used = GetLogicalDrives();
  for (char letter = 'R'; letter <= 'Y'; ++letter) {
    if (!(used & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  }
  return std::string();
}

}  // namespace

MappedDrive::MappedDrive(const std::string& directory) : name_(freeDriveLetter()) {
  if (name_.empty()) return;
  const bool mapped = runningUnderWine()
                          ? runUnixProgramUntil({"/bin/ln", "-s", unixPathOf(directory), dosDeviceLink(name_)},
                                                [&] { return driveRootExists(name_); })
                          : DefineDosDeviceA(0, name_.c_str(), directory.c_str()) && driveRootExists(name_);
  if (!mapped) name_.clear();
}

MappedDrive::~MappedDrive() {
  if (name_.empty()) return;
  if (runningUnderWine()) {
    runUnixProgramUntil({"/bin/rm", dosDeviceLink(name_)}, [&] { return !driveRootExists(name_); });
  } else {
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, name_.c_str(), nullptr);
  }
}

std::u16string TempDir::operator/(std::u16string_view name) const {
  return utf16Of(path_, CP_ACP) + u"\\" + std::u16string(name);
}
