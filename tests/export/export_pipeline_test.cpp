// SPDX-License-Identifier: GPL-3.0-or-later
// The export pipeline over sources in memory: a short source, empty pieces, and every failure
// leaving the target as it was with no file left behind. Real files: export_roundtrip_test.
#include "export/export_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "export/scan_wait.h"
#include "export/wav_writer.h"
#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/tagged_files.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

ExportJob Job(int rate, int channels, int lengthMs, int32_t begin, int32_t end,
              const std::string& out, ExportRoute route, bool unmarked = false) {
  ExportJob job{.FileInfo = MakeInfo(AudioFileInfo::kTypeWav, rate, channels, lengthMs, 128),
                .SourceFileName = "memory.wav", .OutFileName = out, .Route = route,
                .ExportUnmarked = unmarked};
  job.BeginSample = SampleOfMs(job.FileInfo, begin);
  job.EndSample = SampleOfMs(job.FileInfo, end);
  return job;
}

class ExportPipeline : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_F(ExportPipeline, ASourceThatEndsBeforeTheFileLengthFailsTheExport) {
  // 8000 Hz mono of 1000 ms (8000 frames) from {source frames (0: endless empty blocks),
  // exported}: one frame short is a short export.
  for (auto [frames, exported] : {std::pair{8000, true}, {7999, false}, {0, false}}) {
    MemoryExportSource source(std::vector<int16_t>(frames, 3), 1);
    source.endlessEmptyBlocks = frames == 0;
    dialogs.messages.clear();
    const ExportJob job = Job(8000, 1, 1000, 0, 1500, dir.File("s.wav"), ExportRoute::Wav);
    EXPECT_EQ(ExportWAV(job, host, dialogs, source), exported) << frames;
    EXPECT_EQ(dialogs.LastMessageText(), exported ? "" : "Cannot read file memory.wav.");
    EXPECT_EQ(FilesIn(dir.path()), exported ? 1u : 0u);
    fs::remove(dir.File("s.wav"));
  }
}

TEST_F(ExportPipeline, AnExportOfNoFrameIsRefusedBeforeAnythingIsWritten) {
  MemoryExportSource source(std::vector<int16_t>(44100 * 2, 1), 2);
  // {job, message}: the whole file marked leaves no rest; a file of no frame has no piece.
  const std::pair<ExportJob, const char*> rows[] = {
      {Job(44100, 2, 1000, 0, 1000, dir.File("e.mp3"), ExportRoute::Mp3, true),
       kNothingUnmarkedText},
      {Job(44100, 2, 0, 0, 0, dir.File("e.wav"), ExportRoute::Wav), kNothingMarkedText}};
  for (const auto& [job, text] : rows) {
    dialogs.messages.clear();
    EXPECT_FALSE(RunExport(job, host, dialogs, source));
    EXPECT_EQ(dialogs.LastMessageText(), std::string(text) + ".");
  }
  EXPECT_TRUE(FilesIn(dir.path()) == 0u && source.reads == 0 && host.progress.empty());
}

// Both routes keep an old target whole when the disk fills up or the user cancels.
class ExportFailure : public ExportPipeline, public ::testing::WithParamInterface<ExportRoute> {};

TEST_P(ExportFailure, FullDiskOrCancelKeepTheOldTargetAndLeaveNoPartialFile) {
  const std::string out = dir.File(GetParam() == ExportRoute::Mp3 ? "old.mp3" : "old.wav");
  WriteText(out, "old");
  // 5 s hold 80 KB of MP3 at 128 kbit/s and 860 KB of WAV: more than fits.
  MemoryExportSource source(MakeTestSignal(44100 * 5, 2, 44100), 2);
  std::optional<FileSizeLimit> limit(std::in_place, 40 * 1024);
  EXPECT_FALSE(RunExport(Job(44100, 2, 5000, 0, 5000, out, GetParam()), host, dialogs, source));
  limit.reset();
  EXPECT_EQ(dialogs.LastMessageText(), "Unable to write to " + out + ".");
  EXPECT_TRUE(ReadText(out) == "old" && FilesIn(dir.path()) == 1u && source.closes == 1);
  dialogs.messages.clear(), host.progress.clear();
  host.cancel = true;  // asked after the first block: it stops there, silently
  MemoryExportSource again(MakeTestSignal(44100 * 5, 2, 44100), 2, 44100);
  EXPECT_FALSE(RunExport(Job(44100, 2, 5000, 0, 5000, out, GetParam()), host, dialogs, again));
  EXPECT_TRUE(ReadText(out) == "old" && FilesIn(dir.path()) == 1u && again.closes == 1);
  EXPECT_TRUE(dialogs.messages.empty() && host.progress.size() == 1u);
}

// Tags that no longer fit on the disk fail the export as its audio would.
TEST_F(ExportPipeline, TagsThatCannotBeWrittenFailTheExportAndLeaveNothing) {
  const std::string tagged = dir.File("tagged.wav"), out = dir.File("out.wav");
  WriteWavFile(tagged, 8000, 1, std::vector<int16_t>(8000, 3));
  ASSERT_TRUE(AddTestTags(tagged, true));
  ExportJob job = Job(8000, 1, 1000, 0, 1000, out, ExportRoute::Wav);
  job.SourceFileName = tagged;
  MemoryExportSource source(std::vector<int16_t>(8000, 3), 1);
  std::optional<FileSizeLimit> limit(std::in_place, 44 + 16000 + 16);
  EXPECT_FALSE(RunExport(job, host, dialogs, source));
  limit.reset();
  EXPECT_EQ(dialogs.LastMessageText(), CannotWriteTagsText(out) + ".");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Routes, ExportFailure,
                         ::testing::Values(ExportRoute::Mp3, ExportRoute::Wav),
                         [](const auto& p) { return p.param == ExportRoute::Mp3 ? "Mp3" : "Wav"; });

// The source under any spelling is refused; another existing file is replaced
// when the user says Yes (the dialog) or without a question (the command line).
TEST(CheckExportTarget, RefusesTheSourceAndAsksBeforeReplacing) {
  TempDir dir;
  const std::string source = dir.File("song.wav");
  WriteText(source, "song"), WriteText(dir.File("old.wav"), "old");
  fs::create_directory(dir.path() / "sub");  // a link to the source: export_dialog_widget_test
  const fs::path cwd = fs::current_path();
  constexpr auto kAsk = ExistingTarget::Ask;
  struct Row {
    const char* spelling;
    ExistingTarget existing;
    bool yes, allowed;
    size_t messages, questions;
  };
  const Row rows[] = {
      {"sub/../song.wav", kAsk, true, false, 1, 0},
      {"song.wav", ExistingTarget::Replace, true, false, 1, 0},
      {"SONG.WAV", kAsk, false, true, 0, 0},
      {"old.wav", kAsk, false, false, 0, 1},
      {"old.wav", kAsk, true, true, 0, 1},
      {"old.wav", ExistingTarget::Replace, false, true, 0, 0},
      {"nosub/../song.wav", kAsk, false, true, 0, 0}};  // no folder: the path names nothing
  for (const Row& row : rows) {
    ScriptedDialogs dialogs;
    dialogs.confirmAnswers = {row.yes};
    fs::current_path(dir.path());
    EXPECT_EQ(CheckExportTarget(row.spelling, source, dialogs, row.existing), row.allowed)
        << row.spelling;
    fs::current_path(cwd);
    EXPECT_EQ(dialogs.messages.size(), row.messages) << row.spelling;
    EXPECT_EQ(dialogs.confirms.size(), row.questions) << row.spelling;
  }
  EXPECT_EQ(ReplaceQuestion("/a/b.mp3"), "/a/b.mp3 already exists.\nDo you want to replace it?");
}

}  // namespace

// An export of a file still being scanned waits in its own progress display, then works on the
// exact length; a scan that ends without it, or nothing left to export, stops it with a message.
TEST(ScanWait, TheExportWaitsInItsProgressDisplayThenTakesTheExactLength) {
  struct ScanningHost : ExportHost {
    Mp3ScanIndex scan;
    std::string shown;
    int looks = 0;
    void SetProgress(int percent) override { shown += std::to_string(percent) + ":"; }
    void SetTimeText(const std::string& text) override { shown += text + " "; }
    void ProcessMessages() override {
      if (++looks == 1) scan.SetProgress(0.436);
      if (looks == 2) scan.Finish({44100, 2, 111, 25578000, 580000, true});
    }
  } host;
  ScriptedDialogs dialogs;
  ExportJob job = Job(44100, 2, 600000, 1000, 600000, "out.mp3", ExportRoute::Mp3);
  EXPECT_TRUE(WaitForExactLength(job, host.scan, host, dialogs));
  EXPECT_EQ(host.shown, "0:scanning 0 % 43:scanning 43 % ");
  EXPECT_EQ((std::vector<int64_t>{job.BeginSample.Frame(), job.EndSample.Frame(),
                                  job.FileInfo.LengthFrames.Frame(), job.FileInfo.LengthMs,
                                  job.FileInfo.Bitrate}),
            (std::vector<int64_t>{44100, 25578000, 25578000, 580000, 111}));
  // {begin, end, unmarked, exact length} -> {begin, end, refusal}; the estimate is 600000 ms, a
  // frame lasts 1 ms.
  struct Row {
    int32_t begin, end;
    bool unmarked;
    int32_t exactMs, wantBegin, wantEnd;
    const char* refusal;
  };
  for (const Row& row : {Row{1000, 599999, false, 580000, 1000, 580000, nullptr},
                         Row{1000, 599999, false, 620000, 1000, 599999, nullptr},
                         Row{1000, 600000, false, 620000, 1000, 620000, nullptr},
                         Row{0, 580000, false, 580000, 0, 580000, nullptr},
                         Row{590000, 600001, false, 580000, 580000, 580000, kNothingLeftText},
                         Row{0, 600000, true, 580000, 0, 580000, kNothingLeftText},
                         Row{1, 600000, true, 580000, 1, 580000, nullptr}}) {
    Mp3ScanIndex finished;
    finished.Finish({1000, 2, 111, row.exactMs, row.exactMs, true});
    ExportJob piece =
        Job(1000, 2, 600000, row.begin, row.end, "out.mp3", ExportRoute::Mp3, row.unmarked);
    ScriptedDialogs refused;
    EXPECT_EQ(WaitForExactLength(piece, finished, host, refused), row.refusal == nullptr);
    EXPECT_EQ((std::vector<int64_t>{piece.BeginSample.Frame(), piece.EndSample.Frame(),
                                    piece.FileInfo.LengthFrames.Frame(), piece.FileInfo.LengthMs}),
              (std::vector<int64_t>{row.wantBegin, row.wantEnd, row.exactMs, row.exactMs}))
        << row.begin << " " << row.end;
    EXPECT_EQ(refused.messages.empty() ? "" : refused.messages[0].text,
              row.refusal ? row.refusal : "");
  }
  Mp3ScanIndex stopped;
  stopped.SetEnded();
  EXPECT_FALSE(WaitForExactLength(job, stopped, host, dialogs));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text + dialogs.messages[0].caption,
            std::string(kScanFailedText) + "Error");
}
