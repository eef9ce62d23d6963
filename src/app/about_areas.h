// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about box's picture (240 x 120) and what a press on it does. Its title
// strip has a close area at the right; the rest of the strip drags the box.
// Below it the web address, underlined, lies over the link area, which opens
// the program's web page and shows the hand pointer. All bounds are
// exclusive: close X 221..231 (Y < 20), link X 21..139 and Y 66..74.
#include "app/caption_areas.h"
#include "base/version.h"

inline constexpr int kAboutWidth = 240;
inline constexpr int kAboutHeight = 120;

// The program's own web page (project() in CMakeLists.txt), drawn into the
// about box's picture.
inline constexpr const char* kAboutWebAddress = kSnipolaHomepage;

enum class AboutArea { None, Close, TitleStrip, Link };

inline AboutArea AboutAreaAt(int x, int y, int windowWidth) {
  if (y < kTitleStripHeight) {
    return (x > windowWidth - 20 && x < windowWidth - 8) ? AboutArea::Close : AboutArea::TitleStrip;
  }
  if (x > 20 && x < 140 && y > 65 && y < 75) {
    return AboutArea::Link;
  }
  return AboutArea::None;
}
