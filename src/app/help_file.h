// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program's user manual is: manual/index.html, looked up by
// FindDataFile (beside the executable in a build tree, under
// share/snipola/ in an installed one). The "?" caption area and "Help ..."
// open it; `SNIPOLA_PRINT_HELP_PATH` makes the program print it (see
// app/entry/main.cpp).
#include <string>

inline constexpr const char* kHelpFileRelative = "manual/index.html";

// The full path of the manual, or an empty string when it is not there.
std::string HelpFilePath();

// What "Help ..." says when no program opens the manual (no web browser or
// desktop opener is installed): where the manual is, to open by hand.
inline std::string NoHelpOpenerText(const std::string& helpPath) {
  return "No program was found to open the manual. It is at\n" + helpPath;
}
