// snipola-cli cut, run through the command table with captured streams.
#include "cli/cli_cut.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_command.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

CliRun RunCut(CliArgs args) {
  args.insert(args.begin(), "cut");
  std::ostringstream out, err;
  const int exitCode = RunCli(args, out, err);
  return {exitCode, out.str(), err.str()};
}

size_t WavFrames(const std::string& path, int channels) {
  return (ReadFileBytes(path).size() - 46) / (2 * channels);
}

struct TimeCase {
  const char* name;
  const char* text;
  std::optional<int64_t> ms;
};

class CliTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(CliTime, Parses) { EXPECT_EQ(ParseCliTimeMs(GetParam().text), GetParam().ms); }

INSTANTIATE_TEST_SUITE_P(
    Texts, CliTime,
    ::testing::Values(TimeCase{"WholeMs", "183456ms", 183456},
                      TimeCase{"MinutesSecondsMs", "3:03.456", 183456},
                      TimeCase{"Hours", "1:00:00", 3600000}, TimeCase{"Seconds", "60", 60000},
                      TimeCase{"MsNeedsDigits", "ms", {}}, TimeCase{"MsNoFraction", "1.5ms", {}},
                      TimeCase{"SecondsFraction", "2.5", 2500},
                      TimeCase{"ShortFraction", "0.05", 50},
                      TimeCase{"BigMinutes", "90:00", 5400000}, TimeCase{"Empty", "", {}},
                      TimeCase{"FourFields", "1:2:3:4", {}}, TimeCase{"SixtySeconds", "1:60", {}},
                      TimeCase{"LongFraction", "1.2345", {}}, TimeCase{"Negative", "-5", {}},
                      TimeCase{"Letters", "5s", {}}, TimeCase{"EmptyField", "1::2", {}},
                      TimeCase{"BareDot", "3.", {}}),
    [](const auto& info) { return std::string(info.param.name); });

class CliCut : public ::testing::Test {
 protected:
  void SetUp() override {
    wav = dir.File("source.wav");
    WriteWavFile(wav, 44100, 2, MakeTestSignal(44100 * 3, 2, 44100));  // 3000 ms
    mp3 = dir.File("source.mp3");
    ASSERT_TRUE(WriteMp3File(mp3, MakeTestSignal(48000 * 2, 1, 48000), 48000, 1,
                             {.bitrateKbps = 96}));  // 2000 ms
  }
  TempDir dir;
  std::string wav;
  std::string mp3;
};

TEST_F(CliCut, HelpDocumentsEveryOptionWithExamples) {
  const CliRun run = RunCut({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* option : {"-o", "--begin", "--end", "--unmarked", "--format", "--bitrate",
                             "--fade-in", "--fade-out", "examples:", "183456", "3:03.456"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CliCut, CutsTheMarkedPieceToWav) {
  const CliRun run =
      RunCut({wav, "-o", dir.File("piece.WAV"), "--begin", "0:00.5", "--end", "1500ms"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress bar off a terminal
  EXPECT_EQ(WavFrames(dir.File("piece.WAV"), 2), 44100u);
}

TEST_F(CliCut, MarksAreClampedIntoTheFile) {
  const CliRun run = RunCut({wav, "-o", dir.File("tail.wav"), "--begin", "2:00:00.5"});
  EXPECT_EQ(run.exitCode, 2);  // begin clamped to the end: nothing to cut
  EXPECT_NE(run.err.find("nothing to cut"), std::string::npos);
  EXPECT_EQ(RunCut({wav, "-o", dir.File("all.wav"), "--end", "99:00"}).exitCode, 0);
  EXPECT_EQ(WavFrames(dir.File("all.wav"), 2), 3u * 44100);
}

TEST_F(CliCut, UnmarkedExportsTheRestAroundThePiece) {
  ASSERT_EQ(RunCut({wav, "-o", dir.File("rest.wav"), "--begin", "1", "--end", "2.5", "--unmarked"})
                .exitCode,
            0);
  EXPECT_EQ(WavFrames(dir.File("rest.wav"), 2), 44100u + 22050u);
}

TEST_F(CliCut, FormatOptionWinsOverTheExtensionAndFillsAMissingOne) {
  ASSERT_EQ(RunCut({wav, "-o", dir.File("piece.wav"), "--format", "MP3", "--end", "1"}).exitCode,
            0);
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav"))[0], 0xFF);
  ASSERT_EQ(RunCut({wav, "-o", dir.File("bare"), "--format", "wav", "--end", "1"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.File("bare.wav")));
  const CliRun run = RunCut({wav, "-o", dir.File("bare2")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(".mp3 or .wav"), std::string::npos);
}

TEST_F(CliCut, Mp3SourceKeepsItsBitrateByDefault) {
  ASSERT_EQ(RunCut({mp3, "-o", dir.File("piece.mp3"), "--begin", "0.25", "--end", "1.75",
                    "--fade-in", "1"})
                .exitCode,
            0);
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"info", dir.File("piece.mp3")}, out, err), 0);
  EXPECT_NE(out.str().find("bitrate_kbps: 96\n"), std::string::npos);
  EXPECT_NE(out.str().find("length_ms: 1500\n"), std::string::npos);
  EXPECT_NE(out.str().find("sample_rate: 48000\n"), std::string::npos);
}

TEST_F(CliCut, WavSourceIsEncodedAt128ByDefault) {
  ASSERT_EQ(RunCut({wav, "-o", dir.File("piece.mp3"), "--end", "2"}).exitCode, 0);
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"info", dir.File("piece.mp3")}, out, err), 0);
  EXPECT_NE(out.str().find("bitrate_kbps: 128\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("length_ms: 2000\n"), std::string::npos) << out.str();
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;  // "IN" and "MP3" stand for the source files
  const char* says;
};

class CliUsage : public CliCut, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, IsAUsageErrorWithAReason) {
  CliArgs args;
  for (const std::string& word : GetParam().args) {
    args.push_back(word == "IN" ? wav : word == "MP3" ? mp3 : word);
  }
  const CliRun run = RunCut(args);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CliUsage,
    ::testing::Values(
        UsageCase{"NoOutput", {"IN"}, "-o OUT is missing"},
        UsageCase{"NoInput", {"-o", "x.wav"}, "IN is missing"},
        UsageCase{"TwoInputs", {"IN", "IN", "-o", "x.wav"}, "only one IN"},
        UsageCase{"UnknownOption", {"IN", "-o", "x.wav", "--speed", "2"}, "unknown option"},
        UsageCase{"BadTime", {"IN", "-o", "x.wav", "--end", "1:75"}, "is not a time"},
        UsageCase{"BadFade", {"IN", "-o", "x.wav", "--fade-in", "1.5"}, "whole seconds"},
        UsageCase{"BadFormat", {"IN", "-o", "x", "--format", "ogg"}, "mp3 or wav"},
        UsageCase{"BitrateNotOffered", {"IN", "-o", "x.mp3", "--bitrate", "100"}, "use 32 40"},
        UsageCase{"OriginForWav", {"IN", "-o", "x.mp3", "--bitrate", "origin"}, "not offered"},
        UsageCase{"HighBitrateAt48000",
                  {"MP3", "-o", "x.mp3", "--bitrate", "320"},
                  "origin 32 40 56 64 80 96 112 128 160\n"},
        UsageCase{"MissingValue", {"IN", "-o", "x.wav", "--begin"}, "needs a value"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCut, FailuresExitWithOneLineAndLeaveNoFile) {
  CliRun run = RunCut({dir.File("missing.wav"), "-o", dir.File("x.wav")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error while open wav file\nNo such file or directory\n");
  run = RunCut({wav, "-o", dir.File("./source.wav")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Can't overwrite the origin file\n");
  run = RunCut({wav, "-o", dir.File("no/such/folder.mp3")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot create file " + dir.File("no/such/folder.mp3") + ".\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(CliCut, ProgressBarShowsPercentAndEnds) {
  std::ostringstream out, err;
  ASSERT_EQ(RunCutCommand({wav, "-o", dir.File("p.wav")}, out, err, true), 0);
  const std::string bar = err.str();
  EXPECT_NE(bar.find("\r[##############################] 100%"), std::string::npos);
  EXPECT_EQ(bar.back(), '\n');
}

}  // namespace
