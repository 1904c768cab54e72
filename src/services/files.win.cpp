#include "services/files.hpp"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "services/exe_path.hpp"

namespace {

ExecutableLocation recordedLocation;
SystemExecutableLocation recordedSystemLocation;

// One record per open file number, in order of opening. All calls come from the event-loop
// thread, so the table takes no lock.
struct OpenFileRecord {
  FileNumber number;
  FileHandle handle;
};
std::vector<OpenFileRecord> openFiles;
FileNumber lastFileNumber = kNoFile;

HANDLE openHandle(FileNumber number) {
  const auto record = std::find_if(openFiles.begin(), openFiles.end(),
                                   [number](const OpenFileRecord& r) { return r.number == number; });
  return record != openFiles.end() ? record->handle.get() : INVALID_HANDLE_VALUE;
}

FileNumber nextFileNumber() {
  // Counting up keeps a closed number from naming a later file for as long as possible.
  do {
    lastFileNumber = lastFileNumber == INT32_MAX ? 1 : lastFileNumber + 1;
  } while (openHandle(lastFileNumber) != INVALID_HANDLE_VALUE);
  return lastFileNumber;
}

struct ModeRow {
  DWORD access;
  DWORD disposition;
};
constexpr ModeRow kModes[] = {
    {GENERIC_READ, OPEN_EXISTING},                  // 1
    {GENERIC_WRITE, OPEN_EXISTING},                 // 2
    {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},  // 3
    {GENERIC_WRITE, CREATE_ALWAYS},                 // 4
    {GENERIC_WRITE, OPEN_ALWAYS},                   // 5
    {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS},    // 6
};
constexpr DWORD kSharing[] = {
    FILE_SHARE_READ | FILE_SHARE_WRITE,  // 1
    FILE_SHARE_WRITE,                    // 2
    FILE_SHARE_READ,                     // 3
    0,                                   // 4
};

// Far past any data a log reaches, so that the lock, which the system enforces against reads of
// the locked bytes, never keeps an editor from reading the file.
constexpr DWORD kAppendLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kAppendLockLength = 1;

bool writeAll(HANDLE file, const char* data, std::size_t size,
              WriteFileFunction write = WriteFile) {
  if (size > MAXDWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  DWORD written = 0;
  if (!write(file, data, static_cast<DWORD>(size), &written, nullptr)) return false;
  if (written != size) {
    SetLastError(ERROR_HANDLE_DISK_FULL);  // a short write without an error is a full disk
    return false;
  }
  return true;
}

bool moveTo(HANDLE file, LARGE_INTEGER position) {
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

std::optional<LARGE_INTEGER> currentPosition(HANDLE file, DWORD from) {
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &position, from)) return std::nullopt;
  return position;
}

bool isMatch(DWORD attributes, std::optional<std::uint32_t> mask) {
  if (!mask) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  const std::uint32_t bits = *mask & 0x37;
  return bits == 0 ? attributes == 0 : (attributes & bits) != 0;
}

std::string findMatching(const std::string& path, std::optional<std::uint32_t> mask,
                         FindHandle& search) {
  WIN32_FIND_DATAW entry;
  if (path.empty()) {
    if (!search || !FindNextFileW(search.get(), &entry)) {
      search.reset();
      return std::string();
    }
  } else {
    search.reset(FindFirstFileW(systemChars(toSystemText(path)), &entry));
    if (!search) return std::string();
  }
  while (!isMatch(entry.dwFileAttributes, mask)) {
    if (!FindNextFileW(search.get(), &entry)) {
      search.reset();
      return std::string();
    }
  }
  return fromSystemText(reinterpret_cast<const char16_t*>(entry.cFileName));
}

}  // namespace

void recordExecutableLocation() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::u16string_view modulePath(reinterpret_cast<const char16_t*>(path), length);
  recordedSystemLocation = splitModulePath(modulePath);
  recordedLocation = splitModulePath(fromSystemText(modulePath));
  if (!recordedSystemLocation.runDirectory.empty()) {
    // Without it only a bare relative name would go astray; nothing to tell the user.
    (void)SetCurrentDirectoryW(systemChars(recordedSystemLocation.runDirectory));
  }
}

std::string runDirectory() { return recordedLocation.runDirectory; }

std::string executableName() { return recordedLocation.executableName; }

SystemText systemRunDirectory() { return recordedSystemLocation.runDirectory; }

SystemText systemExecutableName() { return recordedSystemLocation.executableName; }

bool fileExists(const std::string& path) { return fileExists(toSystemText(path)); }

bool fileExists(const SystemText& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW entry;
  return FindHandle(FindFirstFileW(systemChars(path), &entry)).valid();
}

std::string findFile(const std::string& path, FindHandle& search) {
  return findMatching(path, std::nullopt, search);
}

std::string findFile(const std::string& path, std::uint32_t attributeMask, FindHandle& search) {
  return findMatching(path, attributeMask, search);
}

void closeFileSearch(FindHandle& search) { search.reset(); }

bool writeFile(const std::string& path, std::initializer_list<Bytes> byteSets) {
  return writeFile(toSystemText(path), byteSets);
}

bool writeFile(const SystemText& path, std::initializer_list<Bytes> byteSets) {
  if (path.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  FileHandle file(CreateFileW(systemChars(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  for (const Bytes& bytes : byteSets) {
    if (bytes.empty()) continue;
    if (!writeAll(file.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size())) {
      const DWORD error = GetLastError();
      file.reset();
      SetLastError(error);
      return false;
    }
  }
  return true;
}

FileNumber openFile(const std::string& path, std::int32_t mode, std::int32_t sharing) {
  bool created = false;
  return openFile(path, mode, sharing, created);
}

FileNumber openFile(const std::string& path, std::int32_t mode, std::int32_t sharing,
                    bool& created) {
  return openFile(toSystemText(path), mode, sharing, created);
}

FileNumber openFile(const SystemText& path, std::int32_t mode, std::int32_t sharing, bool& created) {
  created = false;
  if (path.empty() || mode < 1 || mode > 6 || sharing < 1 || sharing > 4) {
    SetLastError(path.empty() ? ERROR_INVALID_NAME : ERROR_INVALID_PARAMETER);
    return kNoFile;
  }
  const ModeRow& row = kModes[mode - 1];
  FileHandle handle(CreateFileW(systemChars(path), row.access, kSharing[sharing - 1], nullptr,
                                row.disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return kNoFile;
  // On success a creating disposition still sets the last error: ERROR_ALREADY_EXISTS when the
  // file was there.
  created = row.disposition != OPEN_EXISTING && GetLastError() != ERROR_ALREADY_EXISTS;
  const FileNumber number = nextFileNumber();
  openFiles.push_back({number, std::move(handle)});
  return number;
}

bool seekToEnd(FileNumber file) {
  const HANDLE handle = openHandle(file);
  if (handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return currentPosition(handle, FILE_END).has_value();
}

bool writeText(FileNumber file, std::initializer_list<std::string_view> texts) {
  const HANDLE handle = openHandle(file);
  if (handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  const std::optional<LARGE_INTEGER> start = currentPosition(handle, FILE_CURRENT);
  if (!start) return false;
  for (std::string_view text : texts) {
    if (text.empty()) continue;
    if (!writeAll(handle, text.data(), text.size())) {
      const DWORD error = GetLastError();
      (void)moveTo(handle, *start);  // best effort: the write has already failed
      SetLastError(error);
      return false;
    }
  }
  return true;
}

void closeFile(FileNumber file) {
  const auto record = std::find_if(openFiles.begin(), openFiles.end(),
                                   [file](const OpenFileRecord& r) { return r.number == file; });
  // Erasing the record closes its handle; a failure to close leaves nothing to undo.
  if (record != openFiles.end()) openFiles.erase(record);
}

bool appendLocked(FileNumber file, const Bytes& block, WriteFileFunction write) {
  const HANDLE handle = openHandle(file);
  if (handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  // Between a seek to the end and the write another process may append; the first would then
  // write over it. Every appender holds this lock across both, waiting until it gets it.
  OVERLAPPED range{};
  range.OffsetHigh = kAppendLockOffsetHigh;
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, kAppendLockLength, 0, &range)) return false;
  bool appended = false;
  DWORD error = ERROR_SUCCESS;
  if (const std::optional<LARGE_INTEGER> end = currentPosition(handle, FILE_END)) {
    // One write for the whole block, so that no reader ever sees it in pieces from two saves.
    appended = block.empty() ||
               writeAll(handle, reinterpret_cast<const char*>(block.data()), block.size(), write);
    if (!appended) {
      error = GetLastError();
      // Best effort: cut off what a short write left, so the file ends as it did.
      if (moveTo(handle, *end)) (void)SetEndOfFile(handle);
    }
  } else {
    error = GetLastError();
  }
  (void)UnlockFileEx(handle, 0, kAppendLockLength, 0, &range);  // closing the file unlocks too
  SetLastError(error);
  return appended;
}
