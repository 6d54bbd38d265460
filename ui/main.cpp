// Entry point of the tallimo program.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "drops/command_line.h"
#include "drops/terminal.h"
#include "ui/resources.h"
#include "ui/tallimo_app.h"

namespace {

// Whether Qt's GUI could start: a display, or a platform named for it (in the environment or
// with -platform), else it ends the program before its options are even read.
bool CanStartGui(const std::vector<std::string>& arguments) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return std::find_if(arguments.begin(), arguments.end(), [](const std::string& argument) {
           return argument == "-platform" || argument == "--platform";
         }) != arguments.end();
}

}  // namespace

int main(int argc, char* argv[]) {
  // --list, --total, --help and --version make no window, so Qt's GUI, which wants a display, is
  // never started for them: they work over SSH and in scripts. An unknown option may be one of
  // Qt's own, which only Qt can take out, unless Qt could not start anyway.
  const std::vector<std::string> all(argv + 1, argv + argc);
  const drops::CommandLine line = drops::ReadCommandLine(all, u"" TALLIMO_VERSION, ui::LoadText);
  if (line.windowless || (line.action == drops::CommandLine::Action::kError && !CanStartGui(all))) {
    return drops::RunWithoutWindow(line, *drops::StandardStreams(), ui::LoadText);
  }

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
