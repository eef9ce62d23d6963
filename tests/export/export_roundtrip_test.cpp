// SPDX-License-Identifier: GPL-3.0-or-later
// Exports from real files through the program's own stream reader, read back the same way
// (libmpg123, gapless): each piece holds exactly its planned frames at offset 0 (a WAV sample for
// sample); an MP3 has the bitrate asked for, also with frames too small for LAME's Info tag.
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "export/export_pieces.h"
#include "export/export_pipeline.h"
#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

constexpr ExportRoute kMp3 = ExportRoute::Mp3, kWav = ExportRoute::Wav;

struct Row {
  const char* name;
  bool mp3Source;
  int rate, channels, begin, end;  // of 4-second sources
  bool unmarked;
  ExportRoute route;
  uint32_t kbps;
};

class ExportRoundTrip : public ::testing::TestWithParam<Row> {
 protected:
  // Probes `path` and reads all of it through the program's stream.
  std::vector<int16_t> Decode(const std::string& path, AudioFileInfo& info) {
    std::vector<int16_t> out;
    EXPECT_TRUE(GetAudioFileInfo(path, info, dialogs) &&
                OpenAudioStream(path, info, SampleIndex(0)));
    uint8_t* data = nullptr;
    for (uint32_t bytes = 0; ReadAudioBlock(info, data, bytes);) {
      const auto* samples = reinterpret_cast<const int16_t*>(data);
      out.insert(out.end(), samples, samples + bytes / 2);
    }
    CloseAudioStream(info);
    return out;
  }
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_P(ExportRoundTrip, EachPieceHoldsItsFramesInPlace) {
  const Row& row = GetParam();
  const uint32_t frames = static_cast<uint32_t>(row.rate * 4);
  std::string source = dir.File("source.wav");
  if (row.mp3Source) source = CachedMp3(row.rate, row.channels, frames, {.bitrateKbps = 160}).path;
  else WriteWavFile(source, row.rate, row.channels, MakeTestSignal(frames, row.channels, row.rate));
  AudioFileInfo info;
  const auto sourcePcm = Decode(source, info);
  ASSERT_EQ(sourcePcm.size(), size_t{frames} * row.channels);
  const std::string out = dir.File(row.route == ExportRoute::Mp3 ? "cut.mp3" : "cut.wav");
  StreamExportSource reader;
  const SampleIndex begin = SampleOfMs(info, row.begin), end = SampleOfMs(info, row.end);
  ASSERT_TRUE(RunExport({.FileInfo = info, .BeginSample = begin, .EndSample = end,
                         .SourceFileName = source, .OutFileName = out, .Route = row.route,
                         .BitrateKbps = row.kbps, .ExportUnmarked = row.unmarked},
                        host, dialogs, reader));
  AudioFileInfo outInfo;
  const auto decoded = Decode(out, outInfo);
  const auto pieces = PlanExportPieces(info, begin, end, row.unmarked);
  ASSERT_EQ(decoded.size(), TotalFrames(pieces) * row.channels);
  const int c = row.channels;
  size_t at = 0;  // the piece's first frame in the output
  for (const ExportPiece& piece : pieces) {
    const int64_t first = piece.start.Frame();
    const size_t skip = at == 0 ? 0 : 2000;  // the encoder blends across the seam of two pieces
    const std::vector<int16_t> rest(decoded.begin() + (at + skip) * c, decoded.end());
    if (row.route == ExportRoute::Wav)
      EXPECT_TRUE(std::equal(decoded.begin() + at * c, decoded.begin() + (at + piece.frames) * c,
                             sourcePcm.begin() + first * c));
    else EXPECT_EQ(BestLagFrames(rest, sourcePcm, c, first + skip, 4000, 300), 0) << first;
    at += piece.frames;
  }
  EXPECT_TRUE(row.route == kWav || outInfo.Bitrate == static_cast<int32_t>(row.kbps));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExportRoundTrip,
    ::testing::Values(Row{"Mp3FromWav", false, 44100, 2, 1234, 3210, false, kMp3, 192},
                      // 1001 ms -> 22072.05 -> 22072 frames, then from 2999 ms on
                      Row{"UnmarkedMp3", false, 22050, 1, 1001, 2999, true, kMp3, 160},
                      // 423 KB: the WAV sizes are patched after the 256 KB buffer was written
                      Row{"WavFromMp3", true, 44100, 2, 700, 3100, false, kWav, 0},
                      // Frames too small for LAME's Info tag: the program writes its own.
                      Row{"Tag44100At32", false, 44100, 2, 100, 850, false, kMp3, 32},
                      Row{"Tag32000MonoAt40", false, 32000, 1, 100, 850, false, kMp3, 40},
                      Row{"Tag8000MonoAt64", false, 8000, 1, 100, 850, false, kMp3, 64},
                      Row{"Tag11025At32", false, 11025, 2, 100, 850, false, kMp3, 32},
                      Row{"At320", false, 48000, 2, 100, 850, false, kMp3, 320}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
