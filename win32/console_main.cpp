// Entry point of tallimo.com, the console companion of tallimo.exe.
#include "win32/command_line.h"

int wmain() { return win32::RunConsoleProgram(); }
