#include "app/main_window_controls.hpp"

#include "app/handlers.hpp"
#include "shell/window.hpp"

// The handlers that use it run only while 启动窗口 is loaded; writes to a window that is gone are
// dropped, as a control's would be.
std::string MainWindowControls::caption(std::string_view label) const {
  LoadedWindow* w = loadedWindow(启动窗口);
  return w != nullptr ? w->caption(label) : std::string();
}

void MainWindowControls::setCaption(std::string_view label, std::string_view text) {
  if (LoadedWindow* w = loadedWindow(启动窗口)) w->setCaption(label, text);
}

void MainWindowControls::setContent(std::string_view box, std::string_view text) {
  if (LoadedWindow* w = loadedWindow(启动窗口)) w->setContent(box, text);
}

void MainWindowControls::setPeriod(std::string_view timer, std::int32_t ms) {
  if (LoadedWindow* w = loadedWindow(启动窗口)) w->setPeriod(timer, ms);
}

void MainWindowControls::appendLapLine(std::string_view line) {
  if (loadedWindow(记次窗口) == nullptr) showLapViewer();
  if (LoadedWindow* viewer = loadedWindow(记次窗口)) viewer->appendEditText(viewerControls::编辑框1.name, line);
}
