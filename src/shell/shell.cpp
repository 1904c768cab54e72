#include "shell/shell.hpp"

#include <ole2.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "services/fatal.hpp"
#include "services/files.hpp"
#include "services/handles.hpp"
#include "services/system_text.hpp"
#include "shell/window.hpp"
#include "shell/window_class.hpp"

namespace {

constexpr char kOwnerClass[] = "LumoOwner";
constexpr char kDescriptionsUnreadable[] = "载入窗口模板数据段出错!";

struct LoadableWindow {
  const WindowDescription* description;
  std::vector<Handler> handlers;  // one per binding, resolved at start-up
  std::unique_ptr<LoadedWindow> live;
};

class Shell final : public WindowEvents {
 public:
  std::vector<LoadableWindow> windows;
  std::vector<void (*)()> exitRoutines;
  int eventHoldCount = 0;
  bool loopStarted = false;
  WindowHandle hiddenOwnerWindow;
  int exitCode = 0;
  bool oleInitialised = false;

  LoadableWindow* find(const WindowDescription& window) {
    for (auto& w : windows) {
      if (w.description == &window) return &w;
    }
    return nullptr;
  }

  void raise(const WindowDescription& window, const ControlId* control, Event event) override {
    (void)raiseEvent(window, control, event);  // whether a handler ran is of no use to a control
  }

  void destroyed(LoadedWindow&) override {
    if (loopStarted && !anyWindowOpen()) PostQuitMessage(0);
  }
};

Shell& shell() {
  static Shell state;
  return state;
}

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }

// Every binding must name a control of its own window and a handler of the table.
bool resolveBindings(LoadableWindow& window, const HandlerEntry* handlers, std::size_t handlerCount) {
  const WindowDescription& d = *window.description;
  for (std::size_t i = 0; i < d.bindingCount; ++i) {
    const Binding& binding = d.bindings[i];
    if (binding.source != nullptr && d.row(binding.source->name) == nullptr) return false;
    if (binding.handler == HandlerId::nothing) {
      window.handlers.push_back(nullptr);
      continue;
    }
    const auto* end = handlers + handlerCount;
    const auto* entry = std::find_if(handlers, end, [&](const HandlerEntry& e) { return e.id == binding.handler; });
    if (entry == end || entry->handler == nullptr) return false;
    window.handlers.push_back(entry->handler);
  }
  return true;
}

void dispatch(MSG& message) {
  if (message.message == WM_KEYDOWN) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (auto& w : shell().windows) {
      if (w.live && w.live->hwnd() == root &&
          w.live->preTranslateKey(static_cast<UINT>(message.wParam), message.hwnd)) {
        return;
      }
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

void initialiseShell(const HandlerEntry* handlers, std::size_t handlerCount) {
  Shell& s = shell();
  // Texts live in std::string, whose memory comes from the process heap (see the allocator).
  s.oleInitialised = SUCCEEDED(OleInitialize(nullptr));
  recordExecutableLocation();
  const HINSTANCE instance = programInstance();
  if (registerWindowClass(instance, kOwnerClass, DefWindowProcW)) {
    s.hiddenOwnerWindow.reset(CreateWindowExW(WS_EX_TOOLWINDOW, systemChars(toSystemText(kOwnerClass)), L"", 0, 0,
                                              0, 0, 0, nullptr, nullptr, instance, nullptr));
  }
  // The late-bound system functions bind at their first call (see late_bound.hpp).
  for (const WindowDescription* description : {&启动窗口, &记次窗口}) {
    LoadableWindow window{description, {}, nullptr};
    if (!resolveBindings(window, handlers, handlerCount) || !LoadedWindow::registerClass(instance, *description)) {
      reportFatalError(kDescriptionsUnreadable);
    }
    s.windows.push_back(std::move(window));
  }
  if (!registerControlClasses(instance)) reportFatalError(kDescriptionsUnreadable);
}

void registerExitRoutine(void (*routine)()) {
  auto& routines = shell().exitRoutines;
  if (std::find(routines.begin(), routines.end(), routine) == routines.end()) routines.push_back(routine);
}

void loadStartupWindow(const WindowDescription& window) {
  if (!loadWindow(window, nullptr)) reportFatalError("载入启动窗口失败");
}

bool loadWindow(const WindowDescription& window, HWND owner) {
  Shell& s = shell();
  LoadableWindow* entry = s.find(window);
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
  pumpPendingMessages();
  ++s.eventHoldCount;
  if (owner == nullptr && !window.has(kTaskbarButton)) owner = s.hiddenOwnerWindow.get();
  entry->live = std::make_unique<LoadedWindow>(window, programInstance(), s);
  const bool created = entry->live->create(owner);
  pumpPendingMessages();  // events are still held
  if (s.eventHoldCount > 0) --s.eventHoldCount;
  if (!created) {
    entry->live.reset();
    return false;
  }
  raiseEvent(window, nullptr, Event::created);
  if (!entry->live || !entry->live->exists()) return true;
  if (window.has(kShownWhenLoaded)) entry->live->show();
  return true;
}

void pumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {  // arrived in between: leave it for the loop
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    dispatch(message);
  }
}

void runEventLoop() {
  Shell& s = shell();
  s.loopStarted = true;
  if (!anyWindowOpen()) return;
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    dispatch(message);
  }
  s.exitCode = static_cast<int>(message.wParam);
}

bool raiseEvent(const WindowDescription& window, const ControlId* control, Event event) {
  Shell& s = shell();
  if (s.eventHoldCount > 0 || fatalErrorReported()) return false;
  LoadableWindow* entry = s.find(window);
  if (entry == nullptr) reportFatalError("未找到引发事件的窗口");
  if (control != nullptr) {
    if (window.row(control->name) == nullptr) reportFatalError("未找到引发事件的窗口组件");
    if (!entry->live || entry->live->control(control->name) == nullptr) {
      reportFatalError("引发事件的窗口组件无效");
    }
  }
  for (std::size_t i = 0; i < window.bindingCount; ++i) {
    const Binding& binding = window.bindings[i];
    const bool sameSource = binding.source == nullptr ? control == nullptr
                                                      : control != nullptr && binding.source->name == control->name;
    if (binding.event == event && sameSource) {
      if (const Handler handler = entry->handlers[i]) handler();
      return true;
    }
  }
  return false;
}

bool anyWindowOpen() {
  for (const auto& w : shell().windows) {
    if (w.live && w.live->exists()) return true;
  }
  return false;
}

LoadedWindow* loadedWindow(const WindowDescription& window) {
  LoadableWindow* entry = shell().find(window);
  return entry != nullptr && entry->live && entry->live->exists() ? entry->live.get() : nullptr;
}

void finishProgram() {
  Shell& s = shell();
  ++s.eventHoldCount;
  // One window at a time, with the list intact: a window still open is destroyed here, and its
  // end asks the list whether any other is open.
  for (auto& w : s.windows) w.live.reset();
  s.windows.clear();
  for (auto routine : s.exitRoutines) routine();
  s.exitRoutines.clear();
  // The late-bound functions come from kernel32, which every process has loaded: nothing to free.
  s.hiddenOwnerWindow.reset();
  if (s.oleInitialised) OleUninitialize();
  ExitProcess(static_cast<UINT>(s.exitCode));
}
