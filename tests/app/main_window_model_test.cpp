// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's model without widgets or a device: positions, marks and bar,
// what the play commands hand the engine, nudges, the drag, opening and value entry.
#include "app/main_window_model.h"

#include <gtest/gtest.h>

#include "app/key_table.h"
#include "audio/mp3_scan_index.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

// Records what the model hands the engine: "start@end " per start, "stop ".
class FakePlayback : public PlaybackHooks {
 public:
  bool playing = false;
  std::string calls;
  bool Playing() const override { return playing; }
  void StartPlayback(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
                     int32_t endMs) override {
    EXPECT_EQ(fileName + std::to_string(info.SampleRate), "/music/song.mp344100");
    calls += std::to_string(startMs) + "@" + std::to_string(endMs) + " ";
    playing = true;
  }
  void StartJoinedPlayback(const std::string& fileName, const AudioFileInfo& info,
                           uint32_t firstStartMs, int32_t firstEndMs, uint32_t thenStartMs,
                           int32_t endMs) override {
    StartPlayback(fileName, info, firstStartMs, endMs);  // "start@end ", then the join inside
    calls.insert(calls.rfind('@'),
                 "-" + std::to_string(firstEndMs) + "+" + std::to_string(thenStartMs));
  }
  void StopPlayback() override { calls += "stop ", playing = false; }
};

class MainWindowModelTest : public ::testing::Test {
 protected:
  MainWindowModelTest() { model.SetPlayback(&playback); }
  void OpenFile(int32_t lengthMs, const std::string& path = "/music/song.mp3",
                AudioFileInfo info = {AudioFileInfo::kTypeMp3, 44100, 2, 128, 0}) {
    info.LengthMs = lengthMs;
    model.SetFileProbe([info](const std::string&, AudioFileInfo& out, Dialogs&) {
      out = info;
      return true;
    });
    model.LoadFile(path);
  }
  void At(int32_t positionMs) { model.CurPos = positionMs, model.ShowPosition(); }
  void Marks(int32_t beginMs, int32_t endMs) {
    At(beginMs), model.tbMarkbeginClick();
    At(endMs), model.tbMarkendClick();
  }
  void Playing(int32_t endMs) { playback.playing = true, model.PlayEndMs = endMs; }
  // "Begin Pos : .. | End Pos : .. | Length : .. | bar left+width".
  std::string Selection() const {
    return display.lbBeginPos + " | " + display.lbEndPos + " | " + display.lbLenExport + " | " +
           std::to_string(display.selectionLeft) + "+" + std::to_string(display.selectionWidth);
  }
  ScriptedDialogs dialogs;
  FakePlayback playback;
  MainWindowModel model{dialogs};
  const MainDisplay& display = model.Display();
};

}  // namespace

TEST_F(MainWindowModelTest, PositionClampsAndMarksRedrawTheirLabelsAndTheBar) {
  At(5000);  // no file: the position is kept, neither shown nor placed
  EXPECT_EQ(model.CurPos, 5000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  model.tbMarkendClick();
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 5000 ms | Length : 5000 ms | 31+0");
  OpenFile(340000);
  At(400000);
  EXPECT_EQ(display.lbCurPos + " " + std::to_string(display.TrackButtonLeft),
            "Current Pos : 340000 ms 356");
  At(-20);
  EXPECT_EQ(std::to_string(model.CurPos) + " " + std::to_string(display.TrackButtonLeft), "0 16");
  Marks(10000, 20000);
  EXPECT_EQ(Selection(), "Begin Pos : 10000 ms | End Pos : 20000 ms | Length : 10000 ms | 41+10");
  At(30000);
  model.tbMarkbeginClick();  // crossed: the bar keeps its left edge
  EXPECT_EQ(Selection(), "Begin Pos : 30000 ms | End Pos : 20000 ms | Length : 0 ms | 41+0");
  model.tbMarkallClick();
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 340000 ms | Length : 340000 ms | 31+340");
  model.SetMarks(30000, 20000);  // a drag on the waveform keeps them in order and in the file
  EXPECT_EQ(Selection(), "Begin Pos : 30000 ms | End Pos : 30000 ms | Length : 0 ms | 31+0");
  model.SetMarks(-5, 400000);
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 340000 ms | Length : 340000 ms | 31+340");
}

TEST_F(MainWindowModelTest, PlayCommandsStartWhereTheyShould) {
  OpenFile(60000);
  At(60000);
  model.tbPlayClick();  // from the end: from 0
  model.tbStopClick();
  At(1234);
  model.tbStopClick();  // stopped: keeps the position
  EXPECT_EQ(model.CurPos, 1234);
  Marks(1000, 2000);
  for (const int32_t curPos : {1500, 1999, 2000, 2500, 500}) {  // inside the marks, else at begin
    At(curPos);
    model.tbPlayselectedClick();
  }
  Marks(5000, 4000);
  model.tbPlayselectedClick();  // crossed marks play nothing
  model.WMKeyDown(kVirtualKeyReturn);
  model.tbPauseClick();  // after Play selected to the end of the file
  EXPECT_EQ(playback.calls,
            "0@60000 stop 1500@2000 1999@2000 1000@2000 1000@2000 1000@2000 "
            "stop 4000@60000 ");
}

// Z, X and C: 2 s previews of the piece's begin and end and of the join around it, shorter
// where the piece or the file ends; crossed marks play nothing, C also plays around no piece.
TEST_F(MainWindowModelTest, PreviewsPlayTheBeginTheEndAndTheJoinOfTheCut) {
  OpenFile(60000);
  const auto hear = [&](int32_t beginMs, int32_t endMs) {
    Marks(beginMs, endMs);
    playback.calls.clear();
    for (const int key : {'Z', 'X', 'C'}) model.WMKeyDown(key);
    return playback.calls + std::to_string(model.CurPos) + "/" + std::to_string(model.PlayEndMs);
  };
  EXPECT_EQ(hear(10000, 30000), "10000@12000 28000@30000 8000-10000+30000@32000 8000/32000");
  EXPECT_EQ(hear(1000, 2500), "1000@2500 1000@2500 0-1000+2500@4500 0/4500");
  EXPECT_EQ(hear(59000, 60000), "59000@60000 59000@60000 57000-59000+60000@60000 57000/60000");
  EXPECT_EQ(hear(5000, 5000), "3000-5000+5000@7000 3000/7000");
  EXPECT_EQ(hear(5000, 4000), "4000/7000");
}

TEST_F(MainWindowModelTest, NudgesClampWithoutWrappingAndRestartAtTheHandlePixel) {
  model.WMKeyDown('P');  // no file: stays 0
  const int32_t noFile = model.CurPos;
  OpenFile(30000);
  model.CurPos = 25000;
  model.WMKeyDown('P');
  EXPECT_EQ(noFile, 0);
  EXPECT_EQ(model.CurPos, 30000);
  model.Nudge(-100000);
  EXPECT_EQ(model.CurPos, 0);
  OpenFile(INT32_MAX);
  model.CurPos = INT32_MAX - 5;
  model.Nudge(10000);
  EXPECT_EQ(model.CurPos, INT32_MAX);
  OpenFile(340000);
  At(50300);
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50301);  // stopped: exact
  Playing(340000);
  model.WMKeyDown('Y');
  EXPECT_EQ(playback.calls, "50000@340000 ");
}

TEST_F(MainWindowModelTest, DragFollowsThePointerIgnoresPlaybackAndRestartsOnRelease) {
  OpenFile(340000);
  Playing(340000);
  model.imTrackButtonMouseDown(100);
  model.imTrackButtonMouseMove(5000);
  EXPECT_EQ(std::to_string(model.CurPos) + " " + std::to_string(display.TrackButtonLeft),
            "340000 356");
  model.imTrackButtonMouseMove(200);  // Left 116: 100000 ms
  model.PlayedTo(7000);               // the engine moves CurPos, the display stays
  EXPECT_EQ(display.lbCurPos, "Current Pos : 100000 ms");
  model.imTrackButtonMouseUp();
  model.imTrackButtonMouseMove(5000);  // released: nothing
  model.PlayedTo(7000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 7000 ms");
  model.imTrackBarMouseDown(65, 900);  // on the bar: the handle centres there, Left 16 + 65 - 15
  EXPECT_EQ(display.lbCurPos, "Current Pos : 50000 ms");
  model.imTrackButtonMouseMove(901);  // and follows the pointer
  model.imTrackButtonMouseUp();
  EXPECT_EQ(playback.calls, "100000@340000 51000@340000 ");
}

TEST_F(MainWindowModelTest, OpeningStopsPlaybackFillsTheLabelsAndResetsPositionAndMarks) {
  OpenFile(100000);
  Marks(20000, 40000);
  playback.playing = true;
  OpenFile(183456, "/home/me/long name.wav", {AudioFileInfo::kTypeWav, 22050, 1, 352, 0});
  EXPECT_EQ(playback.calls, "stop ");  // and plays nothing
  EXPECT_EQ(display.lbFileName + " | " + display.lbFileType + " | " + display.lbBitrate + " | " +
                display.lbChannel + " | " + display.lbSample,
            "File Name : long name.wav | File Type : WAV | Bitrate : 352 kbps | Channels : Mono | "
            "Sample Rate : 22050");
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 0 ms | Length : 0 ms | 99+0");
  // A probe that fails (and may have emptied the record it was given) leaves
  // the previous file in effect: name, length, position, marks and bar.
  Marks(0, 20000);
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs&) {
    info = AudioFileInfo{};
    return false;
  });
  model.OpenDroppedFiles({"/tmp/a.ogg", "/tmp/b.mp3"});
  EXPECT_EQ(model.FileName + " " + display.lbFileName + " " +
                std::to_string(model.FileInfo.LengthMs) + " " + std::to_string(model.CurPos),
            "/home/me/long name.wav File Name : long name.wav 183456 20000");
  At(30000);
  model.tbMarkendClick();
  EXPECT_EQ(display.selectionWidth, 56);  // still scaled to the previous file's length
  // An empty file (length 0) shows the zero position, not the last file's.
  model.SetUseSecondChecked(true);
  OpenFile(0, "/music/empty.wav");
  EXPECT_EQ(display.lbCurPos + " " + std::to_string(display.TrackButtonLeft),
            "Current Pos : 00:00:00 16");
}

// Value entry, one command after the other: "prompt=offered", CurPos, marks and
// the four labels' values. A refused text and Cancel change nothing.
TEST_F(MainWindowModelTest, ValueEntryParsesClampsAndRendersEveryLabel) {
  using M = MainWindowModel;
  const auto enter = [&](void (M::*command)(), std::optional<std::string> typed) {
    dialogs.inputAnswers = {typed};
    (model.*command)();
    EXPECT_EQ(dialogs.inputs.back().caption, "Input");
    std::string state = dialogs.inputs.back().prompt + "=" + dialogs.inputs.back().defaultText +
                        " " + std::to_string(model.CurPos) + " " + std::to_string(model.MarkBegin) +
                        "-" + std::to_string(model.MarkEnd);
    for (const std::string* label :
         {&display.lbCurPos, &display.lbBeginPos, &display.lbEndPos, &display.lbLenExport})
      state += "|" + label->substr(label->find(" : ") + 3);
    return state;
  };
  // No file: the position is kept, not shown.
  EXPECT_EQ(enter(&M::lbCurPosClick, "-5"),
            "Current Position(milliseconds)=0 -5 0-0|0 ms|0 ms|0 ms|0 ms");
  OpenFile(50000);
  model.SetUseSecondChecked(true);
  Marks(30000, 10000);  // crossed: the length offered is 0, and S says why it does nothing
  model.tbExportClick();
  EXPECT_EQ(enter(&M::lbLenExportClick, "5"),
            "Mark Length(seconds)=0 10000 30000-35000|00:00:10|00:00:30|00:00:35|00:00:05");
  EXPECT_EQ(enter(&M::lbEndPosClick, "2147483647"),
            "Mark End Position(seconds)=35 10000 30000-50000|00:00:10|00:00:30|00:00:50|00:00:20");
  // Beyond 32 bits in milliseconds: refused.
  EXPECT_EQ(enter(&M::lbCurPosClick, "2147484"),
            "Current Position(seconds)=10 10000 30000-50000|00:00:10|00:00:30|00:00:50|00:00:20");
  EXPECT_EQ(
      enter(&M::lbBeginPosClick, std::nullopt),
      "Mark Begin Position(seconds)=30 10000 30000-50000|00:00:10|00:00:30|00:00:50|00:00:20");
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, kEndBeforeBeginMessage);
  EXPECT_EQ(dialogs.messages[1].text + dialogs.messages[1].caption,
            "please just input numbersSnipola");
  At(14567);  // confirming the offered whole seconds keeps the milliseconds
  EXPECT_EQ(enter(&M::lbCurPosClick, "14"),
            "Current Position(seconds)=14 14567 30000-50000|00:00:14|00:00:30|00:00:50|00:00:20");
}

// The background scan, with a fake in place of the worker: "start:file#serial ", "stop ".
class FakeScanner : public ScanHooks {
 public:
  std::string calls;
  std::shared_ptr<Mp3ScanIndex> StartScan(const std::string& fileName, uint32_t serial) override {
    calls += "start:" + fileName + "#" + std::to_string(serial) + " ";
    return std::make_shared<Mp3ScanIndex>();
  }
  void StopScan() override { calls += "stop "; }
};

TEST_F(MainWindowModelTest, AScanShowsItsShareLimitsPlaybackAndEndsInTheExactLength) {
  FakeScanner scanner;
  model.SetScanner(&scanner);
  OpenFile(600000);
  EXPECT_EQ(scanner.calls, "stop start:/music/song.mp3#1 ");
  EXPECT_EQ(display.lbLength, "Length : scanning 0 %");
  model.ScanProgress(1, 43, 100000);
  model.ScanProgress(7, 90, 500000);  // another file's report
  EXPECT_EQ(display.lbLength + " " + std::to_string(model.ScannedMs()),
            "Length : scanning 43 % 100000");
  At(100000);
  model.tbPlayClick();  // as far as the scan has passed
  model.tbStopClick();
  At(100001);
  model.tbPlayClick();  // beyond it: a note, nothing plays
  EXPECT_EQ(playback.calls, "100000@600000 stop ");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "The file is still being scanned (43 %): playback can start up to 100000 ms now, "
            "and anywhere when the scan ends.");
  // The end makes length, bitrate, marks and the play end exact; the running
  // playback goes on.
  Marks(1000, 590000);
  Playing(600000);
  model.ScanFinished(1, true, 580000, 111, 25578000);
  EXPECT_EQ(playback.calls, "100000@600000 stop ");
  EXPECT_EQ(display.lbLength + " | " + display.lbBitrate + " | " + std::to_string(model.PlayEndMs),
            "Length : 580000 ms | Bitrate : 111 kbps | 580000");
  EXPECT_EQ(Selection(), "Begin Pos : 1000 ms | End Pos : 580000 ms | Length : 579000 ms | 32+339");
  EXPECT_FALSE(model.Scanning());
  // Opening another file during its scan stops it; a late report of the old
  // one changes nothing, and a scan that fails keeps the estimate.
  OpenFile(300000, "/music/other.mp3");
  model.ScanFinished(1, true, 1234, 1, 54419);
  EXPECT_EQ(display.lbLength, "Length : scanning 0 %");
  model.ScanFinished(2, false, 0, 0, 0);
  EXPECT_EQ(display.lbLength, "Length : 300000 ms");
  // A longer exact length takes an end mark at the estimated end along, and only that one.
  for (const int32_t endMs : {300000, 299999}) {
    OpenFile(300000);
    Marks(0, endMs);
    model.ScanFinished(model.FileSerial, true, 310000, 128, 13671000);
    EXPECT_EQ(model.MarkEnd, endMs == 300000 ? 310000 : endMs);
  }
  model.SetScanner(nullptr);
}

// K opens the split dialog for an open file whose length is known; the dialog's points sit on
// the selection bar's row where the handle's centre would stand, until another file opens.
TEST_F(MainWindowModelTest, KSplitsAMeasuredFileAndItsPointsSitOnTheBar) {
  int opened = 0;
  model.SetSplitCommand([&] { ++opened; });
  model.WMKeyDown('K');  // no file
  OpenFile(10000);
  model.SplitClick();  // no audio known
  FakeScanner scanner;
  model.SetScanner(&scanner);
  OpenFile(10000);
  model.WMKeyDown('K');  // still scanning: a note
  EXPECT_EQ(dialogs.LastMessageText(), kSplitWhileScanningMessage);
  EXPECT_EQ(opened, 0);
  model.ScanFinished(model.FileSerial, true, 10000, 128, 441000);
  model.SplitClick();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  model.SetScanner(nullptr);

  model.SetSplitPoints({SampleIndex(220500), SampleIndex(4410), SampleIndex(441000)});
  EXPECT_EQ(display.splitPointXs, (std::vector<int>{201, 16 + 3 + 15, 371}));
  EXPECT_EQ(model.SplitPoints().size(), 3u);
  OpenFile(10000);
  EXPECT_TRUE(model.SplitPoints().empty() && display.splitPointXs.empty());
}

// G and H on a WAV of one level with a pause at 1000..1100 ms: a mark beside it moves into it,
// never past the other mark; elsewhere nothing is quieter.
TEST_F(MainWindowModelTest, MarksMoveToTheQuietWithoutPassingEachOther) {
  TempDir dir;
  const std::string path = dir.File("pause.wav");
  std::vector<int16_t> samples(2 * 88200);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = i / 2 % 2 ? 1000 : -1000;
  std::fill(samples.begin() + 2 * 44100, samples.begin() + 2 * 48510, 0);
  WriteWavFile(path, 44100, 2, samples);
  OpenFile(2000, path, {AudioFileInfo::kTypeWav, 44100, 2, 1411, 0, SampleIndex(88200)});
  const auto quiet = [&](int32_t beginMs, int32_t endMs) {
    Marks(beginMs, endMs);
    model.WMKeyDown('G');
    model.WMKeyDown('H');
    return std::to_string(model.MarkBegin) + "-" + std::to_string(model.MarkEnd);
  };
  EXPECT_EQ(quiet(1250, 1900), "1090-1900");
  EXPECT_EQ(quiet(700, 850), "700-1010");
  EXPECT_EQ(quiet(850, 900), "900-1010");     // the begin stops at the end, which then moves
  EXPECT_EQ(quiet(1092, 1250), "1092-1092");  // in the pause the begin stays; the end stops at it
  EXPECT_EQ(display.lbBeginPos + " " + display.lbEndPos, "Begin Pos : 1092 ms End Pos : 1092 ms");
}
