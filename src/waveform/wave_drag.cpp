// SPDX-License-Identifier: GPL-3.0-or-later
// The waveform window's press-drag-release rules; see wave_drag.h.
#include "waveform/wave_drag.h"

#include <algorithm>
#include <cmath>

void WaveDrag::Press(double x, int32_t atMs, Target target) {
  pressed_ = true;
  dragging_ = false;
  pressX_ = x;
  anchorMs_ = atMs;
  target_ = target;
}

std::optional<std::pair<int32_t, int32_t>> WaveDrag::Move(double x, int32_t atMs, int32_t beginMs,
                                                          int32_t endMs) {
  if (!pressed_ || (!dragging_ && std::abs(x - pressX_) < kDragPx)) return std::nullopt;
  dragging_ = true;
  switch (target_) {
    case Target::Begin:
      return std::pair(std::min(atMs, endMs), endMs);
    case Target::End:
      return std::pair(beginMs, std::max(atMs, beginMs));
    case Target::Piece:
      break;
  }
  return std::pair(std::min(anchorMs_, atMs), std::max(anchorMs_, atMs));
}

bool WaveDrag::Release() {
  const bool click = pressed_ && !dragging_;
  pressed_ = false;
  dragging_ = false;
  return click;
}

WaveDrag::Target WaveDragTargetAt(double x, double beginX, double endX) {
  const double toBegin = std::abs(x - beginX);
  const double toEnd = std::abs(x - endX);
  if (toEnd <= WaveDrag::kDragPx && toEnd <= toBegin) return WaveDrag::Target::End;
  if (toBegin <= WaveDrag::kDragPx) return WaveDrag::Target::Begin;
  return WaveDrag::Target::Piece;
}
