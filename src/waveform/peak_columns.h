// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Peak columns: the picture of a whole file reduced to one minimum and one
// maximum sample value per pixel column, over all channels together.
//
// Column c of `columns` covers the sample frames
// [c x totalFrames / columns, (c + 1) x totalFrames / columns) in integer
// arithmetic, so the columns tile the file without gaps or overlaps and a
// frame's column is frame x columns / totalFrames. A column that no sample
// has reached yet (still being computed, or beyond what a damaged file let us
// read) is not `filled` and is drawn as nothing.
#include <cstddef>
#include <cstdint>

struct ColumnPeak {
  int16_t min = 0;
  int16_t max = 0;
  bool filled = false;

  bool operator==(const ColumnPeak&) const = default;
};

// The first sample frame of `column` (column == columns gives totalFrames).
inline int64_t ColumnFirstFrame(int column, int columns, int64_t totalFrames) {
  return columns > 0 ? static_cast<int64_t>(column) * totalFrames / columns : 0;
}

// Widens `peak` by the samples in [samples, samples + count), any channel
// layout (interleaved channels all count). Marks the column filled when count
// is not 0.
void WidenPeak(ColumnPeak& peak, const int16_t* samples, size_t count);
