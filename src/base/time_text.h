#pragma once
// The clock formatter shared by the main window's labels and the export's
// elapsed/remaining text: whole seconds as hours:minutes:seconds.
#include <cstdint>
#include <string>

// "0" + t when t is exactly one character long, otherwise t unchanged, so a
// one-digit negative value keeps its sign without a zero ("-5").
std::string ZeroPad2(const std::string& text);

// h:m:s with each field through ZeroPad2. Division truncates toward zero and
// remainders take the sign of the argument; hours above 99 are written in full
// (360000 gives "100:00:00").
std::string SecondsToClock(int32_t seconds);
