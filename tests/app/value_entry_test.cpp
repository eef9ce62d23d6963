// SPDX-License-Identifier: GPL-3.0-or-later
// What the keyboard gives: the value entry's arithmetic (a typed text in
// milliseconds in either unit, without wrapping, the text offered, the clamp;
// the model's test checks every prompt), and the keys' commands (virtual-key
// codes to commands, nudge tags to keys, Qt's keys to codes).
#include "app/value_entry.h"

#include <gtest/gtest.h>

#include <Qt>

#include "app/key_table.h"

TEST(ValueEntry, WholeNumbersInTheUnitOrTimesAsTheWindowShowsThem) {
  struct Row {
    const char* text;
    bool useSecond;
    std::optional<int64_t> ms;
  };
  // clang-format off
  const Row kRows[] = {
      {"12345", false, 12345}, {"-5000", false, -5000}, {"+7", false, 7}, {"  42 ", false, 42},
      {"2147483647", true, 2147483647000LL}, {"-2147483648", true, -2147483648000LL},
      {"2147483648", false, {}}, {"99999999999999999999999", true, {}}, {"   ", false, {}},
      {"14", true, 14000}, {"0:14", true, 14000}, {"14.567", true, 14567},
      {" 1:02:03.5", false, 3723500}, {"14.567", false, 14567}, {"14567ms", true, 14567},
      {"-", false, {}}, {"--5", false, {}}, {"0x10", false, {}}, {"1 2", false, {}},
      {"-1.5", true, {}}, {"1.5.2", true, {}}, {"12a", true, {}}};
  // clang-format on
  for (const Row& row : kRows) {
    EXPECT_EQ(ParseEnteredValueMs(row.text, row.useSecond), row.ms) << row.text;
  }
}

TEST(ValueEntry, OfferedTextIsTruncatedAndClampKeepsInsideTheFile) {
  EXPECT_EQ(EntryDefaultText(-1999, true), "-1");  // truncated, as the seconds labels
  EXPECT_EQ(ClampToLength(2147483647000LL, 50000), 50000);
  EXPECT_EQ(ClampToLength(-1, 50000), 0);
  EXPECT_EQ(ClampToLength(25000, 50000), 25000);
}

TEST(KeyTable, KeysMapToTheirCommandsAndOthersToNone) {
  using K = KeyCommand;
  // clang-format off
  const std::pair<int, KeyAction> kKeys[] = {
      {13, {K::Pause}}, {37, {K::Nudge, -5000}}, {39, {K::Nudge, 5000}}, {38, {K::JumpMarkBegin}},
      {40, {K::JumpMarkEnd}}, {66, {K::MarkBegin}}, {78, {K::MarkEnd}}, {65, {K::MarkAll}},
      {83, {K::Export}}, {76, {K::OpenFile}}, {'Z', {K::HearBegin}}, {'X', {K::HearEnd}},
      {'C', {K::HearJoin}}, {'G', {K::QuietBegin}}, {'H', {K::QuietEnd}}, {'K', {K::Split}}, {'b', {}}, {32, {}}, {'1', {}}, {13 + 0x10000, {}}};
  // clang-format on
  for (const auto& [key, action] : kKeys) EXPECT_EQ(KeyActionForVirtualKey(key), action) << key;
  // The nudge items' tags 0..9 stand for Q W E R T Y U I O P.
  const char kNudgeKeys[] = "QWERTYUIOP";
  const int32_t kNudgeMs[] = {-10000, -1000, -100, -10, -1, 1, 10, 100, 1000, 10000};
  for (int tag = 0; tag < 10; ++tag) {
    EXPECT_EQ(VirtualKeyForNudgeTag(tag), kNudgeKeys[tag]);
    EXPECT_EQ(KeyActionForVirtualKey(kNudgeKeys[tag]), (KeyAction{K::Nudge, kNudgeMs[tag]}));
  }
  EXPECT_EQ(VirtualKeyForNudgeTag(-1), 0);
  EXPECT_EQ(VirtualKeyForNudgeTag(10), 0);
  std::string names;  // as tool tips and menu items show them, by command
  for (int command = 0; command <= static_cast<int>(K::QuietEnd); ++command) {
    const char* name = KeyNameForCommand(static_cast<K>(command));
    names += std::string(name ? name : "-") + " ";
  }
  EXPECT_EQ(names, "- Enter - Up Down B N A S L V Z X C G H ");
  // Qt's keys (the window test presses letters and arrows): the keypad's Enter.
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1), 0);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Z), 'Z');
}
