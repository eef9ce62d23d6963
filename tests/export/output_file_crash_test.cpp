// An export killed before its commit leaves no temporary file: an unnamed one
// vanishes with the process; a named one (file systems without unnamed files)
// is removed by the next export to that folder unless its process still runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/output_file.h"
#include "support/export_fakes.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

class KilledExport : public ::testing::TestWithParam<bool> {};  // unnamed files allowed

TEST_P(KilledExport, LeavesNothingByTheNextExport) {
  TempDir dir;
  const auto entries = [&] { return std::distance(fs::directory_iterator(dir.path()), {}); };
  AllowUnnamedTemporaryFiles(GetParam());
  RunInChild([&] {
    OutputFile file;
    const std::vector<uint8_t> block(1 << 20, 7);
    if (file.Create(dir.File("song.mp3")) && file.Write(block.data(), block.size())) ::raise(SIGKILL);
    return 1;
  }, false);
  EXPECT_EQ(entries(), GetParam() ? 0 : 1);
  // The temporary file of a process that still runs (the test's parent) stays.
  const std::string live = dir.File(".a.mp3.snipola-" + std::to_string(::getppid()) + "-0.part");
  WriteBytesToFile(live, {1});
  OutputFile next;
  EXPECT_TRUE(next.Create(dir.File("next.mp3")) && next.Commit());
  AllowUnnamedTemporaryFiles(true);
  EXPECT_EQ(entries(), 2);
  EXPECT_TRUE(fs::exists(live));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, KilledExport, ::testing::Bool());

}  // namespace
