#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "app/settings.h"
#include "support/test_files.h"

// A bin folder with share/snipola/ beside it is an installed program: its
// settings go to the user's config folder even when the bin folder is
// writable (root running /usr/bin/snipola), while a writable folder without
// it (a build tree, a portable copy) keeps them next to the executable.
TEST(InstalledSettings, AnInstalledBinFolderIsNeverWrittenTo) {
  TempDir dir;
  unsetenv("SNIPOLA_CONFIG_DIR");
  setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
  std::filesystem::create_directories(dir.File("usr/bin"));
  EXPECT_EQ(SettingsFilePath(dir.File("usr/bin")), dir.File("usr/bin/set.ini"));
  std::filesystem::create_directories(dir.File("usr/share/snipola"));
  EXPECT_EQ(SettingsFilePath(dir.File("usr/bin")), dir.File("home/Snipola/set.ini"));
}
