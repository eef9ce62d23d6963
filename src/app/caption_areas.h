// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's caption glyphs: four small areas at the right of the
// 20-pixel title strip of its skin picture, acting when a mouse button is
// released over them. All bounds are exclusive; with the 400-pixel picture the
// areas are X 343..351 (about), 356..364 (help), 371..379 (minimize) and
// 383..391 (close).
enum class CaptionArea { None, About, Help, Minimize, Close };

inline constexpr int kTitleStripHeight = 20;

inline CaptionArea MainCaptionAreaAt(int x, int y, int windowWidth) {
  if (y >= kTitleStripHeight) {
    return CaptionArea::None;
  }
  const int w = windowWidth;
  if (x > w - 58 && x < w - 48) {
    return CaptionArea::About;
  }
  if (x > w - 45 && x < w - 35) {
    return CaptionArea::Help;
  }
  if (x > w - 30 && x < w - 20) {
    return CaptionArea::Minimize;
  }
  if (x > w - 18 && x < w - 8) {
    return CaptionArea::Close;
  }
  return CaptionArea::None;
}

// The first X inside `area` (not None); each area is 9 pixels wide.
inline int CaptionAreaLeft(CaptionArea area, int windowWidth) {
  constexpr int kFromRight[] = {0, 57, 44, 29, 17};
  return windowWidth - kFromRight[static_cast<int>(area)];
}
