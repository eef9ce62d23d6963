// snipola-cli cut ended by SIGINT, SIGTERM or SIGHUP in the middle of an
// export exits with 128 + the signal and leaves no temporary file, also where
// the temporary file has a name.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/cli_command.h"
#include "export/output_file.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

struct SignalCase {
  const char* name;
  int signal;
  int exitCode;
};

bool HasTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".part") return true;
  }
  return false;
}

class CutSignal : public ::testing::TestWithParam<SignalCase> {};

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
  // Signalled once the export is under way: its temporary file is there.
  for (int wait = 0; wait < 2000 && !HasTemporaryFile(dir.path()); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(HasTemporaryFile(dir.path()));
  ::kill(child, GetParam().signal);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), GetParam().exitCode);
  EXPECT_FALSE(HasTemporaryFile(dir.path()));
  EXPECT_FALSE(fs::exists(dir.File("piece.mp3")));
}

INSTANTIATE_TEST_SUITE_P(Signals, CutSignal,
                         ::testing::Values(SignalCase{"Int", SIGINT, 130},
                                           SignalCase{"Term", SIGTERM, 143},
                                           SignalCase{"Hup", SIGHUP, 129}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
