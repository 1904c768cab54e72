#include "test_support.hpp"

#include <cstdio>

namespace {

std::string quoted(const std::string& argument) { return "\"" + argument + "\""; }

constexpr DWORD kEndLimitMs = 5000;

const wchar_t* wide(const SystemText& text) { return systemChars(text); }

}  // namespace

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
  ChildProcess child;
  child.process = child.job.start(commandLine, nullptr, &child.id).release();
  return child;
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
    WaitForSingleObject(child.process, kEndLimitMs);
  }
  CloseHandle(child.process);
  child.process = nullptr;
  return code;
}
