// The main window's model without widgets or a device: positions, marks, the
// bar, jumps, nudges, the drag, the unit switch, opening files, value entry,
// and the four play commands' decisions (what is handed to the engine).
#include "app/main_window_model.h"

#include <gtest/gtest.h>

#include "app/key_table.h"
#include "spectrum/led.h"
#include "support/scripted_dialogs.h"

namespace {

// Records what the model hands the engine: "start@end" per start, "stop".
class FakePlayback : public PlaybackHooks {
 public:
  bool playing = false;
  std::vector<std::string> calls;
  bool Playing() const override { return playing; }
  void StartPlayback(const std::string& fileName, const AudioFileInfo& info, uint32_t startMs,
                     int32_t endMs) override {
    EXPECT_EQ(fileName, "/music/song.mp3");
    EXPECT_EQ(info.SampleRate, 44100);
    calls.push_back(std::to_string(startMs) + "@" + std::to_string(endMs));
    playing = true;
  }
  void StopPlayback() override {
    calls.push_back("stop");
    playing = false;
  }
};

class FakeView : public MainWindowView {
 public:
  int changes = 0;
  bool visible = false;
  bool analyzerExists = false;
  std::optional<bool> analyzerVisible;
  int groupBoxFocus = 0;
  void DisplayChanged() override { ++changes; }
  bool WindowVisible() const override { return visible; }
  void FocusGroupBox1() override { ++groupBoxFocus; }
  bool AnalyzerExists() const override { return analyzerExists; }
  void SetAnalyzerVisible(bool shown) override { analyzerVisible = shown; }
};

AudioFileInfo Mp3Info(int32_t lengthMs) { return {AudioFileInfo::kTypeMp3, 44100, 2, 128, lengthMs}; }

class MainWindowModelTest : public ::testing::Test {
 protected:
  MainWindowModelTest() {
    model.SetView(&view);
    model.SetPlayback(&playback);
  }
  void OpenFile(int32_t lengthMs, const std::string& path = "/music/song.mp3") {
    model.SetFileProbe([lengthMs](const std::string&, AudioFileInfo& info, Dialogs&) {
      info = Mp3Info(lengthMs);
      return true;
    });
    model.LoadFile(path);
  }
  void Seconds(bool on) { model.SetUseSecondChecked(on); }
  void At(int32_t positionMs) {
    model.CurPos = positionMs;
    model.ShowPosition();
  }
  void Marks(int32_t beginMs, int32_t endMs) {
    At(beginMs);
    model.tbMarkbeginClick();
    At(endMs);
    model.tbMarkendClick();
  }

  ScriptedDialogs dialogs;
  FakeView view;
  FakePlayback playback;
  MainWindowModel model{dialogs};
  const MainDisplay& display = model.Display();
};

using Calls = std::vector<std::string>;

}  // namespace

TEST_F(MainWindowModelTest, SettingsDecideTheCheckBoxesTheMenuMarksAndTheAnalysis) {
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_TRUE(display.cbShowSpecChecked);
  model.ApplySettings(DisplaySettings{});
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_FALSE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  EXPECT_FALSE(view.analyzerVisible.has_value());  // no analyzer window yet
  EXPECT_FALSE(ShowAnalyzerFlag());
  model.ApplySettings(DisplaySettings{false, true});
  EXPECT_TRUE(ShowAnalyzerFlag());
  EXPECT_TRUE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

TEST_F(MainWindowModelTest, ShowPositionClampsAndPlacesTheHandleAndNeedsAFile) {
  model.CurPos = 5000;
  model.ShowPosition();
  EXPECT_EQ(model.CurPos, 5000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  OpenFile(340000);
  for (const auto& [positionMs, shownMs, left] :
       {std::tuple{1500, 1500, 18}, {400000, 340000, 356}, {-20, 0, 16}}) {
    At(positionMs);
    EXPECT_EQ(model.CurPos, shownMs);
    EXPECT_EQ(display.TrackButtonLeft, left);
  }
}

TEST_F(MainWindowModelTest, MarksPlaceTheBarAndCrossedMarksShowZeroLength) {
  OpenFile(340000);
  Marks(10000, 20000);
  EXPECT_EQ(display.selectionLeft, 41);
  EXPECT_EQ(display.selectionWidth, 10);
  EXPECT_EQ(display.lbLenExport, "Length : 10000 ms");
  At(30000);
  model.tbMarkbeginClick();
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 30000 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
  EXPECT_EQ(display.selectionWidth, 0);
  EXPECT_EQ(display.selectionLeft, 41);
}

TEST_F(MainWindowModelTest, MarkAllSpansTheFileAndRedrawsBothMarkLabels) {
  OpenFile(183456);
  Marks(5000, 9000);
  model.tbMarkallClick();
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 0 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 183456 ms");
  EXPECT_EQ(display.selectionLeft, 31);
  EXPECT_EQ(display.selectionWidth, 340);
  Seconds(true);
  EXPECT_EQ(display.lbLenExport, "Length : 00:03:03");
}

TEST_F(MainWindowModelTest, MarksWithoutAFileShowTheirLengthButNoBar) {
  model.CurPos = 5000;
  model.tbMarkendClick();
  EXPECT_EQ(display.lbLenExport, "Length : 5000 ms");
  EXPECT_EQ(display.selectionWidth, 0);
}

// ---------------------------------------------------------------------------
// The play commands and what the other commands do to a playback

TEST_F(MainWindowModelTest, PlayPlaysToTheEndAndRewindsFromTheEnd) {
  OpenFile(60000);
  At(60000);
  model.tbPlayClick();
  At(1234);
  model.tbPlayClick();
  EXPECT_EQ(playback.calls, (Calls{"0@60000", "1234@60000"}));
}

TEST_F(MainWindowModelTest, PauseStopsOrPlaysToTheEndEvenAfterPlaySelected) {
  OpenFile(60000);
  Marks(1000, 2000);
  model.tbPlayselectedClick();
  EXPECT_EQ(model.PlayEndMs, 2000);
  model.WMKeyDown(kVirtualKeyReturn);
  model.CurPos = 1500;  // where the engine left it
  model.tbPauseClick();
  EXPECT_EQ(playback.calls, (Calls{"1000@2000", "stop", "1500@60000"}));
}

TEST_F(MainWindowModelTest, StopRewindsOnlyARunningPlayback) {
  OpenFile(60000);
  At(1234);
  model.tbStopClick();
  EXPECT_EQ(model.CurPos, 1234);
  playback.playing = true;
  model.tbStopClick();
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(playback.calls, (Calls{"stop"}));
}

TEST_F(MainWindowModelTest, PlaySelectedStartsInsideTheMarksOrAtTheirBegin) {
  OpenFile(60000);
  Marks(1000, 2000);
  for (const int32_t curPos : {1500, 1000, 1999, 2000, 2500, 500}) {
    At(curPos);
    model.tbPlayselectedClick();
  }
  EXPECT_EQ(playback.calls, (Calls{"1500@2000", "1000@2000", "1999@2000", "1000@2000",
                                   "1000@2000", "1000@2000"}));
  EXPECT_EQ(display.lbCurPos, "Current Pos : 1000 ms");
  playback.calls.clear();
  Marks(3000, 3000);
  model.tbPlayselectedClick();
  Marks(5000, 4000);
  model.tbPlayselectedClick();
  EXPECT_TRUE(playback.calls.empty());
  EXPECT_EQ(model.PlayEndMs, 2000);
}

TEST_F(MainWindowModelTest, JumpsToABeginRestartAndJumpsToAnEndStop) {
  OpenFile(60000);
  Marks(12345, 30000);
  model.tbJumpmarkbeginClick();
  model.tbJumpendClick();
  EXPECT_TRUE(playback.calls.empty()) << "nothing plays: jumps only move the position";
  playback.playing = true;
  model.PlayEndMs = 60000;
  model.tbJumpmarkbeginClick();
  model.tbJumpBeginClick();
  model.tbJumpmarkendClick();
  EXPECT_EQ(model.CurPos, 30000);
  playback.playing = true;
  model.tbJumpendClick();
  EXPECT_EQ(model.CurPos, 60000);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  playback.playing = true;
  model.tbMarkallClick();
  EXPECT_EQ(playback.calls, (Calls{"12345@60000", "0@60000", "stop", "stop"}));
}

TEST_F(MainWindowModelTest, WithoutAnEngineNothingPlays) {
  model.SetPlayback(nullptr);
  OpenFile(60000);
  model.WMKeyDown(kVirtualKeyReturn);
  model.tbPlayselectedClick();
  EXPECT_FALSE(model.Playing());
}

// ---------------------------------------------------------------------------
// Nudges, keys and the handle

TEST_F(MainWindowModelTest, NudgesClampToTheFileWithoutWrapping) {
  std::vector<int32_t> positions;
  model.WMKeyDown('P');  // no file: stays 0
  positions.push_back(model.CurPos);
  OpenFile(30000);
  for (int i = 0; i < 4; ++i) {
    model.WMKeyDown('P');
    positions.push_back(model.CurPos);
  }
  model.CurPos = 500;
  model.WMKeyDown(VirtualKeyForNudgeTag(1));  // W: -1000
  positions.push_back(model.CurPos);
  EXPECT_EQ(positions, (std::vector<int32_t>{0, 10000, 20000, 30000, 30000, 0}));
  OpenFile(INT32_MAX);
  model.CurPos = INT32_MAX - 5;
  model.Nudge(10000);
  EXPECT_EQ(model.CurPos, INT32_MAX);
}

TEST_F(MainWindowModelTest, ANudgeWhilePlayingRestartsAtTheHandlePixel) {
  OpenFile(340000);
  At(50300);
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50301);  // stopped: exact
  playback.playing = true;
  model.PlayEndMs = 340000;
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50000);
  EXPECT_EQ(playback.calls, (Calls{"50000@340000"}));
}

TEST_F(MainWindowModelTest, KeysRunTheirCommands) {
  OpenFile(60000);
  int exports = 0;
  model.SetExportCommand([&exports] { ++exports; });
  model.CurPos = 7000;
  model.WMKeyDown('B');
  model.CurPos = 9000;
  model.WMKeyDown('N');
  model.WMKeyDown(kVirtualKeyUp);
  EXPECT_EQ(model.CurPos, 7000);
  model.WMKeyDown(kVirtualKeyDown);
  EXPECT_EQ(model.CurPos, 9000);
  model.WMKeyDown(kVirtualKeyLeft);
  EXPECT_EQ(model.CurPos, 4000);
  model.WMKeyDown('S');
  model.WMKeyDown('b');  // not a virtual-key code of the table
  EXPECT_EQ(model.MarkBegin, 7000);
  model.WMKeyDown('A');
  EXPECT_EQ(model.MarkEnd, 60000);
  EXPECT_EQ(exports, 1);
}

TEST_F(MainWindowModelTest, DragFollowsThePointerIgnoresPlaybackAndRestartsOnRelease) {
  OpenFile(340000);
  model.imTrackButtonMouseMove(5000);  // no press: nothing
  EXPECT_EQ(display.TrackButtonLeft, 16);
  playback.playing = true;
  model.PlayEndMs = 340000;
  model.imTrackButtonMouseDown(100);
  model.imTrackButtonMouseMove(5000);
  EXPECT_EQ(model.CurPos, 340000);
  model.imTrackButtonMouseMove(-5000);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  model.imTrackButtonMouseMove(200);  // Left 116: 100000 ms
  model.PlayedTo(7000);  // the engine moves CurPos, the display stays
  EXPECT_EQ(display.lbCurPos, "Current Pos : 100000 ms");
  model.imTrackButtonMouseUp();
  EXPECT_EQ(playback.calls, (Calls{"100000@340000"}));
  model.PlayedTo(7000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 7000 ms");
}

TEST_F(MainWindowModelTest, DragWithoutAFileMovesTheHandleButKeepsThePosition) {
  model.CurPos = 1234;
  model.imTrackButtonMouseDown(0);
  model.imTrackButtonMouseMove(40);
  EXPECT_EQ(display.TrackButtonLeft, 56);
  EXPECT_EQ(model.CurPos, 1234);
}

// ---------------------------------------------------------------------------
// Unit switch and analyzer toggle

TEST_F(MainWindowModelTest, UnitSwitchRendersEveryLabelWithoutClampingAndMovesTheFocus) {
  OpenFile(183456);
  Marks(61000, 3723);
  const int handle = display.TrackButtonLeft;
  view.visible = true;
  Seconds(true);
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_EQ(display.lbLength, "Length : 00:03:03");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:03");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 00:01:01");
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  EXPECT_EQ(display.TrackButtonLeft, handle);
  EXPECT_EQ(view.groupBoxFocus, 1);
  model.Representwithsecond1Click();
  EXPECT_FALSE(display.cbUseSecondChecked);
  EXPECT_FALSE(display.Representwithsecond1Checked);
  EXPECT_EQ(display.lbEndPos, "End Pos : 3723 ms");
}

TEST_F(MainWindowModelTest, AnalyzerToggleActsOnlyOnceTheAnalyzerExists) {
  model.ApplySettings(DisplaySettings{true, true});
  model.SetShowSpecChecked(false);
  EXPECT_TRUE(model.ShowSpec);
  EXPECT_FALSE(view.analyzerVisible.has_value());
  view.analyzerExists = true;
  model.ShowSpectrumanalyzer1Click();
  EXPECT_EQ(view.analyzerVisible, true);
  model.ShowSpectrumanalyzer1Click();
  EXPECT_FALSE(display.cbShowSpecChecked);
  EXPECT_FALSE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_FALSE(ShowAnalyzerFlag());
  EXPECT_EQ(view.analyzerVisible, false);
}

// ---------------------------------------------------------------------------
// Opening files

TEST_F(MainWindowModelTest, OpeningStopsPlaybackFillsTheLabelsAndResetsPositionAndMarks) {
  OpenFile(100000);
  Marks(20000, 40000);
  playback.playing = true;
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs&) {
    info = {AudioFileInfo::kTypeWav, 22050, 1, 352, 183456};
    return true;
  });
  model.LoadFile("/home/me/long name.wav");
  EXPECT_EQ(playback.calls, (Calls{"stop"}));
  EXPECT_EQ(display.lbFileName, "File Name : long name.wav");
  EXPECT_EQ(display.lbFileType, "File Type : WAV");
  EXPECT_EQ(display.lbBitrate, "Bitrate : 352 kbps");
  EXPECT_EQ(display.lbChannel, "Channels : Mono");
  EXPECT_EQ(display.lbSample, "Sample Rate : 22050");
  EXPECT_EQ(display.lbEndPos, "End Pos : 0 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
  EXPECT_EQ(model.MarkBegin + model.MarkEnd + model.CurPos, 0);
}

// A WAV whose data chunk is empty opens with length 0: the position reads
// zero and the handle sits at the left end, not where the last file had them.
TEST_F(MainWindowModelTest, OpeningAFileOfLengthZeroShowsTheZeroPosition) {
  Seconds(true);
  OpenFile(340000);
  At(50000);
  OpenFile(0, "/music/empty.wav");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
  EXPECT_EQ(display.TrackButtonLeft, 16);
}

// A probe that fails (and may have emptied the record it was given) leaves
// the previous file in effect: labels, position, marks and bar.
TEST_F(MainWindowModelTest, ARefusedFileLeavesThePreviousFileInEffect) {
  OpenFile(340000);
  Marks(0, 20000);
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs& dialogs) {
    info = AudioFileInfo{};
    dialogs.ShowMessage("We can only accept mp3 and wav file", "Error", MessageIcon::None);
    return false;
  });
  model.OpenDroppedFiles({"/tmp/a.ogg", "/tmp/b.mp3"});
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(model.FileName, "/music/song.mp3");
  EXPECT_EQ(model.FileInfo, Mp3Info(340000));
  EXPECT_EQ(display.lbFileName, "File Name : song.mp3");
  EXPECT_EQ(model.CurPos, 20000);
  At(30000);
  model.tbMarkendClick();
  EXPECT_EQ(display.selectionWidth, 30);
}

TEST_F(MainWindowModelTest, OpenDialogCommandLineAndNoProbe) {
  model.tbOpenFileClick();
  EXPECT_TRUE(dialogs.openFilters.empty()) << "no probe: opening is switched off";
  OpenFile(100000);
  dialogs.openAnswers = {std::nullopt, "/music/other.mp3"};
  model.tbOpenFileClick();
  EXPECT_EQ(model.FileName, "/music/song.mp3");
  model.WMKeyDown('L');
  EXPECT_EQ(dialogs.openFilters, (Calls{"Mp3/Wav File|*.mp3;*.wav", "Mp3/Wav File|*.mp3;*.wav"}));
  EXPECT_EQ(display.lbFileName, "File Name : other.mp3");
  model.OpenCommandLineFile({"/a/first.mp3", "/a/second.mp3"});
  model.OpenCommandLineFile({});
  EXPECT_EQ(model.FileName, "/a/first.mp3");
}

// ---------------------------------------------------------------------------
// Value entry: the command, the unit, the file, the state before, what is
// typed; the prompt and the offered text; the state and one label after.
struct EntryCase {
  void (MainWindowModel::*command)();
  bool useSecond;
  int32_t lengthMs, curPos, markBegin, markEnd;
  const char* typed;
  const char* prompt;
  const char* offered;
  int32_t expectCurPos, expectBegin, expectEnd;
  std::string MainDisplay::*label;
  const char* labelText;
  bool refused;
};

class EntryCommandTest : public MainWindowModelTest,
                         public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryCommandTest, ParsesClampsAndRenders) {
  const EntryCase& c = GetParam();
  if (c.lengthMs > 0) OpenFile(c.lengthMs);
  model.CurPos = c.curPos;
  model.ShowPosition();
  model.MarkBegin = c.markBegin;
  model.MarkEnd = c.markEnd;
  // Every label shows the state before, so a label the command forgets is seen.
  Seconds(!c.useSecond);
  Seconds(c.useSecond);
  dialogs.inputAnswers = {std::string(c.typed)};
  (model.*c.command)();
  ASSERT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_EQ(dialogs.inputs[0].caption, "Input");
  EXPECT_EQ(dialogs.inputs[0].prompt, c.prompt);
  EXPECT_EQ(dialogs.inputs[0].defaultText, c.offered);
  EXPECT_EQ(model.CurPos, c.expectCurPos);
  EXPECT_EQ(model.MarkBegin, c.expectBegin);
  EXPECT_EQ(model.MarkEnd, c.expectEnd);
  EXPECT_EQ(dialogs.LastMessageText(), c.refused ? "please just input numbers" : "");
  if (c.refused) {
    EXPECT_EQ(dialogs.messages[0].caption, "Snipola");
  }
  EXPECT_EQ(display.*c.label, c.labelText);
}

using M = MainWindowModel;
using D = MainDisplay;
INSTANTIATE_TEST_SUITE_P(
    Entries, EntryCommandTest,
    ::testing::Values(
        EntryCase{&M::lbCurPosClick, true, 5000000, 3723456, 0, 0, "60",
                  "Current Position(seconds)", "3723", 60000, 0, 0, &D::lbCurPos,
                  "Current Pos : 00:01:00", false},
        EntryCase{&M::lbCurPosClick, false, 50000, 100, 0, 0, "-5",
                  "Current Position(milliseconds)", "100", 0, 0, 0, &D::lbCurPos,
                  "Current Pos : 0 ms", false},
        EntryCase{&M::lbCurPosClick, false, 0, 0, 0, 0, "-5", "Current Position(milliseconds)",
                  "0", -5, 0, 0, &D::lbCurPos, "Current Pos : 0 ms", false},
        EntryCase{&M::lbCurPosClick, false, 50000, 0, 0, 0, "2147483647",
                  "Current Position(milliseconds)", "0", 50000, 0, 0, &D::lbCurPos,
                  "Current Pos : 50000 ms", false},
        EntryCase{&M::lbCurPosClick, true, 50000, 1000, 0, 0, "2147484",
                  "Current Position(seconds)", "1", 1000, 0, 0, &D::lbCurPos,
                  "Current Pos : 00:00:01", true},
        EntryCase{&M::lbCurPosClick, true, 50000, 0, 0, 0, "2147483", "Current Position(seconds)",
                  "0", 50000, 0, 0, &D::lbCurPos, "Current Pos : 00:00:50", false},
        EntryCase{&M::lbBeginPosClick, false, 50000, 0, 7000, 0, "-5000",
                  "Mark Begin Position(milliseconds)", "7000", 0, 0, 0, &D::lbBeginPos,
                  "Begin Pos : 0 ms", false},
        EntryCase{&M::lbBeginPosClick, true, 0, 0, 300, 0, "20", "Mark Begin Position(seconds)",
                  "0", 0, 0, 0, &D::lbBeginPos, "Begin Pos : 00:00:00", false},
        EntryCase{&M::lbEndPosClick, true, 50000, 0, 0, 0, "2147483647",
                  "Mark End Position(seconds)", "0", 0, 0, 50000, &D::lbEndPos,
                  "End Pos : 00:00:50", false},
        EntryCase{&M::lbEndPosClick, false, 50000, 0, 20000, 30000, "10000",
                  "Mark End Position(milliseconds)", "30000", 0, 20000, 10000, &D::lbLenExport,
                  "Length : 0 ms", false},
        EntryCase{&M::lbLenExportClick, false, 50000, 0, 10000, 25000, "5000",
                  "Mark Length(milliseconds)", "15000", 0, 10000, 15000, &D::lbLenExport,
                  "Length : 5000 ms", false},
        EntryCase{&M::lbLenExportClick, true, 50000, 0, 30000, 10000, "5", "Mark Length(seconds)",
                  "0", 0, 30000, 35000, &D::lbEndPos, "End Pos : 00:00:35", false},
        EntryCase{&M::lbLenExportClick, false, 50000, 0, 40000, 0, "2147483647",
                  "Mark Length(milliseconds)", "0", 0, 40000, 50000, &D::lbEndPos,
                  "End Pos : 50000 ms", false},
        EntryCase{&M::lbLenExportClick, true, 50000, 0, 10000, 20000, "1.5",
                  "Mark Length(seconds)", "10", 0, 10000, 20000, &D::lbLenExport,
                  "Length : 00:00:10", true}));

TEST_F(MainWindowModelTest, CancelChangesNothingAndSaysNothing) {
  OpenFile(50000);
  dialogs.inputAnswers = {std::nullopt};
  model.lbBeginPosClick();
  EXPECT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(model.MarkBegin, 0);
}
