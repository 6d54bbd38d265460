// What files dropped on the window become: one line of the time list each.
#pragma once

#include <string>
#include <vector>

// The line of each file, in the order given: its play length and its name. Measuring may take a
// while for many files, and the wait cursor says so meanwhile.
std::vector<std::u16string> MeasureDroppedFiles(const std::vector<std::u16string>& paths);
