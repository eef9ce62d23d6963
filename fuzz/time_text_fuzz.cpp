// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the command-line time parser and the typed-number parser of the
// value entry. A parsed time must be non-negative and read back the same from
// its own h:mm:ss.mmm and ms forms; a parsed number must print back as itself
// apart from blanks, a plus sign and leading zeros.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/value_entry.h"
#include "base/time_text.h"
#include "cli/cli_cut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto ms = ParseCliTimeMs(text)) {
    if (*ms < 0) std::abort();
    char clock[64];
    std::snprintf(clock, sizeof clock, "%lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(*ms / 3600000), static_cast<long long>(*ms / 60000 % 60),
                  static_cast<long long>(*ms / 1000 % 60), static_cast<long long>(*ms % 1000));
    if (ParseCliTimeMs(clock) != *ms) std::abort();
    if (*ms < 1000000000000LL && ParseCliTimeMs(std::to_string(*ms) + "ms") != *ms) std::abort();
  }
  if (const auto number = ParseEnteredNumber(text)) {
    if (ParseEnteredNumber(std::to_string(*number)) != *number) std::abort();
  }
  if (size >= 4) {
    int32_t seconds;
    __builtin_memcpy(&seconds, data, sizeof seconds);
    if (SecondsToClock(seconds).empty()) std::abort();
  }
  return 0;
}
