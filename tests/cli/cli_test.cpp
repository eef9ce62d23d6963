// snipola-cli run through its command table with captured streams: the
// dispatcher, info, and cut with its time texts, options and failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_cut.h"
#include "support/cli_run.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

TEST(Cli, InfoPrintsTheFiveLinesOfAWav) {  // of an MP3: CliCut.FormatComesFrom...
  TempDir dir;
  const std::string wav = dir.File("take.WAV");
  WriteWavFile(wav, 22050, 1, MakeTestSignal(22050 * 3 / 2, 1, 22050));
  const CliRun run = RunCliCaptured({"info", wav});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "type: WAV\nsample_rate: 22050\nchannels: 1\nbitrate_kbps: 344\nlength_ms: 1500\n");
  EXPECT_EQ(run.err, "");
}

TEST(Cli, RefusedFilesExitWith1AndUsageErrorsWith2) {
  TempDir dir;
  const std::string eightBit = dir.File("eight.wav");
  WriteWavFile(eightBit, 8000, 1, std::vector<int16_t>(100, 0));
  std::string bytes = ReadText(eightBit);
  bytes[34] = 8;  // bits per sample
  WriteText(eightBit, bytes);
  const std::pair<std::string, std::string> refused[] = {
      {dir.File("notes.txt"), "We can only accept mp3 and wav file\n"},
      {dir.File("missing.wav"), "Error while open wav file\n"},
      {dir.File("missing.mp3"), "Error while open mp3 file\n"},
      {eightBit, "File Error !\n"}};
  for (const auto& [path, message] : refused) {
    const CliRun run = RunCliCaptured({"info", path});
    EXPECT_EQ(run.exitCode, 1) << path;
    EXPECT_EQ(run.err.substr(0, message.size()), message);
    EXPECT_EQ(run.out, "");
  }
  for (const CliArgs& args : {CliArgs{}, CliArgs{"info"}, CliArgs{"info", "a.wav", "b.wav"},
                              CliArgs{"play", "a.wav"}, CliArgs{"--verbose"}}) {
    const CliRun run = RunCliCaptured(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err, "");
    EXPECT_EQ(run.out, "");
  }
  EXPECT_NE(RunCliCaptured({"--help"}).out.find("info FILE"), std::string::npos);
  EXPECT_EQ(RunCliCaptured({"info", "--help"}).exitCode, 0);
}

TEST(Cli, TimeTextsAreSecondsClockFieldsOrMilliseconds) {
  const std::pair<const char*, std::optional<int64_t>> rows[] = {
      {"183456ms", 183456}, {"3:03.456", 183456}, {"1:00:00", 3600000}, {"60", 60000},
      {"2.5", 2500},        {"0.05", 50},         {"90:00", 5400000},   {"", {}},
      {"1:2:3:4", {}},      {"1:60", {}},         {"1.2345", {}},       {"-5", {}},
      {"5s", {}},           {"1::2", {}},         {"3.", {}},           {"ms", {}},
      {"1.5ms", {}}};
  for (const auto& [text, ms] : rows) EXPECT_EQ(ParseCliTimeMs(text), ms) << text;
}

class CliCut : public ::testing::Test {
 protected:
  void SetUp() override {
    wav = dir.File("source.wav");
    WriteWavFile(wav, 44100, 2, MakeTestSignal(44100 * 3, 2, 44100));  // 3000 ms
  }
  CliRun Cut(CliArgs args) {
    args.insert(args.begin(), "cut");
    return RunCliCaptured(args);
  }
  size_t WavFrames(const std::string& name, int channels = 2) {
    return (ReadFileBytes(dir.File(name)).size() - 46) / (2 * channels);
  }
  std::string Info(const std::string& name) { return RunCliCaptured({"info", dir.File(name)}).out; }

  TempDir dir;
  std::string wav;
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
      {{"-o", "x.wav"}, "IN is missing"},
      {{"IN", "IN", "-o", "x.wav"}, "only one IN"},
      {{"IN", "-o", "x.wav", "--speed", "2"}, "unknown option"},
      {{"IN", "-o", "x.wav", "--end", "1:75"}, "is not a time"},
      {{"IN", "-o", "x.wav", "--fade-in", "1.5"}, "whole seconds"},
      {{"IN", "-o", "x", "--format", "ogg"}, "mp3 or wav"},
      {{"IN", "-o", "x.mp3", "--bitrate", "100"}, "use 32 40"},
      {{"IN", "-o", "x.mp3", "--bitrate", "origin"}, "not offered"},
      {{"MP3", "-o", "x.mp3", "--bitrate", "320"}, "origin 32 40 56 64 80 96 112 128 160\n"},
      {{"IN", "-o", "x.wav", "--begin"}, "needs a value"},
      {{"MP3", "-o", "x.mp3", "--lossless", "--fade-in", "1"}, "cannot fade"},
      {{"MP3", "-o", "x.mp3", "--lossless", "--unmarked"}, "--unmarked"},
      {{"MP3", "-o", "x.mp3", "--lossless", "--bitrate", "128"}, "takes no --bitrate"},
      {{"MP3", "-o", "x.wav", "--lossless"}, "must be an MP3 file"},
      {{"IN", "-o", "x.mp3", "--lossless"}, "needs an MP3 source"}};
  for (const auto& [words, says] : rows) {
    CliArgs args;
    for (const std::string& word : words) args.push_back(word == "IN" ? wav : word == "MP3" ? mp3 : word);
    const CliRun run = Cut(args);
    EXPECT_EQ(run.exitCode, 2) << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  const CliArgs lossless = {mp3, "-o", dir.File("l.mp3"), "--lossless", "--end", "0.9"};
  EXPECT_EQ(Cut(lossless).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.File("l.mp3")));
  const CliRun help = Cut({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option : {"-o", "--begin", "--end", "--unmarked", "--format", "--bitrate",
                             "--fade-in", "--fade-out", "examples:", "183456", "3:03.456"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CliCut, FailuresExitWithOneLineAndLeaveNoFileAndTheBarEndsAt100) {
  CliRun run = Cut({dir.File("missing.wav"), "-o", dir.File("x.wav")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error while open wav file\nNo such file or directory\n");
  run = Cut({wav, "-o", dir.File("./source.wav")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Can't overwrite the origin file\n");
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
