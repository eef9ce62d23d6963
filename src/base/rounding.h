// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every rounding of a floating-point value to an integer in Snipola rounds to
// the nearest integer with halves going to the even neighbour (1.5 -> 2,
// 2.5 -> 2). std::nearbyint does exactly that in the default rounding mode,
// which the program never changes.
#include <cmath>
#include <cstdint>

inline int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

// Milliseconds to sample frames: ms / 1000 x rate, rounded half to even.
inline int64_t MsToFrames(double ms, int64_t sampleRate) {
  return RoundHalfEven(ms / 1000.0 * static_cast<double>(sampleRate));
}

// Sample frames to milliseconds: frames / rate x 1000, rounded half to even.
inline int64_t FramesToMs(double frames, int64_t sampleRate) {
  return RoundHalfEven(frames / static_cast<double>(sampleRate) * 1000.0);
}
