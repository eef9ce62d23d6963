// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A millisecond tick count from a monotonic clock, wrapping at 32 bits like
// the tick counters that time texts are computed from.
#include <chrono>
#include <cstdint>

inline uint32_t TickCountMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
