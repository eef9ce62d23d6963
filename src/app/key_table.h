// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's keyboard command table. Keys are identified by their
// virtual-key codes (letters by the code of the upper-case letter), so lower-
// and upper-case letters and Shift or Ctrl combinations act alike. The
// "Advanced" menu's ten nudge items are routed through the same table by
// turning their tag into the key they stand for.
#include <cstdint>

enum class KeyCommand {
  None,
  Pause,          // Enter: start playing when stopped, stop when playing
  Nudge,          // move the current position by nudgeMs
  JumpMarkBegin,  // Up arrow
  JumpMarkEnd,    // Down arrow
  MarkBegin,      // B
  MarkEnd,        // N
  MarkAll,        // A
  Export,         // S
  OpenFile,       // L
  ToggleWave,     // V: show or hide the waveform window
  HearBegin,      // Z: the first 2 s of the marked piece
  HearEnd,        // X: the last 2 s of the marked piece
  HearJoin,       // C: 2 s before the mark begin, then 2 s after the mark end
  QuietBegin,     // G: the mark begin to the quietest point within 200 ms
  QuietEnd,       // H: the mark end to the quietest point within 200 ms
  Split,          // K: split the file into pieces
};

struct KeyAction {
  KeyCommand command = KeyCommand::None;
  int32_t nudgeMs = 0;  // only for KeyCommand::Nudge

  bool operator==(const KeyAction&) const = default;
};

inline constexpr int kVirtualKeyReturn = 13;
inline constexpr int kVirtualKeyLeft = 37;
inline constexpr int kVirtualKeyUp = 38;
inline constexpr int kVirtualKeyRight = 39;
inline constexpr int kVirtualKeyDown = 40;

// What a key-down with this virtual-key code does; KeyCommand::None for every
// key outside the table.
KeyAction KeyActionForVirtualKey(int virtualKey);

// The name of the key that runs `command`, as tool tips and menu items show
// it ("Enter", "Up", "B"); nullptr for None and Nudge (ten keys, each named in
// its menu item).
const char* KeyNameForCommand(KeyCommand command);

// The key a nudge menu item stands for: tag 0..9 gives Q W E R T Y U I O P;
// 0 for any other tag.
int VirtualKeyForNudgeTag(int tag);

// The virtual-key code of a Qt::Key value (Qt key codes, which QtCore
// defines); 0 when the key has no code in the table's terms.
int VirtualKeyFromQtKey(int qtKey);
