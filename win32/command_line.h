// The command line of the two Windows programs: tallimo.exe, the window, and tallimo.com, its
// console companion, which cmd and PowerShell find first for "tallimo" and which waits for the
// answer where tallimo.exe, a program without a console, would be left running behind the prompt.
#pragma once

#include <string>

#include "drops/command_line.h"

namespace win32 {

// This process's command line, read by the shared rules with the texts of its string table.
drops::CommandLine ReadProgramCommandLine();

// A text of the program's string table in the interface language, as drops::LoadText.
std::u16string LoadCommandLineText(int id);

// tallimo.exe: answers a command line that wants no window (any action but kRun) and returns the
// exit status. The answer goes where the program's standard output and error were sent (a pipe or
// a file), else to the console it was started from, else, started from Explorer or a shortcut, to
// one message box, laid out for it.
int AnswerWithoutWindow(const drops::CommandLine& line);

// tallimo.com: the window for a command line that wants one, tallimo.exe beside this program
// started with the same arguments and left to run; the rest answered on the console. Returns the
// exit status.
int RunConsoleProgram();

}  // namespace win32
