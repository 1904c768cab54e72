// A short scripted session with the real program, for a machine without a display: start, two
// laps, stop, save. Prints what the windows show and the lap log, then keeps the windows up until
// the caller has taken its screenshot (the file named by the second argument appears).
//   headless_session <program path> <file that ends the session>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app_driver.hpp"
#include "lapfile/lap_log.hpp"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: headless_session <program> <done-file>\n");
    return 2;
  }
  // Positions in the screen's own pixels, whatever the display scale (the system would otherwise
  // scale what this process asks for).
  SetProcessDPIAware();
  const std::string program = argv[1];
  const std::string doneFile = argv[2];
  App app;
  if (!app.startExisting(program) || !app.waitForWindows()) {
    std::fprintf(stderr, "the program did not show its windows\n");
    return 1;
  }
  // The session, a click at a time with the pauses a user would leave; it stops at a click that
  // did not take.
  struct Step {
    const ControlId& button;
    bool inViewer;
    DWORD pauseAfterMs;
  };
  const Step steps[] = {
      {mainControls::按钮1, false, 1000},  // start
      {mainControls::按钮3, false, 1000},  // lap
      {mainControls::按钮3, false, 250},   // lap
      {mainControls::按钮2, false, 0},     // stop
      {mainControls::按钮5, false, 0},     // brings the lap viewer to the front
      {viewerControls::按钮1, true, 0},    // save
  };
  for (const Step& step : steps) {
    if (!App::click(step.inViewer ? app.viewerControl(step.button) : app.mainControl(step.button))) {
      std::fprintf(stderr, "the click on %.*s did not take\n", static_cast<int>(step.button.name.size()),
                   step.button.name.data());
      return 1;
    }
    Sleep(step.pauseAfterMs);
  }

  const std::string directory = program.substr(0, program.rfind('\\'));
  const std::string logPath = directory + "\\" + std::string(lapLogFileName);
  std::printf("elapsed: %s\nlaps: %s\nstatus: %s\nlap log %s:\n%s", app.mainText(mainControls::标签2).c_str(),
              app.mainText(mainControls::标签3).c_str(), app.mainText(mainControls::编辑框2).c_str(), logPath.c_str(),
              readFileBytes(logPath).c_str());
  std::fflush(stdout);
  // Side by side for the screenshot, as a user would drag them; where the desktop is too narrow for
  // that (a larger display scale), the viewer goes to its lower right corner, over the least of the
  // main window. Then they stay up until the screenshot is taken.
  RECT main, viewer;
  GetWindowRect(app.mainWindow(), &main);
  GetWindowRect(app.viewer(), &viewer);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  POINT mainAt{60, 200}, viewerAt{640, 214};
  if (viewerAt.x + (viewer.right - viewer.left) > screenWidth || mainAt.x + (main.right - main.left) > viewerAt.x) {
    mainAt = {20, 20};
    viewerAt = {screenWidth - (viewer.right - viewer.left) - 20, screenHeight - (viewer.bottom - viewer.top) - 20};
  }
  SetWindowPos(app.mainWindow(), nullptr, mainAt.x, mainAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(app.viewer(), nullptr, viewerAt.x, viewerAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(300);
  writeFileBytes(doneFile + ".ready", "");
  pollUntil(30000, [&] { return pathExists(doneFile); });
  App::close(app.viewer());
  App::close(app.mainWindow());
  return app.waitForExit() == 0 ? 0 : 1;
}
