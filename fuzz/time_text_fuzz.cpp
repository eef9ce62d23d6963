// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the command-line time parser and the typed-number parser of the
// value entry. A parsed time must be non-negative and read back the same from
// its own h:mm:ss.mmm and ms forms; an entered value must read back from its
// milliseconds typed as a whole number.
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/value_entry.h"
#include "base/time_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto ms = ParseTimeTextMs(text)) {
    if (*ms < 0) std::abort();
    char clock[64];
    std::snprintf(clock, sizeof clock, "%lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(*ms / 3600000), static_cast<long long>(*ms / 60000 % 60),
                  static_cast<long long>(*ms / 1000 % 60), static_cast<long long>(*ms % 1000));
    if (ParseTimeTextMs(clock) != *ms) std::abort();
    if (*ms < 1000000000000LL && ParseTimeTextMs(std::to_string(*ms) + "ms") != *ms) std::abort();
  }
  for (const bool useSecond : {false, true}) {
    // Whatever is read, its milliseconds typed back as a whole number in the
    // millisecond unit read as themselves.
    if (const auto ms = ParseEnteredValueMs(text, useSecond);
        ms && *ms >= INT32_MIN && *ms <= INT32_MAX) {
      if (ParseEnteredValueMs(std::to_string(*ms), false) != *ms) std::abort();
    }
  }
  if (size >= 4) {
    int32_t seconds;
    __builtin_memcpy(&seconds, data, sizeof seconds);
    if (SecondsToClock(seconds).empty()) std::abort();
  }
  return 0;
}
