#include "app/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "app/ini_file.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

struct IntegerCase {
  const char* text;
  std::optional<int32_t> value;
};

void PrintTo(const IntegerCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseIniIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIniIntegerTest, ReadsDecimalAndHexadecimal) {
  EXPECT_EQ(ParseIniInteger(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseIniIntegerTest,
    ::testing::Values(IntegerCase{"1", 1}, IntegerCase{"0", 0}, IntegerCase{"-3", -3},
                      IntegerCase{"+12", 12}, IntegerCase{"0x1F", 31}, IntegerCase{"0X1f", 31},
                      IntegerCase{"0x0", 0}, IntegerCase{"0xFFFFFFFF", -1},
                      IntegerCase{"2147483647", INT32_MAX}, IntegerCase{"-2147483648", INT32_MIN},
                      IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"0x100000000", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{"yes", std::nullopt}, IntegerCase{"true", std::nullopt},
                      IntegerCase{"0x", std::nullopt}, IntegerCase{"1.0", std::nullopt},
                      IntegerCase{"0xG1", std::nullopt}, IntegerCase{"12 3", std::nullopt}));

TEST(Settings, MissingFileGivesSecondsModeAndNoAnalyzer) {
  TempDir dir;
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, false}));
}

TEST(Settings, StoredValuesAreRead) {
  TempDir dir;
  WriteText(dir.File("set.ini"), "[Set]\nPresentWithSecond=0\nShowSpec=1\n");
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{false, true}));
}

TEST(Settings, NamesMatchInAnyCaseAndBlanksAreIgnored) {
  TempDir dir;
  WriteText(dir.File("set.ini"),
            "; written by hand\r\n[other]\nShowSpec=0\n[ set ]\r\n presentwithsecond = 0 \r\n"
            "SHOWSPEC = 0x10\r\n");
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{false, true}));
}

TEST(Settings, TextThatIsNoIntegerGivesTheDefault) {
  TempDir dir;
  WriteText(dir.File("set.ini"), "[Set]\nPresentWithSecond=no\nShowSpec=on\n");
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, false}));
}

TEST(Settings, KeysOutsideTheSetSectionAreNotRead) {
  TempDir dir;
  WriteText(dir.File("set.ini"), "PresentWithSecond=0\n[Other]\nShowSpec=1\n");
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, false}));
}

TEST(Settings, SaveWritesBothKeysAndReadsBack) {
  TempDir dir;
  ScriptedDialogs dialogs;
  ASSERT_TRUE(SaveSettings(dir.File("set.ini"), {false, true}, dialogs));
  EXPECT_EQ(ReadText(dir.File("set.ini")), "[Set]\nPresentWithSecond=0\nShowSpec=1\n");
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{false, true}));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(Settings, SaveKeepsEverythingElseInTheFile) {
  TempDir dir;
  ScriptedDialogs dialogs;
  WriteText(dir.File("set.ini"), "; comment\n[Set]\nshowspec=1\nOther=keep\n\n[Window]\nLeft=5\n");
  ASSERT_TRUE(SaveSettings(dir.File("set.ini"), {true, false}, dialogs));
  EXPECT_EQ(ReadText(dir.File("set.ini")),
            "; comment\n[Set]\nShowSpec=0\nOther=keep\nPresentWithSecond=1\n\n[Window]\nLeft=5\n");
}

TEST(Settings, SaveAppendsTheSectionWhenMissing) {
  TempDir dir;
  ScriptedDialogs dialogs;
  WriteText(dir.File("set.ini"), "[Window]\nLeft=5");
  ASSERT_TRUE(SaveSettings(dir.File("set.ini"), {true, true}, dialogs));
  EXPECT_EQ(ReadText(dir.File("set.ini")),
            "[Window]\nLeft=5\n\n[Set]\nPresentWithSecond=1\nShowSpec=1\n");
}

TEST(Settings, SaveCreatesTheConfigFolder) {
  TempDir dir;
  ScriptedDialogs dialogs;
  const std::string path = dir.File("config/Snipola/set.ini");
  ASSERT_TRUE(SaveSettings(path, {false, false}, dialogs));
  EXPECT_EQ(LoadSettings(path), (DisplaySettings{false, false}));
}

TEST(Settings, UnwritableFileReportsTheFullPathAndChangesNothing) {
  TempDir dir;
  ScriptedDialogs dialogs;
  // A regular file where the folder should be: no user, root included, can
  // create set.ini below it.
  WriteText(dir.File("blocker"), "not a folder");
  const std::string path = dir.File("blocker") + "/set.ini";
  EXPECT_FALSE(SaveSettings(path, {false, true}, dialogs));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Unable to write to " + path + ".");
  EXPECT_EQ(dialogs.messages[0].caption, "Snipola");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ReadText(dir.File("blocker")), "not a folder");
}

TEST(Settings, FileIsNextToAWritableExecutable) {
  TempDir dir;
  ScopedEnv noOverride("SNIPOLA_CONFIG_DIR", nullptr);
  EXPECT_EQ(SettingsFilePath(dir.path().string()), dir.File("set.ini"));
}

TEST(Settings, FileGoesToTheUserConfigFolderWhenTheExecutableFolderIsNotWritable) {
  TempDir dir;
  ScopedEnv noOverride("SNIPOLA_CONFIG_DIR", nullptr);
  ScopedEnv configHome("XDG_CONFIG_HOME", dir.File("home-config").c_str());
  EXPECT_EQ(SettingsFilePath(dir.File("no-such-folder")), dir.File("home-config/Snipola/set.ini"));
}

TEST(Settings, ConfigDirVariableOverridesBoth) {
  TempDir dir;
  ScopedEnv configDir("SNIPOLA_CONFIG_DIR", dir.File("override").c_str());
  EXPECT_EQ(SettingsFilePath(dir.path().string()), dir.File("override/set.ini"));
}

TEST(IniFile, MissingSectionOrKeyReadsNothing) {
  TempDir dir;
  WriteText(dir.File("a.ini"), "[Set]\nShowSpec=1\n");
  EXPECT_EQ(ReadIniValue(dir.File("a.ini"), "Set", "ShowSpec"), "1");
  EXPECT_EQ(ReadIniValue(dir.File("a.ini"), "Set", "PresentWithSecond"), std::nullopt);
  EXPECT_EQ(ReadIniValue(dir.File("a.ini"), "Other", "ShowSpec"), std::nullopt);
  EXPECT_EQ(ReadIniValue(dir.File("missing.ini"), "Set", "ShowSpec"), std::nullopt);
}
