// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A position typed or given in milliseconds, clamped into a file of lengthMs:
// below 0 gives 0, above lengthMs gives lengthMs (signed comparisons, in 64
// bits so that a value beyond 32 bits clamps instead of wrapping). The main
// window's value entry and the command-line cut clamp their marks alike.
#include <cstdint>

inline int32_t ClampToLength(int64_t valueMs, int32_t lengthMs) {
  if (valueMs < 0) {
    return 0;
  }
  if (valueMs > lengthMs) {
    return lengthMs;
  }
  return static_cast<int32_t>(valueMs);
}
