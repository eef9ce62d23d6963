// snipola-cli cut ended by SIGINT, SIGTERM or SIGHUP in the middle of an
// export exits with 128 + the signal and leaves no file behind, also where the
// temporary file has a name.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/cli_command.h"
#include "export/output_file.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

class CutSignal : public ::testing::TestWithParam<int> {};

TEST_P(CutSignal, EndsWithTheSignalsCodeAndLeavesNothing) {
  TempDir dir;
  const std::string source = dir.File("long.wav");
  WriteWavFile(source, 44100, 2, MakeTestSignal(44100 * 60, 2, 44100));
  const pid_t child = ::fork();
  if (child == 0) {
    AllowUnnamedTemporaryFiles(false);
    std::ostringstream out, err;
    ::_exit(RunCli({"cut", source, "-o", dir.File("piece.mp3")}, out, err) + 100);
  }
  const auto entries = [&] { return std::distance(fs::directory_iterator(dir.path()), {}); };
  for (int wait = 0; wait < 2000 && entries() == 1; ++wait) {  // until the export is under way
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(entries(), 2);
  ::kill(child, GetParam());
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + GetParam()) << status;
  EXPECT_EQ(entries(), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, CutSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

}  // namespace
