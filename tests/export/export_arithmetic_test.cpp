// The export's arithmetic: frame counts and piece order, fade gains, the
// elapsed/remaining clock, and the gathering of blocks into encoder chunks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/export_pieces.h"
#include "export/export_time_text.h"
#include "export/fades.h"
#include "export/mp3_chunker.h"
#include "support/test_files.h"

namespace {

TEST(ExportPieces, FramesOfMsRoundHalfToEvenAndNeverGoNegative) {
  const struct {
    int64_t ms;
    int32_t rate;
    uint64_t frames;
  } rows[] = {{1000, 44100, 44100}, {5, 44100, 220},  {15, 44100, 662}, {25, 44100, 1102},
              {1, 22050, 22},       {0, 44100, 0},    {-5, 44100, 0},   {1000, 0, 0},
              {3600000, 48000, 172800000}};
  for (const auto& row : rows) EXPECT_EQ(FramesOfMs(row.ms, row.rate), row.frames) << row.ms;
}

TEST(ExportPieces, MarkedIsOnePieceUnmarkedIsTheStretchBeforeThenAfter) {
  const AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 60000);
  const struct {
    int32_t begin, end;
    bool unmarked;
    std::vector<ExportPiece> pieces;
  } rows[] = {
      {1005, 2010, false, {{1005, 44320, 0}}},  // 1005 ms -> 44320.5 -> 44320
      {10000, 50000, true, {{0, 441000, 441000}, {50000, 441000, 0}}},
      {0, 60000, true, {{0, 0, 0}, {60000, 0, 0}}},
      // A mark begin before the file starts reading at its first frame.
      {-500, 1000, false, {{0, 66150, 0}}},
      {-500, 1000, true, {{0, 0, 2601900}, {1000, 2601900, 0}}},
  };
  for (const auto& row : rows) {
    const auto pieces = PlanExportPieces(info, row.begin, row.end, row.unmarked);
    EXPECT_EQ(pieces, row.pieces) << row.begin << ".." << row.end << " unmarked " << row.unmarked;
    uint64_t total = 0;
    for (const ExportPiece& piece : row.pieces) total += piece.frames;
    EXPECT_EQ(TotalFrames(pieces), total);
  }
}

std::vector<int16_t> Faded(std::vector<int16_t> samples, int channels, uint64_t pieceFrames,
                           uint64_t doneInPiece, FadeFrames fades) {
  ApplyFades(samples.data(), static_cast<uint32_t>(samples.size() / channels), channels,
             pieceFrames, doneInPiece, fades);
  return samples;
}

TEST(Fades, GainsFollowThePositionInThePiece) {
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
      {"BothMultiply", S(4, 1600), 1, 4, 0, {4, 4}, {0, 300, 400, 300}},
      {"FadeInLongerThanPiece", S(4, 800), 1, 4, 0, {8, 0}, {0, 100, 200, 300}},
      {"FadeOutLongerThanPiece", S(4, 800), 1, 4, 0, {0, 8}, {400, 300, 200, 100}},
      {"StereoFramesShareAGain", {400, -800, 400, -800, 400, -800}, 2, 3, 0, {2, 0},
       {0, 0, 200, -400, 400, -800}},
      {"LaterBlockOfThePiece", S(5, 3000), 1, 10, 5, {6, 5}, {2500, 2400, 1800, 1200, 600}},
      {"NoFade", {1, -2, 32767, -32768}, 1, 4, 0, {0, 0}, {1, -2, 32767, -32768}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Faded(row.samples, row.channels, row.pieceFrames, row.done, row.fades), row.expected)
        << row.name;
  }
}

using Frames = std::pair<uint64_t, uint64_t>;

Frames frames(const FadeFrames& f) { return {f.fadeInFrames, f.fadeOutFrames}; }

TEST(Fades, FadeLengthsAreWholeSecondsInSixtyFourBits) {
  EXPECT_EQ(frames(MakeFadeFrames(true, 1, true, 1, 44100)), Frames(44100ull, 44100ull));
  EXPECT_EQ(frames(MakeFadeFrames(true, 0, false, 3, 44100)), Frames(0ull, 0ull));
  EXPECT_EQ(frames(MakeFadeFrames(false, 3, true, 0, 44100)), Frames(0ull, 0ull));
  EXPECT_EQ(frames(MakeFadeFrames(true, 100000, true, 2147483647, 48000)),
            Frames(4800000000ull, 2147483647ull * 48000ull));
  // 65536 s at 65536 Hz is 2^32 frames: in 32 bits it would wrap to 0 (no
  // fade) and the first frame would stay loud.
  const FadeFrames wrapping = MakeFadeFrames(true, 65536, false, 0, 65536);
  EXPECT_EQ(Faded({32767, 32767}, 1, 2, 0, wrapping), (std::vector<int16_t>{0, 0}));
}

TEST(ExportClock, RefreshesOnceASecondWithTheRoutesWordsAndAnEstimateRoundedToEven) {
  EXPECT_EQ(ExportTimeText(ExportRoute::Mp3, 3725000, 3735000), "Elapsed: 01:02:05, Remain: 00:00:10");
  EXPECT_EQ(ExportTimeText(ExportRoute::Wav, 3725000, 3735000), "Used 01:02:05, Left 00:00:10");
  ExportClock clock(ExportRoute::Mp3, 5000);
  EXPECT_FALSE(clock.Refresh(5999, 10, 100));
  EXPECT_EQ(clock.Refresh(7000, 50, 100), "Elapsed: 00:00:02, Remain: 00:00:02");
  EXPECT_FALSE(clock.Refresh(7999, 60, 100));
  EXPECT_EQ(clock.Refresh(8000, 75, 100), "Elapsed: 00:00:03, Remain: 00:00:01");
  EXPECT_EQ(clock.EstimatedTotalMs(), 4000);
  ExportClock even(ExportRoute::Wav, 0);
  EXPECT_FALSE(even.Refresh(5000, 0, 100));  // nothing before any frame is done
  EXPECT_EQ(even.LastShownMs(), 0);
  ASSERT_TRUE(even.Refresh(1001, 2, 3));  // 1001 x 3 / 2 = 1501.5 -> 1502
  EXPECT_EQ(even.EstimatedTotalMs(), 1502);
  ExportClock wrapping(ExportRoute::Mp3, 0xFFFFFC18u);  // 1000 ms before the tick count wraps
  EXPECT_EQ(wrapping.Refresh(1000, 1, 2), "Elapsed: 00:00:02, Remain: 00:00:02");
}

TEST(Mp3Chunker, FillsChunksAcrossBlocksInOrderAndStopsWhenTheEncoderFails) {
  std::vector<std::string> chunks;
  bool answer = true;
  Mp3Chunker chunker(8);
  const auto feed = [&](const std::string& block) {
    return chunker.Feed(reinterpret_cast<const uint8_t*>(block.data()),
                        static_cast<uint32_t>(block.size()), [&](const uint8_t* chunk) {
                          chunks.emplace_back(reinterpret_cast<const char*>(chunk), 8);
                          return answer;
                        });
  };
  EXPECT_TRUE(feed("abcde") && chunks.empty());
  EXPECT_TRUE(feed("fgh"));  // exactly fills the space
  EXPECT_EQ(chunker.FillBytes(), 0u);
  EXPECT_TRUE(feed("ijklmnopqrstuvwxyz"));
  EXPECT_EQ(chunks, (std::vector<std::string>{"abcdefgh", "ijklmnop", "qrstuvwx"}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunker.Data()), chunker.FillBytes()), "yz");
  answer = false;
  EXPECT_FALSE(feed("0123456789abcdefghijklmnop"));
  EXPECT_EQ(chunks.size(), 4u);
}

}  // namespace
