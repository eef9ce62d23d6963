// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MainWindowModel: the main window's editing state and commands, without any
// widget. It holds the opened file (FileName, FileInfo), the current position
// CurPos, the two marks, the display settings and the texts, check states and
// pixel positions the window shows (MainDisplay). Every command that changes
// CurPos ends in ShowPosition and every change of a mark in ShowSelection; the
// window then re-renders from Display().
//
// Positions are whole milliseconds in signed 32 bits. The marked piece is
// empty whenever MarkEnd <= MarkBegin; the marks are never swapped.
//
// The play commands and the three previews of the cut decide here where
// playback starts and ends; the engine plugged in through
// main_window_hooks.h (SetPlayback) only plays. The other hooks are the file
// probe (SetFileProbe) and the export dialog (SetExportCommand). Everything
// runs on the user-interface thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window_hooks.h"
#include "app/settings.h"
#include "app/track_geometry.h"
#include "app/value_entry.h"
#include "audio/audio_file_info.h"

class Dialogs;

inline constexpr const char* kSplitWhileScanningMessage =
    "The file is still being measured: split it when its length is known.";
inline constexpr const char* kEndBeforeBeginMessage =
    "End Pos is before Begin Pos: mark an end after the begin to export a piece.";

// What the main window shows; the design state until the first render.
struct MainDisplay {
  std::string lbFileName = "File Name : None";
  std::string lbFileType = "File Type : MP3";
  std::string lbBitrate = "Bitrate : 128 kbps";
  std::string lbChannel = "Channels : Stereo";
  std::string lbSample = "Sample Rate : 44100";
  std::string lbLength = "Length : 0 ms";
  std::string lbCurPos = "Current Pos : 0 ms";
  std::string lbBeginPos = "Begin Pos : 0 ms";
  std::string lbEndPos = "End Pos : 0 ms";
  std::string lbLenExport = "Length : 0 ms";

  // The two check boxes are the masters; the menu check marks mirror them.
  bool cbUseSecondChecked = false;
  bool cbShowSpecChecked = true;
  bool Representwithsecond1Checked = false;
  bool ShowSpectrumanalyzer1Checked = false;
  bool ShowWaveform1Checked = false;

  int TrackButtonLeft = kTrackBarLeft;                        // imTrackButton.Left
  int selectionLeft = kTrackBarLeft + kTrackButtonWidth / 2;  // imSelection.Left
  int selectionWidth = 0;                                     // imSelection.Width
  // The split points on the selection bar's row, in window pixels: where the
  // handle's centre stands at each point.
  std::vector<int> splitPointXs;
};

class MainWindowModel {
 public:
  explicit MainWindowModel(Dialogs& dialogs);

  // --- Hooks (none of them is owned; each must outlive the model or be reset).
  void SetView(MainWindowView* view) { view_ = view; }
  void SetPlayback(PlaybackHooks* playback);
  void SetFileProbe(FileProbe probe) { probe_ = std::move(probe); }
  void SetExportCommand(ExportCommand command) { export_ = std::move(command); }
  void SetSplitCommand(ExportCommand command) { split_ = std::move(command); }
  void SetScanner(ScanHooks* scanner) { scanner_ = scanner; }
  bool CanOpenFiles() const { return static_cast<bool>(probe_); }

  // --- Editing state. Write a field, then run ShowPosition/ShowSelection.
  std::string FileName;
  AudioFileInfo FileInfo;
  int32_t CurPos = 0;
  int32_t MarkBegin = 0;
  int32_t MarkEnd = 0;
  bool UseSecond = false;
  bool ShowSpec = false;
  bool ShowWave = false;
  // Counts the files opened, so a window that follows the opened file sees
  // a new file even when the same path is opened again.
  uint32_t FileSerial = 0;

  // --- Track bar (pixels); TrackMin/TrackMax fixed at creation.
  const int TrackMin;
  const int TrackMax;
  bool DraggingHandle = false;
  int DragStartX = 0;     // screen pixels
  int DragStartLeft = 0;  // handle Left at the press

  const MainDisplay& Display() const { return display_; }
  int32_t LengthMs() const { return FileInfo.LengthMs; }

  // --- Playback. PlayEndMs is where the next start plays to: the file's end
  // after Play and Pause, the mark end after Play selected.
  int32_t PlayEndMs = 0;
  bool Playing() const { return playback_->Playing(); }
  // Refused, with a note, from a position the scan has not reached yet.
  void StartPlayback(uint32_t startMs);
  void StopPlayback() { playback_->StopPlayback(); }
  // The engine's report: the played frames reached positionMs.
  void PlayedTo(int32_t positionMs);

  // --- Start-up: the settings decide the check boxes, whose click actions run
  // on a change, and the menu check marks.
  void ApplySettings(const DisplaySettings& settings);

  // --- Display updates.
  void ShowPosition();
  void ShowSelection();
  void PositionFromHandle();

  // --- Mark and jump commands.
  void tbMarkbeginClick();
  void tbMarkendClick();
  void tbMarkallClick();
  // Both marks at once, from a drag on the waveform: kept within the file and
  // begin <= end.
  void SetMarks(int32_t beginMs, int32_t endMs);
  // G and H: the mark begin or end moves to the quietest point within 200 ms
  // (see audio/quiet_point.h), staying on its side of the other mark; with no
  // quieter point it stays.
  void QuietBeginClick();
  void QuietEndClick();
  void tbJumpBeginClick();
  void tbJumpmarkbeginClick();
  void tbJumpendClick();
  void tbJumpmarkendClick();
  void Nudge(int32_t deltaMs);

  // --- Play commands. Play and Pause play to the end of the file (Pause stops
  // instead while playing), Stop rewinds to 0 after stopping a playback, Play
  // selected plays the marked piece from CurPos inside it, else from its begin.
  void tbPlayClick();
  void tbPauseClick();
  void tbStopClick();
  void tbPlayselectedClick();
  // Previews of the cut, 2 s each (less where the piece or the file is
  // shorter), played like Play selected: the piece's first seconds from the
  // mark begin, its last seconds up to the mark end, and the seconds before
  // the mark begin joined to those after the mark end, as an export without
  // the piece joins them. Crossed marks play nothing; Z and X need a piece.
  static constexpr int32_t kPreviewMs = 2000;
  void HearBeginClick();
  void HearEndClick();
  void HearJoinClick();

  // --- Files and export.
  void tbOpenFileClick();
  void OpenDroppedFiles(const std::vector<std::string>& paths);
  void OpenCommandLineFile(const std::vector<std::string>& arguments);
  // Stops playback, probes fileName and, only when the probe accepts it,
  // makes it the opened file: FileName, FileInfo, the six file labels, and
  // position and marks back to 0. A refused file changes none of them (the
  // probe has shown why). True when the file was opened.
  bool LoadFile(const std::string& fileName);
  void tbExportClick();
  // "Split into pieces ..." and K: needs an open file with audio, whose
  // length is known (an MP3's scan has ended; the pieces are cut on it).
  void SplitClick();
  // The split points the split dialog shows, on the file's sample timeline;
  // an opened file clears them.
  void SetSplitPoints(std::vector<SampleIndex> points);
  const std::vector<SampleIndex>& SplitPoints() const { return splitPoints_; }

  // --- Background scan of the opened MP3. Until it ends, LengthMs is the
  // header estimate, " Origin File Info " shows "Length : scanning N %", and
  // playback starts only where the scan has passed. Its end makes the length,
  // the bitrate and the limits of position and marks exact, without touching
  // a running playback. Reports for another file (serial) are ignored.
  bool Scanning() const { return scanning_; }
  int32_t ScannedMs() const { return scannedMs_; }
  std::shared_ptr<Mp3ScanIndex> Scan() const { return scan_; }
  void ScanProgress(uint32_t serial, int percent, int32_t knownMs);
  // measured false: the file could not be decoded to its end; the estimate
  // stays.
  void ScanFinished(uint32_t serial, bool measured, int32_t lengthMs, int32_t bitrateKbps,
                    int64_t lengthFrames);

  // --- The keyboard table: one key-down with a virtual-key code.
  void WMKeyDown(int virtualKey);

  // --- Seek handle drag (screen X of the pointer).
  void imTrackButtonMouseDown(int screenX);
  void imTrackButtonMouseMove(int screenX);
  void imTrackButtonMouseUp();
  // A press on the track bar `barX` pixels from its left edge: the handle
  // centres there, then follows the pointer as if grabbed (the handle's move
  // and release go on).
  void imTrackBarMouseDown(int barX, int screenX);

  // --- Unit switch and analyzer toggle. Set...Checked is a change of the check
  // box's state (by the user or from code): the click action runs only when
  // the state really changes.
  void SetUseSecondChecked(bool checked);
  void cbUseSecondClick();
  void Representwithsecond1Click();
  void SetShowSpecChecked(bool checked);
  void cbShowSpecClick();
  void ShowSpectrumanalyzer1Click();
  // "Show waveform" and the key V: flips the waveform window.
  void ShowWaveform1Click();

  // A click on the waveform's overview: the position moves there as when the
  // seek handle is dropped, and a running playback restarts from it.
  void SeekFromOverview(int32_t positionMs);

  // --- Value entry through the input box.
  void lbCurPosClick();
  void lbBeginPosClick();
  void lbEndPosClick();
  void lbLenExportClick();

 private:
  void Changed();
  void RenderUnitLabels();
  std::string MarkedLengthText() const;
  std::string LengthLabelText() const;
  void ShowFileLabels();
  // Shows the input box for `field` offering defaultMs; the entered value in
  // ms, or nullopt after Cancel or after refusing the text.
  std::optional<int64_t> AskValueMs(EntryField field, int64_t defaultMs);
  void RefuseInput();
  // Plays [startMs, endMs) with the position following from startMs.
  void HearRange(int32_t startMs, int32_t endMs);
  // Refuses, with a note, a start the background scan has not reached.
  bool RefuseUnscanned(int64_t startMs);

  Dialogs& dialogs_;
  MainWindowView* view_ = nullptr;
  PlaybackHooks noPlayback_;
  PlaybackHooks* playback_ = &noPlayback_;
  FileProbe probe_;
  ExportCommand export_;
  ExportCommand split_;
  std::vector<SampleIndex> splitPoints_;
  ScanHooks* scanner_ = nullptr;
  bool scanning_ = false;
  int scanPercent_ = 0;
  int32_t scannedMs_ = 0;
  std::shared_ptr<Mp3ScanIndex> scan_;
  MainDisplay display_;
};
