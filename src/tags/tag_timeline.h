// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the times of timed tags (chapters, synchronised lyrics, event codes)
// land in a written file. The file holds pieces of the source laid end to
// end (the marked piece, or the two outside it); a time of the source maps
// into the piece that holds it, moved by where that piece starts in the
// file. Times outside every piece have no place in the file.
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// One piece on the source's timeline, in milliseconds: [beginMs, endMs).
struct TagPiece {
  int64_t beginMs = 0;
  int64_t endMs = 0;
};

// The written file's time of a moment of the source; nullopt when no piece
// holds it.
std::optional<int64_t> MapTagTime(const std::vector<TagPiece>& pieces, int64_t sourceMs);

// The written file's span of a span [beginMs, endMs) of the source: from
// where the first piece it overlaps takes it up to where the last one lets
// it go. A span of no length maps as a moment. nullopt when it overlaps no
// piece.
std::optional<std::pair<int64_t, int64_t>> MapTagSpan(const std::vector<TagPiece>& pieces,
                                                      int64_t beginMs, int64_t endMs);

// The length of the written file: the pieces together.
int64_t TagPiecesLengthMs(const std::vector<TagPiece>& pieces);
