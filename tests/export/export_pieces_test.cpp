// Frame counts and piece order of marked and unmarked exports.
#include "export/export_pieces.h"

#include <gtest/gtest.h>

namespace {

AudioFileInfo Info(int rate, int lengthMs) {
  AudioFileInfo info;
  info.FileType = AudioFileInfo::kTypeWav;
  info.SampleRate = rate;
  info.Channels = 2;
  info.LengthMs = lengthMs;
  return info;
}

struct FramesCase {
  int64_t ms;
  int32_t rate;
  uint64_t frames;
};

class FramesOfMsTable : public ::testing::TestWithParam<FramesCase> {};

TEST_P(FramesOfMsTable, RoundsHalfToEven) {
  EXPECT_EQ(FramesOfMs(GetParam().ms, GetParam().rate), GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(Cases, FramesOfMsTable,
                         ::testing::Values(FramesCase{1000, 44100, 44100},
                                           FramesCase{5, 44100, 220},    // 220.5
                                           FramesCase{15, 44100, 662},   // 661.5
                                           FramesCase{25, 44100, 1102},  // 1102.5
                                           FramesCase{1, 22050, 22},     // 22.05
                                           FramesCase{1, 48000, 48}, FramesCase{0, 44100, 0},
                                           FramesCase{-5, 44100, 0},
                                           FramesCase{3600000, 48000, 172800000}));

TEST(ExportPieces, MarkedExportIsOnePieceFromTheBegin) {
  const auto pieces = PlanExportPieces(Info(44100, 60000), 1005, 2010, false);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0], (ExportPiece{1005, 44320, 0}));  // 1005 ms -> 44320.5 -> 44320
  EXPECT_EQ(TotalFrames(pieces), 44320u);
}

TEST(ExportPieces, UnmarkedExportIsTheStretchBeforeThenTheStretchAfter) {
  const auto pieces = PlanExportPieces(Info(44100, 60000), 10000, 50000, true);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], (ExportPiece{0, 441000, 441000}));
  EXPECT_EQ(pieces[1], (ExportPiece{50000, 441000, 0}));
  EXPECT_EQ(TotalFrames(pieces), 882000u);
}

TEST(ExportPieces, UnmarkedWithMarksSpanningTheFileHasNoFrames) {
  const auto pieces = PlanExportPieces(Info(44100, 60000), 0, 60000, true);
  EXPECT_EQ(TotalFrames(pieces), 0u);
  EXPECT_EQ(pieces.size(), 2u);
}

}  // namespace
