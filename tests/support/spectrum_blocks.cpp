// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/spectrum_blocks.h"

#include <cmath>
#include <numbers>

std::vector<uint8_t> PcmBytes(const std::vector<int16_t>& samples) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());  // little-endian
  return {bytes, bytes + samples.size() * 2};
}

std::vector<uint8_t> StereoBlock(const std::function<int16_t(int)>& left,
                                 const std::function<int16_t(int)>& right) {
  std::vector<int16_t> samples;
  for (int i = 0; i < kSpectrumPairs; ++i) {
    samples.push_back(left(i));
    samples.push_back(right(i));
  }
  return PcmBytes(samples);
}

std::vector<uint8_t> ToneBlock(int cycles, double amplitude) {
  auto tone = [cycles, amplitude](int i) {
    const double phase = 2.0 * std::numbers::pi * cycles * i / kSpectrumPairs;
    return static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
  };
  return StereoBlock(tone, tone);
}

void Feed(const std::vector<uint8_t>& bytes) {
  SpectrumFeed(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void SettleSpectrum() {
  SetShowAnalyzerFlag(true);
  const std::vector<uint8_t> silence(kSpectrumBlockBytes);
  SpectrumFeed(silence.data(), kSpectrumBlockBytes - SpectrumFill);
  // A bar of 40 falls to 0 within 14 blocks.
  for (int i = 0; i < 14; ++i) Feed(silence);
}

void RecordingLedDisplay::DrawLedGrid() {
  if (nextStep_ != -1) orderKept_ = false;
  painting_.fill(-1);
  nextStep_ = 0;
}

void RecordingLedDisplay::PaintBar(int band, int heightPx) {
  if (band != nextStep_) orderKept_ = false;
  if (band >= 0 && band < kSpectrumBands) painting_[band] = heightPx;
  nextStep_ = band + 1;
}

void RecordingLedDisplay::CopyToWindow() {
  if (nextStep_ != kSpectrumBands) orderKept_ = false;
  shown_ = painting_;
  ++pictures_;
  nextStep_ = -1;
}
