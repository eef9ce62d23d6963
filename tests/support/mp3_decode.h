#pragma once
// A whole MP3 file decoded gaplessly by the program's own libmpg123 decoder,
// as interleaved 16-bit samples: the reference a cut is compared with.
#include <cstdint>
#include <string>
#include <vector>

std::vector<int16_t> DecodeMp3File(const std::string& path);
