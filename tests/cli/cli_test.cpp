// SPDX-License-Identifier: GPL-3.0-or-later
// snipola-cli run through its command table with captured streams: the
// dispatcher, info (its five lines: CliCut.FormatComesFrom...), and cut with
// its time texts, options and failures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "cli/cli_cut.h"
#include "support/cli_run.h"
#include "support/mp3_maker.h"
#include "support/tagged_files.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

TEST(Cli, RefusedFilesExitWith1AndUsageErrorsWith2) {
  const CliRun refused = RunCliCaptured({"info", "notes.txt"});  // more: cli_reason_test
  EXPECT_TRUE(refused.exitCode == 1 && refused.out.empty());
  EXPECT_EQ(refused.err,
            "We can only accept mp3 and wav file\nonly files named .mp3 or .wav can be read\n");
  for (const CliArgs& args : {CliArgs{}, CliArgs{"info", "a", "b"}, CliArgs{"play", "a.wav"}}) {
    const CliRun run = RunCliCaptured(args);
    EXPECT_TRUE(run.exitCode == 2 && !run.err.empty() && run.out.empty()) << args.size();
  }
  EXPECT_NE(RunCliCaptured({"--help"}).out.find("info [--fast] FILE"), std::string::npos);
  // The headers' estimate, labelled as one; no progress off a terminal.
  const CliRun fast =
      RunCliCaptured({"info", "--fast", CachedMp3(48000, 1, 48000 * 2, {.bitrateKbps = 96}).path});
  EXPECT_EQ(fast.out + fast.err,
            "type: MP3\nsample_rate: 48000\nchannels: 1\nbitrate_kbps: 96\nlength_ms_estimate: 2000\n");
  EXPECT_NE(RunCliCaptured({"--version"}).out.find("\nLicense GPL-3.0-or-later: "),
            std::string::npos);
  EXPECT_EQ(RunCliCaptured({"info", "--help"}).exitCode, 0);
}

class CliCut : public ::testing::Test {
 protected:
  void SetUp() override { WriteWavFile(wav, 44100, 2, MakeTestSignal(44100 * 3, 2, 44100)); }
  CliRun Cut(CliArgs args) {
    args.insert(args.begin(), "cut");
    return RunCliCaptured(args);
  }
  std::string Info(const std::string& name) { return RunCliCaptured({"info", dir.File(name)}).out; }
  TempDir dir;
  const std::string wav = dir.File("source.wav");  // 3000 ms of stereo
  const std::string mp3 = CachedMp3(48000, 1, 48000 * 2, {.bitrateKbps = 96}).path;  // 2000 ms
};

// The marks on the file's sample timeline, end to end: each cut holds exactly the source's samples
// of its stretches [first, end), and piece and rest make the whole file. A cut of nothing is
// refused (exit 1), marks in the wrong order are a usage error (exit 2).
TEST_F(CliCut, CutsHoldExactlyTheSamplesOfTheirStretches) {
  const struct {
    int rate, channels;
    uint32_t frames;
    CliArgs words;
    std::vector<std::pair<uint32_t, uint32_t>> stretches;
    int exitCode = 0;
  } rows[] = {
      {48000, 1, 73218, {}, {{0, 73218}}},  // 1525.375 ms: the tail past 1525 ms too
      {44100, 2, 220507, {"--begin", "0:01.234", "--end", "3456ms"}, {{54419, 152410}}},
      {44100, 2, 220507, {"--begin", "1.234", "--end", "3.456", "--unmarked"},
       {{0, 54419}, {152410, 220507}}},
      {44100, 1, 88207, {"--begin", "1", "--end", "99:00"}, {{44100, 88207}}},  // clamped
      {44100, 1, 1, {}, {{0, 1}}},  // 0 ms, one sample
      {44100, 1, 0, {}, {}, 1},
      {44100, 1, 4410, {"--end", "99999", "--unmarked"}, {}, 1},
      {44100, 1, 4410, {"--begin", "2:00:00.5"}, {}, 2}};  // begin clamped to the end
  for (const auto& row : rows) {
    const auto source = MakeTestSignal(row.frames, row.channels, row.rate);
    WriteWavFile(wav, row.rate, row.channels, source);
    CliArgs args = {wav, "-o", dir.File("out.wav")};
    args.insert(args.end(), row.words.begin(), row.words.end());
    const CliRun run = Cut(args);
    ASSERT_EQ(run.exitCode, row.exitCode) << row.frames << run.err;
    const char* says[] = {"", "Nothing to export: ", "snipola-cli cut: nothing to cut: "};
    EXPECT_EQ(run.err.substr(0, std::strlen(says[row.exitCode])), says[row.exitCode]) << run.err;
    if (row.exitCode != 0) continue;
    EXPECT_EQ(run.err, "");  // no progress bar off a terminal
    std::vector<int16_t> expected;
    for (const auto& [first, end] : row.stretches)
      expected.insert(expected.end(), source.begin() + first * row.channels,
                      source.begin() + end * row.channels);
    const auto bytes = ReadFileBytes(dir.File("out.wav"));
    std::vector<int16_t> written((bytes.size() - 46) / 2);
    std::memcpy(written.data(), bytes.data() + 46, written.size() * 2);
    EXPECT_EQ(written, expected) << row.frames << " frames, " << row.words.size() << " words";
  }
}

TEST_F(CliCut, FormatComesFromTheOptionOrTheExtensionAndTheBitrateFromTheSource) {
  ASSERT_EQ(Cut({wav, "-o", dir.File("piece.wav"), "--format", "MP3", "--end", "1"}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav"))[0], 0xFF);
  ASSERT_EQ(Cut({wav, "-o", dir.File("bare"), "--format", "wav", "--end", "1"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.File("bare.wav")));
  const CliRun run = Cut({wav, "-o", dir.File("bare2")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(".mp3 or .wav"), std::string::npos);
  ASSERT_EQ(
      Cut({mp3, "-o", dir.File("a.mp3"), "--begin", "0.25", "--end", "1.75", "--fade-in", "1"})
          .exitCode,
      0);
  EXPECT_EQ(Info("a.mp3"),
            "type: MP3\nsample_rate: 48000\nchannels: 1\nbitrate_kbps: 96\nlength_ms: 1500\n");
  ASSERT_EQ(Cut({wav, "-o", dir.File("b.mp3"), "--end", "2"}).exitCode, 0);
  EXPECT_NE(Info("b.mp3").find("bitrate_kbps: 128\nlength_ms: 2000\n"), std::string::npos);
  // The source's tags dropped, one set.
  ASSERT_TRUE(AddTestTags(wav, true));
  ASSERT_EQ(Cut({wav, "-o", dir.File("t.wav"), "--no-tags", "--tag", "Title=T"}).exitCode, 0);
  EXPECT_EQ(DescribeTags(dir.File("t.wav"), true).substr(0, 26), "title=T|artist=|album=|tra");
}

TEST_F(CliCut, UsageErrorsGiveAReasonAndCreateNothing) {
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{"IN"}, "-o OUT is missing"},
      {{"IN", "-o", "x.wav", "--end", "1:75"}, "is not a time"},
      {{"IN", "-o", "x.mp3", "--bitrate", "100"}, "use 32 40"},
      {{"MP3", "-o", "x.mp3", "--bitrate", "320"}, "origin 32 40 56 64 80 96 112 128 160\n"},
      {{"MP3", "-o", "x.mp3", "--lossless", "--fade-in", "1"}, "cannot fade"},
      {{"IN", "-o", "x.mp3", "--lossless"}, "needs an MP3 source"},
      {{"IN", "-o", "x.wav", "--tag", "mood=low"}, "unknown tag key 'mood' (use title, artist"}};
  for (const auto& [words, says] : rows) {
    CliArgs args;
    for (const std::string& word : words)
      args.push_back(word == "IN" ? wav : word == "MP3" ? mp3 : word);
    const CliRun run = Cut(args);
    EXPECT_EQ(run.exitCode, 2) << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  EXPECT_EQ(Cut({mp3, "-o", dir.File("l.mp3"), "--lossless", "--end", "0.9"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.File("l.mp3")));
  EXPECT_NE(Cut({"--help"}).out.find("--fade-out"), std::string::npos);
}

TEST_F(CliCut, FailuresExitWithOneLineAndLeaveNoFileAndTheBarEndsAt100) {
  CliRun run = Cut({dir.File("missing.wav"), "-o", dir.File("x.wav")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error while open wav file\nNo such file or directory\n");
  run = Cut({wav, "-o", dir.File("no/such/folder.mp3")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot create file " + dir.File("no/such/folder.mp3") +
                         ": No such file or directory.\n");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  std::ostringstream out, err;
  ASSERT_EQ(RunCutCommand({wav, "-o", dir.File("p.wav")}, out, err, true), 0);
  EXPECT_NE(err.str().find("\r[##############################] 100%"), std::string::npos);
  EXPECT_EQ(err.str().back(), '\n');
}

}  // namespace
