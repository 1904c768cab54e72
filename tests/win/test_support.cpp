#include "test_support.hpp"

namespace {

std::string quoted(const std::string& argument) { return "\"" + argument + "\""; }

constexpr DWORD kEndLimitMs = 5000;

}  // namespace

std::string testProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

ChildProcess startChild(const std::string& program, const std::vector<std::string>& arguments) {
  std::string commandLine = quoted(program);
  for (const std::string& argument : arguments) commandLine += " " + quoted(argument);
  ChildProcess child;
  child.process = child.job.start(commandLine, nullptr, &child.id).release();
  return child;
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
    WaitForSingleObject(child.process, kEndLimitMs);
  }
  CloseHandle(child.process);
  child.process = nullptr;
  return code;
}
