// SPDX-License-Identifier: GPL-3.0-or-later
// The pipeline's lossless route: marks map to samples as for every export, the probe reads the
// piece's length back, and what it cannot do is refused with its message and nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "audio/mp3io.h"
#include "base/application_error.h"
#include "base/rounding.h"
#include "export/export_options.h"
#include "export/lossless_cut.h"
#include "export/lossless_export.h"
#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/tagged_files.h"
#include "support/test_files.h"

namespace {

class LosslessExport : public ::testing::Test {
 protected:
  void SetUp() override {
    job = {.FileInfo = {}, .SourceFileName = source, .OutFileName = dir.File("cut.mp3"),
           .Lossless = true};
    ASSERT_TRUE(WriteMp3File(source, MakeTestSignal(88200, 2, 44100), 44100, 2));
    ASSERT_TRUE(GetAudioFileInfo(source, job.FileInfo, dialogs));
    job.BeginSample = SampleOfMs(job.FileInfo, 250);
    job.EndSample = job.FileInfo.LengthFrames;
  }
  bool Export() { return RunExport(job, host, dialogs, stream); }
  TempDir dir;
  std::string source = dir.File("source.mp3");
  ScriptedDialogs dialogs;
  RecordingHost host;
  StreamExportSource stream;
  ExportJob job;
};

// The tags TagLib writes in front leave the Info frame and every copied frame as they were: the
// cut without tags lies byte for byte inside the tagged one, which decodes to the piece.
TEST_F(LosslessExport, CutsFromTheBeginMarkToTheEndOfTheFileTaggedOrNot) {
  ASSERT_TRUE(AddTestTags(source, false));
  job.Tags.Values["title"] = "Cut";
  ASSERT_TRUE(Export()) << dialogs.LastMessageText();
  const auto whole = DecodeMp3File(source);
  const std::vector<int16_t> piece(whole.begin() + MsToFrames(250, 44100) * 2, whole.end());
  EXPECT_EQ(DecodeMp3File(job.OutFileName), piece);
  EXPECT_EQ(LosslessCutSamples(job.OutFileName), std::ssize(piece) / 2);
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(job.OutFileName, info, dialogs));
  EXPECT_TRUE(info.LengthMs == job.FileInfo.LengthMs - 250 && host.progress.back() == 100);
  EXPECT_EQ(DescribeTags(job.OutFileName, false).substr(0, 10), "title=Cut|");
  const auto tagged = ReadFileBytes(job.OutFileName);
  job.Tags = {false, {}};
  job.OutFileName = dir.File("plain.mp3");
  ASSERT_TRUE(Export());
  const auto plain = ReadFileBytes(job.OutFileName);
  EXPECT_EQ(DescribeTags(job.OutFileName, false),  // no ID3v1 or APEv2 either
            "title=|artist=|album=|track=|year=0|genre=|comment=|TLEN=|APIC=|CHAP=|CTOC=|SYLT=|v4");
  EXPECT_NE(std::search(tagged.begin(), tagged.end(), plain.begin(), plain.end()), tagged.end());
  EXPECT_TRUE(plain.size() + 1000 < tagged.size() && plain[0] == 0xFF);
}

TEST_F(LosslessExport, RefusesWhatItCannotDoAndLeavesNothingBehind) {
  const auto patch = [&](uint64_t at, const std::string& bytes) {
    std::fstream file(source, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(at).write(bytes.data(), bytes.size());
  };
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { patch(16000, std::string(1000, '\0')); }, kLosslessDamagedText},  // a frame header
      {[&] { patch(0, std::string("\xFF\xFB\0", 3)); }, kLosslessFreeFormatText},
      {[&] {  // a part at 48000 Hz joined on: the decoder plays it resampled
         WriteMp3File(job.OutFileName, MakeTestSignal(48000, 2, 48000), 48000, 2);
         const auto bytes = ReadFileBytes(job.OutFileName);
         std::filesystem::remove(job.OutFileName);
         patch(std::filesystem::file_size(source), std::string(bytes.begin(), bytes.end()));
         GetAudioFileInfo(source, job.FileInfo, dialogs);
         job.EndSample = SampleOfMs(job.FileInfo, 2500);
       },
       LosslessFormatChangeText(2000)},
      {[] {}, UnableToWriteText(dir.File("cut.mp3"))},  // a full disk, below
  };
  for (const auto& [arrange, message] : cases) {
    SetUp();
    arrange();
    const bool fullDisk = &message == &std::end(cases)[-1].second;
    std::optional<FileSizeLimit> limit(std::in_place, fullDisk ? 4096 : RLIM_INFINITY);
    EXPECT_FALSE(Export());
    limit.reset();
    EXPECT_EQ(dialogs.LastMessageText(), ApplicationErrorText(message));
    EXPECT_EQ(FilesIn(dir.path()), 1u) << message;  // the source alone
  }
}

}  // namespace
