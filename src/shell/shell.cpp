#include "shell/shell.hpp"

#include <ole2.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "services/fatal.hpp"
#include "services/files.hpp"
#include "shell/window.hpp"

namespace {

struct RegistryEntry {
  const WindowDescription* description;
  std::unique_ptr<LoadedWindow> live;
};

struct ShellState {
  std::vector<RegistryEntry> registry;
  std::vector<void (*)()> exitRoutines;
  int eventHoldCount = 0;
  bool loopStarted = false;
  HWND hiddenOwnerWindow = nullptr;
  int exitCode = 0;
  bool oleInitialised = false;
};

ShellState& shell() {
  static ShellState state;
  return state;
}

constexpr char kOwnerClass[] = "LumoOwner";

void programExitRoutine() {}
int programStartRoutine() { return 0; }

RegistryEntry* entryOf(const WindowDescription& window) {
  for (auto& entry : shell().registry) {
    if (entry.description == &window) return &entry;
  }
  return nullptr;
}

const ControlRow* rowOf(const WindowDescription& window, const char* name) {
  for (std::size_t i = 0; i < window.controlCount; ++i) {
    if (std::strcmp(window.controls[i].name, name) == 0) return &window.controls[i];
  }
  return nullptr;
}

bool sameSource(const char* a, const char* b) {
  return a == nullptr ? b == nullptr : (b != nullptr && std::strcmp(a, b) == 0);
}

// Every binding must name a control of its own window.
bool bindingsResolve(const WindowDescription& window) {
  for (std::size_t i = 0; i < window.bindingCount; ++i) {
    const char* source = window.bindings[i].source;
    if (source != nullptr && rowOf(window, source) == nullptr) return false;
  }
  return true;
}

void dispatch(MSG& message) {
  if (message.message == WM_KEYDOWN) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (auto& entry : shell().registry) {
      if (entry.live && entry.live->hwnd() == root && entry.live->preTranslateKey(message)) return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

}  // namespace

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }

void initialiseShell() {
  ShellState& s = shell();
  // Texts live in std::string, whose memory comes from the process heap (see the allocator).
  s.oleInitialised = SUCCEEDED(OleInitialize(nullptr));
  recordExecutableLocation();
  const HINSTANCE instance = programInstance();
  if (registerWindowClass(instance, kOwnerClass, DefWindowProcA)) {
    s.hiddenOwnerWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClass, "", 0, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, nullptr);
  }
  // The late-bound system functions bind at their first call (see late_bound.hpp).
  for (const WindowDescription* window : {&启动窗口, &记次窗口}) {
    if (!bindingsResolve(*window) || !LoadedWindow::registerClass(instance, *window)) {
      reportFatalError("载入窗口模板数据段出错!");
    }
    s.registry.push_back({window, nullptr});
  }
  if (!registerControlClasses(instance)) reportFatalError("载入窗口模板数据段出错!");
}

void registerExitRoutine(void (*routine)()) {
  auto& routines = shell().exitRoutines;
  if (std::find(routines.begin(), routines.end(), routine) == routines.end()) routines.push_back(routine);
}

int programMain() {
  initialiseShell();
  registerExitRoutine(programExitRoutine);
  (void)programStartRoutine();  // its value has no use
  loadStartupWindow(启动窗口);
  runEventLoop();
  return 0;
}

void loadStartupWindow(const WindowDescription& window) {
  if (!loadWindow(window, nullptr, false)) reportFatalError("载入启动窗口失败");
}

bool loadWindow(const WindowDescription& window, HWND owner, bool /*modal: never used*/) {
  RegistryEntry* entry = entryOf(window);
  if (entry == nullptr) return false;
  if (entry->live && entry->live->exists()) {
    HWND hwnd = entry->live->hwnd();
    if (IsIconic(hwnd)) {
      ShowWindow(hwnd, SW_RESTORE);
    } else {
      SetActiveWindow(hwnd);
    }
    return true;
  }
  ShellState& s = shell();
  pumpPendingMessages();
  ++s.eventHoldCount;
  if (owner == nullptr && !window.taskbarButton) owner = s.hiddenOwnerWindow;
  entry->live = std::make_unique<LoadedWindow>(window);
  const bool created = entry->live->create(owner);
  pumpPendingMessages();  // events are still held
  if (s.eventHoldCount > 0) --s.eventHoldCount;
  if (!created) {
    entry->live.reset();
    return false;
  }
  raiseEvent(window, nullptr, Event::created);
  if (!entry->live || !entry->live->exists()) return true;
  if (window.visible) entry->live->show();
  return true;
}

void pumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {  // arrived in between: leave it for the loop
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    dispatch(message);
  }
}

void runEventLoop() {
  ShellState& s = shell();
  s.loopStarted = true;
  if (!anyWindowOpen()) return;
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    dispatch(message);
  }
  s.exitCode = static_cast<int>(message.wParam);
}

bool raiseEvent(const WindowDescription& window, const char* control, Event event) {
  ShellState& s = shell();
  if (s.eventHoldCount > 0 || fatalErrorReported()) return false;
  RegistryEntry* entry = entryOf(window);
  if (entry == nullptr) reportFatalError("未找到引发事件的窗口");
  if (control != nullptr) {
    if (rowOf(window, control) == nullptr) reportFatalError("未找到引发事件的窗口组件");
    if (!entry->live || entry->live->control(control) == nullptr) reportFatalError("引发事件的窗口组件无效");
  }
  for (std::size_t i = 0; i < window.bindingCount; ++i) {
    const Binding& binding = window.bindings[i];
    if (binding.event == event && sameSource(binding.source, control)) {
      if (binding.handler != nullptr) binding.handler();
      return true;
    }
  }
  return false;
}

bool anyWindowOpen() {
  for (const auto& entry : shell().registry) {
    if (entry.live && entry.live->exists()) return true;
  }
  return false;
}

LoadedWindow* loadedWindow(const WindowDescription& window) {
  RegistryEntry* entry = entryOf(window);
  return entry != nullptr && entry->live && entry->live->exists() ? entry->live.get() : nullptr;
}

void windowDestroyed() {
  if (shell().loopStarted && !anyWindowOpen()) PostQuitMessage(0);
}

void finishProgram() {
  ShellState& s = shell();
  ++s.eventHoldCount;
  s.registry.clear();
  for (auto routine : s.exitRoutines) routine();
  s.exitRoutines.clear();
  // The late-bound functions come from kernel32, which every process has loaded: nothing to free.
  if (s.hiddenOwnerWindow != nullptr) DestroyWindow(s.hiddenOwnerWindow);
  if (s.oleInitialised) OleUninitialize();
  ExitProcess(static_cast<UINT>(s.exitCode));
}
