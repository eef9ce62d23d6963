// snipola-cli's dispatcher and its info command, run with captured streams.
#include "cli/cli_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

CliRun RunCliCaptured(const CliArgs& args) {
  std::ostringstream out, err;
  const int exitCode = RunCli(args, out, err);
  return {exitCode, out.str(), err.str()};
}

TEST(Cli, InfoPrintsTheFiveLinesOfAnMp3) {
  TempDir dir;
  const std::string path = dir.File("song.mp3");
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(44100 * 2 + 4410, 2, 44100), 44100, 2));
  const CliRun run = RunCliCaptured({"info", path});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "type: MP3\n"
            "sample_rate: 44100\n"
            "channels: 2\n"
            "bitrate_kbps: 128\n"
            "length_ms: 2100\n");
  EXPECT_EQ(run.err, "");
}

TEST(Cli, InfoPrintsTheFiveLinesOfAWav) {
  TempDir dir;
  const std::string path = dir.File("take.WAV");
  WriteWavFile(path, 22050, 1, MakeTestSignal(22050 * 3 / 2, 1, 22050));
  const CliRun run = RunCliCaptured({"info", path});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "type: WAV\n"
            "sample_rate: 22050\n"
            "channels: 1\n"
            "bitrate_kbps: 344\n"
            "length_ms: 1500\n");
}

TEST(Cli, ARefusedFileGivesTheProbesMessageAndExitCode1) {
  TempDir dir;
  const std::string eightBit = dir.File("eight.wav");
  {
    // An 8-bit WAV written through the 16-bit writer, then its bits field patched.
    WriteWavFile(eightBit, 8000, 1, std::vector<int16_t>(100, 0));
    std::vector<uint8_t> bytes = ReadFileBytes(eightBit);
    bytes[34] = 8;
    std::ofstream(eightBit, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  const struct {
    std::string path;
    std::string message;
  } cases[] = {{dir.File("notes.txt"), "We can only accept mp3 and wav file\n"},
               {dir.File("missing.wav"), "Error while open wav file\n"},
               {dir.File("missing.mp3"), "Error while open mp3 file\n"},
               {eightBit, "File Error !\n"}};
  for (const auto& c : cases) {
    const CliRun run = RunCliCaptured({"info", c.path});
    EXPECT_EQ(run.exitCode, 1) << c.path;
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message);
    EXPECT_EQ(run.out, "");
  }
}

TEST(Cli, UsageErrorsExitWith2) {
  for (const CliArgs& args : {CliArgs{}, CliArgs{"info"}, CliArgs{"info", "a.wav", "b.wav"},
                              CliArgs{"play", "a.wav"}, CliArgs{"--verbose"}}) {
    const CliRun run = RunCliCaptured(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err, "");
    EXPECT_EQ(run.out, "");
  }
}

TEST(Cli, HelpNamesBothCommandsAndTheInfoLines) {
  const CliRun run = RunCliCaptured({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word : {"info FILE", "cut", "sample_rate", "bitrate_kbps", "length_ms"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(RunCliCaptured({"info", "--help"}).exitCode, 0);
}

}  // namespace
