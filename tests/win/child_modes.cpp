// What this program does when a test starts it as a child process.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lapfile/lap_log.hpp"
#include "restart/restart.hpp"
#include "services/files.hpp"
#include "services/fatal.hpp"
#include "services/late_bound.hpp"
#include "app/handlers.hpp"
#include "test_support.hpp"

namespace {

// --child=unbound-function: binding a function kernel32 does not export is fatal.
int bindMissingFunction() {
  lateBound::bindSystemFunction("kernel32.dll", "LumoNoSuchFunction");
  return 0;  // not reached
}

// --child=append <directory> <base name> <worker> <count> <block size> <start event>: once the
// named event is set, appends numbered blocks to the lap log, each of its own bytes:
// "<worker>.<index>:" and filler up to the size.
int appendBlocks(char** argv) {
  const std::string directory = argv[2];
  const std::string baseName = argv[3];
  const int worker = std::atoi(argv[4]);
  const int count = std::atoi(argv[5]);
  const int size = std::atoi(argv[6]);
  // All workers start at one moment, so that their saves meet.
  const HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[7]);
  if (start == nullptr || WaitForSingleObject(start, 30000) != WAIT_OBJECT_0) return 2;
  CloseHandle(start);
  for (int i = 0; i < count; ++i) {
    std::string block = std::to_string(worker) + "." + std::to_string(i) + ":";
    block.resize(static_cast<std::size_t>(size), static_cast<char>('a' + (worker + i) % 26));
    if (!appendLapLogIn(directory, baseName, block).saved) return 1;
  }
  return 0;
}

// --child=late-bound: the five functions as a process with a planted kernel32.dll beside it
// meets them. Exit code 0 when they came from the system and each was bound once.
int callLateBound() {
  recordExecutableLocation();
  for (int round = 0; round < 2; ++round) {
    if (lateBound::getCurrentProcessId() != GetCurrentProcessId()) return 2;
    const HANDLE self = lateBound::openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                               GetCurrentProcessId());
    if (self == nullptr) return 3;
    if (!lateBound::closeHandle(self)) return 4;
    wchar_t buffer[MAX_PATH] = L"";
    const SystemText path = systemRunDirectory();
    if (lateBound::getShortPathName(systemChars(path), buffer, MAX_PATH) == 0) return 5;
    // TerminateProcess on no process at all: bound, called, refused.
    if (lateBound::terminateProcess(nullptr, 0)) return 6;
  }
  if (lateBound::bindingCount() != 5) return 7;
  const std::string planted = runDirectory() + "\\kernel32.dll";
  // Wine answers with its own kernel32 under the planted name, whatever binds it; what must not
  // be there is a second module of that name.
  const HMODULE underPlantedName = GetModuleHandleA(planted.c_str());
  if (underPlantedName != nullptr && underPlantedName != GetModuleHandleA("kernel32.dll")) return 8;
  return 0;
}

// In runProgram's place: the system refuses to start anything.
bool refuseToStart(const SystemText&, bool, std::int32_t) {
  SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

// In shortSystemPathOf's place: a system that gives no short form.
SystemText noShortForm(const SystemText&) { return SystemText(); }

// In runProgram's place: keeps a copy of the script under this name, then starts it.
std::string scriptCopy;
bool startKeepingACopy(const SystemText& commandLine, bool wait, std::int32_t windowMode) {
  const SystemText script = commandLine.substr(1, commandLine.size() - 2);  // the quotes off
  (void)CopyFileW(systemChars(script), systemChars(toSystemText(scriptCopy)), FALSE);
  return runProgram(commandLine, wait, windowMode);
}

// --child=restart <delay or "none"> <note file> [moved | unstarted | no-short-form]: a reset from
// this copy's directory; with "moved" after renaming its own executable, with "unstarted" where
// the system refuses to start the script, with "no-short-form" where it gives no short form of
// the executable's path. The script started is kept as "<note file>.script". Returns only when the
// reset did not happen, with the box text in the note file.
int restart(int argc, char** argv) {
  recordExecutableLocation();
  const std::string variant = argc == 5 ? argv[4] : "";
  if (variant == "moved") {
    const SystemText self = systemRunDirectory() + u"\\" + systemExecutableName();
    if (!MoveFileW(systemChars(self), systemChars(self + u".moved"))) return 2;
  }
  const std::optional<std::int32_t> delay =
      std::strcmp(argv[2], "none") == 0 ? std::nullopt : std::optional<std::int32_t>(std::atoi(argv[2]));
  scriptCopy = std::string(argv[3]) + ".script";
  const RestartResult result =
      restartSelf(delay, variant == "unstarted" ? refuseToStart : startKeepingACopy,
                  variant == "no-short-form" ? noShortForm : ShortPathLookup{shortSystemPathOf});
  putFile(argv[3], fromSystemText(resetFailureText(result)));
  return 10 + static_cast<int>(result.failure);
}

// --child=wait: waits to be terminated, 30 seconds at most.
int waitToBeTerminated() {
  Sleep(30000);
  return 3;
}

// --child=startup-info <file>: notes how it was asked to show its window: "<flags> <show state>".
int noteStartupInfo(char** argv) {
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  putFile(argv[2], std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + " " +
                       std::to_string(startup.wShowWindow));
  return 0;
}

// --child=save-lap <text>: one save of the lap text from this copy's directory.
int saveLap(char** argv) {
  recordExecutableLocation();
  return appendLapLog(lapLogBaseName, argv[2]).saved ? 0 : 1;
}

std::string exitRoutineNote;

void noteExitRoutine() { putFile(exitRoutineNote, "ran"); }

void CALLBACK failNow(HWND, UINT, UINT_PTR, DWORD) { reportFatalError("测试中的错误"); }

constexpr int kQuitCode = 7;
void CALLBACK quitNow(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kQuitCode); }

// --child=shell <note file> <fail>: the program's own shell with its windows, an exit routine
// that leaves the note file, and timing started. With "fatal", a fatal error is reported from
// the event loop a moment later; with "quit" the loop is told to end a moment later while both
// windows are open; with "close" the program runs until its windows are closed.
int runShell(char** argv) {
  exitRoutineNote = argv[2];
  initialiseShell(kHandlers);
  registerExitRoutine(noteExitRoutine);
  loadStartupWindow(启动窗口);
  startTiming();
  if (std::strcmp(argv[3], "fatal") == 0) SetTimer(nullptr, 0, 500, failNow);
  if (std::strcmp(argv[3], "quit") == 0) SetTimer(nullptr, 0, 500, quitNow);
  runEventLoop();
  finishProgram();
}

}  // namespace

int runChildMode(int argc, char** argv) {
  const std::string mode = argv[1];
  if (mode == "--child=unbound-function") return bindMissingFunction();
  if (mode == "--child=append" && argc == 8) return appendBlocks(argv);
  if (mode == "--child=late-bound") return callLateBound();
  if (mode == "--child=restart" && (argc == 4 || argc == 5)) return restart(argc, argv);
  if (mode == "--child=wait") return waitToBeTerminated();
  if (mode == "--child=startup-info" && argc == 3) return noteStartupInfo(argv);
  if (mode == "--child=save-lap" && argc == 3) return saveLap(argv);
  if (mode == "--child=shell" && argc == 4) return runShell(argv);
  std::fprintf(stderr, "unknown child mode %s\n", mode.c_str());
  return 99;
}

bool isRestartProbe() {
  // By the wide path: on another code page the ANSI one has a "?" for each Chinese character.
  const SystemText self = testProgramSystemPath();
  const SystemText suffix = u"探针.exe";
  return self.size() > suffix.size() &&
         self.compare(self.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int runRestartProbe() {
  // Its own directory found by itself, not by the services under test.
  putFile(ownDirectory() + u"\\" + toSystemText(kCameBackName), std::to_string(GetCurrentProcessId()));
  return 0;
}
