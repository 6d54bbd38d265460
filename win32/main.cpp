// Entry point of tallimo.exe.
#include <windows.h>

#include "win32/tallimo_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CTallimoApp app;
  // The whole program runs inside InitInstance; it never asks for a message loop afterwards.
  app.InitInstance();
  return app.ExitStatus();
}
