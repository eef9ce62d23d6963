// snipola-cli run through its command table with captured streams: the
// dispatcher, info (its five lines: CliCut.FormatComesFrom...), and cut with
// its time texts, options and failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_cut.h"
#include "support/cli_run.h"
#include "support/mp3_maker.h"
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
  EXPECT_EQ(RunCliCaptured({"info", "--help"}).exitCode, 0);
}

TEST(Cli, TimeTextsAreSecondsClockFieldsOrMilliseconds) {
  const std::pair<const char*, std::optional<int64_t>> rows[] = {
      {"183456ms", 183456}, {"3:03.456", 183456}, {"1:00:00", 3600000}, {"60", 60000},
      {"0.05", 50},         {"", {}},             {"1:2:3:4", {}},      {"1:60", {}},
      {"1.2345", {}},       {"-5", {}},           {"3.", {}},           {"1.5ms", {}}};
  for (const auto& [text, ms] : rows) EXPECT_EQ(ParseCliTimeMs(text), ms) << text;
}

class CliCut : public ::testing::Test {
 protected:
  void SetUp() override { WriteWavFile(wav, 44100, 2, MakeTestSignal(44100 * 3, 2, 44100)); }
  CliRun Cut(CliArgs args) {
    args.insert(args.begin(), "cut");
    return RunCliCaptured(args);
  }
  size_t WavFrames(const std::string& n) { return (ReadFileBytes(dir.File(n)).size() - 46) / 4; }
  std::string Info(const std::string& name) { return RunCliCaptured({"info", dir.File(name)}).out; }
  TempDir dir;
  const std::string wav = dir.File("source.wav");  // 3000 ms of stereo
  const std::string mp3 = CachedMp3(48000, 1, 48000 * 2, {.bitrateKbps = 96}).path;  // 2000 ms
};

TEST_F(CliCut, CutsThePieceOrTheRestWithMarksClampedIntoTheFile) {
  CliRun run = Cut({wav, "-o", dir.File("piece.WAV"), "--begin", "0:00.5", "--end", "1500ms"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress bar off a terminal
  EXPECT_EQ(WavFrames("piece.WAV"), 44100u);
  EXPECT_EQ(Cut({wav, "-o", dir.File("rest.wav"), "--begin", "1", "--end", "2.5", "--unmarked"}).exitCode, 0);
  EXPECT_EQ(WavFrames("rest.wav"), 44100u + 22050u);
  EXPECT_EQ(Cut({wav, "-o", dir.File("all.wav"), "--end", "99:00"}).exitCode, 0);
  EXPECT_EQ(WavFrames("all.wav"), 3u * 44100);
  run = Cut({wav, "-o", dir.File("tail.wav"), "--begin", "2:00:00.5"});
  EXPECT_EQ(run.exitCode, 2);  // begin clamped to the end: nothing to cut
  EXPECT_NE(run.err.find("nothing to cut"), std::string::npos);
}

TEST_F(CliCut, FormatComesFromTheOptionOrTheExtensionAndTheBitrateFromTheSource) {
  ASSERT_EQ(Cut({wav, "-o", dir.File("piece.wav"), "--format", "MP3", "--end", "1"}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav"))[0], 0xFF);
  ASSERT_EQ(Cut({wav, "-o", dir.File("bare"), "--format", "wav", "--end", "1"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.File("bare.wav")));
  const CliRun run = Cut({wav, "-o", dir.File("bare2")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(".mp3 or .wav"), std::string::npos);
  ASSERT_EQ(Cut({mp3, "-o", dir.File("a.mp3"), "--begin", "0.25", "--end", "1.75", "--fade-in", "1"}).exitCode, 0);
  EXPECT_EQ(Info("a.mp3"), "type: MP3\nsample_rate: 48000\nchannels: 1\nbitrate_kbps: 96\nlength_ms: 1500\n");
  ASSERT_EQ(Cut({wav, "-o", dir.File("b.mp3"), "--end", "2"}).exitCode, 0);
  EXPECT_NE(Info("b.mp3").find("bitrate_kbps: 128\nlength_ms: 2000\n"), std::string::npos);
}

TEST_F(CliCut, UsageErrorsGiveAReasonAndCreateNothing) {
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{"IN"}, "-o OUT is missing"},
      {{"IN", "-o", "x.wav", "--end", "1:75"}, "is not a time"},
      {{"IN", "-o", "x.mp3", "--bitrate", "100"}, "use 32 40"},
      {{"MP3", "-o", "x.mp3", "--bitrate", "320"}, "origin 32 40 56 64 80 96 112 128 160\n"},
      {{"MP3", "-o", "x.mp3", "--lossless", "--fade-in", "1"}, "cannot fade"},
      {{"IN", "-o", "x.mp3", "--lossless"}, "needs an MP3 source"}};
  for (const auto& [words, says] : rows) {
    CliArgs args;
    for (const std::string& word : words) args.push_back(word == "IN" ? wav : word == "MP3" ? mp3 : word);
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
  EXPECT_EQ(run.err, "Cannot create file " + dir.File("no/such/folder.mp3") + ".\n");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  std::ostringstream out, err;
  ASSERT_EQ(RunCutCommand({wav, "-o", dir.File("p.wav")}, out, err, true), 0);
  EXPECT_NE(err.str().find("\r[##############################] 100%"), std::string::npos);
  EXPECT_EQ(err.str().back(), '\n');
}

}  // namespace
