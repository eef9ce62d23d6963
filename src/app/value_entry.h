// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arithmetic of the four value-entry commands (current position, mark
// begin, mark end, marked length): their prompts, the default text offered in
// the input box, the parsing of what the user typed and the conversion to
// milliseconds. Entered values are carried in 64 bits so that a large number
// of seconds (times 1000) or a begin plus a length never wraps around before
// it is clamped or refused.
#include <cstdint>
#include <optional>
#include <string>

#include "base/clamp_to_length.h"

enum class EntryField { CurrentPosition, MarkBegin, MarkEnd, MarkLength };

inline constexpr const char* kInputCaption = "Input";
inline constexpr const char* kNumbersOnlyMessage = "please just input numbers";

// "Current Position(seconds)", "Mark Length(milliseconds)" and so on.
std::string EntryPrompt(EntryField field, bool useSecond);

// The number offered in the input box: the value in decimal, divided by 1000
// (truncating) in seconds mode. Never the hours:minutes:seconds form.
std::string EntryDefaultText(int64_t valueMs, bool useSecond);

// What the user typed, in milliseconds: a whole decimal number in the signed
// 32-bit range, with an optional sign and blanks around it, is the value in
// the entry's unit (times 1000 in seconds mode); a time as the window or the
// command line writes it ("0:14", "14.567", "1:02:03.5", "14567ms") is read
// as such in either unit. nullopt for anything else ("", "12a", "1.5.2",
// "99999999999").
std::optional<int64_t> ParseEnteredValueMs(const std::string& text, bool useSecond);
