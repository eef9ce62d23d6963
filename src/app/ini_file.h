// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small reader and writer for Windows-style INI files: "[Section]" headers
// and "Key=Value" lines. Section and key names match without regard to letter
// case and blanks around names and values are ignored, as the private-profile
// services treat them. Writing changes only the given keys: every other line
// of the file (other sections, other keys, comments) is kept as it was. The
// new file replaces the old one in one step, so a failed write never leaves a
// half-written file behind.
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The value of key in section, or nullopt when the file, the section or the
// key is missing or the file cannot be read.
std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key);

// Sets each key of `values` in `section`, adding the section and keys that are
// missing. False when the file cannot be written.
bool WriteIniValues(const std::string& path, const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values);
