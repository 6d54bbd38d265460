// Entry point of the tallimo program.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "ui/tallimo_app.h"

int main(int argc, char* argv[]) {
  // Every argument after "--" is a path, Qt's own options (-platform, -reverse, ...) included: Qt
  // sees only those before it, and takes its own out of them. The rest keep their bytes.
  char** const end = argv + argc;
  char** const paths = std::find_if(
      argv + 1, end, [](const char* argument) { return std::string_view(argument) == "--"; });
  std::vector<char*> qtArguments(argv, paths);
  qtArguments.push_back(nullptr);
  int qtCount = static_cast<int>(qtArguments.size()) - 1;
  CTallimoApp app(qtCount, qtArguments.data());
  std::vector<std::string> arguments(qtArguments.begin() + 1, qtArguments.begin() + qtCount);
  arguments.insert(arguments.end(), paths, end);
  return app.InitInstance(arguments) ? app.exec() : app.ExitStatus();
}
