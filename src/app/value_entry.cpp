// SPDX-License-Identifier: GPL-3.0-or-later
// Prompts, default texts, parsing and clamping of the four value entries; see value_entry.h.
#include "app/value_entry.h"

#include <limits>

#include "base/time_text.h"

std::string EntryPrompt(EntryField field, bool useSecond) {
  const char* what = "";
  switch (field) {
    case EntryField::CurrentPosition:
      what = "Current Position";
      break;
    case EntryField::MarkBegin:
      what = "Mark Begin Position";
      break;
    case EntryField::MarkEnd:
      what = "Mark End Position";
      break;
    case EntryField::MarkLength:
      what = "Mark Length";
      break;
  }
  return std::string(what) + (useSecond ? "(seconds)" : "(milliseconds)");
}

std::string EntryDefaultText(int64_t valueMs, bool useSecond) {
  return std::to_string(useSecond ? valueMs / 1000 : valueMs);
}

namespace {

// A whole decimal number in the signed 32-bit range between begin and end.
std::optional<int32_t> WholeNumber(const std::string& text, size_t begin, size_t end) {
  bool negative = false;
  if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
    negative = text[begin] == '-';
    ++begin;
  }
  if (begin == end) {
    return std::nullopt;
  }
  // Accumulate the magnitude in 64 bits and stop as soon as it leaves the
  // 32-bit range, so that any number of digits is refused without wrapping.
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) {
      return std::nullopt;
    }
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::optional<int64_t> ParseEnteredValueMs(const std::string& text, bool useSecond) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && blank(text[begin])) {
    ++begin;
  }
  while (end > begin && blank(text[end - 1])) {
    --end;
  }
  if (const auto number = WholeNumber(text, begin, end)) {
    return useSecond ? static_cast<int64_t>(*number) * 1000 : *number;
  }
  return ParseTimeTextMs(text.substr(begin, end - begin));
}
