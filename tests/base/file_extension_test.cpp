// A path's extension: from the last "." of the file name on, never from a
// folder's name.
#include "base/file_extension.h"

#include <gtest/gtest.h>

TEST(FileExtension, IsTakenFromTheFileNameOnly) {
  const std::pair<const char*, const char*> kPaths[] = {
      {"/music/a.b/Song.Mp3", ".Mp3"}, {"/music/a.b/song", ""},
      {"song.tar.WAV", ".WAV"},        {"song", ""},
      {"/music/song.", "."},           {"", ""}};
  for (const auto& [path, extension] : kPaths) EXPECT_EQ(FileExtension(path), extension) << path;
}
