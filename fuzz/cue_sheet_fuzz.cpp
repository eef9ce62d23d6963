// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the CUE sheet reader and the pieces a sheet gives a file. A
// sheet that is read has tracks, each with its INDEX 01; its text is valid
// UTF-8; the pieces it gives, when it gives any, cover the file end to end
// without an empty one.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "split/cue_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const CueReadResult read = ReadCueSheet(bytes);
  if (!read.Ok()) return 0;
  if (read.Sheet.Tracks.empty()) std::abort();
  for (const CueTrack& track : read.Sheet.Tracks) {
    if (track.StartCueFrames < 0) std::abort();
  }
  if (CueTextAsUtf8(CueTextAsUtf8(bytes)) != CueTextAsUtf8(bytes)) std::abort();
  AudioFileInfo info;
  info.FileType = AudioFileInfo::kTypeMp3;
  info.SampleRate = 44100;
  info.Channels = 2;
  info.LengthMs = 7200000;
  info.LengthFrames = SampleIndex(int64_t{7200} * 44100);
  std::string reason;
  const SplitSheet sheet = SheetOfCue(read.Sheet, info, "/music/set.mp3", reason);
  if (!reason.empty()) return 0;
  if (sheet.Pieces.size() != read.Sheet.Tracks.size()) std::abort();
  SampleIndex at(0);
  for (const SplitPiece& piece : sheet.Pieces) {
    if (piece.Begin != at || piece.End <= piece.Begin) std::abort();
    at = piece.End;
  }
  if (at != info.LengthFrames) std::abort();
  return 0;
}
