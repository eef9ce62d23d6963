// SPDX-License-Identifier: GPL-3.0-or-later
// A path's extension: from the last "." of the file name on, never from a
// folder's name.
#include "base/file_extension.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(FileExtension, IsTakenFromTheFileNameOnlyAndLowerCasedOnRequest) {
  const std::tuple<const char*, const char*, const char*> kPaths[] = {
      {"/music/a.b/Song.Mp3", ".Mp3", ".mp3"}, {"/music/a.b/song", "", ""},
      {"song.tar.WAV", ".WAV", ".wav"},        {"a.W@V[Z]", ".W@V[Z]", ".w@v[z]"},
      {"/music/song.", ".", "."},              {"", "", ""}};
  for (const auto& [path, extension, lower] : kPaths) {
    EXPECT_EQ(FileExtension(path), extension) << path;
    EXPECT_EQ(LowerCaseExtension(path), lower) << path;
  }
}
