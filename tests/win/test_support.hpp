// What the Windows tests share: temporary directories, file contents, snapshots of a directory
// for "nothing changed" checks, and child processes of this test program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../common/test_files.hpp"
#include "services/system_text.hpp"

// A fresh directory under the system's temporary folder, removed with all it holds at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& nameHint = "lumo");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  // A name that GBK may not write, for the wide functions.
  SystemText operator/(std::u16string_view name) const;

 private:
  std::string path_;
};

void removeTree(const std::string& path);
void putFile(const std::string& path, const std::string& bytes);
void makeDirectory(const std::string& path);
void setReadOnly(const std::string& file);

// Every entry below a directory: "dir" for a directory, otherwise "file" and the content, with
// "(read-only)" when the attribute is set.
using DirectorySnapshot = std::map<std::string, std::string>;
DirectorySnapshot snapshotOf(const std::string& directory);

// Makes the directory unwritable for this user, for real: the owner's permission, not the
// attribute, which the system ignores for directories. Undone by the TempDir's removal.
bool denyWritesTo(const std::string& directory);
void allowWritesTo(const std::string& directory);

// This test program's own path.
std::string testProgramPath();

// The same helpers for paths that GBK cannot write, through the wide functions. The expected
// names are the tests' own UTF-16 literals, never a conversion of the program's.
SystemText testProgramSystemPath();
std::string readFileBytes(const SystemText& path);
void putFile(const SystemText& path, const std::string& bytes);
void makeDirectory(const SystemText& path);
bool pathExists(const SystemText& path);
// A copy of this test program under the path; true when it was made.
bool copyTestProgramTo(const SystemText& path);
// The directory of this program's own module, up to its last backslash.
SystemText ownDirectory();

// A started child; one that is still running when this goes is terminated.
struct ChildProcess {
  ChildProcess() = default;
  ChildProcess(HANDLE process, DWORD id) : process(process), id(id) {}
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept : process(other.process), id(other.id) {
    other.process = nullptr;
  }
  ~ChildProcess();

  HANDLE process = nullptr;
  DWORD id = 0;
};
// Starts `program` with the arguments (quoted for it); the caller waits with waitForExit.
ChildProcess startChild(const std::string& program, const std::vector<std::string>& arguments);
ChildProcess startChild(const SystemText& program, const std::vector<std::string>& arguments);
// The exit code, or STILL_ACTIVE when the process has not ended by the deadline (then it is
// terminated). Closes the process handle.
DWORD waitForExit(ChildProcess& child, DWORD timeoutMs);

// Polls until the condition holds or the time is up; true when it held.
template <typename Condition>
bool pollUntil(DWORD timeoutMs, Condition condition) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

// The child modes of this program: argv[1] names one ("--child=..."), the rest are its arguments.
int runChildMode(int argc, char** argv);

// A copy of this program whose name ends in "探针.exe", started without a child mode, is the
// instance that a restart script brings back (or a program planted where none should run): it
// notes its process id in kCameBackName beside it and exits.
inline constexpr char kRestartProbeName[] = "重启探针.exe";
inline constexpr char kCameBackName[] = "came-back.txt";
bool isRestartProbe();
int runRestartProbe();
