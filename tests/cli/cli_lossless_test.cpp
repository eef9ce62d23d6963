// snipola-cli cut --lossless: copies the piece, and refuses the options a
// lossless cut cannot honour with a usage error that says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_command.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

struct Case {
  std::vector<std::string> options;
  const char* in;  // "mp3" or "wav"
  int exitCode;
  const char* said;  // part of the error text
};

TEST(CliLossless, CutsOrSaysWhyNot) {
  TempDir dir;
  const auto pcm = MakeTestSignal(44100, 2, 44100);
  ASSERT_TRUE(WriteMp3File(dir.File("in.mp3"), pcm, 44100, 2));
  WriteWavFile(dir.File("in.wav"), 44100, 2, pcm);
  const Case cases[] = {
      {{"-o", "out.mp3", "--begin", "0.1", "--end", "0.9"}, "mp3", 0, ""},
      {{"-o", "out.mp3", "--fade-in", "1"}, "mp3", 2, "cannot fade"},
      {{"-o", "out.mp3", "--unmarked"}, "mp3", 2, "--unmarked"},
      {{"-o", "out.mp3", "--bitrate", "128"}, "mp3", 2, "takes no --bitrate"},
      {{"-o", "out.wav"}, "mp3", 2, "must be an MP3 file"},
      {{"-o", "out.mp3"}, "wav", 2, "needs an MP3 source"},
  };
  for (const Case& c : cases) {
    CliArgs args = {"cut", dir.File(std::string("in.") + c.in), "--lossless"};
    for (const std::string& option : c.options) {
      args.push_back(option == c.options[1] ? dir.File(option) : option);
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), c.exitCode) << err.str();
    EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    EXPECT_EQ(std::filesystem::exists(dir.File("out.mp3")), c.exitCode == 0);
    std::filesystem::remove(dir.File("out.mp3"));
  }
}

}  // namespace
