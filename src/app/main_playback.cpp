// MainPlayback: the engine's host calls answered from the main window's
// editing state, and the window's playback hooks answered by the engine.
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

std::string MainPlayback::FileName() const { return model_.FileName; }

AudioFileInfo MainPlayback::FileInfo() const { return model_.FileInfo; }

int32_t MainPlayback::CurPos() const { return model_.CurPos; }

void MainPlayback::SetCurPos(int32_t positionMs) { model_.CurPos = positionMs; }

int32_t MainPlayback::MarkBegin() const { return model_.MarkBegin; }

int32_t MainPlayback::MarkEnd() const { return model_.MarkEnd; }

void MainPlayback::ShowPosition() { model_.ShowPosition(); }

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
