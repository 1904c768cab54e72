#include "restart/restart.hpp"

#include <windows.h>

#include "restart/restart_script.hpp"
#include "services/files.hpp"
#include "services/late_bound.hpp"
#include "services/process.hpp"
#include "services/system_error.hpp"
#include "services/text.hpp"

SystemText shortSystemPathOf(const SystemText& path) {
  SystemText buffer(MAX_PATH, u'\0');
  // A buffer too small is answered with the size it takes, zero included; the second try has it.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = lateBound::getShortPathName(systemChars(path), systemChars(buffer),
                                                     static_cast<DWORD>(buffer.size()));
    if (length == 0) return SystemText();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length, u'\0');
  }
  return SystemText();
}

std::string shortPathOf(const std::string& path) {
  return shortPathOf(path, [](const char* longPath, char* buffer, std::uint32_t bufferSize) {
    answerShortPathQuery(fromSystemText(shortSystemPathOf(toSystemText(longPath))), buffer,
                         bufferSize);
  });
}

RestartResult restartSelf(std::optional<std::int32_t> delaySeconds, ProgramStart start,
                          ShortPathLookup shortForm) {
  const SystemText executablePath = systemRunDirectory() + u"\\" + systemExecutableName();
  if (!fileExists(executablePath)) {
    return {RestartFailure::executableMissing, ERROR_FILE_NOT_FOUND, executablePath};
  }
  // A new console reads in the OEM code page; on code page 936 the script is what it always was.
  const RestartTarget target{executablePath, shortForm(executablePath), GetOEMCP() == kGbkCodePage};
  const std::string script = restartScriptFor(target, delaySeconds);
  const SystemText scriptPath = systemRunDirectory() + u"\\" + toSystemText(restartScriptName);
  if (!writeFile(scriptPath, {toBytes(script)})) {
    return {RestartFailure::scriptNotWritten, GetLastError(), scriptPath};
  }
  // The script's cmd inherits the variable, which the script of last resort names the executable
  // by. Quoted: unquoted, a path with blanks would first be tried as "C:\Program.exe" and the like.
  if (!SetEnvironmentVariableW(systemChars(toSystemText(restartTargetVariable)),
                               systemChars(executablePath)) ||
      !start(u"\"" + scriptPath + u"\"", false, kWindowHidden)) {
    const DWORD error = GetLastError();
    (void)DeleteFileW(systemChars(scriptPath));  // a script that never ran has nothing to delete it
    return {RestartFailure::scriptNotStarted, error, scriptPath};
  }
  // Nothing is saved or closed first: the new instance begins from zero anyway.
  terminateOwnProcess();
}

bool terminateProcessById(std::uint32_t processId, bool useGiven) {
  const DWORD id = useGiven ? processId : lateBound::getCurrentProcessId();
  const HANDLE process = lateBound::openProcess(PROCESS_TERMINATE, FALSE, id);
  const bool terminated = lateBound::terminateProcess(process, 0) == TRUE;
  (void)lateBound::closeHandle(process);
  return terminated;
}

void terminateOwnProcess() {
  (void)terminateProcessById(lateBound::getCurrentProcessId(), true);
  // Reached only when the system refused; the caller still means this instance to end.
  ExitProcess(0);
}

SystemText resetFailureText(const RestartResult& result) {
  return resetFailureText(result.failure, result.path, systemErrorText(result.systemError));
}
