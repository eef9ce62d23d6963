// The export pipeline over sources in memory: cutting, fading, progress and
// time text, empty pieces, and every failure leaving the target as it was
// with no file left behind. Real files and MP3 lengths: export_roundtrip_test.
#include "export/export_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <tuple>

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

std::vector<int16_t> WavSamples(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  EXPECT_GE(bytes.size(), kWavHeaderBytes);
  std::vector<int16_t> samples((bytes.size() - kWavHeaderBytes) / 2);
  std::memcpy(samples.data(), bytes.data() + kWavHeaderBytes, samples.size() * 2);
  return samples;
}

class ExportPipeline : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_F(ExportPipeline, UnmarkedExportFadesEachPieceOnItsOwn) {
  const int rate = 8000;
  MemoryExportSource source(std::vector<int16_t>(rate * 10, 1000), 1, rate, 998);
  ExportJob job = Job(rate, 1, 10000, 3000, 6000, dir.File("rest.wav"), ExportRoute::Wav, true);
  job.FadeIn = job.FadeOut = true;
  job.FadeInSeconds = 1;
  job.FadeOutSeconds = 2;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  const auto samples = WavSamples(job.OutFileName);
  ASSERT_EQ(samples.size(), 7u * rate);
  const size_t seam = 3 * rate;  // first frame of the second piece
  for (size_t start : {size_t{0}, seam}) {
    EXPECT_EQ(samples[start + rate / 4], 250) << start;
    EXPECT_EQ(samples[start + rate], 1000) << start;
  }
  // Fade-out of 2 s = 16000 frames: 4001/16000 x 1000 = 250.06.
  EXPECT_EQ(samples[seam - 1 - rate / 2], 250);
  EXPECT_EQ(samples.back(), 0);
  EXPECT_EQ(source.openedAtMs, (std::vector<uint32_t>{0, 6000}));
}

TEST_F(ExportPipeline, ProgressAndTimeTextFollowTheBlocksAndTheClock) {
  MemoryExportSource source(std::vector<int16_t>(8000 * 4, 5), 1, 8000, 16000);  // 1 s a block
  ASSERT_TRUE(ExportWAV(Job(8000, 1, 4000, 1000, 3000, dir.File("p.wav"), ExportRoute::Wav, true),
                        host, dialogs, source));
  EXPECT_EQ(host.progress, (std::vector<int>{50, 100}));  // the first piece is half the total
  EXPECT_EQ(host.pumps, 2);
  EXPECT_EQ(source.reads, 2);

  // 4000 frames a block, the clock 1 s further at each reading: 8000 of
  // 64000 frames in 1 s make 8 s in all.
  MemoryExportSource timed(std::vector<int16_t>(8000 * 8, 5), 1, 8000, 8000);
  RecordingHost clock;
  clock.tickStepMs = 1000;
  ASSERT_TRUE(ExportWAV(Job(8000, 1, 8000, 0, 8000, dir.File("t.wav"), ExportRoute::Wav), clock,
                        dialogs, timed));
  EXPECT_EQ(clock.timeTexts.at(0), "Used 00:00:01, Left 00:00:07");
}

TEST_F(ExportPipeline, ASourceThatEndsBeforeTheFileLengthFailsTheExport) {
  // 8000 Hz mono of 1000 ms: {source frames (0: endless empty blocks), mark
  // end, exported}. The length's rounding allows 4 frames short.
  for (auto [frames, endMs, exported] : {std::tuple{8000, 1000, true}, {7996, 1000, true},
                                         {8000, 1500, true}, {7000, 1000, false},
                                         {0, 1000, false}}) {
    MemoryExportSource source(std::vector<int16_t>(frames, 3), 1, 8000);
    source.endlessEmptyBlocks = frames == 0;
    dialogs.messages.clear();
    EXPECT_EQ(ExportWAV(Job(8000, 1, 1000, 0, endMs, dir.File("s.wav"), ExportRoute::Wav), host,
                        dialogs, source),
              exported)
        << frames;
    EXPECT_EQ(dialogs.LastMessageText(), exported ? "" : "Cannot read file memory.wav.");
    EXPECT_EQ(FilesIn(dir.path()), exported ? 1u : 0u);
    fs::remove(dir.File("s.wav"));
  }
}

TEST_F(ExportPipeline, EmptyPiecesEndCleanly) {
  // Unmarked from the start: an empty first piece is opened and closed.
  MemoryExportSource fromStart(std::vector<int16_t>(8000 * 2, 9), 1, 8000, 16000);
  ASSERT_TRUE(ExportWAV(Job(8000, 1, 2000, 0, 1000, dir.File("u.wav"), ExportRoute::Wav, true),
                        host, dialogs, fromStart));
  EXPECT_EQ(fromStart.openedAtMs, (std::vector<uint32_t>{0, 1000}));
  EXPECT_EQ(fromStart.closes, 2);
  EXPECT_EQ(fromStart.reads, 1);
  EXPECT_EQ(WavSamples(dir.File("u.wav")).size(), 8000u);

  // Marks spanning the file: both routes write empty outputs, no progress.
  RecordingHost quiet;
  MemoryExportSource spanning(std::vector<int16_t>(44100 * 2, 1), 2, 44100);
  ASSERT_TRUE(ExportWAV(Job(44100, 2, 1000, 0, 1000, dir.File("e.wav"), ExportRoute::Wav, true),
                        quiet, dialogs, spanning));
  EXPECT_EQ(ReadFileBytes(dir.File("e.wav")).size(), kWavHeaderBytes);
  ASSERT_TRUE(ExportMP3(Job(44100, 2, 1000, 0, 1000, dir.File("e.mp3"), ExportRoute::Mp3, true),
                        quiet, dialogs, spanning));
  EXPECT_EQ(ReadFileBytes(dir.File("e.mp3")).at(0), 0xFF);  // a valid stream of no samples
  EXPECT_TRUE(DecodeMp3File(dir.File("e.mp3")).empty());
  EXPECT_TRUE(quiet.progress.empty());
  EXPECT_EQ(spanning.reads, 0);
}

TEST_F(ExportPipeline, RefusedSourcesAreReportedAndCreateNothing) {
  MemoryExportSource highRate(std::vector<int16_t>(1000, 1), 2, 96000);
  EXPECT_FALSE(ExportMP3(Job(96000, 2, 1000, 0, 500, dir.File("x.mp3"), ExportRoute::Mp3), host,
                         dialogs, highRate));
  EXPECT_EQ(dialogs.LastMessageText(), "Can't start the MP3 encoder.");
  EXPECT_EQ(dialogs.messages.back().caption, "Snipola");
  MemoryExportSource unreadable({}, 2, 44100);
  unreadable.failOpen = true;
  EXPECT_FALSE(ExportWAV(Job(44100, 2, 1000, 0, 500, dir.File("x.wav"), ExportRoute::Wav), host,
                         dialogs, unreadable));
  EXPECT_EQ(dialogs.LastMessageText(), "Cannot read file memory.wav.");
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

// Both routes keep an old target whole when the disk fills up or the folder
// is locked (a child process as "nobody": root ignores permissions).
class ExportFailure : public ExportPipeline, public ::testing::WithParamInterface<ExportRoute> {};

TEST_P(ExportFailure, FullDiskOrLockedFolderKeepsTheOldTargetAndLeavesNoPartialFile) {
  const std::string out = dir.File(GetParam() == ExportRoute::Mp3 ? "old.mp3" : "old.wav");
  WriteText(out, "old");
  // 5 s hold 80 KB of MP3 at 128 kbit/s and 860 KB of WAV: more than fits.
  MemoryExportSource source(MakeTestSignal(44100 * 5, 2, 44100), 2, 44100);
  std::optional<FileSizeLimit> limit(std::in_place, 40 * 1024);
  EXPECT_FALSE(RunExport(Job(44100, 2, 5000, 0, 5000, out, GetParam()), host, dialogs, source));
  limit.reset();
  EXPECT_EQ(dialogs.LastMessageText(), "Unable to write to " + out + ".");
  EXPECT_EQ(ReadText(out), "old");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  EXPECT_EQ(source.closes, 1);

  const TempDir shared(TempDir::Where::SystemTemp);
  const fs::path folder = shared.path() / "locked";
  fs::create_directory(folder);
  const std::string locked = (folder / "old.mp3").string();
  WriteText(locked, "old");
  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  // Checked first, the target cannot be replaced; exported anyway, it cannot be created.
  const int result = RunInChild(
      [&] {
        ScriptedDialogs childDialogs;
        MemoryExportSource one(std::vector<int16_t>(8000, 1), 1, 8000);
        if (CheckExportTarget(locked, "memory.wav", childDialogs)) return 1;
        const bool ok =
            RunExport(Job(8000, 1, 1000, 0, 1000, locked, GetParam()), host, childDialogs, one);
        const bool said = childDialogs.LastMessageText() == "Cannot create file " + locked + ".";
        return !ok && said ? 0 : 2;
      },
      true);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadText(locked), "old");
  EXPECT_EQ(FilesIn(folder), 1u);
}

INSTANTIATE_TEST_SUITE_P(Routes, ExportFailure,
                         ::testing::Values(ExportRoute::Mp3, ExportRoute::Wav),
                         [](const auto& info) {
                           return info.param == ExportRoute::Mp3 ? "Mp3" : "Wav";
                         });

TEST(CheckExportTarget, RefusesTheSourceUnderAnySpellingAndATargetThatCannotBeReplaced) {
  TempDir dir;
  const std::string source = dir.File("song.wav");
  WriteText(source, "song");
  fs::create_symlink(source, dir.path() / "link.wav");
  fs::create_directory(dir.path() / "sub");
  const fs::path cwd = fs::current_path();
  const std::pair<std::string, bool> rows[] = {
      {source, false},           {dir.File("link.wav"), false}, {"./song.wav", false},
      {"sub/../song.wav", false}, {"song.wav", false},
      {"nosub/../song.wav", true},  // the folder does not exist: the path names nothing
      {"SONG.WAV", true},         {"new.mp3", true}};
  for (const auto& [spelling, allowed] : rows) {
    ScriptedDialogs dialogs;
    fs::current_path(dir.path());
    EXPECT_EQ(CheckExportTarget(spelling, source, dialogs), allowed) << spelling;
    fs::current_path(cwd);
    if (allowed) continue;
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Can't overwrite the origin file");
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  }
  EXPECT_EQ(ReadText(source), "song");
  ScriptedDialogs dialogs;
  fs::create_directory(dir.path() / "folder.mp3");
  EXPECT_FALSE(CheckExportTarget(dir.File("folder.mp3"), source, dialogs));
  EXPECT_EQ(dialogs.LastMessageText(), "Can't Access file " + dir.File("folder.mp3"));
}

}  // namespace
