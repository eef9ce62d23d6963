// SPDX-License-Identifier: GPL-3.0-or-later
// The quietest window near a mark: the choice on a table of levels, and the
// stretch around a mark decoded from a WAV with a pause.
#include "audio/quiet_point.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace {

// Windows of 2 stereo frames; digit d is the level d * 100 on both channels.
std::vector<int16_t> Windows(const std::string& levels) {
  std::vector<int16_t> samples;
  for (const char level : levels) samples.insert(samples.end(), 4, (level - '0') * 100);
  return samples;
}

}  // namespace

TEST(QuietPoint, PicksTheQuietestWholeWindowNearestTheMark) {
  struct Row {
    const char* levels;
    int markWindow;
    std::optional<int64_t> centre;  // frames; window i is centred on 2i + 1
  };
  const Row kRows[] = {
      {"99999", 2, std::nullopt},  // nothing quieter
      {"99909", 2, 7},             // one quieter window, right
      {"09990", 2, 1},             // equals at the same distance: the left one
      {"09909", 2, 7},             // equals: the nearer one
      {"91999", 2, 3},             // quieter but not silent
      {"91929", 4, 3},             // the lowest, not the first lower
      {"90999", 0, 3},             // a mark in the first window looks right only
      {"11111", 0, std::nullopt},  // equal levels are no quieter
  };
  for (const Row& row : kRows) {
    EXPECT_EQ(QuietestWindowCentre(Windows(row.levels), 2, 2, 2 * row.markWindow + 1), row.centre)
        << row.levels;
  }
  // A window cut short by the end does not compete, however quiet.
  std::vector<int16_t> cut = Windows("9999");
  cut.insert(cut.end(), 2, 0);
  EXPECT_EQ(QuietestWindowCentre(cut, 2, 2, 7), std::nullopt);
  // Both channels count: left silent but right loud is louder than both soft.
  const std::vector<int16_t> sides = {900, 900, 900, 900, 0,   1000, 0,   1000,
                                      900, 900, 900, 900, 100, 100,  100, 100};
  EXPECT_EQ(QuietestWindowCentre(sides, 2, 2, 5), 7);
}

// A mark 150 ms beside a pause moves into it; the silence of a pause (no point
// quieter) and a file that cannot be read leave the mark.
TEST(QuietPoint, AMarkBesideAPauseMovesIntoIt) {
  TempDir dir;
  const std::string path = dir.File("pause.wav");
  std::vector<int16_t> samples = MakeTestSignal(2 * 44100, 2, 44100);
  std::fill(samples.begin() + 2 * 44100, samples.begin() + 2 * 48510, 0);  // 1000..1100 ms
  WriteWavFile(path, 44100, 2, samples);
  const AudioFileInfo info{AudioFileInfo::kTypeWav, 44100, 2, 1411, 2000, SampleIndex(88200)};
  for (const int32_t markMs : {850, 1250}) {
    const int32_t moved = QuietestPointNear(path, info, nullptr, markMs);
    EXPECT_TRUE(moved >= 1000 && moved <= 1100) << markMs << " " << moved;
  }
  EXPECT_EQ(QuietestPointNear(path, info, nullptr, 1050), 1050);
  EXPECT_EQ(QuietestPointNear(dir.File("gone.wav"), info, nullptr, 1250), 1250);
}
