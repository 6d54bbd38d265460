// The application object: names the program, has Qt speak its language, reads its command line and
// shows the main dialog; the program ends when the dialog closes.
#pragma once

#include <QApplication>
#include <string>
#include <vector>

class CTallimoApp : public QApplication {
  Q_OBJECT

 public:
  CTallimoApp(int& argc, char** argv);

  // Reads the command line (the arguments after the program's name that are not Qt's own, as
  // their bytes), then shows the main dialog until it closes, with the paths the command line names
  // measured into it. Returns false: there is no loop to run afterwards.
  bool InitInstance(const std::vector<std::string>& arguments = {});

  // What the program ends with: 0, or the status of a command line that could not be read.
  int ExitStatus() const { return m_exitStatus; }

 private:
  // Qt's own texts, such as the edit menu of the list and of the address field, in the language of
  // Tallimo's own.
  void InstallQtTranslations();

  int m_exitStatus = 0;
};
