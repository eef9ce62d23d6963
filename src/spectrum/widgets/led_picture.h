// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LedPicture: the analyzer's off-screen picture, 129 x 44 pixels, and the
// drawing that composes it: the background with its frame and bevel, the
// 42 x 10 matrix of unlit 2 x 2 LED dots on a 3-pixel horizontal and 4-pixel
// vertical pitch, and the bars of the 21 bands, 5 pixels wide and growing
// from the bottom of the black field in 2-pixel colour segments.
//
// Rectangles are left, top, right, bottom with right and bottom exclusive.
// The pixels are written straight into the image's memory, so composing a
// picture allocates nothing. User-interface thread only.
#include <QImage>

// The background picture, drawn by code: a 1-pixel frame, a 1-pixel bevel
// (darker at the top and left, lighter at the right and bottom, with three
// corner shades) around the black field x = 2..126, y = 2..41.
QImage MakeLedBackground();

class LedPicture {
 public:
  static constexpr int kWidth = 129;
  static constexpr int kHeight = 44;

  // A picture of the background alone, ready for DrawLedGrid. `background`
  // must be kWidth x kHeight.
  explicit LedPicture(const QImage& background);

  // Copies the background over the whole picture and paints the unlit dots.
  void DrawLedGrid();
  // Paints the bar of `band` (0..20) with `heightPx` (0..40) pixels over the
  // picture; it stands on y = 41 and reaches up to y = 42 - heightPx.
  void PaintBar(int band, int heightPx);

  const QImage& image() const { return picture_; }

 private:
  // Fills left..right-1 x top..bottom-1, clipped to the picture.
  void FillRect(int left, int top, int right, int bottom, QRgb color);

  QImage background_;
  QImage picture_;
};
