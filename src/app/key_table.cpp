// SPDX-License-Identifier: GPL-3.0-or-later
// The key table's lookup from virtual-key code to command; see key_table.h.
#include "app/key_table.h"

#include <Qt>

KeyAction KeyActionForVirtualKey(int virtualKey) {
  switch (virtualKey) {
    case kVirtualKeyReturn:
      return {KeyCommand::Pause};
    case kVirtualKeyLeft:
      return {KeyCommand::Nudge, -5000};
    case kVirtualKeyRight:
      return {KeyCommand::Nudge, 5000};
    case kVirtualKeyUp:
      return {KeyCommand::JumpMarkBegin};
    case kVirtualKeyDown:
      return {KeyCommand::JumpMarkEnd};
    case 'B':
      return {KeyCommand::MarkBegin};
    case 'N':
      return {KeyCommand::MarkEnd};
    case 'A':
      return {KeyCommand::MarkAll};
    case 'S':
      return {KeyCommand::Export};
    case 'L':
      return {KeyCommand::OpenFile};
    case 'V':
      return {KeyCommand::ToggleWave};
    case 'Z':
      return {KeyCommand::HearBegin};
    case 'X':
      return {KeyCommand::HearEnd};
    case 'C':
      return {KeyCommand::HearJoin};
    case 'G':
      return {KeyCommand::QuietBegin};
    case 'H':
      return {KeyCommand::QuietEnd};
    case 'K':
      return {KeyCommand::Split};
    case 'Q':
      return {KeyCommand::Nudge, -10000};
    case 'W':
      return {KeyCommand::Nudge, -1000};
    case 'E':
      return {KeyCommand::Nudge, -100};
    case 'R':
      return {KeyCommand::Nudge, -10};
    case 'T':
      return {KeyCommand::Nudge, -1};
    case 'Y':
      return {KeyCommand::Nudge, 1};
    case 'U':
      return {KeyCommand::Nudge, 10};
    case 'I':
      return {KeyCommand::Nudge, 100};
    case 'O':
      return {KeyCommand::Nudge, 1000};
    case 'P':
      return {KeyCommand::Nudge, 10000};
    default:
      return {};
  }
}

const char* KeyNameForCommand(KeyCommand command) {
  switch (command) {
    case KeyCommand::Pause:
      return "Enter";
    case KeyCommand::JumpMarkBegin:
      return "Up";
    case KeyCommand::JumpMarkEnd:
      return "Down";
    case KeyCommand::MarkBegin:
      return "B";
    case KeyCommand::MarkEnd:
      return "N";
    case KeyCommand::MarkAll:
      return "A";
    case KeyCommand::Export:
      return "S";
    case KeyCommand::OpenFile:
      return "L";
    case KeyCommand::ToggleWave:
      return "V";
    case KeyCommand::HearBegin:
      return "Z";
    case KeyCommand::HearEnd:
      return "X";
    case KeyCommand::HearJoin:
      return "C";
    case KeyCommand::QuietBegin:
      return "G";
    case KeyCommand::QuietEnd:
      return "H";
    case KeyCommand::Split:
      return "K";
    case KeyCommand::None:
    case KeyCommand::Nudge:
      break;
  }
  return nullptr;
}

int VirtualKeyForNudgeTag(int tag) {
  static constexpr char kKeys[] = "QWERTYUIOP";
  if (tag < 0 || tag > 9) {
    return 0;
  }
  return kKeys[tag];
}

int VirtualKeyFromQtKey(int qtKey) {
  // Qt's codes for letters and digits are the ASCII codes of the upper-case
  // letter and the digit, which is what the virtual-key codes are too.
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return qtKey;
  }
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kVirtualKeyReturn;
    case Qt::Key_Left:
      return kVirtualKeyLeft;
    case Qt::Key_Up:
      return kVirtualKeyUp;
    case Qt::Key_Right:
      return kVirtualKeyRight;
    case Qt::Key_Down:
      return kVirtualKeyDown;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Backspace:
      return 8;
    default:
      return 0;
  }
}
