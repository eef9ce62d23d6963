// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clock formatter shared by the main window's labels and the export's
// elapsed/remaining text (whole seconds as hours:minutes:seconds), and the
// reading of a typed time shared by the value entry and the command line.
#include <cstdint>
#include <optional>
#include <string>

// "0" + t when t is exactly one character long, otherwise t unchanged, so a
// one-digit negative value keeps its sign without a zero ("-5").
std::string ZeroPad2(const std::string& text);

// h:m:s with each field through ZeroPad2. Division truncates toward zero and
// remainders take the sign of the argument; hours above 99 are written in full
// (360000 gives "100:00:00").
std::string SecondsToClock(int32_t seconds);

// A typed time, read as audio tools read one: a bare number is seconds ("60",
// "60.5"), m:ss[.mmm] and h:mm:ss[.mmm] are clock times ("3:03.456"), and
// whole milliseconds carry the suffix "ms" ("183456ms"). Minutes and seconds
// below a higher field stay under 60; no sign, at most three decimals.
std::optional<int64_t> ParseTimeTextMs(const std::string& text);
