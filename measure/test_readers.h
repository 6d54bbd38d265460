// Readers that misbehave on purpose, compiled only into the test build of tallimo-measure
// (tallimo-measure-test, never installed): the tests drop files named after them to see that a
// reader which crashes, eats memory or hangs costs its file and nothing else.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace measure {

// For a file named "crash…", "hog…", "hang…" or "probe…": what that reader does (the first three
// never return). A probe tries what the lock-down forbids and returns 100 plus 1 if it could open
// the file named by TALLIMO_MEASURE_PROBE, 2 if it could make a socket and 4 if it could start a
// process. nullopt for any other name: the real readers measure it.
std::optional<std::int64_t> RunTestReader(const std::filesystem::path& name);

// What the test build does as it starts, by the first word of the file that
// TALLIMO_MEASURE_TEST_STARTS names, which it takes off the file (one word a start, read before
// the lock-down): "quit" ends the process before it greets, "crash" crashes it on the first file
// it is handed; any other word, or none, starts it as usual. The tests script a run of starts.
enum class StartFault { kNone, kQuit, kCrash };
StartFault TakeStartFault();

[[noreturn]] void Crash();

}  // namespace measure
