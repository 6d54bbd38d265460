// A deliberately plain transcription of how a time list is read, cutting the text with
// CTextBuffer exactly as the original program did (it copies the rest of the text for every
// line). The real totaliser must agree with it byte for byte on every input it can handle.
#pragma once

#include <cstdint>
#include <string_view>

#include "timecalc/time_totals.h"

namespace timecalc::reference {

// Positions and counts must fit 32 bits and field values must not overflow; the generator in the
// differential test keeps to that.
Totals ComputeTotals(std::string_view text, std::int32_t selStart, std::int32_t selEnd);

}  // namespace timecalc::reference
