// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export pipeline: writes the marked piece of a source file, or the two
// pieces outside it, to a new MP3 or WAV file. The export dialog and
// `snipola-cli cut` both run it; it talks to its caller only through
// ExportHost (progress, time text, message pumping) and Dialogs (errors).
//
// Per piece the reader is opened at the piece's start, blocks are cut to the
// piece's frame count, faded in place and handed on: to the MP3 chunker and
// encoder, or appended to the WAV data chunk. After every block the progress
// (0..100 over all pieces), the time text (about once a second) and the
// caller's message pump run.
//
// The output goes to a temporary file beside the target that replaces the
// target only after everything was written and closed without error. Every
// failure shows one message and returns false with nothing left behind:
// "Can't start the MP3 encoder", "Cannot create file %s" (the target),
// "Unable to write to %s" (the target; also an encoder that fails during the
// export), "Cannot read file %s" (a source that cannot be opened for a piece
// that has frames, or one that ends before the file's length, so that the
// export would hold fewer frames than planned), "Can't Access file %s" (the
// finished file cannot replace the target). An export that would hold no
// frame at all is refused before anything is written: kNothingMarkedText, or
// kNothingUnmarkedText when the marks take in the whole file.
//
// Runs on the UI thread; the host's message pump may run the dialog's handlers
// in between blocks, which the dialog guards with its Exporting flag.
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "base/tag_edits.h"
#include "base/tick_count.h"
#include "export/export_source.h"
#include "export/export_time_text.h"

class Dialogs;
class OutputFile;
struct LosslessCensus;

// Everything one export needs, settled by the dialog's Go or the command line.
struct ExportJob {
  AudioFileInfo FileInfo;
  // The marks on the source's sample timeline (SampleOfMs of the marks in
  // ms): the piece is [BeginSample, EndSample).
  SampleIndex BeginSample{};
  SampleIndex EndSample{};
  std::string SourceFileName;
  std::string OutFileName;
  ExportRoute Route = ExportRoute::Mp3;
  uint32_t BitrateKbps = 128;  // MP3 only
  bool Lossless = false;       // MP3 only: copy the source's frames (lossless_export.h)
  bool ExportUnmarked = false;
  bool FadeIn = false;
  int32_t FadeInSeconds = 0;
  bool FadeOut = false;
  int32_t FadeOutSeconds = 0;
  uint32_t StartTick = 0;  // tick count when the export was started
  int Jobs = 0;            // MP3 encoders at once: 0 one per core, 1 one (parallel_export.h)
  TagEdits Tags{};         // the source's tags, and what replaces them in the written file
  // When set, the finished file is handed over here instead of replacing the
  // target (CommitExport): a split links all its pieces in together at the end.
  OutputFile* CommitLater = nullptr;
  // The lossless route's walk of the source, taken once for many cuts of it
  // (lossless_cut.h); null: the route walks the file itself.
  std::shared_ptr<const LosslessCensus> SourceWalk{};
};

class ExportHost {
 public:
  virtual ~ExportHost() = default;
  virtual void SetProgress(int percent) = 0;
  virtual void SetTimeText(const std::string& text) = 0;
  // Lets the caller handle pending events (repaint, moving the window).
  virtual void ProcessMessages() = 0;
  virtual uint32_t TickMs() { return TickCountMs(); }
  // Asked after every message pump: true stops the export at once, with no
  // message, the temporary file removed and the target as it was.
  virtual bool CancelRequested() { return false; }
};

inline constexpr const char* kNothingMarkedText =
    "Nothing to export: the marked piece holds no audio";
inline constexpr const char* kNothingUnmarkedText =
    "Nothing to export: the marks take in the whole file, so nothing lies outside them";

// A reader that keeps yielding blocks without a single whole frame ends its
// piece after this many in a row.
inline constexpr int kMaxEmptyBlocksInARow = 1000;

// What an export does with a target that already exists: the dialog asks
// first, as every desktop save dialog does; the command line replaces -o OUT.
enum class ExistingTarget { Ask, Replace };

// The target checks made before an export starts. Refuses a target that is
// the source file itself ("Can't overwrite the origin file") and an existing
// target that could not be replaced ("Can't Access file " + path), each in an
// error box with the caption "Error"; with ExistingTarget::Ask an existing
// target is replaced only when the user confirms kReplaceQuestion. True when
// the export may go ahead.
bool CheckExportTarget(const std::string& outFileName, const std::string& sourceFileName,
                       Dialogs& dialogs, ExistingTarget existing);

// "NAME already exists. Do you want to replace it?" for the target's path.
std::string ReplaceQuestion(const std::string& outFileName);
inline constexpr const char* kReplaceCaption = "Replace file";

// Shows why an export that would hold no frame cannot run (kNothingMarkedText
// or kNothingUnmarkedText) and returns true; false when it has frames.
bool RefuseEmptyExport(const ExportJob& job, Dialogs& dialogs);

// Shows how far an export has come: the percentage, the time text (about
// once a second) and a run of the caller's message pump.
void ShowExportProgress(ExportHost& host, ExportClock& clock, uint64_t done, uint64_t total);

// The last step of every route, once the temporary file is closed and
// checked: writes the job's tags into it (tags/export_tags.h), then moves it
// over the target, or into job.CommitLater when that is set. False, with
// CannotWriteTagsText or "Can't Access file" shown and nothing left behind,
// when it cannot.
bool CommitExport(OutputFile& file, const ExportJob& job, Dialogs& dialogs);
// "Cannot write the tags of %s; nothing was saved"
std::string CannotWriteTagsText(const std::string& path);

// Runs the job's route (refusing an empty one first). True when the target
// now holds the finished file.
bool RunExport(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source);
bool ExportMP3(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source);
bool ExportWAV(const ExportJob& job, ExportHost& host, Dialogs& dialogs, ExportSource& source);
