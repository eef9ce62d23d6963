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
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

ExportJob Job(int rate, int channels, int lengthMs, int32_t begin, int32_t end,
              const std::string& out, ExportRoute route, bool unmarked = false) {
  return {.FileInfo = MakeInfo(AudioFileInfo::kTypeWav, rate, channels, lengthMs, 128),
          .MarkBegin = begin, .MarkEnd = end, .SourceFileName = "memory.wav", .OutFileName = out,
          .Route = route, .ExportUnmarked = unmarked};
}

class ExportPipeline : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_F(ExportPipeline, ASourceThatEndsBeforeTheFileLengthFailsTheExport) {
  // 8000 Hz mono of 1000 ms from {source frames (0: endless empty blocks), exported}.
  // The length's rounding allows 4 frames short.
  for (auto [frames, exported] : {std::pair{7996, true}, {7000, false}, {0, false}}) {
    MemoryExportSource source(std::vector<int16_t>(frames, 3), 1, 8000);
    source.endlessEmptyBlocks = frames == 0;
    dialogs.messages.clear();
    const ExportJob job = Job(8000, 1, 1000, 0, 1500, dir.File("s.wav"), ExportRoute::Wav);
    EXPECT_EQ(ExportWAV(job, host, dialogs, source), exported) << frames;
    EXPECT_EQ(dialogs.LastMessageText(), exported ? "" : "Cannot read file memory.wav.");
    EXPECT_EQ(FilesIn(dir.path()), exported ? 1u : 0u);
    fs::remove(dir.File("s.wav"));
  }
}

TEST_F(ExportPipeline, EmptyPiecesEndCleanly) {
  // Marks spanning the file: an empty output, no progress.
  RecordingHost quiet;
  MemoryExportSource spanning(std::vector<int16_t>(44100 * 2, 1), 2, 44100);
  ASSERT_TRUE(ExportMP3(Job(44100, 2, 1000, 0, 1000, dir.File("e.mp3"), ExportRoute::Mp3, true),
                        quiet, dialogs, spanning));
  EXPECT_EQ(ReadFileBytes(dir.File("e.mp3")).at(0), 0xFF);  // a valid stream of no samples
  EXPECT_TRUE(DecodeMp3File(dir.File("e.mp3")).empty() && quiet.progress.empty());
  EXPECT_EQ(spanning.reads, 0);
}

// Both routes keep an old target whole when the disk fills up.
class ExportFailure : public ExportPipeline, public ::testing::WithParamInterface<ExportRoute> {};

TEST_P(ExportFailure, FullDiskKeepsTheOldTargetAndLeavesNoPartialFile) {
  const std::string out = dir.File(GetParam() == ExportRoute::Mp3 ? "old.mp3" : "old.wav");
  WriteText(out, "old");
  // 5 s hold 80 KB of MP3 at 128 kbit/s and 860 KB of WAV: more than fits.
  MemoryExportSource source(MakeTestSignal(44100 * 5, 2, 44100), 2, 44100);
  std::optional<FileSizeLimit> limit(std::in_place, 40 * 1024);
  EXPECT_FALSE(RunExport(Job(44100, 2, 5000, 0, 5000, out, GetParam()), host, dialogs, source));
  limit.reset();
  EXPECT_EQ(dialogs.LastMessageText(), "Unable to write to " + out + ".");
  EXPECT_TRUE(ReadText(out) == "old" && FilesIn(dir.path()) == 1u && source.closes == 1);
}

INSTANTIATE_TEST_SUITE_P(Routes, ExportFailure,
                         ::testing::Values(ExportRoute::Mp3, ExportRoute::Wav),
                         [](const auto& p) { return p.param == ExportRoute::Mp3 ? "Mp3" : "Wav"; });

TEST(CheckExportTarget, RefusesTheSourceUnderAnySpelling) {
  TempDir dir;
  const std::string source = dir.File("song.wav");
  WriteText(source, "song");
  fs::create_directory(dir.path() / "sub");  // a link to the source: export_dialog_widget_test
  const fs::path cwd = fs::current_path();
  const std::pair<std::string, bool> rows[] = {
      {"sub/../song.wav", false}, {"song.wav", false}, {"SONG.WAV", true},
      {"nosub/../song.wav", true}};  // the folder does not exist: the path names nothing
  for (const auto& [spelling, allowed] : rows) {
    ScriptedDialogs dialogs;
    fs::current_path(dir.path());
    EXPECT_EQ(CheckExportTarget(spelling, source, dialogs), allowed) << spelling;
    fs::current_path(cwd);
    EXPECT_EQ(dialogs.messages.size(), allowed ? 0u : 1u);
  }
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
      if (looks == 2) scan.Finish({44100, 2, 111, 0, 580000, true});
    }
  } host;
  ScriptedDialogs dialogs;
  ExportJob job = Job(44100, 2, 600000, 1000, 600000, "out.mp3", ExportRoute::Mp3);
  EXPECT_TRUE(WaitForExactLength(job, host.scan, host, dialogs));
  EXPECT_EQ(host.shown, "0:scanning 0 % 43:scanning 43 % ");
  EXPECT_EQ((std::vector<int32_t>{job.MarkBegin, job.MarkEnd, job.FileInfo.LengthMs,
                                  job.FileInfo.Bitrate}),
            (std::vector<int32_t>{1000, 580000, 580000, 111}));
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
    finished.Finish({44100, 2, 111, 0, row.exactMs, true});
    ExportJob piece =
        Job(1000, 2, 600000, row.begin, row.end, "out.mp3", ExportRoute::Mp3, row.unmarked);
    ScriptedDialogs refused;
    EXPECT_EQ(WaitForExactLength(piece, finished, host, refused), row.refusal == nullptr);
    EXPECT_EQ((std::vector<int32_t>{piece.MarkBegin, piece.MarkEnd, piece.FileInfo.LengthMs}),
              (std::vector<int32_t>{row.wantBegin, row.wantEnd, row.exactMs}))
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
