// SPDX-License-Identifier: GPL-3.0-or-later
// Press, moves and release on a waveform strip: clicks, marking the piece, and dragging a mark
// line, with the marks kept in order.
#include "waveform/wave_drag.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Presses at x = 100 (1000 ms) on `target` with marks 400-1600, moves to each x (ms = 10 x) and
// releases: the marks after every move ("-" for none), then "click" or "drag".
std::string Gesture(WaveDrag::Target target, std::initializer_list<double> moves) {
  WaveDrag drag;
  int32_t begin = 400, end = 1600;
  drag.Press(100, 1000, target);
  std::string seen;
  for (const double x : moves) {
    const auto marks = drag.Move(x, static_cast<int32_t>(x * 10), begin, end);
    if (marks) std::tie(begin, end) = *marks;
    seen += marks ? std::to_string(begin) + "-" + std::to_string(end) + " " : "- ";
  }
  return seen + (drag.Release() ? "click" : "drag");
}

}  // namespace

TEST(WaveDrag, APressBecomesADragAfterThreePixels) {
  using T = WaveDrag::Target;
  EXPECT_EQ(Gesture(T::Piece, {101, 97.5}), "- - click");
  EXPECT_EQ(Gesture(T::Piece, {103, 101, 50}), "1000-1030 1000-1010 500-1000 drag");
  EXPECT_EQ(Gesture(T::Piece, {97}), "970-1000 drag");
  EXPECT_EQ(Gesture(T::Begin, {130, 200}), "1300-1600 1600-1600 drag");  // not past the end
  EXPECT_EQ(Gesture(T::End, {20, 150}), "400-400 400-1500 drag");        // not before the begin
  WaveDrag idle;
  EXPECT_FALSE(idle.Move(50, 500, 0, 0) || idle.Release() || idle.Pressed());
}

TEST(WaveDrag, APressNearAMarkLineGrabsIt) {
  using T = WaveDrag::Target;
  const std::pair<double, T> kRows[] = {{17, T::Piece},   {17.5, T::Begin}, {20, T::Begin},
                                        {21.5, T::Begin}, {23, T::End},     {26.5, T::End},
                                        {27, T::Piece}};
  for (const auto& [x, target] : kRows) EXPECT_EQ(WaveDragTargetAt(x, 20.5, 23.5), target) << x;
  EXPECT_EQ(WaveDragTargetAt(50, 50, 50), T::End);  // a piece of no width opens to the right
}
