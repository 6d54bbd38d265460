// Entry point of the tallimo program.
#include "ui/tallimo_app.h"

int main(int argc, char* argv[]) {
  CTallimoApp app(argc, argv);
  return app.InitInstance() ? app.exec() : app.ExitStatus();
}
