#pragma once
// A path's extension: the part of its file name from the last "." on, with
// the dot ("/music/a.b/Song.Mp3" -> ".Mp3"), or empty when the file name has
// no "." ("/music/a.b/song" -> ""). Letter case is kept; the callers compare
// in the case they need.
#include <string>

std::string FileExtension(const std::string& path);
