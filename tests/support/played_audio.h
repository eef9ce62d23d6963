// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Comparing what an audio device played (the bytes SDL's disk driver wrote) with what it was given.
// A real device keeps running when the program is late with the next buffer and plays silence
// meanwhile, so on a busy machine runs of silence can appear anywhere in the played bytes. The
// comparison skips such runs and nothing else: every byte it was given must come out, in order,
// unchanged, and only silence may lie between, before or after.
#include <cstddef>
#include <cstdint>
#include <vector>

struct PlayedMatch {
  size_t expectedBytes = 0;  // how many bytes of `expected` came out, in order
  size_t playedEnd = 0;      // where in `played` the match stopped
  int dropouts = 0;          // runs of silence skipped inside the audio
};

// Walks `played` along `expected`, skipping runs of zero bytes (silence of
// 16-bit PCM) wherever `expected` does not go on with them. Stops at the first
// difference that is not silence, or at the end of either.
PlayedMatch MatchPlayed(const std::vector<uint8_t>& played, const std::vector<uint8_t>& expected);
// True when every byte of `bytes` from `offset` on is zero.
bool SilentFrom(const std::vector<uint8_t>& bytes, size_t offset);
