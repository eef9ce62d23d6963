// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Audio blocks and a recording display for the spectrum analysis tests: PCM
// bytes made from sample functions, tones centred on an FFT bin, and a
// LedDisplay that remembers what the last analysed picture held.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "spectrum/led.h"
#include "spectrum/led_display.h"

// 16-bit samples as little-endian bytes, in order.
std::vector<uint8_t> PcmBytes(const std::vector<int16_t>& samples);
// One 8192-byte stereo block: pair i holds left(i) then right(i).
std::vector<uint8_t> StereoBlock(const std::function<int16_t(int)>& left,
                                 const std::function<int16_t(int)>& right);
// A stereo block with the same sine on both channels, `cycles` whole periods
// per 2048 pairs (so all of it lands in FFT bin `cycles`), peak `amplitude`.
std::vector<uint8_t> ToneBlock(int cycles, double amplitude);
// Feeds `bytes` in one call (at most 8192 bytes).
void Feed(const std::vector<uint8_t>& bytes);
// Brings the program-wide analysis state to a known start without resetting it: completes any held
// block with silence, then feeds silent blocks until every bar has fallen to 0. Leaves the
// show-analyzer flag on and SpectrumFill at 0.
void SettleSpectrum();
// Records the drawing of each analysed block and checks its order: the grid, then the bars of bands
// 0..20 in turn, then the copy to the window. It allocates nothing while recording.
class RecordingLedDisplay : public LedDisplay {
 public:
  void DrawLedGrid() override;
  void PaintBar(int band, int heightPx) override;
  void CopyToWindow() override;
  // Bar heights of the last picture that was copied to the window.
  const std::array<int, kSpectrumBands>& shownHeights() const { return shown_; }
  int pictures() const { return pictures_; }
  // False once a call came out of the order above.
  bool orderKept() const { return orderKept_; }

 private:
  std::array<int, kSpectrumBands> painting_{};
  std::array<int, kSpectrumBands> shown_{};
  int nextStep_ = -1;  // -1: expects the grid; 0..20: that band; 21: the copy
  int pictures_ = 0;
  bool orderKept_ = true;
};
