// The life of the process: start-up, the one event loop, loading windows from their descriptions,
// delivering control events to handlers, and the end when the last window is gone.
#pragma once

#include <windows.h>

#include "windows/description.hpp"

class LoadedWindow;

int programMain();
[[noreturn]] void finishProgram();

void initialiseShell();
void registerExitRoutine(void (*routine)());
void loadStartupWindow(const WindowDescription& window);
void runEventLoop();
void pumpPendingMessages();
bool loadWindow(const WindowDescription& window, HWND owner, bool modal);
// control: nullptr for the window itself. True when a handler ran.
bool raiseEvent(const WindowDescription& window, const char* control, Event event);
bool anyWindowOpen();

// The live window of a description, or nullptr when it is not loaded.
LoadedWindow* loadedWindow(const WindowDescription& window);

// Called by a window once it is destroyed: ends the loop when it was the last one.
void windowDestroyed();
HINSTANCE programInstance();
