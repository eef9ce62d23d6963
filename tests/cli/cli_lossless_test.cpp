// snipola-cli cut --lossless cuts, or refuses what a lossless cut cannot do with a usage error.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_command.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

TEST(CliLossless, CutsOrSaysWhyNot) {
  TempDir dir;
  const auto pcm = MakeTestSignal(44100, 2, 44100);
  ASSERT_TRUE(WriteMp3File(dir.File("in.mp3"), pcm, 44100, 2));
  WriteWavFile(dir.File("in.wav"), 44100, 2, pcm);
  const struct {
    CliArgs args;
    int exitCode;
    const char* said;  // part of the error text
  } cases[] = {
      {{"in.mp3", "-o", "out.mp3", "--begin", "0.1", "--end", "0.9"}, 0, ""},
      {{"in.mp3", "-o", "out.mp3", "--fade-in", "1"}, 2, "cannot fade"},
      {{"in.mp3", "-o", "out.mp3", "--unmarked"}, 2, "--unmarked"},
      {{"in.mp3", "-o", "out.mp3", "--bitrate", "128"}, 2, "takes no --bitrate"},
      {{"in.mp3", "-o", "out.wav"}, 2, "must be an MP3 file"},
      {{"in.wav", "-o", "out.mp3"}, 2, "needs an MP3 source"},
  };
  for (const auto& c : cases) {
    CliArgs args = {"cut", dir.File(c.args[0]), "--lossless", "-o", dir.File(c.args[2])};
    args.insert(args.end(), c.args.begin() + 3, c.args.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), c.exitCode) << err.str();
    EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    EXPECT_EQ(std::filesystem::remove(dir.File("out.mp3")), c.exitCode == 0);
  }
}
