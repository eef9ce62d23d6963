// Virtual-key codes to commands, nudge tags to keys, Qt's keys to codes.
#include "app/key_table.h"

#include <gtest/gtest.h>

#include <Qt>

TEST(KeyTable, KeysMapToTheirCommandsAndOthersToNone) {
  using K = KeyCommand;
  // clang-format off
  const std::pair<int, KeyAction> kKeys[] = {
      {13, {K::Pause}}, {37, {K::Nudge, -5000}}, {39, {K::Nudge, 5000}}, {38, {K::JumpMarkBegin}},
      {40, {K::JumpMarkEnd}}, {66, {K::MarkBegin}}, {78, {K::MarkEnd}}, {65, {K::MarkAll}},
      {83, {K::Export}}, {76, {K::OpenFile}}, {'b', {}}, {32, {}}, {'1', {}}, {13 + 0x10000, {}}};
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
  // Qt's keys (the window test presses letters and arrows): the keypad's Enter.
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter), 13);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F1), 0);
}
