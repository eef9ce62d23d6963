// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tags of a written file: what an export carries over from its source
// and what the user set (base/tag_edits.h), written with TagLib into the
// finished file just before it replaces its target.
//
// With KeepSource the written file gets the source's ID3v2 frames (text,
// comments, pictures and every other frame TagLib can copy), an MP3 source's
// ID3v1 and APEv2 tags where it had them (MP3 output only), and a WAV
// source's LIST/INFO fields where its ID3v2 lacks them. Then each edit
// replaces its field in every tag (title TIT2, artist TPE1, album TALB, track
// TRCK, year TDRC, genre TCON, comment COMM); an empty value removes it.
// TLEN, where the source had one, becomes the written file's length.
// Chapters (CHAP) keep the part that lies in the written pieces, moved to
// where it lands (tag_timeline.h), or go, and with them their entries in the
// tables of contents (CTOC); synchronised lyrics (SYLT) and event codes
// (ETCO) in milliseconds keep their moments inside the pieces, moved, and go
// when none is left (or when they count MPEG frames).
//
// ID3v2 is written in the source's version when that was 2.3, else 2.4. A
// WAV output gets its tags as an `ID3 ` chunk and a LIST/INFO chunk (INAM,
// IART, IPRD, ICRD, IGNR, ITRK, ICMT); an RF64 output (past 4 GiB), which
// TagLib cannot edit, is left without.
//
// A source TagLib cannot read gives no tags; it is not an error.
#include <string>
#include <vector>

#include "base/tag_edits.h"
#include "tags/tag_timeline.h"

enum class TagFileFormat { Mp3, Wav };

struct ExportTagsJob {
  std::string sourcePath;
  TagFileFormat sourceFormat = TagFileFormat::Mp3;
  // A path that opens the written file for reading and writing.
  std::string outputPath;
  TagFileFormat outputFormat = TagFileFormat::Mp3;
  std::vector<TagPiece> pieces;  // what the written file holds, in order
  TagEdits edits;
};

// Writes the tags into the output; false when the output could not be
// opened, parsed or written, and then it may be half changed and must be
// thrown away.
bool WriteExportTags(const ExportTagsJob& job);
