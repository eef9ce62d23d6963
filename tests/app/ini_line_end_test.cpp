// Writing keys into an INI file keeps every other line byte for byte, line
// ends included, so writing the same values again changes nothing.
#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

class IniLineEnds : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(IniLineEnds, OtherLinesKeepTheirBytes) {
  TempDir dir;
  const std::string path = dir.File("set.ini");
  const auto& [before, after] = GetParam();  // after Left=7 is written into [Set]
  WriteBytesToFile(path, Bytes(before.begin(), before.end()));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(WriteIniValues(path, "Set", {{"Left", "7"}}));
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), after) << "pass " << pass;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniLineEnds,
    ::testing::Values(std::pair{"[Set]\r\nLeft=1\r\nTop=2\r\n", "[Set]\r\nLeft=7\r\nTop=2\r\n"},
                      std::pair{"[Set]\r\r\nTop=2\r\n", "[Set]\r\r\nTop=2\r\nLeft=7\r\n"},
                      std::pair{"[A]\nk=v", "[A]\nk=v\n\n[Set]\nLeft=7\n"},
                      std::pair{"=1[Set\r", "=1[Set\r\n\n[Set]\nLeft=7\n"},
                      std::pair{"", "[Set]\nLeft=7\n"}));

}  // namespace
