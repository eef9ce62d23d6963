// Exports from real WAV and MP3 files through the program's own stream reader,
// read back the same way (libmpg123, gapless): an exported MP3 holds exactly
// the marked number of frames and lines up with its source at offset 0.
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

class ExportRoundTrip : public ::testing::Test {
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

  bool Export(const std::string& source, const AudioFileInfo& info, int32_t begin, int32_t end,
              bool unmarked, ExportRoute route, const std::string& out) {
    StreamExportSource reader;
    return RunExport({.FileInfo = info, .MarkBegin = begin, .MarkEnd = end, .SourceFileName = source,
                      .OutFileName = out, .Route = route, .BitrateKbps = 192, .ExportUnmarked = unmarked},
                     host, dialogs, reader);
  }

  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_F(ExportRoundTrip, Mp3FromAWavHasTheMarkedFramesInPlace) {
  const auto signal = MakeTestSignal(44100 * 4, 2, 44100);
  const std::string source = dir.File("source.wav");
  WriteWavFile(source, 44100, 2, signal);
  AudioFileInfo info;
  ASSERT_EQ(Decode(source, info), signal);
  ASSERT_TRUE(Export(source, info, 1234, 3210, false, ExportRoute::Mp3, dir.File("cut.mp3")));
  AudioFileInfo outInfo;
  const auto decoded = Decode(dir.File("cut.mp3"), outInfo);
  const int64_t first = FramesOfMs(1234, 44100);
  EXPECT_EQ(decoded.size() / 2, FramesOfMs(3210 - 1234, 44100));
  EXPECT_EQ(BestLagFrames(decoded, signal, 2, first, 20000, 300), 0);
  EXPECT_GT(SnrDb(decoded, signal, 2, first, 40000), 15.0);
  EXPECT_EQ(outInfo.Bitrate, 192);
}

TEST_F(ExportRoundTrip, Mp3FromAnMp3HasTheMarkedFramesInPlace) {
  const std::string source = CachedMp3(48000, 2, 48000 * 4, {.bitrateKbps = 160}).path;
  AudioFileInfo info;
  const auto sourcePcm = Decode(source, info);
  ASSERT_EQ(sourcePcm.size(), 48000u * 4 * 2);
  ASSERT_TRUE(Export(source, info, 500, 2500, false, ExportRoute::Mp3, dir.File("cut.mp3")));
  AudioFileInfo outInfo;
  const auto decoded = Decode(dir.File("cut.mp3"), outInfo);
  EXPECT_EQ(decoded.size() / 2, 96000u);
  EXPECT_EQ(BestLagFrames(decoded, sourcePcm, 2, 24000, 20000, 300), 0);
  EXPECT_EQ(outInfo.SampleRate, 48000);
}

TEST_F(ExportRoundTrip, UnmarkedMp3JoinsBothPiecesInPlace) {
  const auto signal = MakeTestSignal(22050 * 4, 1, 22050);
  const std::string source = dir.File("source.wav");
  WriteWavFile(source, 22050, 1, signal);
  AudioFileInfo info;
  Decode(source, info);
  ASSERT_TRUE(Export(source, info, 1001, 2999, true, ExportRoute::Mp3, dir.File("rest.mp3")));
  AudioFileInfo outInfo;
  const auto decoded = Decode(dir.File("rest.mp3"), outInfo);
  const uint64_t before = FramesOfMs(1001, 22050);  // 22072.05 -> 22072
  const uint64_t after = FramesOfMs(4000 - 2999, 22050);
  ASSERT_EQ(decoded.size(), before + after);
  EXPECT_EQ(BestLagFrames(decoded, signal, 1, 0, 10000, 300), 0);
  const std::vector<int16_t> second(decoded.begin() + static_cast<int64_t>(before) + 2000,
                                    decoded.end());
  EXPECT_EQ(BestLagFrames(second, signal, 1, FramesOfMs(2999, 22050) + 2000, 10000, 300), 0);
}

TEST_F(ExportRoundTrip, WavFromAnMp3HoldsTheDecodedSamplesExactly) {
  const std::string source = CachedMp3(44100, 2, 44100 * 3).path;
  AudioFileInfo info;
  const auto sourcePcm = Decode(source, info);
  ASSERT_TRUE(Export(source, info, 700, 2100, false, ExportRoute::Wav, dir.File("cut.wav")));
  AudioFileInfo outInfo;
  const auto decoded = Decode(dir.File("cut.wav"), outInfo);
  const int64_t first = FramesOfMs(700, 44100);
  ASSERT_EQ(decoded.size(), 2 * FramesOfMs(1400, 44100));
  EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), sourcePcm.begin() + 2 * first));
}

}  // namespace
