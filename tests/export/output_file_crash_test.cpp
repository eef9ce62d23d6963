// An export killed before its commit (kill -9, a crash) leaves no temporary
// file: an unnamed one vanishes with the process, a named one (file systems
// without unnamed files) is removed by the next export to that folder unless
// its process still runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "export/output_file.h"
#include "support/export_fakes.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

size_t Entries(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

struct CrashCase {
  const char* name;
  bool unnamed;        // the file system may hold unnamed files
  size_t leftAtCrash;  // entries in the folder right after the kill
};

class KilledExport : public ::testing::TestWithParam<CrashCase> {};

TEST_P(KilledExport, LeavesNothingByTheNextExport) {
  TempDir dir;
  const std::string target = dir.File("song.mp3");
  AllowUnnamedTemporaryFiles(GetParam().unnamed);
  RunInChild(
      [&] {
        OutputFile file;
        const std::vector<uint8_t> block(1 << 20, 7);
        if (!file.Create(target) || !file.Write(block.data(), block.size()) || !file.Close()) {
          return 1;
        }
        ::raise(SIGKILL);
        return 2;
      },
      false);
  EXPECT_EQ(Entries(dir.path()), GetParam().leftAtCrash);
  // A temporary file of a process that still runs (the one that started this
  // test) is in use and stays.
  const std::string live = dir.File(".other.mp3.snipola-" + std::to_string(::getppid()) + "-0.part");
  WriteBytesToFile(live, {1});
  OutputFile next;
  ASSERT_TRUE(next.Create(dir.File("next.mp3")));
  ASSERT_TRUE(next.Commit());
  AllowUnnamedTemporaryFiles(true);
  EXPECT_EQ(Entries(dir.path()), 2u);
  EXPECT_TRUE(fs::exists(live));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, KilledExport,
                         ::testing::Values(CrashCase{"Unnamed", true, 0},
                                           CrashCase{"Named", false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
