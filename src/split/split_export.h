// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RunSplit: writes every piece of a split to its own file in a target folder,
// all or nothing.
//
// Each piece is one export of [Begin, End) through the export pipeline's
// routes (lossless, MP3 at a bitrate, WAV), with the fades applied per piece
// and the tags of the source plus the piece's track number ("n/N"), title
// and artist. The pieces run side by side, one per core, each on a worker
// with its own reader and encoder; the calling thread shows the progress of
// the whole and of the current piece and pumps the host's messages. Every
// piece goes to an unnamed temporary file; only when all are written and
// checked are they linked into the folder, one after another. A failure, a
// cancel (asked between blocks, ExportHost::CancelRequested) or a signal
// leaves the folder as it was.
//
// The file names come from a template: {n} the piece's number ({n:02} with
// leading zeros to two digits, {n:03} to three), {title}, {artist} (the
// piece's performer, else the sheet's), {album} (the sheet's title), {stem}
// (the source's name without folder and extension). Characters that file
// systems refuse or that do not travel (/ \ : * ? " < > | and control
// characters) become "_"; the format's extension is appended.
#include <cstdint>
#include <string>
#include <vector>

#include <memory>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"
#include "base/tag_edits.h"
#include "export/export_pipeline.h"
#include "export/export_source.h"
#include "split/split_pieces.h"

class Dialogs;

// Every piece's unnamed temporary file stays open until the end: this keeps
// a split well inside the descriptors a process may hold.
inline constexpr size_t kMaxSplitPieces = 500;

inline constexpr const char* kTitledNameTemplate = "{n:02} {title}";
inline constexpr const char* kPlainNameTemplate = "{stem} {n:02}";

struct SplitJob {
  AudioFileInfo FileInfo;
  std::string SourceFileName;
  ExportRoute Route = ExportRoute::Mp3;
  uint32_t BitrateKbps = 128;  // MP3 only
  bool Lossless = false;       // MP3 only: copy the source's frames
  bool FadeIn = false;
  int32_t FadeInSeconds = 0;
  bool FadeOut = false;
  int32_t FadeOutSeconds = 0;
  int Jobs = 0;     // pieces written at once: 0 one per core
  TagEdits Tags{};  // applied to every piece before its own track, title and artist
  std::string Folder;
  std::string NameTemplate;  // empty: DefaultNameTemplate(Sheet)
  ExistingTarget Existing = ExistingTarget::Ask;
  SplitSheet Sheet;
  uint32_t StartTick = 0;
  // The source's scan, running or finished, when there is one: every piece's
  // reader seeks by it instead of measuring the file again.
  std::shared_ptr<Mp3ScanIndex> Scan;
};

// Progress of a split: the whole through ExportHost::SetProgress and
// SetTimeText, the piece being written here.
class SplitHost : public ExportHost {
 public:
  // `number` from 1 of `count`; `percent` of that piece done.
  virtual void SetPiece(int number, int count, int percent) {
    (void)number, (void)count, (void)percent;
  }
};

// kTitledNameTemplate when any piece has a title, else kPlainNameTemplate.
std::string DefaultNameTemplate(const SplitSheet& sheet);

// The file name of piece `index` (from 0) by the template, without folder,
// with the route's extension. "unknown field {x} in the name template" is
// returned through `reason` (the name then empty).
std::string PieceFileName(const SplitJob& job, size_t index, std::string& reason);

// The targets of every piece in job.Folder, in order; refused through
// `reason` for a bad template, an empty name, two pieces with the same name
// ("pieces 3 and 7 would both be named X"), no pieces or more than
// kMaxSplitPieces.
std::vector<std::string> SplitTargets(const SplitJob& job, std::string& reason);

// The targets that exist already.
std::vector<std::string> ExistingTargets(const std::vector<std::string>& targets);

// "N files already exist in FOLDER (FIRST, ...). Replace them?"
std::string ReplaceTargetsQuestion(const std::vector<std::string>& existing);

// The checks made before any piece is written: the targets can be named, the
// folder exists, no target is the source, an existing target can be replaced
// and, with ExistingTarget::Ask, the user agrees to replace the existing
// ones (Dialogs::Confirm). An existing target that is read-only is never
// replaced: its owner protected it. Shows why in an error box and returns
// false when the split cannot go ahead (no box when the user said No).
bool CheckSplitTargets(const SplitJob& job, Dialogs& dialogs);

// The export job of piece `index`, its target `target`: the split's route and
// options, the piece's marks, and the tags with "track" n/N, "title" and
// "artist" set from the sheet (where it has them and the user's --tag did not
// set them).
ExportJob PieceExportJob(const SplitJob& job, size_t index, const std::string& target);

// Runs the checks and writes every piece. True when all pieces are in the
// folder; false after one message (none for a cancel) with the folder as it
// was.
bool RunSplit(const SplitJob& job, SplitHost& host, Dialogs& dialogs);
