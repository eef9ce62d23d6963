// SPDX-License-Identifier: GPL-3.0-or-later
// Silence finding: quiet runs across block and part edges, the cuts they make
// with the settings, and the workers over a real file.
#include <gtest/gtest.h>

#include "split/silence_finder.h"
#include "support/test_files.h"

namespace {

AudioFileInfo InfoOf(int64_t frames) {
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 1000, 1, static_cast<int32_t>(frames));
  info.LengthFrames = SampleIndex(frames);
  return info;
}

std::string Describe(const std::vector<SplitPiece>& pieces) {
  std::string text;
  for (const SplitPiece& p : pieces) {
    text += std::to_string(p.Begin.Frame()) + "-" + std::to_string(p.End.Frame()) + " ";
  }
  return text;
}

Silence S(int64_t begin, int64_t end) { return Silence{SampleIndex(begin), SampleIndex(end)}; }

TEST(SilenceFinder, CutsInsideTheSilencesAsSet) {
  // 10 s at 1000 Hz; silences at the start, twice inside, at the end.
  const std::vector<Silence> silences = {S(0, 500), S(2000, 3000), S(3500, 3700), S(9000, 10000)};
  struct Row {
    double cutAt, minPiece;
    bool trim;
    std::string expected;
  } rows[] = {
      {0.5, 0, false, "0-2500 2500-3600 3600-10000 "},
      {0.0, 0, false, "0-2000 2000-3500 3500-10000 "},
      {1.0, 0, false, "0-3000 3000-3700 3700-10000 "},
      {0.5, 1.2, false, "0-2500 2500-10000 "},            // 3600 is 1.1 s after 2500
      {0.5, 1.1, false, "0-2500 2500-3600 3600-10000 "},  // exactly long enough
      {0.5, 6.5, false, "0-10000 "},                      // the last piece would be 6.4 s
      {0.5, 0, true, "500-2000 3000-3500 3700-9000 "},
  };
  for (const Row& row : rows) {
    const SilenceSettings settings{-48, 0.5, row.cutAt, row.minPiece, row.trim};
    EXPECT_EQ(Describe(PiecesOfSilences(InfoOf(10000), silences, settings)), row.expected)
        << row.cutAt << " " << row.minPiece << " " << row.trim;
  }
  EXPECT_EQ(Describe(PiecesOfSilences(InfoOf(10000), {S(0, 10000)}, {-48, 0.5, 0.5, 0, true})), "");
}

TEST(SilenceFinder, TracksQuietRunsAcrossBlocksAndJoinsParts) {
  const int32_t level = SilenceLevel(-48);
  EXPECT_EQ(level, 130);  // 32768 x 10^(-48/20)
  // Stereo: a frame is quiet only when both channels are.
  QuietRunTracker tracker(2, level, 100);
  const int16_t first[] = {0, 0, 129, -129, 0, 130, 5, 5};
  const int16_t second[] = {-130, 0, 1, 1, 2, 2};
  tracker.Feed(first, 4);
  tracker.Feed(second, 3);
  EXPECT_EQ(tracker.Finish(), (std::vector<Silence>{S(100, 102), S(103, 104), S(105, 107)}));

  // Runs from neighbouring parts meet at the edge; short ones go.
  EXPECT_EQ(JoinQuietRuns({S(0, 10), S(10, 20), S(30, 34), S(40, 45)}, 5),
            (std::vector<Silence>{S(0, 20), S(40, 45)}));
  EXPECT_EQ(CheckSilenceSettings({0, 0.5, 0.5, 0, false}),
            "the threshold must lie between -96 and 0 dBFS");
  EXPECT_EQ(CheckSilenceSettings({-48, 0.5, 1.01, 0, false}),
            "the cut position must lie between 0 and 1");
  EXPECT_EQ(CheckSilenceSettings({-48, 0, 0.5, 0, false}),
            "the minimum silence must be above 0 seconds");
  EXPECT_EQ(CheckSilenceSettings({-48, 0.5, 0.5, -1, false}),
            "the minimum piece length must not be negative");
  EXPECT_EQ(CheckSilenceSettings({-96, 0.5, 0, 0, true}), "");
}

TEST(SilenceFinder, FindsTheSilencesOfAFileOnWorkers) {
  // 8 s at 8000 Hz: sound, 1 s of near silence (-50 dBFS noise) at 2 s, a
  // 0.3 s pause at 4 s (too short), 0.8 s of silence at 6 s.
  TempDir dir;
  const int rate = 8000;
  std::vector<int16_t> pcm = MakeTestSignal(8 * rate, 1, rate);
  const auto quiet = [&](double from, double seconds, int16_t peak) {
    for (int i = 0; i < static_cast<int>(seconds * rate); ++i) {
      pcm[static_cast<size_t>(from * rate) + i] = static_cast<int16_t>(i % 2 ? peak : -peak);
    }
  };
  quiet(2, 1, 100);
  quiet(4, 0.3, 0);
  quiet(6, 0.8, 0);
  const std::string path = dir.File("set.wav");
  WriteWavFile(path, rate, 1, pcm);
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, rate, 1, 8000);
  info.LengthFrames = SampleIndex(8 * rate);
  for (const int threads : {1, 3}) {
    SilenceResult result;
    SilenceFinder finder(path, info, {}, threads, [&](SilenceResult r) { result = std::move(r); });
    finder.Wait();
    EXPECT_TRUE(finder.Finished());
    EXPECT_EQ(result.Silences,
              (std::vector<Silence>{S(2 * rate, 3 * rate), S(6 * rate, 6.8 * rate)}))
        << threads;
    EXPECT_EQ(Describe(result.Pieces.Pieces), "0-20000 20000-51200 51200-64000 ") << threads;
  }
  // A file that cannot be read says so.
  SilenceResult missing;
  SilenceFinder(dir.File("gone.wav"), info, {}, 2, [&](SilenceResult r) { missing = r; }).Wait();
  EXPECT_EQ(missing.Pieces.Reason, "Cannot read file " + dir.File("gone.wav"));
}

}  // namespace
