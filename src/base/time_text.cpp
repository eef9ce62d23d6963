// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/time_text.h"

#include <string_view>
#include <vector>

namespace {

std::optional<int64_t> DigitsValue(const std::string& text, size_t maxDigits = 12) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string ZeroPad2(const std::string& text) { return text.size() == 1 ? "0" + text : text; }

std::string SecondsToClock(int32_t seconds) {
  const int32_t hours = seconds / 3600;
  const int32_t minutes = (seconds % 3600) / 60;
  const int32_t secs = seconds % 60;
  return ZeroPad2(std::to_string(hours)) + ":" + ZeroPad2(std::to_string(minutes)) + ":" +
         ZeroPad2(std::to_string(secs));
}

std::optional<int64_t> ParseTimeTextMs(const std::string& text) {
  constexpr std::string_view kMsSuffix = "ms";
  if (text.size() > kMsSuffix.size() && text.ends_with(kMsSuffix)) {
    return DigitsValue(text.substr(0, text.size() - kMsSuffix.size()));
  }
  std::string clock = text;
  int64_t fractionMs = 0;
  const size_t dot = clock.find('.');
  if (dot != std::string::npos) {
    const std::string fraction = clock.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 3) return std::nullopt;
    const auto digits = DigitsValue(fraction, 3);
    if (!digits) return std::nullopt;
    fractionMs = *digits;
    for (size_t i = fraction.size(); i < 3; ++i) fractionMs *= 10;
    clock = clock.substr(0, dot);
  }
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t colon = clock.find(':', start);
    fields.push_back(clock.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (fields.size() > 3) return std::nullopt;
  int64_t seconds = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const auto value = DigitsValue(fields[i], 9);
    if (!value) return std::nullopt;
    // A field below a higher one is a clock field and stays under 60.
    if (i > 0 && *value >= 60) return std::nullopt;
    seconds = seconds * 60 + *value;
  }
  return seconds * 1000 + fractionMs;
}
