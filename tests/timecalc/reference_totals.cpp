// The plain transcription of the totaliser; see reference_totals.h.
#include "reference_totals.h"

#include <cstdlib>

namespace timecalc::reference {
namespace {

void KeepDigitsOneByOne(CTextBuffer& field) {
  std::int32_t i = 0;
  while (i < field.GetLength()) {
    const auto byte = static_cast<signed char>(field.GetAt(i));
    if (byte < '0' || byte > '9') {
      field = field.Left(i) + field.Mid(i + 1);
    } else {
      ++i;
    }
  }
}

SecondCount FieldValue(CTextBuffer field) {
  KeepDigitsOneByOne(field);
  return std::atol(field.GetBuffer());
}

SecondCount ParseLine(CTextBuffer line) {
  SecondCount seconds = 0;
  const std::int32_t label = line.Find("[");
  if (label >= 0 && line.FindChar(']') >= 0) line = line.Left(label);
  const std::int32_t colon = line.FindChar(':');
  if (colon >= 0) {
    seconds += FieldValue(line.Left(colon)) * 3600;
    line = line.Mid(colon + 1);
  }
  const std::int32_t point = line.FindChar('.');
  if (point >= 0) {
    seconds += FieldValue(line.Left(point)) * 60;
    line = line.Mid(point + 1);
  }
  return seconds + FieldValue(line);
}

SecondCount SumLines(CTextBuffer rest) {
  SecondCount sum = 0;
  while (rest.GetLength() > 0) {
    std::int32_t end = rest.Find("\r\n");
    if (end < 0) end = rest.GetLength();
    sum += ParseLine(rest.Left(end));
    rest = rest.Mid(end + 2);
  }
  return sum;
}

}  // namespace

Totals ComputeTotals(std::string_view text, std::int32_t selStart, std::int32_t selEnd) {
  CTextBuffer all;
  all.Assign(text.data(), static_cast<std::int32_t>(text.size()));
  const CTextBuffer selection = all.Mid(selStart, selEnd - selStart);
  return {SumLines(all), SumLines(selection)};
}

}  // namespace timecalc::reference
