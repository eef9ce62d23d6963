// Every bitrate the export offers gives back exactly the marked samples
// through a gapless decoder, also where the frames are too small for LAME's
// own Info tag (32 to 56 kbit/s at the MPEG-1 rates, MPEG-2 at low bitrates),
// and the file is written at the bitrate asked for.
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "export/export_pipeline.h"
#include "support/export_fakes.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

struct TagCase {
  int rate;
  int channels;
  uint32_t kbps;
};

class InfoTag : public ::testing::TestWithParam<TagCase> {};

TEST_P(InfoTag, DecodesToExactlyTheMarkedSamples) {
  const TagCase row = GetParam();
  const auto pcm = MakeTestSignal(static_cast<uint32_t>(row.rate), row.channels, row.rate);
  ExportJob job;
  job.FileInfo = {AudioFileInfo::kTypeWav, row.rate, row.channels, 0, 1000};
  job.MarkBegin = 100;
  job.MarkEnd = 850;
  TempDir dir;
  job.OutFileName = dir.File("piece.mp3");
  job.BitrateKbps = row.kbps;
  MemoryExportSource source(pcm, row.channels, row.rate);
  RecordingHost host;
  ScriptedDialogs dialogs;
  ASSERT_TRUE(RunExport(job, host, dialogs, source));

  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(job.OutFileName, info, dialogs));
  EXPECT_EQ(info.Bitrate, static_cast<int32_t>(row.kbps));
  std::vector<int16_t> decoded;
  ASSERT_TRUE(OpenAudioStream(job.OutFileName, info, 0));
  uint8_t* data = nullptr;
  uint32_t bytes = 0;
  while (ReadAudioBlock(info, data, bytes)) {
    const auto* samples = reinterpret_cast<const int16_t*>(data);
    decoded.insert(decoded.end(), samples, samples + bytes / 2);
  }
  CloseAudioStream(info);
  const int64_t beginFrame = static_cast<int64_t>(row.rate) / 10;
  const auto frames = static_cast<int64_t>(TotalFrames(PlanExportPieces(job.FileInfo, 100, 850, false)));
  EXPECT_EQ(static_cast<int64_t>(decoded.size()) / row.channels, frames);
  EXPECT_EQ(BestLagFrames(decoded, pcm, row.channels, beginFrame, row.rate / 20, 1500), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Bitrates, InfoTag,
    ::testing::Values(TagCase{44100, 2, 32}, TagCase{44100, 2, 40}, TagCase{44100, 1, 56},
                      TagCase{48000, 2, 56}, TagCase{48000, 1, 32}, TagCase{32000, 1, 40},
                      TagCase{22050, 2, 32}, TagCase{16000, 1, 32}, TagCase{24000, 2, 160},
                      TagCase{11025, 2, 32}, TagCase{8000, 1, 64}, TagCase{44100, 2, 320}),
    [](const auto& info) {
      return std::to_string(info.param.rate) + "Hz" + std::to_string(info.param.channels) + "ch" +
             std::to_string(info.param.kbps);
    });

struct ItemsCase {
  int rate;
  int channels;
  const char* items;  // the numbers offered for a WAV source
};

class OfferedBitrates : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(OfferedBitrates, OnlyWhatTheEncoderWrites) {
  const AudioFileInfo info{AudioFileInfo::kTypeWav, GetParam().rate, GetParam().channels, 0, 1};
  std::string items;
  for (const std::string& item : BitrateItems(info)) items += (items.empty() ? "" : " ") + item;
  EXPECT_EQ(items, GetParam().items);
  const int initial = InitialBitrateIndex(info);
  EXPECT_EQ(initial < 0 ? "" : BitrateItems(info)[static_cast<size_t>(initial)],
            std::string(GetParam().items).empty() ? "" : GetParam().rate < 16000 ? "64" : "128");
}

INSTANTIATE_TEST_SUITE_P(
    Rates, OfferedBitrates,
    ::testing::Values(ItemsCase{8000, 1, "32 40 56 64"}, ItemsCase{12000, 2, "32 40 56 64"},
                      ItemsCase{22050, 1, "32 40 56 64 80 96 112 128 160"},
                      ItemsCase{48000, 2, "32 40 56 64 80 96 112 128 160"},
                      ItemsCase{44100, 2, "32 40 56 64 80 96 112 128 160 192 224 256 320"},
                      ItemsCase{96000, 2, ""}, ItemsCase{44000, 1, ""}),
    [](const auto& info) {
      return std::to_string(info.param.rate) + "Hz" + std::to_string(info.param.channels) + "ch";
    });

}  // namespace
