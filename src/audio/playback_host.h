#pragma once
// PlaybackHost: what the playback engine needs from the window that owns it.
// The main window holds the editing state (the opened file, the current
// position, the marks) and the displays; the engine reads and moves that state
// only through this interface, so it can be exercised without a screen.
//
// Threads: every call comes from the UI thread.
#include <cstdint>
#include <string>

#include "audio/audio_file_info.h"

class Dialogs;

class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;

  // The opened file's path; empty while no file is open.
  virtual std::string FileName() const = 0;
  // The opened file's description (SampleRate, Channels, LengthMs are used).
  virtual AudioFileInfo FileInfo() const = 0;

  // The current position in milliseconds.
  virtual int32_t CurPos() const = 0;
  virtual void SetCurPos(int32_t positionMs) = 0;
  // The marks in milliseconds.
  virtual int32_t MarkBegin() const = 0;
  virtual int32_t MarkEnd() const = 0;

  // The position display update; may clamp CurPos into 0..LengthMs.
  virtual void ShowPosition() = 0;

  // The analyzer: every buffer the device hands back, and the clear at the end.
  virtual void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) = 0;
  virtual void ClearDisplay() = 0;

  // Where the device error is shown.
  virtual Dialogs& GetDialogs() = 0;
};
