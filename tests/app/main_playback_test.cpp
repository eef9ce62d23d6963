// The main window's editing state wired to the real probe and the real
// playback engine (on the scripted device): opening files through the
// window's commands, and what jumps, nudges, the handle drag and opening do to
// a running playback. Audio comes from WAV and MP3 files the tests write.
#include "app/main_playback.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "app/main_window_model.h"
#include "audio/mp3io.h"
#include "spectrum/led.h"
#include "support/core_application.h"
#include "support/fake_wave_out.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

// A low rate keeps a 340-second file small; one 8192-byte block of it is
// 4096 frames, 2048 ms.
constexpr int kRate = 2000;
constexpr int32_t kLongMs = 340000;

// Counts what the analysis draws.
class CountingLedDisplay : public LedDisplay {
 public:
  int grids = 0;
  int copies = 0;
  void DrawLedGrid() override { ++grids; }
  void PaintBar(int, int) override {}
  void CopyToWindow() override { ++copies; }
};

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

  // Writes a mono WAV of lengthMs at kRate (or `rate`) named `name`.
  std::string WriteWav(const std::string& name, int32_t lengthMs, int rate = kRate,
                       int channels = 1) {
    const auto frames = static_cast<uint32_t>(int64_t{lengthMs} * rate / 1000);
    samples = MakeTestSignal(frames, channels, rate);
    const std::string path = dir.File(name);
    WriteWavFile(path, rate, channels, samples);
    return path;
  }

  // Opens `path` through the open dialog.
  void OpenThroughDialog(const std::string& path) {
    dialogs.openAnswers = {path};
    model.tbOpenFileClick();
  }

  // The PCM bytes of mono frames [firstFrame, firstFrame + frames) of the last
  // written file.
  std::vector<uint8_t> MonoPcm(uint64_t firstFrame, uint64_t frames) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    return {bytes + firstFrame * 2, bytes + (firstFrame + frames) * 2};
  }

  uint64_t FramesAt(int64_t ms) const { return static_cast<uint64_t>(ms * kRate / 1000); }

  TempDir dir;
  ScriptedDialogs dialogs;
  MainWindowModel model{dialogs};
  FakeWaveOut* device = nullptr;
  int clearDisplays = 0;
  std::unique_ptr<MainPlayback> playback;
  std::vector<int16_t> samples;
  const MainDisplay& display = model.Display();
};

}  // namespace

// ---------------------------------------------------------------------------
// Opening files

TEST_F(MainPlaybackTest, AMono22050HzWavShowsItsDescription) {
  OpenThroughDialog(WriteWav("voice.wav", 3000, 22050));
  EXPECT_EQ(display.lbFileName, "File Name : voice.wav");
  EXPECT_EQ(display.lbFileType, "File Type : WAV");
  EXPECT_EQ(display.lbChannel, "Channels : Mono");
  EXPECT_EQ(display.lbSample, "Sample Rate : 22050");
  EXPECT_EQ(display.lbBitrate, "Bitrate : 344 kbps");
  EXPECT_EQ(display.lbLength, "Length : 3000 ms");
  EXPECT_EQ(dialogs.openFilters, (std::vector<std::string>{"Mp3/Wav File|*.mp3;*.wav"}));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainPlaybackTest, UpperCaseExtensionsAreAccepted) {
  OpenThroughDialog(WriteWav("LOUD.WAV", 1500, 8000));
  EXPECT_EQ(display.lbFileName, "File Name : LOUD.WAV");
  EXPECT_EQ(model.FileInfo.LengthMs, 1500);
  const std::string mp3 = dir.File("song.MP3");
  ASSERT_TRUE(WriteMp3File(mp3, MakeTestSignal(44100, 2, 44100), 44100, 2));
  OpenThroughDialog(mp3);
  EXPECT_EQ(display.lbFileName, "File Name : song.MP3");
  EXPECT_EQ(display.lbFileType, "File Type : MP3");
  EXPECT_EQ(display.lbChannel, "Channels : Stereo");
  EXPECT_EQ(model.FileInfo.LengthMs, 1000);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainPlaybackTest, ADropOfThreeFilesOpensTheFirst) {
  const std::string first = WriteWav("first.wav", 1000, 8000);
  const std::string second = WriteWav("second.wav", 2000, 11025);
  const std::string third = WriteWav("third.wav", 3000, 16000);
  model.OpenDroppedFiles({first, second, third});
  EXPECT_EQ(model.FileName, first);
  EXPECT_EQ(display.lbSample, "Sample Rate : 8000");
  EXPECT_EQ(display.lbLength, "Length : 1000 ms");
}

// A file that cannot be opened leaves the previous one in effect in every
// respect: what is shown, what plays and what the marks refer to.
struct RefusedFile {
  const char* name;
  std::string bytes;
  const char* message;

  friend void PrintTo(const RefusedFile& file, std::ostream* out) { *out << file.name; }
};

class RefusedFileTest : public MainPlaybackTest,
                        public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(RefusedFileTest, LeavesThePreviousFileInEffect) {
  const std::string good = WriteWav("good.wav", 10000);
  OpenThroughDialog(good);
  model.CurPos = 4000;
  model.ShowPosition();
  model.tbMarkbeginClick();
  model.CurPos = 6000;
  model.ShowPosition();
  model.tbMarkendClick();
  const AudioFileInfo goodInfo = model.FileInfo;
  const MainDisplay before = display;

  const std::string bad = dir.File(GetParam().name);
  {
    std::ofstream out(bad, std::ios::binary);
    out << GetParam().bytes;
  }
  OpenThroughDialog(bad);

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, GetParam().message);
  EXPECT_EQ(dialogs.messages[0].caption, "Error");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(model.FileName, good);
  EXPECT_EQ(model.FileInfo, goodInfo);
  EXPECT_EQ(model.CurPos, 6000);
  EXPECT_EQ(model.MarkBegin, 4000);
  EXPECT_EQ(model.MarkEnd, 6000);
  EXPECT_EQ(display.lbFileName, before.lbFileName);
  EXPECT_EQ(display.lbLength, before.lbLength);
  EXPECT_EQ(display.lbLenExport, before.lbLenExport);
  EXPECT_EQ(display.TrackButtonLeft, before.TrackButtonLeft);

  // Playing plays the file still shown, from the mark begin (CurPos sits on
  // the mark end).
  model.tbPlayselectedClick();
  ASSERT_TRUE(model.Playing());
  EXPECT_EQ(device->format.samplesPerSec, static_cast<uint32_t>(kRate));
  device->PlayNext();
  EXPECT_TRUE(device->playedBytes == MonoPcm(FramesAt(4000), FramesAt(2000)))
      << "played from the refused file or the wrong place";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedFileTest,
    ::testing::Values(
        RefusedFile{"notes.txt", "hello", "We can only accept mp3 and wav file"},
        RefusedFile{"broken.mp3", "this is no audio at all", "Error while open mp3 file"},
        RefusedFile{"broken.wav", std::string("RIFF\x04\0\0\0WAVE", 12), "File Error !"}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (c == '.') c = '_';
      }
      return name;
    });

// A WAV with an empty data chunk is a file of length 0: it opens, shows the
// zero position and has nothing to play.
TEST_F(MainPlaybackTest, AnEmptyWavOpensAtZeroAndPlaysNothing) {
  OpenThroughDialog(WriteWav("a.wav", 10000));
  model.CurPos = 4000;
  model.ShowPosition();
  const std::string empty = dir.File("empty.wav");
  WriteWavFile(empty, kRate, 1, {});
  OpenThroughDialog(empty);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(model.FileName, empty);
  EXPECT_EQ(display.lbLength, "Length : 0 ms");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(display.TrackButtonLeft, 16);
  model.tbPlayClick();
  model.WMKeyDown(13);
  EXPECT_FALSE(model.Playing());
  EXPECT_EQ(device->opens, 0);
}

TEST_F(MainPlaybackTest, OpeningWhilePlayingStopsFirstAndDoesNotPlayTheNewFile) {
  OpenThroughDialog(WriteWav("a.wav", 10000));
  model.tbPlayClick();
  device->PlayNext();
  ASSERT_TRUE(model.Playing());
  const std::string other = WriteWav("b.wav", 5000, 8000);
  OpenThroughDialog(other);
  EXPECT_FALSE(model.Playing());
  EXPECT_EQ(device->resets, 1);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->opens, 1);
  EXPECT_EQ(model.FileName, other);
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

TEST_F(MainPlaybackTest, AnMp3OpensWhileAnotherMp3IsPlaying) {
  // The probe of an MP3 needs the decoder's only stream, which the playing
  // MP3 holds until the open has stopped the playback.
  const std::string first = dir.File("first.mp3");
  const std::string second = dir.File("second.mp3");
  ASSERT_TRUE(WriteMp3File(first, MakeTestSignal(3 * 44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(WriteMp3File(second, MakeTestSignal(22050, 1, 22050), 22050, 1));
  OpenThroughDialog(first);
  model.tbPlayClick();
  device->PlayNext();
  ASSERT_TRUE(model.Playing());
  OpenThroughDialog(second);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(display.lbFileName, "File Name : second.mp3");
  EXPECT_EQ(display.lbChannel, "Channels : Mono");
  EXPECT_EQ(model.FileInfo.LengthMs, 1000);
  model.tbPlayClick();
  EXPECT_EQ(device->format.samplesPerSec, 22050u);
  device->playedBytes.clear();
  device->PlayAll();
  EXPECT_EQ(device->playedBytes.size(), 22050u * 2);
  EXPECT_EQ(model.CurPos, 1000);
  EXPECT_FALSE(model.Playing());
}

// ---------------------------------------------------------------------------
// Jumps, nudges and the handle while playing

TEST_F(MainPlaybackTest, APlusOneNudgeWhilePlayingRestartsAtTheHandlePixel) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.CurPos = 50300;
  model.ShowPosition();
  model.tbPlayClick();
  ASSERT_EQ(playback->Engine().SamplesPlayed(), FramesAt(50300));
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50000);
  EXPECT_TRUE(model.Playing());
  EXPECT_EQ(device->opens, 2);
  EXPECT_EQ(playback->Engine().SamplesPlayed(), FramesAt(50000));
  device->PlayNext();
  EXPECT_TRUE(device->playedBytes == MonoPcm(FramesAt(50000), 4096));
  EXPECT_EQ(model.CurPos, 52048);
}

TEST_F(MainPlaybackTest, APlusOneNudgeWhileStoppedIsExact) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.CurPos = 50300;
  model.ShowPosition();
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50301);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 50301 ms");
  EXPECT_FALSE(model.Playing());
  EXPECT_EQ(device->opens, 0);
}

TEST_F(MainPlaybackTest, DraggingWhilePlayingIgnoresPlaybackAndRestartsOnRelease) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.tbPlayClick();
  device->PlayNext();
  ASSERT_EQ(model.CurPos, 2048);
  ASSERT_EQ(display.TrackButtonLeft, 18);

  model.imTrackButtonMouseDown(500);
  model.imTrackButtonMouseMove(600);
  EXPECT_EQ(display.TrackButtonLeft, 118);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 102000 ms");
  // The engine goes on moving CurPos, but neither the handle nor the label
  // follows it while the handle is held.
  device->PlayNext();
  device->PlayNext();
  EXPECT_EQ(model.CurPos, 3 * 2048);
  EXPECT_EQ(display.TrackButtonLeft, 118);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 102000 ms");
  EXPECT_EQ(device->opens, 1);

  model.imTrackButtonMouseUp();
  EXPECT_EQ(model.CurPos, 102000);
  EXPECT_TRUE(model.Playing());
  EXPECT_EQ(device->opens, 2);
  EXPECT_EQ(playback->Engine().SamplesPlayed(), FramesAt(102000));
  device->playedBytes.clear();
  device->PlayNext();
  EXPECT_TRUE(device->playedBytes == MonoPcm(FramesAt(102000), 4096));
  EXPECT_EQ(model.CurPos, 104048);
  EXPECT_EQ(display.TrackButtonLeft, 16 + 104);
}

TEST_F(MainPlaybackTest, GoToEndWhilePlayingStopsAtTheRightEnd) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.tbPlayClick();
  device->PlayNext();
  model.tbJumpendClick();
  EXPECT_FALSE(model.Playing());
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(model.CurPos, kLongMs);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  EXPECT_EQ(device->opens, 1);
}

TEST_F(MainPlaybackTest, GoToMarkBeginWhilePlayingRestartsAtExactlyTheMarkBegin) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.CurPos = 12345;
  model.ShowPosition();
  model.tbMarkbeginClick();
  model.CurPos = 0;
  model.ShowPosition();
  model.tbPlayClick();
  device->PlayNext();
  model.WMKeyDown(38);  // Up arrow
  EXPECT_EQ(model.CurPos, 12345);
  EXPECT_TRUE(model.Playing());
  EXPECT_EQ(playback->Engine().SamplesPlayed(), FramesAt(12345));
  device->playedBytes.clear();
  device->PlayNext();
  EXPECT_TRUE(device->playedBytes == MonoPcm(FramesAt(12345), 4096));
}

TEST_F(MainPlaybackTest, TheEnterKeyPausesAndResumesWhereTheLastBufferEnded) {
  OpenThroughDialog(WriteWav("long.wav", kLongMs));
  model.CurPos = 12345;
  model.ShowPosition();
  model.WMKeyDown(13);
  device->PlayNext();
  model.WMKeyDown(13);
  EXPECT_FALSE(model.Playing());
  const int32_t pausedAt = model.CurPos;
  EXPECT_EQ(pausedAt, 12345 + 2048);
  model.WMKeyDown(13);
  EXPECT_TRUE(model.Playing());
  EXPECT_EQ(playback->Engine().SamplesPlayed(), FramesAt(pausedAt));
  EXPECT_EQ(playback->Engine().PlayEndMs(), kLongMs);
}

TEST_F(MainPlaybackTest, ARefusedDeviceIsReportedOnce) {
  OpenThroughDialog(WriteWav("a.wav", 10000));
  device->refuseOpen = true;
  model.CurPos = 3000;
  model.ShowPosition();
  model.tbPlayClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Can't open wave out device");
  EXPECT_EQ(dialogs.messages[0].caption, "Error");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  EXPECT_FALSE(model.Playing());
  EXPECT_EQ(model.CurPos, 3000);
}

// ---------------------------------------------------------------------------
// The analyzer

TEST_F(MainPlaybackTest, ReturnedBuffersReachTheAnalysisWhenItIsSwitchedOn) {
  CountingLedDisplay led;
  SetLedDisplay(&led);
  OpenThroughDialog(WriteWav("a.wav", 10000));
  SetShowAnalyzerFlag(true);
  model.tbPlayClick();
  device->PlayNext();
  EXPECT_EQ(led.copies, 1);  // one 8192-byte buffer is one analysed block
  SetShowAnalyzerFlag(false);
  device->PlayNext();
  EXPECT_EQ(led.copies, 1);
  SetLedDisplay(nullptr);
}

TEST_F(MainPlaybackTest, StoppingAndFinishingClearTheAnalyzer) {
  OpenThroughDialog(WriteWav("a.wav", 10000));
  model.tbPlayClick();
  device->PlayNext();
  EXPECT_EQ(clearDisplays, 0);
  model.tbStopClick();
  EXPECT_GE(clearDisplays, 1);
  EXPECT_EQ(model.CurPos, 0);
  const int afterStop = clearDisplays;
  model.tbPlayClick();
  device->PlayAll();
  EXPECT_EQ(clearDisplays, afterStop + 1);
  EXPECT_EQ(model.CurPos, 10000);
}

TEST_F(MainPlaybackTest, TheEngineUnplugsWhenDestroyed) {
  OpenThroughDialog(WriteWav("a.wav", 10000));
  model.tbPlayClick();
  ASSERT_TRUE(model.Playing());
  playback.reset();
  EXPECT_FALSE(model.Playing());
  model.tbPlayClick();
  model.WMKeyDown('P');
  EXPECT_EQ(model.CurPos, 10000);
}
