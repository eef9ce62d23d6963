// SPDX-License-Identifier: GPL-3.0-or-later
// Times of timed tags in a written file; see tag_timeline.h.
#include "tags/tag_timeline.h"

#include <algorithm>

std::optional<int64_t> MapTagTime(const std::vector<TagPiece>& pieces, int64_t sourceMs) {
  int64_t offset = 0;
  for (const TagPiece& piece : pieces) {
    if (sourceMs >= piece.beginMs && sourceMs < piece.endMs) {
      return offset + sourceMs - piece.beginMs;
    }
    offset += piece.endMs - piece.beginMs;
  }
  return std::nullopt;
}

std::optional<std::pair<int64_t, int64_t>> MapTagSpan(const std::vector<TagPiece>& pieces,
                                                      int64_t beginMs, int64_t endMs) {
  if (endMs <= beginMs) {
    const std::optional<int64_t> at = MapTagTime(pieces, beginMs);
    if (!at) return std::nullopt;
    return std::make_pair(*at, *at);
  }
  std::optional<std::pair<int64_t, int64_t>> span;
  int64_t offset = 0;
  for (const TagPiece& piece : pieces) {
    const int64_t from = std::max(beginMs, piece.beginMs);
    const int64_t to = std::min(endMs, piece.endMs);
    if (from < to) {
      if (!span) span.emplace(offset + from - piece.beginMs, 0);
      span->second = offset + to - piece.beginMs;
    }
    offset += piece.endMs - piece.beginMs;
  }
  return span;
}

int64_t TagPiecesLengthMs(const std::vector<TagPiece>& pieces) {
  int64_t length = 0;
  for (const TagPiece& piece : pieces) length += piece.endMs - piece.beginMs;
  return length;
}
