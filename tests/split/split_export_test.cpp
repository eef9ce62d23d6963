// SPDX-License-Identifier: GPL-3.0-or-later
// The export of all pieces: names from the template, pieces that decode end
// to end to the source, and a folder left as it was by every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "audio/mp3io.h"
#include "audio/peak_source.h"
#include "export/export_options.h"
#include "export/lossless_export.h"
#include "split/split_export.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

class PieceHost : public SplitHost {
 public:
  std::vector<int> pieces;
  bool cancel = false;
  void SetProgress(int) override {}
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
  bool CancelRequested() override { return cancel; }
  void SetPiece(int number, int, int) override { pieces.push_back(number); }
};

std::vector<int16_t> Decoded(const std::string& path) {
  ScriptedDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo(path, info, dialogs)) return {};
  const auto source = OpenPeakSource(path, info, PeakRate::Full);
  std::vector<int16_t> pcm(static_cast<size_t>(info.LengthFrames.Frame() * info.Channels) + 4096);
  int64_t got = 0;
  for (int64_t n; (n = source->Read(pcm.data() + got * info.Channels, 1024)) > 0;) got += n;
  pcm.resize(static_cast<size_t>(got * info.Channels));
  return pcm;
}

// Every file's name with the hash of its bytes.
std::map<std::string, size_t> FolderContents(const std::filesystem::path& folder) {
  std::map<std::string, size_t> contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    contents[entry.path().filename().string()] =
        std::hash<std::string>()(ReadText(entry.path().string()));
  }
  return contents;
}

class SplitExport : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(out);
    ASSERT_TRUE(WriteMp3File(source, MakeTestSignal(6 * 44100, 2, 44100), 44100, 2));
    ASSERT_TRUE(GetAudioFileInfo(source, job.FileInfo, dialogs));
    job.SourceFileName = source;
    job.Folder = out.string();
    job.BitrateKbps = 128;
    job.Jobs = 2;
    job.Sheet.Pieces = PiecesAtTimes(job.FileInfo, {1500, 3700}).Pieces;
  }
  TempDir dir;
  std::filesystem::path out = dir.path() / "out";
  std::string source = dir.File("set.mp3");
  ScriptedDialogs dialogs;
  PieceHost host;
  SplitJob job;
};

TEST_F(SplitExport, PiecesDecodeEndToEndToTheSource) {
  const std::vector<int16_t> whole = Decoded(source);
  for (const bool lossless : {true, false}) {
    job.Lossless = lossless;
    job.Route = lossless ? ExportRoute::Mp3 : ExportRoute::Wav;
    job.Existing = ExistingTarget::Replace;
    ASSERT_TRUE(RunSplit(job, host, dialogs)) << dialogs.LastMessageText();
    std::vector<int16_t> joined;
    for (const char* name : {"set 01", "set 02", "set 03"}) {
      const auto piece = Decoded((out / name).string() + (lossless ? ".mp3" : ".wav"));
      joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(joined.size(), whole.size()) << lossless;
    EXPECT_TRUE(joined == whole) << lossless;
  }
  EXPECT_EQ(FolderContents(out).size(), 6u);
  EXPECT_EQ(host.pieces.back(), 3);
}

TEST_F(SplitExport, NamesPiecesByTheTemplate) {
  job.Sheet.Performer = "Band";
  job.Sheet.Title = "Live";
  job.Sheet.Pieces[0].Title = "Intro: a/b?";
  job.Sheet.Pieces[1].Performer = "Guest";
  const std::pair<std::string, std::string> rows[] = {
      {"", "01 Intro_ a_b_.mp3|02.mp3|03.mp3"},
      {"{stem} {n:03} {n}", "set 001 1.mp3|set 002 2.mp3|set 003 3.mp3"},
      {"{title}", "piece 2 would get an empty file name"},
      {"{album} - {artist}{title}", "Live - BandIntro_ a_b_.mp3|Live - Guest.mp3|Live - Band.mp3"},
      {"{n} {artist} ", "1 Band.mp3|2 Guest.mp3|3 Band.mp3"},
      {"{album}", "pieces 1 and 2 would both be named Live.mp3"},
      {"{n:2}",
       "unknown field {n:2} in the name template (use {n}, {n:02}, {title}, {artist}, "
       "{album}, {stem})"},
      {"{n", "the name template has a '{' without its '}'"},
      {"..{n}.. ", "1.mp3|2.mp3|3.mp3"},
  };
  for (const auto& [pattern, expected] : rows) {
    job.NameTemplate = pattern;
    std::string reason;
    std::string got;
    for (const std::string& target : SplitTargets(job, reason)) {
      got += (got.empty() ? "" : "|") + std::filesystem::path(target).filename().string();
    }
    if (!reason.empty()) got = reason;
    EXPECT_EQ(got.substr(0, expected.size()), expected) << pattern;
  }
  job.Sheet.Pieces[1].Title = "x";

  // Every piece is tagged with its track, title and artist; the user's own
  // values win.
  job.Tags.Values["artist"] = "Me";
  const ExportJob second = PieceExportJob(job, 1, "t.mp3");
  EXPECT_EQ(second.Tags.Values,
            (std::map<std::string, std::string>{
                {"album", "Live"}, {"artist", "Me"}, {"title", "x"}, {"track", "2/3"}}));
  EXPECT_EQ(second.BeginSample, job.Sheet.Pieces[1].Begin);
  EXPECT_EQ(second.EndSample, job.Sheet.Pieces[1].End);
}

TEST_F(SplitExport, LeavesTheFolderAsItWasOnEveryFailure) {
  const std::string existing = (out / "set 02.wav").string();
  const auto damage = [&] {
    std::fstream file(source, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(40000).write(std::string(1000, '\0').data(), 1000);
  };
  struct Row {
    const char* name;
    std::function<void()> arrange;
    std::string message;
    size_t confirms;
  } rows[] = {
      {"read-only", [&] { ::chmod(existing.c_str(), 0444); }, kCantAccessFile + existing, 0},
      {"user says no", [&] { job.Existing = ExistingTarget::Ask; }, "", 1},
      {"cancel", [&] { host.cancel = true; }, "", 0},
      {"not a folder", [&] { job.Folder = existing; },
       "The folder " + existing + " does not exist.", 0},
      {"failure in the middle",
       [&] {
         damage();
         job.Route = ExportRoute::Mp3;
         job.Lossless = true;
       },
       kLosslessDamagedText + std::string("."), 0},
  };
  for (const Row& row : rows) {
    WriteText(existing, "old");
    ::chmod(existing.c_str(), 0644);
    const auto before = FolderContents(out);
    job.Route = ExportRoute::Wav;
    job.Existing = ExistingTarget::Replace;
    dialogs = ScriptedDialogs();
    host.cancel = false;
    row.arrange();
    EXPECT_FALSE(RunSplit(job, host, dialogs)) << row.name;
    EXPECT_EQ(dialogs.LastMessageText(), row.message) << row.name;
    EXPECT_EQ(dialogs.confirms.size(), row.confirms) << row.name;
    EXPECT_EQ(FolderContents(out), before) << row.name;
    EXPECT_EQ(FilesIn(dir.path()), 2u) << row.name;  // set.mp3 and out
    job.Folder = out.string();
  }
  ASSERT_TRUE(WriteMp3File(source, MakeTestSignal(6 * 44100, 2, 44100), 44100, 2));
  dialogs.confirmAnswers = {true};
  job.Existing = ExistingTarget::Ask;
  job.Route = ExportRoute::Wav;
  EXPECT_TRUE(RunSplit(job, host, dialogs));
  EXPECT_EQ(dialogs.confirms, std::vector<std::string>{ReplaceTargetsQuestion({existing})});
  EXPECT_EQ(FolderContents(out).size(), 3u);
}

}  // namespace
