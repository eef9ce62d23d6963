// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WaveDrag: what a press, the pointer's moves and the release on a strip of
// the waveform window do. A press that travels kDragPx pixels or more is a
// drag: on the piece it marks from the press to the pointer, on a mark line
// it moves that mark; either way the marks keep begin <= end. A press
// released sooner is a click, which moves the position as before. Positions
// come in as the milliseconds the window's pixels stand for.
#include <cstdint>
#include <optional>
#include <utility>

class WaveDrag {
 public:
  enum class Target { Piece, Begin, End };
  // Pointer travel that makes a press a drag, and how near a mark line a
  // press must be to grab it.
  static constexpr double kDragPx = 3;

  void Press(double x, int32_t atMs, Target target);
  // The marks (begin, end) with the pointer at x (atMs), from the marks now;
  // nullopt while no drag is under way.
  std::optional<std::pair<int32_t, int32_t>> Move(double x, int32_t atMs, int32_t beginMs,
                                                  int32_t endMs);
  // Ends the press: true when it was a click (pressed, never dragged).
  bool Release();
  bool Pressed() const { return pressed_; }
  int32_t PressMs() const { return anchorMs_; }

 private:
  bool pressed_ = false;
  bool dragging_ = false;
  double pressX_ = 0;
  int32_t anchorMs_ = 0;
  Target target_ = Target::Piece;
};

// What a press at x grabs on a strip whose mark lines are at beginX and
// endX: the nearer line within kDragPx (the end on a tie, so a piece of no
// width can be opened to the right), else the piece.
WaveDrag::Target WaveDragTargetAt(double x, double beginX, double endX);
