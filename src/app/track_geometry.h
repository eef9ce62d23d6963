// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The track bar of the main window: where its images sit, and the two
// mappings between milliseconds and pixels. The seek handle's left edge moves
// over TrackMin..TrackMax (16..356, a span of 340 pixels) while the position
// moves over 0..length; the selection bar runs from the handle's centre at the
// mark begin to the handle's centre at the mark end. Divisions are done in
// double precision and rounded half to even.
#include <cstdint>

inline constexpr int kTrackBarLeft = 16;
inline constexpr int kTrackBarTop = 32;
inline constexpr int kTrackBarWidth = 370;
inline constexpr int kTrackBarHeight = 15;
inline constexpr int kTrackButtonWidth = 30;
inline constexpr int kTrackButtonHeight = 15;
inline constexpr int kSelectionTop = 28;
inline constexpr int kSelectionHeight = 2;

// Handle Left for a position within 0..lengthMs (lengthMs not 0).
int HandleLeftForPosition(int32_t positionMs, int32_t lengthMs, int trackMin, int trackMax);

// The position a handle Left stands for (lengthMs not 0).
int32_t PositionForHandleLeft(int handleLeft, int32_t lengthMs, int trackMin, int trackMax);

struct SelectionBarPlacement {
  int left = 0;
  int width = 0;
};

// Left and width of the selection bar for marks with markEndMs > markBeginMs
// (lengthMs not 0).
SelectionBarPlacement SelectionBarFor(int32_t markBeginMs, int32_t markEndMs, int32_t lengthMs,
                                      int trackMin, int trackMax, int trackButtonWidth);
