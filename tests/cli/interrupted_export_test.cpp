// SPDX-License-Identifier: GPL-3.0-or-later
// An export that ends before its commit leaves nothing behind. Killed with SIGKILL: an unnamed
// temporary file vanishes with the process; a named one (file systems without unnamed files) goes
// with the next export to that folder unless its process still runs. snipola-cli cut ended by
// SIGINT, SIGTERM or SIGHUP removes its temporary file and exits with 128 + signal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/cli_command.h"
#include "export/output_file.h"
#include "support/export_fakes.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

long Entries(const TempDir& dir) { return std::distance(fs::directory_iterator(dir.path()), {}); }

class KilledExport : public ::testing::TestWithParam<bool> {};  // unnamed files allowed

TEST_P(KilledExport, LeavesNothingByTheNextExport) {
  TempDir dir;
  AllowUnnamedTemporaryFiles(GetParam());
  const std::vector<uint8_t> block(1 << 20, 7);
  RunInChild([&] {
    OutputFile file;
    if (file.Create(dir.File("a.mp3")) && file.Write(block.data(), block.size())) ::raise(SIGKILL);
    return 1;
  });
  EXPECT_EQ(Entries(dir), GetParam() ? 0 : 1);
  const std::string live = dir.File(".a.mp3.snipola-" + std::to_string(::getppid()) + "-0.part");
  WriteBytesToFile(live, {1});
  OutputFile next;
  EXPECT_TRUE(next.Create(dir.File("next.mp3")) && next.Commit());
  AllowUnnamedTemporaryFiles(true);
  EXPECT_EQ(Entries(dir), 2);
  EXPECT_TRUE(fs::exists(live));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, KilledExport, ::testing::Bool());

class CutSignal : public ::testing::TestWithParam<int> {};

TEST_P(CutSignal, EndsWithTheSignalsCodeAndLeavesNothing) {
  TempDir dir;
  const std::string source = dir.File("long.wav");
  WriteWavFile(source, 44100, 2, MakeTestSignal(44100 * 60, 2, 44100));
  std::ostringstream out, err;
  const pid_t child = ::fork();
  if (child == 0) {
    AllowUnnamedTemporaryFiles(false);
    ::_exit(RunCli({"cut", source, "-o", dir.File("piece.mp3")}, out, err) + 100);
  }
  for (int wait = 0; wait < 2000 && Entries(dir) == 1; ++wait)  // until the export is under way
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(Entries(dir), 2);
  ::kill(child, GetParam());
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + GetParam()) << status;
  EXPECT_EQ(Entries(dir), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, CutSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

}  // namespace
