// SPDX-License-Identifier: GPL-3.0-or-later
#include "waveform/detail_window.h"

#include <algorithm>

#include "base/rounding.h"

double DetailWindow::XForFrame(int64_t frame) const {
  return (static_cast<double>(frame - firstFrame) + 0.5) / FramesPerPixel();
}

DetailWindow DetailWindowFor(SampleIndex centre, int32_t spanMs, int32_t sampleRate, int widthPx) {
  DetailWindow window;
  window.widthPx = std::max(widthPx, 1);
  window.frames = std::max<int64_t>(MsToFrames(spanMs, sampleRate), 1);
  window.firstFrame = centre.Frame() - window.frames / 2;
  return window;
}

void DetailColumns(const DetailWindow& window, const std::vector<int16_t>& samples, int channels,
                   int64_t validFirst, int64_t validEnd, std::vector<ColumnPeak>& columns) {
  columns.assign(static_cast<size_t>(window.widthPx), ColumnPeak{});
  const int64_t available = std::min<int64_t>(
      window.frames, static_cast<int64_t>(samples.size()) / std::max(channels, 1));
  for (int x = 0; x < window.widthPx; ++x) {
    const int64_t from = std::max(ColumnFirstFrame(x, window.widthPx, window.frames),
                                  validFirst - window.firstFrame);
    const int64_t to = std::min({ColumnFirstFrame(x + 1, window.widthPx, window.frames),
                                 validEnd - window.firstFrame, available});
    if (from < to) {
      WidenPeak(columns[x], samples.data() + from * channels,
                static_cast<size_t>((to - from) * channels));
    }
  }
}
