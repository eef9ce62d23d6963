// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Linear fades applied in place to a block of 16-bit PCM frames.
//
// Positions count frames from the start of the piece. With N fade-in frames
// the frame at position p gets the gain p / N (the first frame is silent);
// with F fade-out frames in a piece of P frames the frame at p gets
// (P - p) / F from position P - F on (the last frame keeps 1 / F). A fade
// longer than its piece covers the whole piece with the same formula, so it
// never reaches full gain (fade-in) or starts below it (fade-out). The
// fade-out is applied after the fade-in, so where both cover a frame their
// gains multiply. Each sample is scaled in extended precision and rounded half
// to even; every channel of a frame gets the same gain.
#include <cstdint>

struct FadeFrames {
  uint64_t fadeInFrames = 0;   // 0: no fade-in
  uint64_t fadeOutFrames = 0;  // 0: no fade-out
};

// Fade frames for whole seconds at a rate, in 64 bits (hours of fade at any
// rate fit). Unchecked fades and 0 seconds give 0.
FadeFrames MakeFadeFrames(bool fadeIn, int32_t fadeInSeconds, bool fadeOut, int32_t fadeOutSeconds,
                          int32_t sampleRate);

// Scales the block that starts at piece position doneInPiece.
void ApplyFades(int16_t* samples, uint32_t blockFrames, int channels, uint64_t pieceFrames,
                uint64_t doneInPiece, const FadeFrames& fades);
