#include <gtest/gtest.h>
#include <stdlib.h>
#include <filesystem>

#include "app/settings.h"
#include "support/test_files.h"

// A writable bin folder with share/snipola/ beside it never gets set.ini.
TEST(InstalledSettings, AnInstalledBinFolderIsNeverWrittenTo) {
  TempDir dir;
  unsetenv("SNIPOLA_CONFIG_DIR");
  setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
  std::filesystem::create_directories(dir.File("usr/bin"));
  std::filesystem::create_directories(dir.File("usr/share/snipola"));
  EXPECT_EQ(SettingsFilePath(dir.File("usr/bin")), dir.File("home/Snipola/set.ini"));
}
