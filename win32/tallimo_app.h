// The application object: reads the command line, shows the main dialog, and the program ends
// when it closes.
#pragma once

#include <string>
#include <vector>

class CTallimoApp {
 public:
  // Runs the main dialog to its end, with the paths of the program's command line measured into
  // it; --list, --total, --help, --version and a command line that cannot be read are answered
  // without a window instead (win32::AnswerWithoutWindow).
  // Returns false: there is nothing left to run afterwards.
  bool InitInstance();

  // What the program ends with: 0, or the status of a command line that could not be read.
  int ExitStatus() const { return m_exitStatus; }

 private:
  int m_exitStatus = 0;
};
