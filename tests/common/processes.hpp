// Processes that the tests start or meet: their executables, their windows, and making sure none
// of them outlives the test that started it.
#pragma once

#include <windows.h>

#include <string>

#include "services/handles.hpp"

// The full path of the process's executable; empty when it cannot be read.
std::string imagePath(DWORD pid);

// The first top-level window of the process with this class; none when there is none (yet).
HWND findWindow(DWORD pid, const char* className, bool visibleOnly = false);

// A job object that ends every process in it when it goes: a program put in it at its start, and
// all that program starts in turn (a reset's cmd and the instance that cmd starts again, which
// inherit the job), on success and on failure alike, so that none holds the test's output open.
class ProcessJob {
 public:
  ProcessJob();
  // Starts the command line suspended, puts the process in the job, then lets it run. The
  // process's handle, or none when it could not be started.
  KernelHandle start(std::u16string commandLine, const char16_t* directory, DWORD* pid);
  // The same for a command line in the ANSI code page.
  KernelHandle start(const std::string& commandLine, const char* directory, DWORD* pid);
  // How many of the job's processes still run.
  DWORD activeProcesses() const;
  // Ends every process in the job now. False when there was no job to end them.
  bool endAll();

 private:
  KernelHandle job_;
};

// Ends every process but this one whose executable lies inside the directory; how many it ended.
// For what escaped a job: a program started by another that broke away from it.
int endProcessesIn(const std::string& directory);
