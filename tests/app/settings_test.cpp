// SPDX-License-Identifier: GPL-3.0-or-later
// set.ini: integer texts, reading and writing rules, and where the file lives;
// the install record: the executable's path in the system settings.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QSettings>
#include <filesystem>

#include "app/ini_file.h"
#include "app/install_record.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

TEST(Settings, IntegersAreDecimalOrHexadecimalInThirtyTwoBits) {
  const std::pair<const char*, std::optional<int32_t>> kTexts[] = {
      {"-3", -3},         {"0X1f", 31},        {"0xFFFFFFFF", -1}, {"-2147483648", INT32_MIN},
      {"2147483648", {}}, {"0x100000000", {}}, {"0x", {}},         {"12 3", {}}};
  for (const auto& [text, value] : kTexts) EXPECT_EQ(ParseIniInteger(text), value) << text;
}

TEST(Settings, FileTextsAreReadByTheRules) {
  const std::pair<const char*, DisplaySettings> kFiles[] = {
      {"; by hand\r\n[other]\nShowSpec=0\n[ set ]\r\n presentwithsecond = 0 \r\nSHOWSPEC = "
       "0x10\r\n",
       {false, true}},
      {"PresentWithSecond=0\n[Set]\nPresentWithSecond=no\nShowSpex=1\n", {true, false}},
  };
  TempDir dir;
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, false}));
  for (const auto& [text, settings] : kFiles) {
    WriteText(dir.File("set.ini"), text);
    EXPECT_EQ(LoadSettings(dir.File("set.ini")), settings) << text;
  }
}

// Writing keys keeps every other line byte for byte, line ends included (a
// lone CR ends no line), and writing the same values again changes nothing.
TEST(Settings, WritingKeepsOtherLinesByteForByte) {
  TempDir dir;
  const std::string path = dir.File("set.ini");
  // Before, and after Left=7 is written into [Set].
  const std::pair<const char*, const char*> kFiles[] = {
      {"[Set]\r\nLeft=1\r\nTop=2\r\n", "[Set]\r\nLeft=7\r\nTop=2\r\n"},
      {"[Set]\r\r\nTop=2\r\n", "[Set]\r\r\nTop=2\r\nLeft=7\r\n"},
      {"[A]\nk=v", "[A]\nk=v\n\n[Set]\nLeft=7\n"},
      {"=1[Set\r", "=1[Set\r\n\n[Set]\nLeft=7\n"},
      {"", "[Set]\nLeft=7\n"}};
  for (const auto& [before, after] : kFiles) {
    WriteText(path, before);
    for (int pass = 0; pass < 2; ++pass) {
      ASSERT_TRUE(WriteIniValues(path, "Set", {{"Left", "7"}}));
      EXPECT_EQ(ReadText(path), after) << before << " pass " << pass;
    }
  }
}

TEST(Settings, SavingKeepsEverythingElseAddsWhatIsMissingAndReportsFailure) {
  TempDir dir;
  ScriptedDialogs dialogs;
  WriteText(dir.File("set.ini"), "; c\n[Set]\nshowspec=1\nOther=keep\n\n[Window]\nLeft=5\n");
  ASSERT_TRUE(SaveSettings(dir.File("set.ini"), {true, false}, dialogs));
  EXPECT_EQ(
      ReadText(dir.File("set.ini")),
      "; c\n[Set]\nShowSpec=0\nOther=keep\nPresentWithSecond=1\nShowWave=0\n\n[Window]\nLeft=5\n");
  const std::string created = dir.File("config/Snipola/set.ini");
  ASSERT_TRUE(SaveSettings(created, {false, true}, dialogs, "/m/a b"));
  EXPECT_EQ(ReadText(created),
            "[Set]\nPresentWithSecond=0\nShowSpec=1\nShowWave=0\nLastFolder=/m/a b\n");
  EXPECT_EQ(LoadLastFolder(created), "/m/a b");
  EXPECT_TRUE(dialogs.messages.empty());
  // An unwritable file is reported with its full path.
  WriteText(dir.File("blocker"), "not a folder");
  const std::string path = dir.File("blocker") + "/set.ini";
  EXPECT_FALSE(SaveSettings(path, {false, true}, dialogs));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text + dialogs.messages[0].caption,
            "Unable to write to " + path + ".Snipola");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ReadText(dir.File("blocker")), "not a folder");
}

// Beside a writable program, never in an installed bin folder (share/snipola beside it).
TEST(Settings, TheFileLivesBesideAWritableProgramElseInTheUserConfigFolder) {
  TempDir dir;
  unsetenv("SNIPOLA_CONFIG_DIR");
  setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
  EXPECT_EQ(SettingsFilePath(dir.path().string()), dir.File("set.ini"));
  EXPECT_EQ(SettingsFilePath(dir.File("no-such-folder")), dir.File("home/Snipola/set.ini"));
  std::filesystem::create_directories(dir.File("usr/bin"));
  std::filesystem::create_directories(dir.File("usr/share/snipola"));
  EXPECT_EQ(SettingsFilePath(dir.File("usr/bin")), dir.File("home/Snipola/set.ini"));
  setenv("SNIPOLA_CONFIG_DIR", dir.File("override").c_str(), 1);
  EXPECT_EQ(SettingsFilePath(dir.path().string()), dir.File("override/set.ini"));
  unsetenv("SNIPOLA_CONFIG_DIR");
}

TEST(InstallRecord, WritesTheExecutablePathIntoTheSystemSettings) {
  TempDir dir;
  setenv("XDG_CONFIG_DIRS", dir.File("xdg").c_str(), 1);
  WriteInstallPath("/opt/snipola/bin/snipola");
  QSettings record(dir.File("xdg/Varnell/Snipola.conf").c_str(), QSettings::IniFormat);
  EXPECT_EQ(record.value("Path").toString().toStdString(), "/opt/snipola/bin/snipola");
}
