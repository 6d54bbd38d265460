// Differential test: the real totaliser against the plain transcription on generated lists.
#include "reference_totals.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "timecalc/time_totals.h"

namespace timecalc {
namespace {

// Lines people and the drop handler write, and fragments of them.
constexpr std::string_view kTypicalLines[] = {
    "1:05.08",
    "0:03.25[track 01.wav]",
    "90",
    "5.30",
    "1:30",
    "1:2.3.4",
    "0:75.99",
    "[note]1:00.00",
    "1:00.00[",
    "1 :0 5.0 8",
    "-1:05.08",
    "",
    "12:00.00[a]b]",
    "]1:0[0.00",
};

// Bytes that matter to the grammar, plus some that do not.
constexpr char kAlphabetBytes[] = "0123456789::..[[]]\r\r\n\n  -a\x81\xff\0";
constexpr std::string_view kAlphabet(kAlphabetBytes, sizeof kAlphabetBytes - 1);

std::string RandomList(std::mt19937& rng) {
  std::uniform_int_distribution<int> lineCount(0, 12);
  std::uniform_int_distribution<int> kind(0, 2);
  std::uniform_int_distribution<std::size_t> typical(0, std::size(kTypicalLines) - 1);
  std::uniform_int_distribution<std::size_t> letter(0, kAlphabet.size() - 1);
  std::uniform_int_distribution<int> shortLength(0, 10);
  std::string text;
  const int lines = lineCount(rng);
  for (int i = 0; i < lines; ++i) {
    if (kind(rng) == 0) {
      // Random bytes are kept short so that no field holds more digits than a long can take.
      const int n = shortLength(rng);
      for (int k = 0; k < n; ++k) text += kAlphabet[letter(rng)];
    } else {
      text += kTypicalLines[typical(rng)];
    }
    if (i + 1 < lines || kind(rng) == 0) text += "\r\n";
  }
  return text;
}

TEST(TotalsAgreeWithPlainTranscription, OnGeneratedListsAndSelections) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomList(rng);
    const int size = static_cast<int>(text.size());
    std::uniform_int_distribution<int> position(-2, size + 2);
    const int a = position(rng);
    const int b = position(rng);
    const Totals expected = reference::ComputeTotals(text, a, b);
    const Totals actual = ComputeTotals(text, a, b);
    ASSERT_EQ(actual.all, expected.all) << "round " << round << " text '" << text << "'";
    ASSERT_EQ(actual.selection, expected.selection)
        << "round " << round << " text '" << text << "' selection " << a << ".." << b;
  }
}

}  // namespace
}  // namespace timecalc
