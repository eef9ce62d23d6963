// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PlaybackHost: what the playback engine reports to the window that owns it.
// The window's model holds the current position and the displays; the engine
// tells it where the played frames have got to and hands it every returned
// buffer, so it can be exercised without a screen.
//
// Threads: every call comes from the UI thread.
#include <cstdint>

class Dialogs;

class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;

  // The played frames reached positionMs (after each returned buffer, and the
  // end position when the stream ran out before it): the host moves CurPos
  // there and shows it, clamped into 0..LengthMs. Not called while a stop is
  // draining.
  virtual void PlayedTo(int32_t positionMs) = 0;

  // The analyzer: every buffer the device hands back, and the clear at the end.
  virtual void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) = 0;
  virtual void ClearDisplay() = 0;

  // Where the device error is shown.
  virtual Dialogs& GetDialogs() = 0;
};
