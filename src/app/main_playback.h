#pragma once
// MainPlayback: the playback engine plugged into the main window. It owns the
// PlaybackEngine and stands on both sides of it: towards the window's
// MainWindowModel it is the PlaybackHooks that the buttons, keys, jumps,
// nudges, handle drop and file opening call; towards the engine it is the
// PlaybackHost through which the engine reads the opened file and the marks,
// moves CurPos and redraws the position. Every buffer the device hands back
// goes on to the spectrum analysis; the analyzer window is cleared through
// the callback the window gives.
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
  void StartPlayback(uint32_t startMs) override { engine_.StartPlayback(startMs); }
  void StopPlayback() override { engine_.StopPlayback(); }
  void tbPlayClick() override { engine_.tbPlayClick(); }
  void tbPauseClick() override { engine_.tbPauseClick(); }
  void tbStopClick() override { engine_.tbStopClick(); }
  void tbPlayselectedClick() override { engine_.tbPlayselectedClick(); }

  // PlaybackHost
  std::string FileName() const override;
  AudioFileInfo FileInfo() const override;
  int32_t CurPos() const override;
  void SetCurPos(int32_t positionMs) override;
  int32_t MarkBegin() const override;
  int32_t MarkEnd() const override;
  void ShowPosition() override;
  void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) override;
  void ClearDisplay() override;
  Dialogs& GetDialogs() override { return dialogs_; }

 private:
  MainWindowModel& model_;
  Dialogs& dialogs_;
  std::function<void()> clearDisplay_;
  PlaybackEngine engine_;  // last: it goes first, while the rest still exists
};
