// SPDX-License-Identifier: GPL-3.0-or-later
// Fade gains and in-place scaling; see fades.h.
#include "export/fades.h"

#include <algorithm>
#include <cmath>

namespace {

void ScaleFrame(int16_t* frame, int channels, long double gain) {
  for (int c = 0; c < channels; ++c) {
    // nearbyint rounds half to even in the default rounding mode. Gains are
    // within 0..1, so the result always fits in 16 bits.
    frame[c] = static_cast<int16_t>(std::nearbyint(static_cast<long double>(frame[c]) * gain));
  }
}

}  // namespace

FadeFrames MakeFadeFrames(bool fadeIn, int32_t fadeInSeconds, bool fadeOut, int32_t fadeOutSeconds,
                          int32_t sampleRate) {
  FadeFrames fades;
  const uint64_t rate = sampleRate > 0 ? static_cast<uint64_t>(sampleRate) : 0;
  if (fadeIn && fadeInSeconds > 0) fades.fadeInFrames = static_cast<uint64_t>(fadeInSeconds) * rate;
  if (fadeOut && fadeOutSeconds > 0) {
    fades.fadeOutFrames = static_cast<uint64_t>(fadeOutSeconds) * rate;
  }
  return fades;
}

void ApplyFades(int16_t* samples, uint32_t blockFrames, int channels, uint64_t pieceFrames,
                uint64_t doneInPiece, const FadeFrames& fades) {
  if (blockFrames == 0) return;
  if (fades.fadeInFrames > 0 && doneInPiece < fades.fadeInFrames) {
    const uint64_t count = std::min<uint64_t>(blockFrames, fades.fadeInFrames - doneInPiece);
    const long double length = static_cast<long double>(fades.fadeInFrames);
    for (uint64_t i = 0; i < count; ++i) {
      const long double gain = static_cast<long double>(doneInPiece + i) / length;
      ScaleFrame(samples + i * static_cast<uint64_t>(channels), channels, gain);
    }
  }
  if (fades.fadeOutFrames > 0) {
    // Signed, so a fade-out longer than the piece starts before its first frame.
    const int64_t fadeStart =
        static_cast<int64_t>(pieceFrames) - static_cast<int64_t>(fades.fadeOutFrames);
    const int64_t blockEnd = static_cast<int64_t>(doneInPiece) + blockFrames;
    if (blockEnd > fadeStart) {
      const int64_t first = std::max<int64_t>(0, fadeStart - static_cast<int64_t>(doneInPiece));
      const long double length = static_cast<long double>(fades.fadeOutFrames);
      for (int64_t i = first; i < blockFrames; ++i) {
        const uint64_t position = doneInPiece + static_cast<uint64_t>(i);
        const long double gain = static_cast<long double>(pieceFrames - position) / length;
        ScaleFrame(samples + static_cast<uint64_t>(i) * channels, channels, gain);
      }
    }
  }
}
