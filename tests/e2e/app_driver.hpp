// Drives the real program from another process, as a user would: starts it from a directory of
// the test's own, finds its windows by class and process id, reads texts, clicks and types.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "../common/test_files.hpp"

// Polls until the condition holds or the time runs out; true when it held.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A directory of its own under the temporary directory, removed with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::string& name = "");
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void removeTree(const std::string& path);
// What a directory holds, recursively: each name with "dir" or its bytes and whether it is
// read-only. Two snapshots compare equal when nothing on disk changed in between.
std::map<std::string, std::string> directorySnapshot(const std::string& directory);
// Under Wine the Unix permission bits decide what the program may write, and the read-only
// attribute of a directory is ignored; so this sets the Unix mode (on Windows: a deny entry).
bool setDirectoryWritable(const std::string& directory, bool writable);
// A free drive letter ("R:") whose root is the directory; empty when none could be made. Under
// Wine a link in the prefix's dosdevices directory, on Windows DefineDosDevice (as subst does).
std::string mapDrive(const std::string& directory);
void unmapDrive(const std::string& drive);
bool fileExists(const std::string& path);

// The program under test, as built.
std::string builtExecutable();

// Control identifiers: the row of the window's table plus 100.
enum MainControl : int {
  k按钮1 = 100, k时钟1, k按钮2, k编辑框2, k标签1, k标签2, k标签3, k按钮3, k标签4, k按钮4, k按钮5, k标签5, k标签6,
  k标签7
};
enum ViewerControl : int { k编辑框1 = 100, kSave按钮1 };

inline constexpr char kMainClass[] = "3443";
inline constexpr char kViewerClass[] = "LumoLapViewer";

class App {
 public:
  App() = default;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  ~App();  // ends the program if it still runs

  // Copies the built program into the directory and starts it there; waits for both windows.
  bool start(const std::string& directory, const std::string& exeName = "LumoStopwatch.exe");
  // Starts an executable that is already in place.
  bool startExisting(const std::string& exePath);
  bool waitForWindows(DWORD timeoutMs = 15000);

  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }
  bool running() const;
  // Waits for the process to end; the exit code, or STILL_ACTIVE when it did not end in time.
  DWORD waitForExit(DWORD timeoutMs = 10000);

  HWND mainWindow() const;
  HWND viewer() const;
  HWND mainControl(int id) const { return GetDlgItem(mainWindow(), id); }
  HWND viewerControl(int id) const { return GetDlgItem(viewer(), id); }

  std::string mainText(int id) const { return text(mainControl(id)); }
  std::string viewerText() const { return text(viewerControl(k编辑框1)); }
  bool clickMain(int id) const { return click(mainControl(id)); }
  bool clickSave() const { return click(viewerControl(kSave按钮1)); }

  static std::string text(HWND hwnd);
  static bool setText(HWND hwnd, const std::string& text);
  // A button click as the button itself reports it; returns once the handler has run, or after a
  // few seconds when the handler shows a box and waits for the user.
  static bool click(HWND button);
  // A click that the test does not wait for: queued to the button, handled in its turn.
  static bool postClick(HWND button);
  // Asks the window to close, as its close button does.
  static bool close(HWND window);

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::string exePath_;
};

// The focused window of the thread that owns hwnd.
HWND focusOf(HWND hwnd);
HWND activeOf(HWND hwnd);

// Real keyboard input through the system's input queue, to the window that has the focus.
void pressKey(WORD vk, bool shift = false);
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
bool runningUnderWine();

// The message box a process shows, found by its dialog class.
HWND findMessageBox(DWORD pid);
std::string messageBoxText(HWND box);
