// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SampleIndex: a place on the sample timeline of a file, counted in sample
// frames from its first frame (frame 0). The end of a file is the index one
// past its last frame, which is also its length in frames. A stretch of audio
// is [begin, end): its frame count is end - begin.
//
// Milliseconds are what the user sees and types; a mark becomes a SampleIndex
// once (SampleOfMs in audio/audio_file_info.h) and every export, playback and
// drawing works on that index. 64 bits: no file is too long for it.
#include <compare>
#include <cstdint>

class SampleIndex {
 public:
  constexpr SampleIndex() = default;
  constexpr explicit SampleIndex(int64_t frame) : frame_(frame) {}

  constexpr int64_t Frame() const { return frame_; }

  constexpr auto operator<=>(const SampleIndex&) const = default;

  // The frames from `begin` to `end` (negative when end lies before begin).
  friend constexpr int64_t operator-(SampleIndex end, SampleIndex begin) {
    return end.frame_ - begin.frame_;
  }
  friend constexpr SampleIndex operator+(SampleIndex at, int64_t frames) {
    return SampleIndex(at.frame_ + frames);
  }

 private:
  int64_t frame_ = 0;
};
