#include "app/key_table.h"

#include <gtest/gtest.h>

#include <Qt>

struct KeyCase {
  int virtualKey;
  KeyAction action;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << "key " << c.virtualKey; }

class KeyTableTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTableTest, MapsTheKeyToItsCommand) {
  EXPECT_EQ(KeyActionForVirtualKey(GetParam().virtualKey), GetParam().action)
      << "virtual key " << GetParam().virtualKey;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyTableTest,
    ::testing::Values(
        KeyCase{13, {KeyCommand::Pause}}, KeyCase{37, {KeyCommand::Nudge, -5000}},
        KeyCase{39, {KeyCommand::Nudge, 5000}}, KeyCase{38, {KeyCommand::JumpMarkBegin}},
        KeyCase{40, {KeyCommand::JumpMarkEnd}}, KeyCase{66, {KeyCommand::MarkBegin}},
        KeyCase{78, {KeyCommand::MarkEnd}}, KeyCase{65, {KeyCommand::MarkAll}},
        KeyCase{83, {KeyCommand::Export}}, KeyCase{76, {KeyCommand::OpenFile}},
        KeyCase{81, {KeyCommand::Nudge, -10000}}, KeyCase{87, {KeyCommand::Nudge, -1000}},
        KeyCase{69, {KeyCommand::Nudge, -100}}, KeyCase{82, {KeyCommand::Nudge, -10}},
        KeyCase{84, {KeyCommand::Nudge, -1}}, KeyCase{89, {KeyCommand::Nudge, 1}},
        KeyCase{85, {KeyCommand::Nudge, 10}}, KeyCase{73, {KeyCommand::Nudge, 100}},
        KeyCase{79, {KeyCommand::Nudge, 1000}}, KeyCase{80, {KeyCommand::Nudge, 10000}},
        // Keys outside the table, including lower-case letter codes and
        // keys with no command (play, stop, digits).
        KeyCase{'b', {}}, KeyCase{'p', {}}, KeyCase{32, {}}, KeyCase{'1', {}}, KeyCase{0, {}},
        KeyCase{13 + 0x10000, {}}));

TEST(KeyTable, NudgeMenuTagsStandForQWERTYUIOP) {
  const char expected[] = "QWERTYUIOP";
  for (int tag = 0; tag < 10; ++tag) EXPECT_EQ(VirtualKeyForNudgeTag(tag), expected[tag]);
  EXPECT_EQ(VirtualKeyForNudgeTag(-1), 0);
  EXPECT_EQ(VirtualKeyForNudgeTag(10), 0);
  EXPECT_EQ(KeyActionForVirtualKey(VirtualKeyForNudgeTag(1)).nudgeMs, -1000);
}

TEST(KeyTable, QtKeysMapToVirtualKeyCodes) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Return), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Left), 37);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Up), 38);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Right), 39);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Down), 40);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_B), 'B');
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_P), 'P');
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1), 0);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Shift), 0);
}
