// SPDX-License-Identifier: GPL-3.0-or-later
// MainPlayback: the engine's reports passed to the main window's model and
// the analysis, and the model's starts and stops passed to the engine.
#include "app/main_playback.h"

#include "app/main_window_model.h"
#include "audio/wave_out.h"
#include "spectrum/led.h"

MainPlayback::MainPlayback(MainWindowModel& model, Dialogs& dialogs,
                           std::unique_ptr<WaveOut> device, std::function<void()> clearDisplay)
    : model_(model),
      dialogs_(dialogs),
      clearDisplay_(std::move(clearDisplay)),
      engine_(*this, std::move(device)) {
  model_.SetPlayback(this);
}

MainPlayback::~MainPlayback() { model_.SetPlayback(nullptr); }

void MainPlayback::PlayedTo(int32_t positionMs) { model_.PlayedTo(positionMs); }

void MainPlayback::SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) {
  // A returned buffer holds at most one 8192-byte block, well inside the
  // feed's signed count.
  ::SpectrumFeed(data, static_cast<int32_t>(sizeBytes));
}

void MainPlayback::ClearDisplay() {
  if (clearDisplay_) {
    clearDisplay_();
  }
}
