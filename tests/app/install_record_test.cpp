// The install record: the executable's path in the system settings.
#include "app/install_record.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QSettings>

#include "support/test_files.h"

TEST(InstallRecord, WritesTheExecutablePathIntoTheSystemSettings) {
  TempDir dir;
  setenv("XDG_CONFIG_DIRS", dir.File("xdg").c_str(), 1);
  WriteInstallPath("/opt/snipola/bin/snipola");
  QSettings record(dir.File("xdg/Varnell/Snipola.conf").c_str(), QSettings::IniFormat);
  EXPECT_EQ(record.value("Path").toString().toStdString(), "/opt/snipola/bin/snipola");
}
