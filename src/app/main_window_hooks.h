// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seams through which the main window's editing state reaches the parts
// of the program that are built around it:
//
// - MainWindowView: the window that shows the state (TfmMain; a fake in tests).
// - PlaybackHooks: the playback engine. Until one is plugged in, nothing plays
//   and every hook does nothing.
// - FileProbe: decides whether a file can be opened and describes it; until
//   one is plugged in, opening files is switched off.
// - ScanHooks: the background scan of an opened MP3 (MainScan; a fake in
//   tests). Until one is plugged in, MP3s keep their header estimate.
// - ExportCommand: the "Cut out" command, which opens the export dialog.
//
// Everything here runs on the user-interface thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"

class Dialogs;

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  // Some text, check state, handle or bar position of MainDisplay changed.
  virtual void DisplayChanged() = 0;

  // The window is on screen (the unit switch then moves the focus away from
  // the check box).
  virtual bool WindowVisible() const { return false; }

  // Gives the keyboard focus to the group box " Origin File Info ".
  virtual void FocusGroupBox1() {}

  // The spectrum analyzer window exists (it is created after the main window).
  virtual bool AnalyzerExists() const { return false; }

  virtual void SetAnalyzerVisible(bool /*visible*/) {}

  // Shows or hides the waveform window docked under the main window.
  virtual void SetWaveVisible(bool /*visible*/) {}
};

// The playback engine's side of the main window. The model decides every
// start and stop and hands the engine what it plays; the engine reports the
// played position back through its own host (MainPlayback).
class PlaybackHooks {
 public:
  virtual ~PlaybackHooks() = default;

  // The output device is open.
  virtual bool Playing() const { return false; }

  // Plays fileName (described by info) from startMs to endMs, stopping a
  // running playback first; ignores a start at or beyond endMs.
  virtual void StartPlayback(const std::string& /*fileName*/, const AudioFileInfo& /*info*/,
                             uint32_t /*startMs*/, int32_t /*endMs*/) {}
  // Plays [firstStartMs, firstEndMs) and, without a gap, [thenStartMs, endMs).
  virtual void StartJoinedPlayback(const std::string& /*fileName*/, const AudioFileInfo& /*info*/,
                                   uint32_t /*firstStartMs*/, int32_t /*firstEndMs*/,
                                   uint32_t /*thenStartMs*/, int32_t /*endMs*/) {}

  // Stops a running playback, leaving CurPos where the last played buffer put
  // it. Does nothing when not playing.
  virtual void StopPlayback() {}

  // The scan the next starts read by (null: none, the file is measured).
  virtual void SetScan(std::shared_ptr<Mp3ScanIndex> /*scan*/) {}
};

// Measures an opened MP3 in the background. StartScan stops any scan still
// running and begins one of fileName; the scan answers through the model's
// ScanProgress and ScanFinished, tagged with `serial`, by queued calls.
// StopScan ends the scan without waiting for it.
class ScanHooks {
 public:
  virtual ~ScanHooks() = default;
  virtual std::shared_ptr<Mp3ScanIndex> StartScan(const std::string& fileName, uint32_t serial) = 0;
  virtual void StopScan() = 0;
};

// Probes fileName into info; shows its own messages through dialogs and
// returns true when the file can be used. Matches GetAudioFileInfo.
using FileProbe =
    std::function<bool(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs)>;

// Runs the "Cut out" command (stop playback, show the export dialog).
using ExportCommand = std::function<void()>;
