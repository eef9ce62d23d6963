// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the spectrum analyzer window sits when docked: horizontally centred
// on the main window, its bottom edge on the main window's top edge; where
// that would cut it off at the top of the screen (`screenTop`), its top edge
// at `belowTop` instead (under the main window and the waveform). Halves
// are integer divisions truncating toward zero, so odd widths round the same
// way on every move and the analyzer never jitters by a pixel.
struct DockPosition {
  int left = 0;
  int top = 0;

  bool operator==(const DockPosition&) const = default;
};

inline DockPosition DockedAnalyzerPosition(int mainLeft, int mainTop, int mainWidth,
                                           int analyzerWidth, int analyzerHeight, int screenTop,
                                           int belowTop) {
  const int above = mainTop - analyzerHeight;
  return {mainLeft + mainWidth / 2 - analyzerWidth / 2, above < screenTop ? belowTop : above};
}
