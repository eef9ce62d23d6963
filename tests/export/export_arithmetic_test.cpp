// The export's arithmetic: frame counts and piece order, fade gains, and the
// elapsed/remaining clock. Chunking into the encoder: the MP3 round trips.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "export/export_pieces.h"
#include "export/export_time_text.h"
#include "export/fades.h"
#include "support/test_files.h"

namespace {

TEST(ExportPieces, FramesOfMsRoundHalfToEvenAndNeverGoNegative) {
  for (auto [ms, rate, frames] :
       {std::tuple<int64_t, int32_t, uint64_t>{1000, 44100, 44100}, {5, 44100, 220},
        {15, 44100, 662}, {25, 44100, 1102}, {1, 22050, 22}, {0, 44100, 0}, {-5, 44100, 0},
        {1000, 0, 0}, {3600000, 48000, 172800000}})
    EXPECT_EQ(FramesOfMs(ms, rate), frames) << ms;
}

TEST(ExportPieces, MarkedIsOnePieceUnmarkedIsTheStretchBeforeThenAfter) {
  const AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 60000);
  // {begin, end, unmarked, pieces}; a begin before the file starts reading at its first frame.
  for (const auto& [begin, end, unmarked, expected] :
       std::vector<std::tuple<int32_t, int32_t, bool, std::vector<ExportPiece>>>{
           {1005, 2010, false, {{1005, 44320, 0}}},  // 1005 ms -> 44320.5 -> 44320
           {10000, 50000, true, {{0, 441000, 441000}, {50000, 441000, 0}}},
           {-500, 1000, true, {{0, 0, 2601900}, {1000, 2601900, 0}}}}) {
    const auto pieces = PlanExportPieces(info, begin, end, unmarked);
    EXPECT_EQ(pieces, expected) << begin << ".." << end << " unmarked " << unmarked;
    EXPECT_EQ(TotalFrames(pieces), pieces[0].frames + (pieces.size() > 1 ? pieces[1].frames : 0));
  }
}

std::vector<int16_t> Faded(std::vector<int16_t> samples, int channels, uint64_t pieceFrames,
                           uint64_t doneInPiece, FadeFrames fades) {
  ApplyFades(samples.data(), static_cast<uint32_t>(samples.size() / channels), channels,
             pieceFrames, doneInPiece, fades);
  return samples;
}

TEST(Fades, GainsFollowThePositionInThePieceAndLengthsAreWholeSecondsInSixtyFourBits) {
  using S = std::vector<int16_t>;
  const struct {
    const char* name;
    S samples;
    int channels;
    uint64_t pieceFrames, done;
    FadeFrames fades;
    S expected;
  } rows[] = {
      {"FadeInRisesByFrame", S(6, 1000), 1, 6, 0, {4, 0}, {0, 250, 500, 750, 1000, 1000}},
      // The frame at P - F keeps its value; the last one gets 1/F.
      {"FadeOut", S(8, 800), 1, 8, 0, {0, 4}, {800, 800, 800, 800, 800, 600, 400, 200}},
      {"HalvesToEven", {0, 10, 14, -10, -14}, 1, 100, 0, {4, 0}, {0, 2, 7, -8, -14}},
      {"StereoFramesShareAGain", {400, -800, 400, -800}, 2, 2, 0, {2, 0}, {0, 0, 200, -400}},
      {"LaterBlockBothFades", S(5, 3000), 1, 10, 5, {6, 5}, {2500, 2400, 1800, 1200, 600}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Faded(row.samples, row.channels, row.pieceFrames, row.done, row.fades), row.expected)
        << row.name;
  }
  // 65536 s at 65536 Hz is 2^32 frames: in 32 bits it would wrap to 0 (no fade).
  const FadeFrames wrapping = MakeFadeFrames(true, 65536, false, 0, 65536);
  EXPECT_EQ(Faded({32767, 32767}, 1, 2, 0, wrapping), (std::vector<int16_t>{0, 0}));
}

TEST(ExportClock, RefreshesOnceASecondWithTheRoutesWordsAndAnEstimateRoundedToEven) {
  ExportClock clock(ExportRoute::Mp3, 5000);
  EXPECT_FALSE(clock.Refresh(5999, 10, 100));
  EXPECT_EQ(clock.Refresh(7000, 50, 100), "Elapsed: 00:00:02, Remain: 00:00:02");
  ExportClock even(ExportRoute::Wav, 0);
  ASSERT_TRUE(even.Refresh(1001, 2, 3));  // 1001 x 3 / 2 = 1501.5 -> 1502
  EXPECT_EQ(even.EstimatedTotalMs(), 1502);
  ExportClock wrapping(ExportRoute::Mp3, 0xFFFFFC18u);  // 1000 ms before the tick count wraps
  EXPECT_EQ(wrapping.Refresh(1000, 1, 2), "Elapsed: 00:00:02, Remain: 00:00:02");
}

}  // namespace
