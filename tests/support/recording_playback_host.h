// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RecordingPlaybackHost: the window's side of the playback engine for tests and benchmarks. It
// holds the file to hand the engine, answers the device error through ScriptedDialogs, and
// records what the engine reported: PlayedTo clamps like the window's (nothing while no file is
// open) and records the shown position unless `recordPositions` is off (allocation counts); the
// analyzer calls only count.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "audio/playback_host.h"
#include "support/scripted_dialogs.h"

class RecordingPlaybackHost : public PlaybackHost {
 public:
  std::string fileName;
  AudioFileInfo info;
  int32_t curPos = 0;
  ScriptedDialogs dialogs;
  bool recordPositions = true;
  std::vector<int32_t> shownPositions;
  int feeds = 0, clearDisplayCalls = 0;
  uint64_t fedBytes = 0;
  void PlayedTo(int32_t positionMs) override {
    curPos = positionMs;
    if (info.LengthMs == 0) return;
    curPos = std::clamp(curPos, 0, info.LengthMs);
    if (recordPositions) shownPositions.push_back(curPos);
  }
  void SpectrumFeed(const uint8_t*, uint32_t sizeBytes) override {
    ++feeds;
    fedBytes += sizeBytes;
  }
  void ClearDisplay() override { ++clearDisplayCalls; }
  Dialogs& GetDialogs() override { return dialogs; }
};
