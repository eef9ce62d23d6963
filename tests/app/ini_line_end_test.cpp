// Writing keys into an INI file keeps every other line byte for byte, line
// ends included, and writing the same values twice changes nothing more.
#include <gtest/gtest.h>

#include <string>

#include "app/ini_file.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

struct LineEndCase {
  const char* name;
  const char* before;
  const char* after;  // once Left=7 is written into [Set]
};

class IniLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(IniLineEnds, OtherLinesKeepTheirBytes) {
  TempDir dir;
  const std::string path = dir.File("set.ini");
  const std::string before = GetParam().before;
  WriteBytesToFile(path, Bytes(before.begin(), before.end()));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(WriteIniValues(path, "Set", {{"Left", "7"}}));
    const auto bytes = ReadFileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), GetParam().after) << "pass " << pass;
  }
  EXPECT_EQ(ReadIniValue(path, "set", "left"), "7");
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniLineEnds,
    ::testing::Values(
        LineEndCase{"CrLf", "[Set]\r\nLeft=1\r\nTop=2\r\n", "[Set]\r\nLeft=7\r\nTop=2\r\n"},
        LineEndCase{"StrayCr", "[Set]\r\r\nTop=2\r\n", "[Set]\r\r\nTop=2\r\nLeft=7\r\n"},
        LineEndCase{"NoLastEnd", "[A]\nk=v", "[A]\nk=v\n\n[Set]\nLeft=7\n"},
        LineEndCase{"Empty", "", "[Set]\nLeft=7\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
