// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of played and given audio (see played_audio.h).
#include "support/played_audio.h"

#include <algorithm>

namespace {

// Bytes of the expected audio looked for where the played audio resumes after
// silence: long enough to be found only at its true place.
constexpr size_t kResumeWindowBytes = 64;

bool IsZero(uint8_t byte) { return byte == 0; }

}  // namespace

PlayedMatch MatchPlayed(const std::vector<uint8_t>& played, const std::vector<uint8_t>& expected) {
  PlayedMatch match;
  size_t i = 0, j = 0;  // in expected, in played
  while (i < expected.size() && j < played.size()) {
    if (played[j] == expected[i]) {
      ++i;
      ++j;
      continue;
    }
    if (played[j] != 0) break;
    // Silence where the audio should go on: find where it resumes (zeros of the audio matched
    // just before cannot be told from the silence, so where the run began does not matter).
    const size_t window = std::min(kResumeWindowBytes, expected.size() - i);
    const auto from = played.begin() + static_cast<std::ptrdiff_t>(j);
    const auto resume =
        std::search(from, played.end(), expected.begin() + static_cast<std::ptrdiff_t>(i),
                    expected.begin() + static_cast<std::ptrdiff_t>(i + window));
    if (resume == played.end() || !std::all_of(from, resume, IsZero)) break;
    if (i > 0) ++match.dropouts;
    j = static_cast<size_t>(resume - played.begin());
  }
  match.expectedBytes = i;
  match.playedEnd = j;
  return match;
}

bool SilentFrom(const std::vector<uint8_t>& bytes, size_t offset) {
  return offset >= bytes.size() ||
         std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end(), IsZero);
}
