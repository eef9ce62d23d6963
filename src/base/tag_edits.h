// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TagEdits: what an export does with tags. By default the written file
// carries the source's tags; KeepSource false (`--no-tags`) writes none but
// the values set here. Values replace the source's field of the same key;
// an empty value removes that field.
#include <map>
#include <optional>
#include <string>

struct TagEdits {
  bool KeepSource = true;
  // Keyed by one of kTagKeys: "title", "artist", "album", "track", "year",
  // "genre", "comment".
  std::map<std::string, std::string> Values;
};

inline constexpr const char* kTagKeys[] = {"title", "artist", "album", "track",
                                           "year",  "genre",  "comment"};

// Reads one `--tag KEY=VALUE` argument into edits. Returns the reason it was
// refused ("unknown tag key 'x' (use title, artist, ...)", "--tag needs
// KEY=VALUE"), or nullopt when it was taken.
std::optional<std::string> AddTagOption(const std::string& argument, TagEdits& edits);
