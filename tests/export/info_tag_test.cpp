// Every bitrate the export offers is the bitrate written, and a gapless
// decoder gives back exactly the marked samples, also where the frames are too
// small for LAME's own Info tag (32 to 56 kbit/s at the MPEG-1 rates).
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "support/export_fakes.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

struct TagCase {
  int rate, channels;
  uint32_t kbps;
};

class InfoTag : public ::testing::TestWithParam<TagCase> {};

TEST_P(InfoTag, DecodesToExactlyTheMarkedSamples) {
  const auto [rate, channels, kbps] = GetParam();
  const auto pcm = MakeTestSignal(static_cast<uint32_t>(rate), channels, rate);
  TempDir dir;
  ExportJob job;
  job.FileInfo = {AudioFileInfo::kTypeWav, rate, channels, 0, 1000};
  std::tie(job.MarkBegin, job.MarkEnd, job.OutFileName, job.BitrateKbps) =
      std::tuple(100, 850, dir.File("piece.mp3"), kbps);
  MemoryExportSource source(pcm, channels, rate);
  RecordingHost host;
  ScriptedDialogs dialogs;
  ASSERT_TRUE(RunExport(job, host, dialogs, source));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(job.OutFileName, info, dialogs));
  EXPECT_EQ(info.Bitrate, static_cast<int32_t>(kbps));
  std::vector<int16_t> decoded;
  ASSERT_TRUE(OpenAudioStream(job.OutFileName, info, 0));
  uint8_t* data = nullptr;
  for (uint32_t bytes = 0; ReadAudioBlock(info, data, bytes);) {
    decoded.insert(decoded.end(), reinterpret_cast<int16_t*>(data),
                   reinterpret_cast<int16_t*>(data + bytes));
  }
  CloseAudioStream(info);
  EXPECT_EQ(decoded.size() / channels,
            TotalFrames(PlanExportPieces(job.FileInfo, 100, 850, false)));
  EXPECT_EQ(BestLagFrames(decoded, pcm, channels, rate / 10, rate / 20, 1500), 0);
}

INSTANTIATE_TEST_SUITE_P(Bitrates, InfoTag,
                         ::testing::Values(TagCase{44100, 2, 32}, TagCase{44100, 2, 40},
                                           TagCase{44100, 1, 56}, TagCase{48000, 2, 56},
                                           TagCase{48000, 1, 32}, TagCase{32000, 1, 40},
                                           TagCase{22050, 2, 32}, TagCase{16000, 1, 32},
                                           TagCase{24000, 2, 160}, TagCase{11025, 2, 32},
                                           TagCase{8000, 1, 64}, TagCase{44100, 2, 320}));

struct ItemsCase {
  int rate, channels;
  const char* items;  // offered for a WAV source, the one selected first last
};

class OfferedBitrates : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(OfferedBitrates, AreOnlyWhatTheEncoderWrites) {
  const AudioFileInfo info{AudioFileInfo::kTypeWav, GetParam().rate, GetParam().channels, 0, 1};
  std::string items;
  for (const std::string& item : BitrateItems(info)) items += item + " ";
  const int initial = InitialBitrateIndex(info);
  items += initial < 0 ? "-" : BitrateItems(info)[static_cast<size_t>(initial)];
  EXPECT_EQ(items, GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Rates, OfferedBitrates,
                         ::testing::Values(ItemsCase{8000, 1, "32 40 56 64 64"},
                                           ItemsCase{12000, 2, "32 40 56 64 64"},
                                           ItemsCase{22050, 1, "32 40 56 64 80 96 112 128 160 128"},
                                           ItemsCase{96000, 2, "-"}, ItemsCase{44000, 1, "-"}));

}  // namespace
