#include "app_driver.hpp"

#include <cstdlib>
#include <vector>

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return condition();
    Sleep(20);
  }
}

TempDir::TempDir(const std::string& name) {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int serial = 0;
  path_ = std::string(base) + "lumo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  CreateDirectoryA(path_.c_str(), nullptr);
  if (!name.empty()) {
    path_ += "\\" + name;
    CreateDirectoryA(path_.c_str(), nullptr);
  }
}

TempDir::~TempDir() {
  // Remove from the outermost directory this object made.
  const std::string::size_type cut = path_.find('\\', path_.find("lumo-"));
  removeTree(cut == std::string::npos ? path_ : path_.substr(0, cut));
}

void removeTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") removeTree(path + "\\" + name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::map<std::string, std::string> directorySnapshot(const std::string& directory) {
  std::map<std::string, std::string> snapshot;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return snapshot;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = directory + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      snapshot[name] = "dir";
      for (const auto& [inner, what] : directorySnapshot(path)) snapshot[name + "\\" + inner] = what;
    } else {
      snapshot[name] = ((entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? "read-only file: " : "file: ") +
                       readFileBytes(path);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return snapshot;
}

namespace {

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string unixPathOf(const std::string& path) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unixFileName = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixFileName == nullptr) return std::string();
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) return std::string();
  char* unixPath = unixFileName(wide);
  if (unixPath == nullptr) return std::string();
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

// Runs a command line to its end; true when it ran and exited with 0.
bool runCommand(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return code == 0;
}

void startCommand(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

constexpr char kProbePrefix[] = ".write-probe-";

// A probe that meets the permission change half-way may be left behind (it can no longer be
// deleted), so every probe has a name of its own and leftovers are swept once writes work again.
bool canCreateFileIn(const std::string& directory) {
  static unsigned serial = 0;
  const std::string probe = directory + "\\" + kProbePrefix + std::to_string(++serial);
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

void sweepProbes(const std::string& directory) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\" + kProbePrefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    DeleteFileA((directory + "\\" + entry.cFileName).c_str());
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

std::wstring widen(const std::string& text, UINT codePage) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                          static_cast<int>(wide.size()))));
  return wide;
}

// Wine starts Unix programs too, found through drive Z: by their full path (the prefix has no PATH
// of its own), but gives no handle to wait on for them: the effect is polled for instead, and the
// program started again when a start came to nothing. The Unix paths in the command are UTF-8.
bool runUnixProgramUntil(const std::wstring& commandLine, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    startCommand(commandLine);
    if (waitUntil(done, 5000)) return true;
  }
  return false;
}

// Under Wine a drive letter is a link in the prefix's dosdevices directory, looked up afresh on
// every access; the object-namespace link that DefineDosDevice makes there is not followed.
std::string dosDeviceLink(const std::string& drive) {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  const std::string base = prefix != nullptr ? prefix : std::string(home != nullptr ? home : "") + "/.wine";
  return base + "/dosdevices/" + static_cast<char>(drive[0] - 'A' + 'a') + ":";
}

bool underWine() { return !unixPathOf("C:\\").empty(); }

bool driveRootExists(const std::string& drive) { return fileExists(drive + "\\"); }

}  // namespace

bool setDirectoryWritable(const std::string& directory, bool writable) {
  const std::string unixPath = unixPathOf(directory);
  if (!unixPath.empty()) {
    const bool done = runUnixProgramUntil(
        std::wstring(L"Z:\\bin\\chmod ") + (writable ? L"u+w" : L"a-w") + L" \"" + widen(unixPath, CP_UTF8) + L"\"",
        [&] { return canCreateFileIn(directory) == writable; });
    if (done && writable) sweepProbes(directory);
    return done;
  }
  const std::wstring quoted = L"\"" + widen(directory, CP_ACP) + L"\"";
  return runCommand(writable ? L"icacls " + quoted + L" /remove:d *S-1-1-0"
                             : L"icacls " + quoted + L" /deny *S-1-1-0:(WD,AD,DC)");
}

std::string mapDrive(const std::string& directory) {
  const DWORD used = GetLogicalDrives();
  std::string drive;
  for (char letter = 'R'; letter <= 'Y' && drive.empty(); ++letter) {
    if (!(used & (1u << (letter - 'A')))) drive = std::string(1, letter) + ":";
  }
  if (drive.empty()) return drive;
  if (!underWine()) {
    return DefineDosDeviceA(0, drive.c_str(), directory.c_str()) && driveRootExists(drive) ? drive : std::string();
  }
  const bool mapped = runUnixProgramUntil(L"Z:\\bin\\ln -s \"" + widen(unixPathOf(directory), CP_UTF8) + L"\" \"" +
                                              widen(dosDeviceLink(drive), CP_UTF8) + L"\"",
                                          [&] { return driveRootExists(drive); });
  return mapped ? drive : std::string();
}

void unmapDrive(const std::string& drive) {
  if (drive.empty()) return;
  if (!underWine()) {
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
    return;
  }
  runUnixProgramUntil(L"Z:\\bin\\rm \"" + widen(dosDeviceLink(drive), CP_UTF8) + L"\"",
                      [&] { return !driveRootExists(drive); });
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string builtExecutable() {
  if (const char* fromEnv = std::getenv("LUMO_EXE")) {
    std::string path = fromEnv;
    if (!path.empty() && path[0] == '/') {  // a Unix path, reached through drive Z:
      for (char& c : path) {
        if (c == '/') c = '\\';
      }
      path = "Z:" + path;
    }
    if (fileExists(path)) return path;
  }
  // The test program is built in tests\ below the program.
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string dir = self;
  dir = dir.substr(0, dir.rfind('\\'));
  dir = dir.substr(0, dir.rfind('\\'));
  return dir + "\\LumoStopwatch.exe";
}

App::~App() {
  if (process_ != nullptr) {
    if (running()) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
}

bool App::start(const std::string& directory, const std::string& exeName) {
  const std::string target = directory + "\\" + exeName;
  if (!CopyFileA(builtExecutable().c_str(), target.c_str(), FALSE)) return false;
  return startExisting(target) && waitForWindows();
}

bool App::startExisting(const std::string& exePath) {
  exePath_ = exePath;
  std::string commandLine = "\"" + exePath + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Started from the temporary directory, not its own: the program must find its directory itself.
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

bool App::waitForWindows(DWORD timeoutMs) {
  return waitUntil(
      [this] {
        HWND main = mainWindow();
        HWND lapViewer = viewer();
        // Start-up ends with the main window in front; Wine settles that a moment after it is
        // shown, and a test that activates another window before then can lose it again.
        return main != nullptr && lapViewer != nullptr && IsWindowVisible(main) && IsWindowVisible(lapViewer) &&
               GetForegroundWindow() == main;
      },
      timeoutMs);
}

bool App::running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD App::waitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

HWND App::mainWindow() const { return findWindow(pid_, kMainClass); }
HWND App::viewer() const { return findWindow(pid_, kViewerClass); }

std::string App::text(HWND hwnd) {
  if (hwnd == nullptr) return "<no window>";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "<no answer>";
  std::vector<char> buffer(length + 1 + 16);  // room for a text that grows meanwhile
  DWORD_PTR got = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                      5000, &got);
  return std::string(buffer.data(), got);
}

bool App::setText(HWND hwnd, const std::string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &result) != 0;
}

bool App::click(HWND button) {
  if (button == nullptr) return false;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &result);
  return true;
}

bool App::postClick(HWND button) { return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0); }

bool App::close(HWND window) { return window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0); }

HWND focusOf(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND activeOf(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) ? info.hwndActive : nullptr;
}

void pressKey(WORD vk, bool shift) {
  std::vector<INPUT> inputs;
  auto key = [&inputs](WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (shift) key(VK_SHIFT, false);
  key(vk, false);
  key(vk, true);
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool bringToFront(HWND window) {
  SetForegroundWindow(window);
  if (!waitUntil([window] { return GetForegroundWindow() == window; }, 3000)) return false;
  // Still in front a moment later: no activation of the program's own is pending behind it.
  Sleep(100);
  return GetForegroundWindow() == window;
}

bool inFrontOf(HWND a, HWND b) {
  for (HWND w = GetWindow(b, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
    if (w == a) return true;
  }
  return false;
}

RECT outerRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

std::pair<int, int> editSelection(HWND box) {
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutA(box, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &packed)) return {-1, -1};
  return {LOWORD(packed), HIWORD(packed)};
}

bool runningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

int editUnits(const std::string& ansiText) {
  if (!runningUnderWine()) return static_cast<int>(ansiText.size());
  return MultiByteToWideChar(CP_ACP, 0, ansiText.data(), static_cast<int>(ansiText.size()), nullptr, 0);
}

HWND findMessageBox(DWORD pid) { return findWindow(pid, "#32770"); }

std::string messageBoxText(HWND box) {
  // The box's text is its static control with identifier 0xFFFF.
  return App::text(GetDlgItem(box, 0xFFFF));
}
