// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SplitModel: the "Split into pieces" dialog without its widgets.
//
// It holds what the dialog shows as the user typed it: where the split
// points come from (a list of times, a piece every so long, a number of
// equal parts, a CUE sheet, or the silences with their settings), the pieces
// that makes with their editable titles, and the output (MP3 at a bitrate of
// the export dialog's list, "Lossless" among them for an MP3 source, or
// WAV; fades), the target folder and the name template. MakePieces turns
// the source into pieces; Job checks everything and hands back the SplitJob
// that RunSplit writes, or the message that says what to change.
//
// Silence finding runs on a SilenceFinder's workers; its result comes back
// here by a queued call on the user-interface thread. A new MakePieces stops
// a search still running (never waiting for it) and drops what it still
// sends. Changed() tells the dialog to render again. User-interface thread
// only.
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"
#include "split/silence_finder.h"
#include "split/split_export.h"
#include "split/split_pieces.h"

enum class SplitSource { Times, Every, Parts, Cue, Silence };

inline constexpr const char* kCueFilter = "CUE sheet(*.cue)|*.cue";
inline constexpr const char* kNoFolderMessage = "Choose the folder the pieces go to.";
inline constexpr const char* kStillFindingMessage = "Wait until the silences are found.";
inline constexpr const char* kFindingStatus = "Looking for silences ...";

class SplitModel : public QObject {
  Q_OBJECT
 public:
  // `threads`: the silence finder's workers (0: one per core).
  SplitModel(std::string sourceFileName, AudioFileInfo info,
             std::shared_ptr<Mp3ScanIndex> scan = nullptr, int threads = 0,
             QObject* parent = nullptr);
  ~SplitModel() override;

  // --- Where the points come from, as typed.
  SplitSource Source = SplitSource::Times;
  std::string TimesText;            // "1:30, 3:02.5"
  std::string EveryText = "10:00";  // a time
  std::string PartsText = "2";
  std::string CueFileName;
  std::string ThresholdText = "-48";   // dBFS
  std::string MinSilenceText = "0.5";  // seconds
  std::string CutAtText = "0.5";       // 0 the silence's start .. 1 its end
  std::string MinPieceText = "0";      // seconds
  bool Trim = false;

  // --- The output, as in the export dialog.
  bool Mp3 = true;
  int BitrateIndex = 0;  // into BitrateItems()
  bool FadeIn = false;
  std::string FadeInText = "1";
  bool FadeOut = false;
  std::string FadeOutText = "1";
  std::string Folder;        // the source's folder at first
  std::string NameTemplate;  // empty: the default for the pieces' titles

  const AudioFileInfo& Info() const { return info_; }
  const std::string& SourceFileName() const { return sourceFileName_; }
  std::vector<std::string> BitrateItems() const;
  // MP3 with the "Lossless" item: no fades then.
  bool LosslessChosen() const;
  // NameTemplate, or the default for the pieces there are.
  std::string TemplateShown() const;

  // Makes the pieces from the source as typed: at once, or for the silences
  // by starting a search (Finding() until its result is in).
  void MakePieces();
  bool Finding() const { return finder_ != nullptr; }
  const SplitSheet& Sheet() const { return sheet_; }
  // What the list's status line says: why there are no pieces, the search
  // running, or how many pieces there are and the notes of a CUE sheet.
  std::string Status() const;
  void SetTitle(size_t index, const std::string& title);
  // Every place a piece begins or ends inside the file, rising, once each:
  // what the main window and the waveform draw.
  std::vector<SampleIndex> Points() const;

  // The split as chosen, or nothing with `problem` saying what to change.
  std::optional<SplitJob> Job(std::string& problem) const;

  // "Piece 3 of 12".
  static std::string PieceText(int number, int count);

 signals:
  void Changed();

 private:
  void SetPieces(SplitPieces pieces);
  void StartFinder();
  void StopFinder();
  void Receive(uint64_t generation, SilenceResult result);

  std::string sourceFileName_;
  AudioFileInfo info_;
  std::shared_ptr<Mp3ScanIndex> scan_;
  int threads_;
  SplitSheet sheet_;
  std::string reason_;
  uint64_t generation_ = 0;
  std::unique_ptr<SilenceFinder> finder_;
  // Stopped searches, kept (never waited for) until their workers return.
  std::vector<std::unique_ptr<SilenceFinder>> retired_;
};
