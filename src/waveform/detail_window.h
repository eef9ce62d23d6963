// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// DetailWindow: the arithmetic of the detail strip, which shows a short span
// (one second unless zoomed) centred on the current position at the file's
// own sample resolution.
//
// The span's first frame is the centre frame (the position's sample) minus
// half the span, so near the start of a file it
// is negative: frames outside the file are simply not drawn and the position
// stays in the middle of the strip. Pixel column x covers the frames
// [first + x x frames / width, first + (x + 1) x frames / width); when a
// column would hold less than one frame (zoomed in past one sample per
// pixel), the strip draws a line through the samples instead of columns.
#include <cstdint>
#include <vector>

#include "base/sample_index.h"
#include "waveform/peak_columns.h"

inline constexpr int32_t kDetailSpanMs = 1000;
inline constexpr int32_t kDetailMinSpanMs = 5;

struct DetailWindow {
  int64_t firstFrame = 0;  // may lie before the file's first frame
  int64_t frames = 0;      // frames in the span, at least 1
  int widthPx = 1;

  double FramesPerPixel() const { return static_cast<double>(frames) / widthPx; }
  bool DrawsSampleLine() const { return frames < widthPx; }
  // The x (pixels, fractional, may lie outside the strip) of the middle of
  // frame `frame`.
  double XForFrame(int64_t frame) const;
};

// The span of spanMs around the frame `centre` (the position on the file's
// sample timeline).
DetailWindow DetailWindowFor(SampleIndex centre, int32_t spanMs, int32_t sampleRate, int widthPx);

// Min/max columns of the span from `samples` (interleaved, `channels` per
// frame) that hold the frames [window.firstFrame, window.firstFrame +
// window.frames); only the frames in [validFirst, validEnd) are real audio,
// columns without any stay unfilled.
void DetailColumns(const DetailWindow& window, const std::vector<int16_t>& samples, int channels,
                   int64_t validFirst, int64_t validEnd, std::vector<ColumnPeak>& columns);
