#include "app_driver.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "services/system_text.hpp"
#include "window_facts.hpp"

namespace {

constexpr DWORD kAnswerLimitMs = 5000;  // for a message to the program
constexpr DWORD kClickLimitMs = 5000;
constexpr DWORD kEndLimitMs = 5000;

}  // namespace

std::string builtExecutable() {
  if (const char* fromEnv = std::getenv("LUMO_EXE")) {
    const std::string path = windowsPathOf(fromEnv);
    if (pathExists(path)) return path;
  }
  // The test program is built in tests\ below the program.
  char self[MAX_PATH];
  const std::string path(self, GetModuleFileNameA(nullptr, self, sizeof self));
  const std::string tests = path.substr(0, path.rfind('\\'));
  return tests.substr(0, tests.rfind('\\')) + "\\" + kExeName;
}

long elapsedMillisOf(const std::string& text) {
  static const std::string seconds = "秒";
  static const std::string millis = "毫秒";
  const auto digits = [](const std::string& part) {
    return !part.empty() && part.size() <= 9 && part.find_first_not_of("0123456789") == std::string::npos;
  };
  const std::string::size_type s = text.find(seconds);
  if (s == std::string::npos || text.size() < millis.size() ||
      text.compare(text.size() - millis.size(), millis.size(), millis) != 0) {
    return -1;
  }
  const std::string whole = text.substr(0, s);
  const std::string rest = text.substr(s + seconds.size(), text.size() - s - seconds.size() - millis.size());
  if (!digits(whole) || !digits(rest) || std::stol(rest) > 999) return -1;
  return std::stol(whole) * 1000 + std::stol(rest);
}

// --- The program ------------------------------------------------------------------------------------

App::~App() {
  // The job ends the program and all it started; the wait lets the directory go with them.
  if (!job_.endAll() && running()) TerminateProcess(process_.get(), 1);
  if (process_) WaitForSingleObject(process_.get(), kEndLimitMs);
}

bool App::start(const std::string& directory, const std::string& exeName) {
  return startCopyAt(utf16Of(directory + "\\" + exeName, CP_ACP));
}

bool App::start(const std::u16string& directory) {
  return startCopyAt(directory + u"\\" + utf16Of(kExeName, CP_ACP));
}

bool App::startCopyAt(const std::u16string& exePath) {
  const std::u16string built = utf16Of(builtExecutable(), CP_ACP);
  if (!CopyFileW(systemChars(built), systemChars(exePath), FALSE)) {
    std::fprintf(stderr, "cannot copy the program to %s: error %lu\n", utf8(exePath).c_str(), GetLastError());
    return false;
  }
  if (!startExisting(exePath)) {
    std::fprintf(stderr, "cannot start %s: error %lu\n", utf8(exePath).c_str(), GetLastError());
    return false;
  }
  return waitForWindows();
}

bool App::startExisting(const std::string& exePath) { return startExisting(utf16Of(exePath, CP_ACP)); }

bool App::startExisting(const std::u16string& exePath) {
  // Started from the temporary directory, not its own: the program must find its directory itself.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  process_ = job_.start(u"\"" + exePath + u"\"", reinterpret_cast<const char16_t*>(temp), &pid_);
  return process_.valid();
}

bool App::waitForWindows(DWORD timeoutMs) {
  return pollUntil(timeoutMs, [this] {
    HWND main = mainWindow();
    HWND lapViewer = viewer();
    // Start-up ends with the main window in front; Wine settles that a moment after it is shown,
    // and a test that activates another window before then can lose it again.
    return main != nullptr && lapViewer != nullptr && IsWindowVisible(main) && IsWindowVisible(lapViewer) &&
           GetForegroundWindow() == main;
  });
}

bool App::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD App::waitForExit(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

HWND App::mainWindow() const { return findWindow(pid_, kMainClass); }
HWND App::viewer() const { return findWindow(pid_, kViewerClass); }

std::string App::text(HWND hwnd) {
  if (hwnd == nullptr) return "<no window>";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs, &length)) {
    return "<no answer>";
  }
  std::vector<char> buffer(length + 1 + 16);  // room for a text that grows meanwhile
  DWORD_PTR got = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                      kAnswerLimitMs, &got);
  return std::string(buffer.data(), got);
}

bool App::setText(HWND hwnd, const std::string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             kAnswerLimitMs, &result) != 0;
}

bool App::click(HWND button) {
  // What the user cannot see or use, the user cannot click.
  if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(button, &pid);
  const KernelHandle owner(OpenProcess(SYNCHRONIZE, FALSE, pid));
  // The button sends its click to the handler before it answers BM_CLICK.
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, kClickLimitMs, &result)) return true;
  // A handler that ends the program (the reset does) never answers; it has run all the same.
  return owner && WaitForSingleObject(owner.get(), 0) == WAIT_OBJECT_0;
}

bool App::postClick(HWND button) { return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0); }

bool App::close(HWND window) { return window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0); }

// --- Input and windows ------------------------------------------------------------------------------

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

namespace {

INPUT keyInput(WORD code, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

void pressWith(WORD modifier, WORD vk) {
  std::vector<INPUT> inputs;
  if (modifier != 0) inputs.push_back(keyInput(modifier, false));
  inputs.push_back(keyInput(vk, false));
  inputs.push_back(keyInput(vk, true));
  if (modifier != 0) inputs.push_back(keyInput(modifier, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void pressKey(WORD vk, bool shift) { pressWith(shift ? VK_SHIFT : 0, vk); }

void pressAltKey(WORD vk) { pressWith(VK_MENU, vk); }

bool bringToFront(HWND window) {
  SetForegroundWindow(window);
  if (!pollUntil(3000, [window] { return GetForegroundWindow() == window; })) return false;
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
  if (!SendMessageTimeoutA(box, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs, &packed)) return {-1, -1};
  return {LOWORD(packed), HIWORD(packed)};
}

int editUnits(const std::string& ansiText) {
  if (!runningUnderWine()) return static_cast<int>(ansiText.size());
  return MultiByteToWideChar(CP_ACP, 0, ansiText.data(), static_cast<int>(ansiText.size()), nullptr, 0);
}

bool saveDesktopBitmap(const std::string& path) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) return false;
  const WindowDC screen(nullptr);
  if (!screen) return false;
  const MemoryDC memory(CreateCompatibleDC(screen.get()));
  // Bottom-up rows, 24 bits a pixel, each row padded to four bytes: the pixels as a BMP file
  // holds them, so they go to the file as they are.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  const BitmapHandle bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!memory || !bitmap) return false;
  {
    const ScopedSelect selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY | CAPTUREBLT)) return false;
  }
  GdiFlush();
  const DWORD imageBytes = ((static_cast<DWORD>(width) * 3 + 3) & ~3u) * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + imageBytes;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  bytes.append(static_cast<const char*>(pixels), imageBytes);
  return writeFileBytes(path, bytes);
}

HWND findMessageBox(DWORD pid) { return findWindow(pid, "#32770"); }

std::string messageBoxText(HWND box) {
  // The box's text is its static control with identifier 0xFFFF.
  return App::text(GetDlgItem(box, 0xFFFF));
}

// --- Instances that a reset starts ------------------------------------------------------------------

std::string imageDirectory(DWORD pid) {
  const std::string full = imagePath(pid);
  return full.substr(0, full.rfind('\\'));
}

namespace {

struct FindOther {
  DWORD notPid;
  std::string directory;
  DWORD found;
};

BOOL CALLBACK matchOther(HWND hwnd, LPARAM param) {
  auto* request = reinterpret_cast<FindOther*>(param);
  char className[16];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == request->notPid || GetClassNameA(hwnd, className, sizeof className) == 0 ||
      lstrcmpA(className, kMainClass) != 0 || !IsWindowVisible(hwnd)) {
    return TRUE;
  }
  if (lstrcmpiA(imageDirectory(pid).c_str(), request->directory.c_str()) != 0) return TRUE;
  request->found = pid;
  return FALSE;
}

BOOL CALLBACK listInstance(HWND hwnd, LPARAM param) {
  char className[16];
  if (GetClassNameA(hwnd, className, sizeof className) && lstrcmpA(className, kMainClass) == 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    *reinterpret_cast<std::string*>(param) += imagePath(pid) + " ";
  }
  return TRUE;
}

}  // namespace

DWORD findRestartedInstance(DWORD oldPid, const std::string& directory, DWORD timeoutMs) {
  FindOther request{oldPid, directory, 0};
  pollUntil(timeoutMs, [&] {
    EnumWindows(matchOther, reinterpret_cast<LPARAM>(&request));
    return request.found != 0;
  });
  return request.found;
}

DWORD closeInstance(DWORD pid) {
  const KernelHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return STILL_ACTIVE;
  App::close(findWindow(pid, kViewerClass));
  App::close(findWindow(pid, kMainClass));
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  } else {
    TerminateProcess(process.get(), 1);
  }
  return code;
}

std::string runningInstances() {
  std::string list;
  EnumWindows(listInstance, reinterpret_cast<LPARAM>(&list));
  return list;
}
