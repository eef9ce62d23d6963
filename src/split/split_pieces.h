// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces a long recording is split into: contiguous stretches of its
// sample timeline that together cover [0, length), so that the pieces laid
// end to end are the whole file again. They come from a list of times, a
// fixed duration, a number of equal parts (here), a CUE sheet (cue_sheet.h)
// or the silences in the sound (silence_finder.h).
//
// Every maker refuses input that cannot give such pieces with a reason the
// user can act on (a time past the end, times out of order, a piece with no
// sample), and nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "base/sample_index.h"

// One piece: [Begin, End) on the source's sample timeline, with the title
// and performer it is named and tagged with (either may be empty).
struct SplitPiece {
  SampleIndex Begin{};
  SampleIndex End{};
  std::string Title;
  std::string Performer;

  bool operator==(const SplitPiece&) const = default;
};

// The pieces with what is known of the whole recording (a CUE sheet's disc
// TITLE, PERFORMER, REM DATE and REM GENRE), and notes for the user about
// how they were read ("the sheet names another file ...").
struct SplitSheet {
  std::string Title;
  std::string Performer;
  std::string Date;
  std::string Genre;
  std::vector<SplitPiece> Pieces;
  std::vector<std::string> Notes;
};

// The pieces, or why there are none (Reason empty when Pieces holds them).
struct SplitPieces {
  std::vector<SplitPiece> Pieces;
  std::string Reason;

  bool Ok() const { return Reason.empty(); }
};

// Pieces that start at 0 and at every one of `starts` and end at the next
// start or at the file's end. The starts must rise strictly and lie inside
// (0, length): "the split points must rise: X is not after Y", "X lies at or
// past the end of the file (Y)", "X makes an empty piece".
SplitPieces PiecesAtSamples(const AudioFileInfo& info, const std::vector<SampleIndex>& starts);

// The same for split points in milliseconds, each taken onto the sample
// timeline once by SampleOfMs.
SplitPieces PiecesAtTimes(const AudioFileInfo& info, const std::vector<int64_t>& timesMs);

// A piece every `everyMs` (> 0); the last holds what is left.
SplitPieces PiecesEvery(const AudioFileInfo& info, int64_t everyMs);

// `parts` pieces (1 to the file's frame count) of equal frame count, the
// first ones a frame longer where it does not divide evenly.
SplitPieces PiecesOfParts(const AudioFileInfo& info, int64_t parts);

// A typed list of split points: times as ParseTimeTextMs reads them,
// separated by commas and/or blanks ("1:30, 3:02.5 4:10"). Fills timesMs and
// returns an empty string, or returns why the list cannot be read
// ("'1:75' is not a time").
std::string ParseTimeList(const std::string& text, std::vector<int64_t>& timesMs);

// h:mm:ss.mmm (or m:ss.mmm under an hour) of a sample, for the piece lists.
std::string PieceTimeText(const AudioFileInfo& info, SampleIndex sample);
std::string PieceLengthText(const AudioFileInfo& info, const SplitPiece& piece);
