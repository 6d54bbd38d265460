// The application object: names the program and shows the main dialog; the program ends when the
// dialog closes.
#pragma once

#include <QApplication>

class CTallimoApp : public QApplication {
  Q_OBJECT

 public:
  CTallimoApp(int& argc, char** argv);

  // Shows the main dialog until it closes. Returns false: there is no loop to run afterwards.
  bool InitInstance();
};
