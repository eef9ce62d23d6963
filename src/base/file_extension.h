// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A path's extension: the part of its file name from the last "." on, with
// the dot ("/music/a.b/Song.Mp3" -> ".Mp3"), or empty when the file name has
// no "." ("/music/a.b/song" -> ""). Letter case is kept by FileExtension;
// LowerCaseExtension folds A-Z to a-z for comparisons that ignore case
// ("Song.Mp3" -> ".mp3").
#include <string>

std::string FileExtension(const std::string& path);
std::string LowerCaseExtension(const std::string& path);
