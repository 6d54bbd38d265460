// The application object: shows the main dialog, and the program ends when it closes.
#pragma once

class CTallimoApp {
 public:
  // Runs the main dialog to its end. Returns false: there is nothing left to run afterwards.
  bool InitInstance();
};
