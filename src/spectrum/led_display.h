// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LedDisplay: what the spectrum analysis draws on. The analysis decides what
// to show (the empty LED grid, then one bar per band, then the copy to the
// screen); an implementation of this interface decides how. The analyzer
// window implements it over its off-screen picture; tests record the calls.
// Everything here runs on the user-interface thread.
class LedDisplay {
 public:
  virtual ~LedDisplay() = default;

  // Starts a new picture: the background and the 42 x 10 unlit dots.
  virtual void DrawLedGrid() = 0;
  // Paints the bar of `band` (0..20, left to right), `heightPx` (0..40) high,
  // over the picture; a height of 0 paints nothing.
  virtual void PaintBar(int band, int heightPx) = 0;
  // Shows the finished picture on the screen at once.
  virtual void CopyToWindow() = 0;
};
