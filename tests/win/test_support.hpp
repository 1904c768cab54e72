// What the Windows tests share beyond the common test library (temporary directories, files,
// snapshots, the bounded wait): child processes of this test program.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "processes.hpp"
#include "program.hpp"
#include "test_files.hpp"
#include "wait.hpp"
#include "services/system_text.hpp"

// This test program's own path.
std::string testProgramPath();

// The same helpers for paths that GBK cannot write, through the wide functions. The expected
// names are the tests' own UTF-16 literals, never a conversion of the program's.
SystemText testProgramSystemPath();
void putFile(const SystemText& path, const std::string& bytes);
void makeDirectory(const SystemText& path);
bool pathExists(const SystemText& path);
// A copy of this test program under the path; true when it was made.
bool copyTestProgramTo(const SystemText& path);
// The directory of this program's own module, up to its last backslash.
SystemText ownDirectory();

// A started child in a job of its own; when this goes, the child and all it started in turn (a
// restart script and the instance it brings back) are ended if they still run.
struct ChildProcess {
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept
      : job(std::move(other.job)), process(std::exchange(other.process, nullptr)), id(other.id) {}
  ~ChildProcess();

  ProcessJob job;
  HANDLE process = nullptr;  // owned until waitForExit closes it
  DWORD id = 0;
};
// Starts `program` with the arguments (quoted for it); the caller waits with waitForExit.
ChildProcess startChild(const std::string& program, const std::vector<std::string>& arguments);
ChildProcess startChild(const SystemText& program, const std::vector<std::string>& arguments);
// The exit code, or STILL_ACTIVE when the process has not ended by the deadline (then it is
// terminated). Closes the process handle.
DWORD waitForExit(ChildProcess& child, DWORD timeoutMs);

// The child modes of this program: argv[1] names one ("--child=..."), the rest are its arguments.
int runChildMode(int argc, char** argv);

// A copy of this program whose name ends in "探针.exe", started without a child mode, is the
// instance that a restart script brings back (or a program planted where none should run): it
// notes its process id in kCameBackName beside it and exits.
inline constexpr char kRestartProbeName[] = "重启探针.exe";
inline constexpr char kCameBackName[] = "came-back.txt";
bool isRestartProbe();
int runRestartProbe();
