// SPDX-License-Identifier: GPL-3.0-or-later
// The export's arithmetic: the sample timeline and the pieces on it, fade gains, and the
// elapsed/remaining clock. Chunking into the encoder: the MP3 round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "export/crc16.h"
#include "export/export_pieces.h"
#include "export/export_time_text.h"
#include "export/fades.h"
#include "export/xing_seek_table.h"
#include "support/test_files.h"

namespace {

// One sample timeline: a mark at M ms is round(M x rate / 1000), halves to even; at or past the
// length it is the file's end. The piece and the rest hold every frame exactly once.
TEST(SampleTimeline, MarksMapOnceAndPieceAndRestTileTheFile) {
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 5000);
  info.LengthFrames = SampleIndex(220507);  // 5000.16 ms: the length rounds down
  for (auto [ms, frame] : {std::pair<int64_t, int64_t>{-5, 0}, {0, 0}, {5, 220}, {15, 662},
                           {1234, 54419}, {3456, 152410}, {4999, 220456}, {5000, 220507},
                           {int64_t{1} << 40, 220507}}) {
    EXPECT_EQ(SampleOfMs(info, ms), SampleIndex(frame)) << ms;
    EXPECT_EQ(MsOfSample(info, SampleIndex(frame)), std::clamp<int64_t>(ms, 0, 5000)) << ms;
  }
  EXPECT_EQ(SampleOfMs(MakeInfo(AudioFileInfo::kTypeWav, 0, 2, 5000), 100), SampleIndex(0));
  // {begin, end, unmarked, pieces}; marks outside the file are kept within it.
  const SampleIndex begin(54419), end(152410), fileEnd = info.LengthFrames;
  for (const auto& [from, to, unmarked, expected] :
       std::vector<std::tuple<SampleIndex, SampleIndex, bool, std::vector<ExportPiece>>>{
           {begin, end, false, {{begin, 97991, 0}}},
           {begin, end, true, {{SampleIndex(0), 54419, 68097}, {end, 68097, 0}}},
           {SampleIndex(0), fileEnd, false, {{SampleIndex(0), 220507, 0}}},
           {SampleIndex(-9), fileEnd + 9, true, {{SampleIndex(0), 0, 0}, {fileEnd, 0, 0}}},
           {SampleIndex(-9), end, false, {{SampleIndex(0), 152410, 0}}},
           {end, begin, false, {{end, 0, 0}}}}) {
    const auto pieces = PlanExportPieces(info, from, to, unmarked);
    EXPECT_EQ(pieces, expected) << from.Frame() << ".." << to.Frame() << " unmarked " << unmarked;
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

// The LAME tag's CRC-16 (reflected 0xA001, from 0): the catalogue's check value, and a long
// buffer fed in uneven parts gives what a CRC taken one bit at a time gives.
TEST(Crc16, AgreesWithTheBitwiseCrcWhateverTheParts) {
  EXPECT_EQ(Crc16::Of(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xBB3D);
  std::vector<uint8_t> bytes(4099);
  uint32_t seed = 12345;
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  uint16_t bitwise = 0;
  for (const uint8_t byte : bytes) {
    bitwise ^= byte;
    for (int bit = 0; bit < 8; ++bit) bitwise = bitwise & 1 ? (bitwise >> 1) ^ 0xA001 : bitwise >> 1;
  }
  Crc16 crc;
  size_t fed = 0;
  for (const size_t upTo : {size_t{1}, size_t{9}, size_t{16}, size_t{23}, bytes.size()}) {
    crc.Update(bytes.data() + fed, upTo - fed);
    fed = upTo;
  }
  EXPECT_EQ(crc.Value(), bitwise);
}

// The Xing seek table kept in fixed memory: entry i is the position of the frame i% into the
// stream, within a frame's bytes, for streams short enough to keep every frame and long enough
// to have halved the kept positions many times.
TEST(XingSeekTable, EntriesStayWithinAFrameOfTheTruePositions) {
  for (const uint64_t frames : {uint64_t{100}, uint64_t{512}, uint64_t{513}, uint64_t{100003}}) {
    std::vector<uint64_t> offsets;
    XingSeekTable table;
    uint64_t at = 0;
    for (uint64_t i = 0; i < frames; ++i) {
      offsets.push_back(at);
      table.AddFrame(at);
      at += 400 + (i * 37 % 50) + (i > frames / 2 ? 300 : 0);  // later frames larger
    }
    const std::array<uint8_t, 100> entries = table.Table(at);
    for (size_t i = 0; i < 100; ++i) {
      const double exact = static_cast<double>(offsets[frames * i / 100]) * 256.0 / at;
      EXPECT_NEAR(entries[i], exact, 1.0 + 1000.0 * 256.0 / at) << frames << " frames, entry " << i;
    }
  }
}

}  // namespace
