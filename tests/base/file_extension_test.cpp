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

TEST(FileExtension, LowerCaseFoldsOnlyTheLettersAToZ) {
  EXPECT_EQ(LowerCaseExtension("/Music.D/Song.Mp3"), ".mp3");
  EXPECT_EQ(LowerCaseExtension("a.W@V[Z]"), ".w@v[z]");
}
