#pragma once
// RecordingPlaybackHost: the window's side of the playback engine for tests
// and benchmarks. It holds the file to hand the engine, answers the device
// error through ScriptedDialogs, and records what the engine reported. Its
// PlayedTo clamps like the window's (nothing while no file is open) and
// records the shown position; the analyzer calls only count. `recordPositions`
// can be switched off where a test counts allocations.
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
  int showPositionCalls = 0;
  int feeds = 0;
  uint64_t fedBytes = 0;
  int clearDisplayCalls = 0;

  void PlayedTo(int32_t positionMs) override {
    curPos = positionMs;
    ++showPositionCalls;
    if (info.LengthMs == 0) return;
    if (curPos < 0) curPos = 0;
    if (curPos > info.LengthMs) curPos = info.LengthMs;
    if (recordPositions) shownPositions.push_back(curPos);
  }

  void SpectrumFeed(const uint8_t*, uint32_t sizeBytes) override {
    ++feeds;
    fedBytes += sizeBytes;
  }
  void ClearDisplay() override { ++clearDisplayCalls; }
  Dialogs& GetDialogs() override { return dialogs; }
};
