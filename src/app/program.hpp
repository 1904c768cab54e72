// The program's own start: the shell with the program's handlers, the start-up window, the loop.
#pragma once

// Always 0; the exit code is the one the quit message carried, which finishProgram uses.
int programMain();
