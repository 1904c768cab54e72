// The life of the process: start-up, the one event loop, loading windows from their descriptions,
// delivering control events to handlers, and the end when the last window is gone.
#pragma once

#include <windows.h>

#include <cstddef>

#include "windows/description.hpp"

class LoadedWindow;

using Handler = void (*)();
// The program's handlers, by the ids the descriptions bind them with.
struct HandlerEntry {
  HandlerId id;
  Handler handler;
};

[[noreturn]] void finishProgram();

// Resolves every binding of both windows against the table; a binding it cannot resolve, or a
// window class the system refuses, is fatal.
void initialiseShell(const HandlerEntry* handlers, std::size_t handlerCount);
template <std::size_t N>
void initialiseShell(const HandlerEntry (&handlers)[N]) {
  initialiseShell(handlers, N);
}
void registerExitRoutine(void (*routine)());
void loadStartupWindow(const WindowDescription& window);
void runEventLoop();
void pumpPendingMessages();
bool loadWindow(const WindowDescription& window, HWND owner);
// control: nullptr for the window itself. True when a handler ran.
bool raiseEvent(const WindowDescription& window, const ControlId* control, Event event);
bool anyWindowOpen();

// The live window of a description, or nullptr when it is not loaded.
LoadedWindow* loadedWindow(const WindowDescription& window);
