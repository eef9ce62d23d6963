// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finds the files the program reads at run time (the HTML manual, the demo
// clip) relative to the running executable, so that the build tree, a
// /usr/local install and a DESTDIR or package install all work without
// rebuilding. Two places are looked in, in this order:
//   <executable's folder>/<relative>                  the build tree
//   <executable's folder>/../share/snipola/<relative> an installed tree
#include <filesystem>
#include <string>

// The folder of the running executable (/proc/self/exe), or an empty path
// when it cannot be read.
std::filesystem::path ExecutableFolder();

// The first existing file of the two places above for `relative` (such as
// "manual/index.html"), or an empty path when neither exists.
std::filesystem::path FindDataFile(const std::string& relative);
