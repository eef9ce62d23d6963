// Exports from real WAV and MP3 files through the program's own stream reader,
// read back the same way (libmpg123, gapless): every piece of the output holds
// exactly its planned frames and lines up with its source at offset 0 (a WAV
// export sample for sample).
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

struct Row {
  const char* name;
  bool mp3Source;
  int rate, channels, seconds;
  int32_t begin, end;
  bool unmarked;
  ExportRoute route;
};

class ExportRoundTrip : public ::testing::TestWithParam<Row> {
 protected:
  // Probes `path` and reads all of it through the program's stream.
  std::vector<int16_t> Decode(const std::string& path, AudioFileInfo& info) {
    EXPECT_TRUE(GetAudioFileInfo(path, info, dialogs));
    std::vector<int16_t> out;
    EXPECT_TRUE(OpenAudioStream(path, info, 0));
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
    while (ReadAudioBlock(info, data, bytes)) {
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
  const uint32_t frames = static_cast<uint32_t>(row.rate * row.seconds);
  std::string source = dir.File("source.wav");
  if (row.mp3Source) {
    source = CachedMp3(row.rate, row.channels, frames, {.bitrateKbps = 160}).path;
  } else {
    WriteWavFile(source, row.rate, row.channels, MakeTestSignal(frames, row.channels, row.rate));
  }
  AudioFileInfo info;
  const auto sourcePcm = Decode(source, info);
  ASSERT_EQ(sourcePcm.size(), size_t{frames} * row.channels);
  const std::string out = dir.File(row.route == ExportRoute::Mp3 ? "cut.mp3" : "cut.wav");
  StreamExportSource reader;
  ASSERT_TRUE(RunExport({.FileInfo = info, .MarkBegin = row.begin, .MarkEnd = row.end,
                         .SourceFileName = source, .OutFileName = out, .Route = row.route,
                         .BitrateKbps = 192, .ExportUnmarked = row.unmarked},
                        host, dialogs, reader));
  AudioFileInfo outInfo;
  const auto decoded = Decode(out, outInfo);
  const auto pieces = PlanExportPieces(info, row.begin, row.end, row.unmarked);
  ASSERT_EQ(decoded.size(), TotalFrames(pieces) * row.channels);
  const int c = row.channels;
  size_t at = 0;  // the piece's first frame in the output
  for (const ExportPiece& piece : pieces) {
    const int64_t first = FramesOfMs(piece.startMs, row.rate);
    if (row.route == ExportRoute::Wav) {
      EXPECT_TRUE(std::equal(decoded.begin() + at * c, decoded.begin() + (at + piece.frames) * c,
                             sourcePcm.begin() + first * c));
    } else {
      // Skip the encoder's blend across the seam of the second piece.
      const size_t skip = at == 0 ? 0 : 2000;
      const std::vector<int16_t> rest(decoded.begin() + (at + skip) * c, decoded.end());
      EXPECT_EQ(BestLagFrames(rest, sourcePcm, c, first + skip, 10000, 300), 0) << piece.startMs;
    }
    at += piece.frames;
  }
  if (row.route == ExportRoute::Mp3) {
    const int window = static_cast<int>(std::min<uint64_t>(pieces[0].frames, 40000));
    EXPECT_GT(SnrDb(decoded, sourcePcm, c, FramesOfMs(pieces[0].startMs, row.rate), window), 15.0);
    // MPEG-2 (below 32000 Hz) carries 160 kbit/s at most.
    EXPECT_TRUE(row.rate < 32000 || outInfo.Bitrate == 192) << outInfo.Bitrate;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExportRoundTrip,
    ::testing::Values(Row{"Mp3FromWav", false, 44100, 2, 4, 1234, 3210, false, ExportRoute::Mp3},
                      Row{"Mp3FromMp3", true, 48000, 2, 4, 500, 2500, false, ExportRoute::Mp3},
                      // 1001 ms -> 22072.05 -> 22072 frames, then from 2999 ms on
                      Row{"UnmarkedMp3", false, 22050, 1, 4, 1001, 2999, true, ExportRoute::Mp3},
                      Row{"WavFromMp3", true, 44100, 2, 3, 700, 2100, false, ExportRoute::Wav}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
