// SPDX-License-Identifier: GPL-3.0-or-later
// The track bar's millisecond-to-pixel mappings; see track_geometry.h.
#include "app/track_geometry.h"

#include <algorithm>
#include <climits>

#include "base/rounding.h"

namespace {

// Pixel values stay in int; marks outside the file (which the commands never
// produce while a file is open) must still not overflow the conversion.
int ToPixels(double value) {
  return static_cast<int>(std::clamp<int64_t>(RoundHalfEven(value), INT_MIN / 2, INT_MAX / 2));
}

}  // namespace

int HandleLeftForPosition(int32_t positionMs, int32_t lengthMs, int trackMin, int trackMax) {
  const double span = trackMax - trackMin;
  return trackMin + ToPixels(static_cast<double>(positionMs) / lengthMs * span);
}

int32_t PositionForHandleLeft(int handleLeft, int32_t lengthMs, int trackMin, int trackMax) {
  const double span = trackMax - trackMin;
  return static_cast<int32_t>(RoundHalfEven((handleLeft - trackMin) / span * lengthMs));
}

SelectionBarPlacement SelectionBarFor(int32_t markBeginMs, int32_t markEndMs, int32_t lengthMs,
                                      int trackMin, int trackMax, int trackButtonWidth) {
  const double span = trackMax - trackMin;
  const double markedMs = static_cast<double>(markEndMs) - static_cast<double>(markBeginMs);
  SelectionBarPlacement bar;
  bar.width = ToPixels(markedMs / lengthMs * span);
  bar.left = ToPixels(static_cast<double>(markBeginMs) / lengthMs * span + trackMin) +
             trackButtonWidth / 2;
  return bar;
}
