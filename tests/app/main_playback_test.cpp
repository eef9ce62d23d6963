// The main window's model wired to the real probe and the real playback
// engine (on the scripted device): the engine's reports reaching the model and
// the analysis, and a file opened while another plays. The commands'
// decisions are the model's test, the bytes played the engine's.
#include "app/main_playback.h"

#include <gtest/gtest.h>

#include "app/main_window_model.h"
#include "audio/mp3io.h"
#include "spectrum/led.h"
#include "support/core_application.h"
#include "support/fake_wave_out.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

// 2000 Hz mono: a block is 4096 frames, 2048 ms.
constexpr int kRate = 2000;

class MainPlaybackTest : public ::testing::Test {
 protected:
  MainPlaybackTest() {
    EnsureCoreApplication();
    auto fake = std::make_unique<FakeWaveOut>();
    device = fake.get();
    playback = std::make_unique<MainPlayback>(model, dialogs, std::move(fake),
                                              [this] { ++clearDisplays; });
    model.SetFileProbe(&GetAudioFileInfo);
    model.ApplySettings(DisplaySettings{false, false});
  }
  void OpenWav(int32_t lengthMs) {
    WriteWavFile(dir.File("a.wav"), kRate, 1, MakeTestSignal(lengthMs * kRate / 1000, 1, kRate));
    ASSERT_TRUE(model.LoadFile(dir.File("a.wav")));
  }
  TempDir dir;
  ScriptedDialogs dialogs;
  MainWindowModel model{dialogs};
  FakeWaveOut* device = nullptr;
  int clearDisplays = 0;
  std::unique_ptr<MainPlayback> playback;
};

}  // namespace

// The probe of an MP3 needs the decoder's only stream, which a playing MP3
// holds until the open has stopped the playback.
TEST_F(MainPlaybackTest, AnMp3OpensWhileAnotherMp3IsPlaying) {
  ASSERT_TRUE(WriteMp3File(dir.File("1.mp3"), MakeTestSignal(3 * 44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(WriteMp3File(dir.File("2.mp3"), MakeTestSignal(22050, 1, 22050), 22050, 1));
  ASSERT_TRUE(model.LoadFile(dir.File("1.mp3")));
  model.tbPlayClick();
  device->PlayNext();
  ASSERT_TRUE(model.LoadFile(dir.File("2.mp3")));
  EXPECT_FALSE(device->IsOpen());
  model.tbPlayClick();
  device->playedBytes.clear();
  device->PlayAll();
  EXPECT_EQ(device->playedBytes.size(), 22050u * 2);
  EXPECT_EQ(model.CurPos, 1000);
}

TEST_F(MainPlaybackTest, ReturnedBuffersReachTheAnalysisWhileItIsSwitchedOn) {
  struct CountingLed : LedDisplay {
    int copies = 0;
    void DrawLedGrid() override {}
    void PaintBar(int, int) override {}
    void CopyToWindow() override { ++copies; }
  } led;
  SetLedDisplay(&led);
  OpenWav(10000);
  SetShowAnalyzerFlag(true);
  model.tbPlayClick();
  device->PlayNext();
  SetShowAnalyzerFlag(false);
  device->PlayNext();
  SetLedDisplay(nullptr);
  EXPECT_EQ(led.copies, 1);  // one 8192-byte buffer is one analysed block
}

TEST_F(MainPlaybackTest, TheEngineUnplugsWhenDestroyed) {
  OpenWav(10000);
  model.tbPlayClick();
  playback.reset();
  EXPECT_FALSE(model.Playing());
  model.tbPlayClick();
  model.WMKeyDown('P');
  EXPECT_EQ(model.CurPos, 10000);
}
