// What `tallimo --total FOLDER` does, but with the readers in its own process: walks the folder as
// a drop does and measures every file where it runs, then prints the total. bench_command_line
// times it as the program that measures in-process from its start to its answer.
#include <cstdio>
#include <numeric>

#include "drops/folder_walk.h"
#include "tests/readers/seconds_of.h"
#include "timecalc/time_totals.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  timecalc::SecondCount total = 0;
  for (const drops::FolderFile& file :
       drops::WalkFolder(argv[1], [](std::size_t) { return true; })) {
    total += readers_test::SecondsOf(file.path);
  }
  std::printf("%s\n", timecalc::FormatSeconds(total).c_str());
  return 0;
}
