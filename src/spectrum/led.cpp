// SPDX-License-Identifier: GPL-3.0-or-later
// led: gathering played audio into blocks and turning each block into the 21
// bar heights of the analyzer (see led.h).
#include "spectrum/led.h"

#include <cmath>
#include <cstring>

#include "base/rounding.h"
#include "spectrum/fourier.h"

std::array<uint8_t, kSpectrumBlockBytes> SpectrumBuffer{};
int32_t SpectrumFill = 0;
std::array<int32_t, kSpectrumBands> BarLevel{};
TransformArray LeftRealIn{}, LeftImagIn{}, LeftRealOut{}, LeftImagOut{};
TransformArray RightRealIn{}, RightImagIn{}, RightRealOut{}, RightImagOut{};

namespace {

bool showAnalyzer = false;
LedDisplay* ledDisplay = nullptr;

// A band sum of this many magnitude units is one pixel of bar height.
constexpr double kSumPerPixel = 65536.0 * 4.0;

int16_t SampleAt(int byteOffset) {
  // Little-endian regardless of the host, as the audio is stored.
  const auto low = static_cast<uint16_t>(SpectrumBuffer[byteOffset]);
  const auto high = static_cast<uint16_t>(SpectrumBuffer[byteOffset + 1]);
  return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
}

void Deinterleave() {
  for (int i = 0; i < kSpectrumPairs; ++i) {
    LeftRealIn[i] = SampleAt(4 * i);
    RightRealIn[i] = SampleAt(4 * i + 2);
    LeftImagIn[i] = 0.0;
    RightImagIn[i] = 0.0;
  }
}

int32_t BandLevel(int firstBin, int widthBins) {
  double sum = 0.0;
  for (int k = firstBin; k < firstBin + widthBins; ++k) {
    const double left =
        std::sqrt(LeftRealOut[k] * LeftRealOut[k] + LeftImagOut[k] * LeftImagOut[k]);
    const double right =
        std::sqrt(RightRealOut[k] * RightRealOut[k] + RightImagOut[k] * RightImagOut[k]);
    sum = (right + left) / 2.0 + sum;
  }
  // The largest possible sum is about 2.4e10, far inside a 64-bit integer.
  const int64_t level = RoundHalfEven(sum / kSumPerPixel);
  return level > kBarMaxHeightPx ? kBarMaxHeightPx : static_cast<int32_t>(level);
}

}  // namespace

void SetShowAnalyzerFlag(bool on) { showAnalyzer = on; }
bool ShowAnalyzerFlag() { return showAnalyzer; }

void SetLedDisplay(LedDisplay* display) { ledDisplay = display; }
LedDisplay* CurrentLedDisplay() { return ledDisplay; }

void SpectrumFeed(const uint8_t* data, int32_t countBytes) {
  if (!showAnalyzer) {
    return;
  }
  // Playback buffers hold at most one block; a longer count would run past
  // the block, so it is dropped rather than trusted.
  if (countBytes <= 0 || countBytes > kSpectrumBlockBytes) {
    return;
  }

  if (SpectrumFill + countBytes < kSpectrumBlockBytes) {
    std::memcpy(SpectrumBuffer.data() + SpectrumFill, data, static_cast<size_t>(countBytes));
    SpectrumFill += countBytes;
    return;
  }
  const int32_t headBytes = kSpectrumBlockBytes - SpectrumFill;
  std::memcpy(SpectrumBuffer.data() + SpectrumFill, data, static_cast<size_t>(headBytes));
  AnalyzeBlock();
  SpectrumFill = countBytes - headBytes;
  std::memcpy(SpectrumBuffer.data(), data + headBytes, static_cast<size_t>(SpectrumFill));
}

void AnalyzeBlock() {
  Deinterleave();
  ForwardFft(kSpectrumPairs, LeftRealIn.data(), LeftImagIn.data(), LeftRealOut.data(),
             LeftImagOut.data());
  ForwardFft(kSpectrumPairs, RightRealIn.data(), RightImagIn.data(), RightRealOut.data(),
             RightImagOut.data());

  if (ledDisplay != nullptr) {
    ledDisplay->DrawLedGrid();
  }
  int firstBin = 1;
  for (int band = 0; band < kSpectrumBands; ++band) {
    const int32_t level = BandLevel(firstBin, BandWidths[band]);
    firstBin += BandWidths[band];
    if (BarLevel[band] < level) {
      BarLevel[band] = level;
    }
    if (ledDisplay != nullptr) {
      ledDisplay->PaintBar(band, BarLevel[band]);
    }
    BarLevel[band] = BarLevel[band] <= kBarFallPx ? 0 : BarLevel[band] - kBarFallPx;
  }
  if (ledDisplay != nullptr) {
    ledDisplay->CopyToWindow();
  }
}
