// Drives the real program from another process, as a user would: starts it from a directory of
// the test's own, finds its windows by class and process id, reads texts, clicks and types. Every
// program it starts, and all that program starts in turn, ends when the App goes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "host.hpp"
#include "processes.hpp"
#include "program.hpp"
#include "test_files.hpp"
#include "wait.hpp"
#include "windows/control_ids.hpp"

// The program under test, as built.
std::string builtExecutable();

// Milliseconds of an elapsed text as the display and the laps show it ("12秒345毫秒" is 12345);
// -1 for any other text.
long elapsedMillisOf(const std::string& text);

class App {
 public:
  App() = default;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  ~App();  // ends the program and all it started, if they still run

  // Copies the built program into the directory and starts it there; waits for both windows.
  bool start(const std::string& directory, const std::string& exeName = kExeName);
  // The same in a directory of any name, given by its UTF-16 path.
  bool start(const std::u16string& directory);
  // Starts an executable that is already in place.
  bool startExisting(const std::string& exePath);
  bool startExisting(const std::u16string& exePath);
  bool waitForWindows(DWORD timeoutMs = 15000);

  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_.get(); }
  bool running() const;
  // Waits for the process to end; the exit code, or STILL_ACTIVE when it did not end in time.
  DWORD waitForExit(DWORD timeoutMs = 10000);

  HWND mainWindow() const;
  HWND viewer() const;
  HWND mainControl(const ControlId& control) const { return GetDlgItem(mainWindow(), control.id); }
  HWND viewerControl(const ControlId& control) const { return GetDlgItem(viewer(), control.id); }

  std::string mainText(const ControlId& control) const { return text(mainControl(control)); }
  std::string viewerText() const { return text(viewerControl(viewerControls::编辑框1)); }
  [[nodiscard]] bool clickMain(const ControlId& button) const { return click(mainControl(button)); }
  [[nodiscard]] bool clickSave() const { return click(viewerControl(viewerControls::按钮1)); }

  static std::string text(HWND hwnd);
  static bool setText(HWND hwnd, const std::string& text);
  // A click on a button that the user can see and use, as the button itself reports it: true once
  // its handler has run. False when there is no such button, or when the handler has not
  // returned within a few seconds (it shows a box and waits for the user: post that click).
  [[nodiscard]] static bool click(HWND button);
  // A click that the test does not wait for: queued to the button, handled in its turn.
  static bool postClick(HWND button);
  // Asks the window to close, as its close button does.
  static bool close(HWND window);

 private:
  ProcessJob job_;
  bool startCopyAt(const std::u16string& exePath);

  KernelHandle process_;
  DWORD pid_ = 0;
};

// The focused and the active window of the thread that owns hwnd.
HWND focusOf(HWND hwnd);
HWND activeOf(HWND hwnd);

// Real keyboard input through the system's input queue, to the window that has the focus.
void pressKey(WORD vk, bool shift = false);
// Alt held down around a key, as for the system menu (Alt+Space).
void pressAltKey(WORD vk);
// Makes the window the foreground window, as a click on its title bar would.
bool bringToFront(HWND window);

// True when a is in front of b: above it in the z-order.
bool inFrontOf(HWND a, HWND b);
// The window's outer rectangle in screen coordinates.
RECT outerRect(HWND window);

// An edit control's selection, start and end. Positions count the control's own units: bytes of
// the ANSI text on Windows, UTF-16 units under Wine (whose edit control keeps Unicode text).
std::pair<int, int> editSelection(HWND box);
int editUnits(const std::string& ansiText);

// Saves what the whole desktop shows at this moment as an uncompressed 24-bit BMP file; false
// when the screen could not be read or the file not written.
bool saveDesktopBitmap(const std::string& path);

// The message box a process shows, found by its dialog class.
HWND findMessageBox(DWORD pid);
std::string messageBoxText(HWND box);

// --- Instances that a reset starts ------------------------------------------------------------------

// The directory of a process's executable; empty when it cannot be read.
std::string imageDirectory(DWORD pid);
// The visible main window of another process than oldPid whose executable lies in directory;
// its process id, or 0 when none came within the time.
DWORD findRestartedInstance(DWORD oldPid, const std::string& directory, DWORD timeoutMs = 20000);
// Closes both windows of the instance and waits for it to end; its exit code.
DWORD closeInstance(DWORD pid);
// The executables of all main windows on the desktop, for failure messages.
std::string runningInstances();
