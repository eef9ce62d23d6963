// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the main window's position and length labels. Every position
// or length is shown either as whole milliseconds ("Begin Pos : 1500 ms") or
// as hours:minutes:seconds of the value divided by 1000, truncating
// ("Begin Pos : 00:00:01"); which one is the user's unit switch.
#include <cstdint>
#include <string>

inline constexpr const char* kCurPosPrefix = "Current Pos : ";
inline constexpr const char* kBeginPosPrefix = "Begin Pos : ";
inline constexpr const char* kEndPosPrefix = "End Pos : ";
inline constexpr const char* kLengthPrefix = "Length : ";

// prefix + value + " ms", or prefix + SecondsToClock(value / 1000). Takes 64
// bits because a marked length (end - begin) can exceed the 32-bit range.
std::string PositionText(const std::string& prefix, int64_t valueMs, bool useSecond);

// The file length label: like PositionText, except that the millisecond form
// writes the length as an unsigned 32-bit number.
std::string FileLengthText(int32_t lengthMs, bool useSecond);

// "File Name : " + the name part of the path (everything after the last '/').
std::string FileNameText(const std::string& path);

// The window's title, as a taskbar shows it: "NAME — Snipola" (the name part
// of the path) with a file open, "Snipola" without one.
std::string WindowTitleText(const std::string& path);
