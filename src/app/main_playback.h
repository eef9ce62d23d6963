// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MainPlayback: the playback engine plugged into the main window. It owns the
// PlaybackEngine and stands on both sides of it: towards the window's
// MainWindowModel it is the PlaybackHooks through which the model's commands
// start and stop the engine with the file, its description and both
// positions; towards the engine it is the PlaybackHost that moves the model's
// CurPos to the played position. Every buffer the device hands back goes on
// to the spectrum analysis; the analyzer window is cleared through the
// callback the window gives.
//
// It plugs itself into the model when made and unplugs when destroyed, so it
// must not outlive the model. Everything runs on the user-interface thread.
#include <functional>
#include <memory>

#include "app/main_window_hooks.h"
#include "audio/playback_engine.h"
#include "audio/playback_host.h"

class Dialogs;
class MainWindowModel;
class WaveOut;

class MainPlayback final : public PlaybackHooks, public PlaybackHost {
 public:
  // `device` is the output (the SDL device in the program, a scripted one in
  // tests); `clearDisplay` shows the analyzer's empty picture (may be empty).
  MainPlayback(MainWindowModel& model, Dialogs& dialogs, std::unique_ptr<WaveOut> device,
               std::function<void()> clearDisplay);
  ~MainPlayback() override;
  MainPlayback(const MainPlayback&) = delete;
  MainPlayback& operator=(const MainPlayback&) = delete;

  PlaybackEngine& Engine() { return engine_; }

  // PlaybackHooks
  bool Playing() const override { return engine_.Playing(); }
  void StartPlayback(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
                     int32_t endMs) override {
    engine_.StartPlayback(fileName, info, startMs, endMs);
  }
  void StartJoinedPlayback(const std::string& fileName, const AudioFileInfo& info,
                           uint32_t firstStartMs, int32_t firstEndMs, uint32_t thenStartMs,
                           int32_t endMs) override {
    engine_.StartJoinedPlayback(fileName, info, firstStartMs, firstEndMs, thenStartMs, endMs);
  }
  void StopPlayback() override { engine_.StopPlayback(); }
  void SetScan(std::shared_ptr<Mp3ScanIndex> scan) override { engine_.SetScan(std::move(scan)); }

  // PlaybackHost
  void PlayedTo(int32_t positionMs) override;
  void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) override;
  void ClearDisplay() override;
  Dialogs& GetDialogs() override { return dialogs_; }

 private:
  MainWindowModel& model_;
  Dialogs& dialogs_;
  std::function<void()> clearDisplay_;
  PlaybackEngine engine_;  // last: it goes first, while the rest still exists
};
