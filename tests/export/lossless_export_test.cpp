// The lossless route of the export pipeline: marks map to samples as for
// every export, the probe reads the piece's length back, and what a lossless
// export cannot do is refused with its message and nothing left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "audio/mp3io.h"
#include "base/application_error.h"
#include "base/rounding.h"
#include "export/export_options.h"
#include "export/export_pipeline.h"
#include "export/lossless_export.h"
#include "export/mp3_frame_reader.h"
#include "support/export_fakes.h"
#include "support/mp3_decode.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

constexpr int kRate = 44100;

class LosslessExport : public ::testing::Test {
 protected:
  void SetUp() override {
    job = ExportJob{};
    source = dir.File("source.mp3");
    ASSERT_TRUE(WriteMp3File(source, MakeTestSignal(2 * kRate, 2, kRate), kRate, 2));
    ASSERT_TRUE(GetAudioFileInfo(source, job.FileInfo, dialogs));
    job.SourceFileName = source;
    job.OutFileName = dir.File("cut.mp3");
    job.Lossless = true;
    job.MarkBegin = 250;
    job.MarkEnd = job.FileInfo.LengthMs;
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  RecordingHost host;
  StreamExportSource stream;
  std::string source;
  ExportJob job;
};

TEST_F(LosslessExport, CutsFromTheBeginMarkToTheEndOfTheFile) {
  ASSERT_TRUE(RunExport(job, host, dialogs, stream)) << dialogs.LastMessageText();
  const std::vector<int16_t> whole = DecodeMp3File(source);
  const std::vector<int16_t> cut = DecodeMp3File(job.OutFileName);
  const size_t begin = static_cast<size_t>(MsToFrames(250, kRate)) * 2;
  ASSERT_EQ(cut.size(), whole.size() - begin);
  EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin() + static_cast<ptrdiff_t>(begin)));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(job.OutFileName, info, dialogs));
  EXPECT_EQ(info.LengthMs, job.FileInfo.LengthMs - 250);
  EXPECT_EQ(host.progress.back(), 100);
}

TEST_F(LosslessExport, RefusesWhatItCannotDoAndLeavesNothingBehind) {
  // A frame about a second into the source.
  Mp3FrameReader reader;
  ASSERT_EQ(reader.Open(source), Mp3FrameReader::Status::Frame);
  uint64_t middleFrame = 0;
  for (int i = 0; i < 40 && reader.Next() == Mp3FrameReader::Status::Frame; ++i) {
    middleFrame = reader.FrameOffset();
  }
  const auto patchSource = [&](uint64_t offset, std::vector<uint8_t> bytes) {
    auto content = ReadFileBytes(source);
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<ptrdiff_t>(offset));
    std::ofstream(source, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;
  } cases[] = {
      {"fade", [&] { job.FadeIn = true, job.FadeInSeconds = 1; }, kLosslessOptionsText},
      {"unmarked", [&] { job.ExportUnmarked = true; }, kLosslessOptionsText},
      {"wav source", [&] { job.FileInfo.FileType = AudioFileInfo::kTypeWav; }, kLosslessNeedsMp3Text},
      {"damaged", [&] { patchSource(middleFrame, {0, 0, 0, 0}); }, kLosslessDamagedText},
      {"free format", [&] { patchSource(0, {0xFF, 0xFB, 0x00}); }, kLosslessFreeFormatText},
      {"beyond the audio", [&] { job.MarkBegin = 100000, job.MarkEnd = 100500; }, kLosslessEmptyText},
      {"full disk", [&] { job.MarkBegin = 0; }, UnableToWriteText(job.OutFileName)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    c.arrange();
    const bool diskFull = std::string(c.what) == "full disk";
    std::optional<FileSizeLimit> limit;
    if (diskFull) limit.emplace(4096);
    EXPECT_FALSE(RunExport(job, host, dialogs, stream));
    limit.reset();
    EXPECT_EQ(dialogs.LastMessageText(), ApplicationErrorText(c.message));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename(), "source.mp3");
    }
  }
}

}  // namespace
