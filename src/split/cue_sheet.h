// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A CUE sheet read as split points: the disc's TITLE, PERFORMER, REM DATE and
// REM GENRE, and every TRACK's INDEX 01 (mm:ss:ff, 75 frames a second;
// minutes may run past 99 in long files), TITLE and PERFORMER.
//
// The bytes are UTF-8, with or without a byte-order mark, or else read as
// Windows-1252 (the encoding older rippers write). A line the reader does not
// understand is refused with its number ("line 7: INDEX needs mm:ss:ff");
// commands that do not bear on splitting (FLAGS, ISRC, PREGAP, CATALOG, other
// REM lines, INDEX 00 and 02+) are passed over. A sheet that names another
// FILE than the opened one is applied to the opened file with a note; one
// naming several files is refused, since its times restart per file.
//
// Our own small reader: libcue's parser returns no more than a null sheet for
// a fault (the line goes to standard error only) and leaves the text's
// encoding to the caller.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "split/split_pieces.h"

// One TRACK as written: its INDEX 01 in CUE frames (1/75 s) from the start.
struct CueTrack {
  int Number = 0;
  int64_t StartCueFrames = 0;
  std::string Title;
  std::string Performer;
};

// The sheet as written, before it meets a file.
struct CueSheet {
  std::string Title;
  std::string Performer;
  std::string Date;
  std::string Genre;
  std::string FileName;  // the FILE named, as written
  std::vector<CueTrack> Tracks;
};

// The sheet, or why it is refused (Reason empty when read).
struct CueReadResult {
  CueSheet Sheet;
  std::string Reason;

  bool Ok() const { return Reason.empty(); }
};

inline constexpr int kCueFramesPerSecond = 75;

// Text as UTF-8: a leading byte-order mark dropped, bytes that are not valid
// UTF-8 read as Windows-1252.
std::string CueTextAsUtf8(const std::string& bytes);

// Reads the sheet's bytes (any of the encodings above).
CueReadResult ReadCueSheet(const std::string& bytes);

// Reads the file at `path`: "Cannot read file PATH" when it cannot be read.
CueReadResult ReadCueFile(const std::string& path);

// The sheet applied to the opened file `sourceFileName`: one piece per track
// from its INDEX 01 (the first from 0, so the pieces cover the file), titles
// and performers carried over (a track without a PERFORMER takes the disc's),
// a note when FILE names another file. Refused like PiecesAtSamples, with the
// track's number in the reason.
SplitPieces PiecesOfCue(const CueSheet& sheet, const AudioFileInfo& info);
SplitSheet SheetOfCue(const CueSheet& sheet, const AudioFileInfo& info,
                      const std::string& sourceFileName, std::string& reason);
