// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The demo clip: about 30 seconds of an original little piece in C major,
// synthesised from scratch (no samples): a I-vi-IV-V progression with a harp-like
// plucked arpeggio, a bell melody, a soft pad and a round bass, in a small
// room reverb, faded in and out. Standalone: it needs nothing of Snipola.
#include <cstdint>
#include <vector>

inline constexpr int kDemoSampleRate = 44100;
inline constexpr int kDemoChannels = 2;

// Interleaved stereo 16-bit samples at kDemoSampleRate.
std::vector<int16_t> SynthesiseDemoClip();
