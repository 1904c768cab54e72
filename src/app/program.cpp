#include "app/program.hpp"

#include "app/handlers.hpp"

namespace {

void programExitRoutine() {}
int programStartRoutine() { return 0; }

}  // namespace

int programMain() {
  initialiseShell(kHandlers);
  registerExitRoutine(programExitRoutine);
  (void)programStartRoutine();  // its value has no use
  loadStartupWindow(启动窗口);
  runEventLoop();
  return 0;
}
