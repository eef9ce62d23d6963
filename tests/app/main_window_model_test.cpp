#include "app/main_window_model.h"

#include <gtest/gtest.h>

#include "app/key_table.h"
#include "spectrum/led.h"
#include "support/scripted_dialogs.h"

namespace {

// A playback engine that records what the window asks of it. Starting at or
// beyond nothing is checked here: the hooks' callers are under test.
class FakePlayback : public PlaybackHooks {
 public:
  bool playing = false;
  std::vector<uint32_t> starts;
  int stops = 0;
  int pauseClicks = 0;
  int stopClicks = 0;

  bool Playing() const override { return playing; }
  void StartPlayback(uint32_t startMs) override {
    starts.push_back(startMs);
    playing = true;
  }
  void StopPlayback() override {
    ++stops;
    playing = false;
  }
  void tbPauseClick() override { ++pauseClicks; }
  void tbStopClick() override { ++stopClicks; }
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

AudioFileInfo Mp3Info(int32_t lengthMs) {
  return {AudioFileInfo::kTypeMp3, 44100, 2, 128, lengthMs};
}

class MainWindowModelTest : public ::testing::Test {
 protected:
  MainWindowModelTest() {
    model.SetView(&view);
    model.SetPlayback(&playback);
  }

  // Opens a file of the given length through a probe that accepts it.
  void OpenFile(int32_t lengthMs, const std::string& path = "/music/song.mp3") {
    model.SetFileProbe([lengthMs](const std::string&, AudioFileInfo& info, Dialogs&) {
      info = Mp3Info(lengthMs);
      return true;
    });
    model.LoadFile(path);
  }

  void SetSecondsMode(bool on) { model.SetUseSecondChecked(on); }

  ScriptedDialogs dialogs;
  FakeView view;
  FakePlayback playback;
  MainWindowModel model{dialogs};
  const MainDisplay& display = model.Display();
};

}  // namespace

// ---------------------------------------------------------------------------
// Start-up state and settings

TEST_F(MainWindowModelTest, StartsWithTheDesignTextsAndTheTrackGeometry) {
  EXPECT_EQ(display.lbFileName, "File Name : None");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
  EXPECT_FALSE(display.cbUseSecondChecked);
  EXPECT_TRUE(display.cbShowSpecChecked);
  EXPECT_EQ(model.TrackMin, 16);
  EXPECT_EQ(model.TrackMax, 356);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  EXPECT_EQ(display.selectionWidth, 0);
}

TEST_F(MainWindowModelTest, DefaultSettingsSwitchToSecondsAndUntickTheAnalyzer) {
  model.ApplySettings(DisplaySettings{});
  EXPECT_TRUE(model.UseSecond);
  EXPECT_FALSE(model.ShowSpec);
  EXPECT_TRUE(display.cbUseSecondChecked);
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_FALSE(display.cbShowSpecChecked);
  EXPECT_FALSE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
  EXPECT_EQ(display.lbLength, "Length : 00:00:00");
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  // The analyzer is not created yet at this point: nothing is shown or hidden,
  // but the analysis already knows it is off.
  EXPECT_FALSE(view.analyzerVisible.has_value());
  EXPECT_FALSE(ShowAnalyzerFlag());
}

TEST_F(MainWindowModelTest, MillisecondSettingsKeepTheDesignTexts) {
  SetShowAnalyzerFlag(false);
  model.ApplySettings(DisplaySettings{false, true});
  EXPECT_TRUE(ShowAnalyzerFlag());
  EXPECT_FALSE(display.cbUseSecondChecked);
  EXPECT_FALSE(display.Representwithsecond1Checked);
  EXPECT_TRUE(display.cbShowSpecChecked);
  EXPECT_TRUE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_TRUE(model.ShowSpec);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

// ---------------------------------------------------------------------------
// ShowPosition, ShowSelection, handle and bar

TEST_F(MainWindowModelTest, ShowPositionClampsAndPlacesTheHandle) {
  OpenFile(340000);
  model.CurPos = 1500;
  model.ShowPosition();
  EXPECT_EQ(display.TrackButtonLeft, 18);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 1500 ms");
  model.CurPos = 2500;
  model.ShowPosition();
  EXPECT_EQ(display.TrackButtonLeft, 18);
  model.CurPos = 400000;
  model.ShowPosition();
  EXPECT_EQ(model.CurPos, 340000);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  model.CurPos = -20;
  model.ShowPosition();
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(display.TrackButtonLeft, 16);
}

TEST_F(MainWindowModelTest, ShowPositionDoesNothingWithoutAFile) {
  model.CurPos = 5000;
  const int before = view.changes;
  model.ShowPosition();
  EXPECT_EQ(model.CurPos, 5000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(view.changes, before);
}

TEST_F(MainWindowModelTest, MarksPlaceTheSelectionBar) {
  OpenFile(340000);
  model.CurPos = 10000;
  model.tbMarkbeginClick();
  model.CurPos = 20000;
  model.tbMarkendClick();
  EXPECT_EQ(display.selectionLeft, 41);
  EXPECT_EQ(display.selectionWidth, 10);
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 10000 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 20000 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 10000 ms");
}

TEST_F(MainWindowModelTest, CrossedMarksShowZeroLengthAndKeepTheBarsLeftEdge) {
  OpenFile(340000);
  model.CurPos = 10000;
  model.tbMarkbeginClick();
  model.CurPos = 20000;
  model.tbMarkendClick();
  model.CurPos = 30000;
  model.tbMarkbeginClick();  // begin 30000 > end 20000
  EXPECT_EQ(model.MarkBegin, 30000);
  EXPECT_EQ(model.MarkEnd, 20000);
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 30000 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 20000 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
  EXPECT_EQ(display.selectionWidth, 0);
  EXPECT_EQ(display.selectionLeft, 41);
  SetSecondsMode(true);
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
}

TEST_F(MainWindowModelTest, MarksWithoutAFileShowTheirLengthButNoBar) {
  model.CurPos = 5000;  // typed while no file is open
  model.tbMarkendClick();
  EXPECT_EQ(display.lbLenExport, "Length : 5000 ms");
  EXPECT_EQ(display.selectionWidth, 0);
}

TEST_F(MainWindowModelTest, AProbeThatEmptiesItsRecordAndFailsLeavesThePreviousFileInEffect) {
  OpenFile(340000);
  model.CurPos = 20000;
  model.tbMarkendClick();
  ASSERT_EQ(display.selectionWidth, 20);
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs& dialogs) {
    info = AudioFileInfo{};  // a failed probe may empty the record it is given
    dialogs.ShowMessage("Error while open mp3 file", "Error", MessageIcon::None);
    return false;
  });
  EXPECT_FALSE(model.LoadFile("/music/broken.mp3"));
  EXPECT_EQ(model.FileName, "/music/song.mp3");
  EXPECT_EQ(model.FileInfo, Mp3Info(340000));
  EXPECT_EQ(display.lbFileName, "File Name : song.mp3");
  model.CurPos = 30000;
  model.tbMarkendClick();
  EXPECT_EQ(display.lbLenExport, "Length : 30000 ms");
  EXPECT_EQ(display.selectionWidth, 30);
}

TEST_F(MainWindowModelTest, MarkAllSpansTheFile) {
  OpenFile(183456);
  model.CurPos = 1000;
  model.tbMarkallClick();
  EXPECT_EQ(model.MarkBegin, 0);
  EXPECT_EQ(model.MarkEnd, 183456);
  EXPECT_EQ(display.lbLenExport, "Length : 183456 ms");
  EXPECT_EQ(display.selectionLeft, 31);
  EXPECT_EQ(display.selectionWidth, 340);
  SetSecondsMode(true);
  EXPECT_EQ(display.lbLenExport, "Length : 00:03:03");
  EXPECT_EQ(display.lbEndPos, "End Pos : 00:03:03");
}

// ---------------------------------------------------------------------------
// Jumps and playback hooks

TEST_F(MainWindowModelTest, JumpsWhileStoppedOnlyMoveThePosition) {
  OpenFile(60000);
  model.MarkBegin = 12000;
  model.MarkEnd = 24000;
  model.tbJumpmarkendClick();
  EXPECT_EQ(model.CurPos, 24000);
  model.tbJumpmarkbeginClick();
  EXPECT_EQ(model.CurPos, 12000);
  model.tbJumpendClick();
  EXPECT_EQ(model.CurPos, 60000);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  model.tbJumpBeginClick();
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_TRUE(playback.starts.empty());
  EXPECT_EQ(playback.stops, 0);
}

TEST_F(MainWindowModelTest, JumpsToABeginRestartPlaybackThere) {
  OpenFile(60000);
  model.MarkBegin = 12345;
  playback.playing = true;
  model.tbJumpmarkbeginClick();
  model.tbJumpBeginClick();
  EXPECT_EQ(playback.starts, (std::vector<uint32_t>{12345, 0}));
}

TEST_F(MainWindowModelTest, JumpsToAnEndStopPlaybackFirst) {
  OpenFile(60000);
  model.MarkEnd = 30000;
  playback.playing = true;
  model.tbJumpendClick();
  EXPECT_EQ(playback.stops, 1);
  EXPECT_EQ(model.CurPos, 60000);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  playback.playing = true;
  model.tbJumpmarkendClick();
  EXPECT_EQ(playback.stops, 2);
  EXPECT_EQ(model.CurPos, 30000);
  EXPECT_TRUE(playback.starts.empty());
}

TEST_F(MainWindowModelTest, MarksLeaveARunningPlaybackAlone) {
  OpenFile(60000);
  playback.playing = true;
  model.CurPos = 5000;
  model.tbMarkbeginClick();
  model.tbMarkendClick();
  model.tbMarkallClick();
  EXPECT_TRUE(playback.starts.empty());
  EXPECT_EQ(playback.stops, 0);
}

TEST_F(MainWindowModelTest, WithoutAnEngineNothingPlays) {
  model.SetPlayback(nullptr);
  OpenFile(60000);
  EXPECT_FALSE(model.Playing());
  model.WMKeyDown(kVirtualKeyReturn);
  model.tbJumpBeginClick();
  EXPECT_EQ(model.CurPos, 0);
}

// ---------------------------------------------------------------------------
// Nudges and the keyboard table

TEST_F(MainWindowModelTest, HoldingPStopsAtTheEndOfTheFile) {
  OpenFile(30000);
  std::vector<int32_t> positions;
  for (int i = 0; i < 5; ++i) {
    model.WMKeyDown('P');
    positions.push_back(model.CurPos);
  }
  EXPECT_EQ(positions, (std::vector<int32_t>{10000, 20000, 30000, 30000, 30000}));
  EXPECT_EQ(display.lbCurPos, "Current Pos : 30000 ms");
}

TEST_F(MainWindowModelTest, NudgeMenuItemWMovesBackToZero) {
  OpenFile(30000);
  model.CurPos = 500;
  model.WMKeyDown(VirtualKeyForNudgeTag(1));
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

TEST_F(MainWindowModelTest, NudgesWithoutAFileStayAtZero) {
  for (int key : {int{'P'}, int{'O'}, int{'Y'}, kVirtualKeyRight, int{'Q'}}) {
    model.WMKeyDown(key);
    EXPECT_EQ(model.CurPos, 0);
  }
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

TEST_F(MainWindowModelTest, NudgeNearTheThirtyTwoBitLimitDoesNotWrap) {
  model.CurPos = INT32_MAX;  // typed while no file is open
  model.Nudge(10000);
  EXPECT_EQ(model.CurPos, 0);
  OpenFile(INT32_MAX);
  model.CurPos = INT32_MAX - 5;
  model.Nudge(10000);
  EXPECT_EQ(model.CurPos, INT32_MAX);
}

TEST_F(MainWindowModelTest, NudgeWhilePlayingRestartsAtTheHandlePixel) {
  OpenFile(340000);
  model.CurPos = 50300;
  model.ShowPosition();
  playback.playing = true;
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50000);
  EXPECT_EQ(playback.starts, (std::vector<uint32_t>{50000}));
}

TEST_F(MainWindowModelTest, NudgeWhileStoppedIsExact) {
  OpenFile(340000);
  model.CurPos = 50300;
  model.WMKeyDown('Y');
  EXPECT_EQ(model.CurPos, 50301);
  model.WMKeyDown(kVirtualKeyLeft);
  EXPECT_EQ(model.CurPos, 45301);
  EXPECT_TRUE(playback.starts.empty());
}

TEST_F(MainWindowModelTest, KeysRunTheirCommands) {
  OpenFile(60000);
  int exports = 0;
  model.SetExportCommand([&exports] { ++exports; });
  model.CurPos = 7000;
  model.WMKeyDown('B');
  EXPECT_EQ(model.MarkBegin, 7000);
  model.CurPos = 9000;
  model.WMKeyDown('N');
  EXPECT_EQ(model.MarkEnd, 9000);
  model.WMKeyDown(kVirtualKeyUp);
  EXPECT_EQ(model.CurPos, 7000);
  model.WMKeyDown(kVirtualKeyDown);
  EXPECT_EQ(model.CurPos, 9000);
  model.WMKeyDown('A');
  EXPECT_EQ(model.MarkEnd, 60000);
  model.WMKeyDown('S');
  EXPECT_EQ(exports, 1);
  model.WMKeyDown(kVirtualKeyReturn);
  EXPECT_EQ(playback.pauseClicks, 1);
  model.WMKeyDown('Z');
  model.WMKeyDown('b');  // not a virtual-key code of the table
  EXPECT_EQ(model.MarkBegin, 0);
}

// ---------------------------------------------------------------------------
// Dragging the seek handle

TEST_F(MainWindowModelTest, DragFarPastTheEndsStopsAtTheTrackEnds) {
  OpenFile(340000);
  model.imTrackButtonMouseDown(500);
  model.imTrackButtonMouseMove(5000);
  EXPECT_EQ(display.TrackButtonLeft, 356);
  EXPECT_EQ(model.CurPos, 340000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 340000 ms");
  model.imTrackButtonMouseMove(-5000);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  EXPECT_EQ(model.CurPos, 0);
  model.imTrackButtonMouseMove(550);
  EXPECT_EQ(display.TrackButtonLeft, 66);
  model.imTrackButtonMouseUp();
  EXPECT_FALSE(model.DraggingHandle);
  EXPECT_EQ(model.CurPos, 50000);
  EXPECT_TRUE(playback.starts.empty());
}

TEST_F(MainWindowModelTest, MovesWithoutADragDoNothing) {
  OpenFile(340000);
  model.imTrackButtonMouseMove(5000);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  EXPECT_EQ(model.CurPos, 0);
}

TEST_F(MainWindowModelTest, DragWhilePlayingIgnoresPlaybackAndRestartsOnRelease) {
  OpenFile(340000);
  playback.playing = true;
  model.imTrackButtonMouseDown(100);
  model.imTrackButtonMouseMove(200);  // Left 116: 100000 ms
  // A playback notification during the drag moves CurPos but not the display.
  model.CurPos = 7000;
  model.ShowPosition();
  EXPECT_EQ(display.TrackButtonLeft, 116);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 100000 ms");
  model.imTrackButtonMouseUp();
  EXPECT_EQ(model.CurPos, 100000);
  EXPECT_EQ(playback.starts, (std::vector<uint32_t>{100000}));
}

TEST_F(MainWindowModelTest, DragWithoutAFileMovesTheHandleButKeepsThePosition) {
  SetSecondsMode(true);
  model.CurPos = 1234;
  model.imTrackButtonMouseDown(0);
  model.imTrackButtonMouseMove(40);
  EXPECT_EQ(display.TrackButtonLeft, 56);
  EXPECT_EQ(model.CurPos, 1234);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
}

// ---------------------------------------------------------------------------
// Unit switch and toggles

TEST_F(MainWindowModelTest, UnitSwitchWithoutAFileShowsTheZeroForms) {
  SetSecondsMode(true);
  EXPECT_EQ(display.lbLength, "Length : 00:00:00");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 00:00:00");
  EXPECT_EQ(display.lbEndPos, "End Pos : 00:00:00");
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  SetSecondsMode(false);
  EXPECT_EQ(display.lbLength, "Length : 0 ms");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 0 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 0 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
}

TEST_F(MainWindowModelTest, UnitSwitchWithAFileRendersEveryLabelWithoutClamping) {
  OpenFile(183456);
  model.CurPos = 3723;
  model.ShowPosition();
  model.tbMarkendClick();
  model.CurPos = 61000;
  model.ShowPosition();
  model.tbMarkbeginClick();  // crossed: begin 61000, end 3723
  const int handle = display.TrackButtonLeft;
  SetSecondsMode(true);
  EXPECT_EQ(display.lbLength, "Length : 00:03:03");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:01:01");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 00:01:01");
  EXPECT_EQ(display.lbEndPos, "End Pos : 00:00:03");
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  EXPECT_EQ(display.TrackButtonLeft, handle);
  SetSecondsMode(false);
  EXPECT_EQ(display.lbLength, "Length : 183456 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 3723 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
}

TEST_F(MainWindowModelTest, UnitSwitchMovesTheFocusOnlyWhenTheWindowIsVisible) {
  SetSecondsMode(true);
  EXPECT_EQ(view.groupBoxFocus, 0);
  view.visible = true;
  SetSecondsMode(false);
  EXPECT_EQ(view.groupBoxFocus, 1);
}

TEST_F(MainWindowModelTest, RepresentWithSecondMenuFlipsTheCheckBoxAndMirrorsIt) {
  model.ApplySettings(DisplaySettings{false, false});
  model.Representwithsecond1Click();
  EXPECT_TRUE(display.cbUseSecondChecked);
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_TRUE(model.UseSecond);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
  model.Representwithsecond1Click();
  EXPECT_FALSE(display.cbUseSecondChecked);
  EXPECT_FALSE(display.Representwithsecond1Checked);
  EXPECT_FALSE(model.UseSecond);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
}

TEST_F(MainWindowModelTest, ShowSpectrumMenuTwiceReturnsToTheFirstState) {
  model.ApplySettings(DisplaySettings{true, false});
  view.analyzerExists = true;
  model.ShowSpectrumanalyzer1Click();
  EXPECT_TRUE(display.cbShowSpecChecked);
  EXPECT_TRUE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_TRUE(model.ShowSpec);
  EXPECT_TRUE(ShowAnalyzerFlag());
  EXPECT_EQ(view.analyzerVisible, true);
  model.ShowSpectrumanalyzer1Click();
  EXPECT_FALSE(display.cbShowSpecChecked);
  EXPECT_FALSE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_FALSE(model.ShowSpec);
  EXPECT_FALSE(ShowAnalyzerFlag());
  EXPECT_EQ(view.analyzerVisible, false);
}

TEST_F(MainWindowModelTest, AnalyzerCheckBoxWithoutAnAnalyzerWindowChangesOnlyItself) {
  model.ApplySettings(DisplaySettings{true, true});
  model.SetShowSpecChecked(false);
  EXPECT_FALSE(display.cbShowSpecChecked);
  EXPECT_TRUE(model.ShowSpec);
  EXPECT_TRUE(ShowAnalyzerFlag());
  EXPECT_TRUE(display.ShowSpectrumanalyzer1Checked);
  EXPECT_FALSE(view.analyzerVisible.has_value());
}

// ---------------------------------------------------------------------------
// Opening files through the probe hook

TEST_F(MainWindowModelTest, OpeningAFileFillsTheInfoLabelsAndResetsTheState) {
  OpenFile(100000);
  model.CurPos = 40000;
  model.tbMarkendClick();
  model.CurPos = 20000;
  model.ShowPosition();
  model.tbMarkbeginClick();
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs&) {
    info = {AudioFileInfo::kTypeWav, 22050, 1, 352, 183456};
    return true;
  });
  model.LoadFile("/home/me/long name.wav");
  EXPECT_EQ(display.lbFileName, "File Name : long name.wav");
  EXPECT_EQ(display.lbFileType, "File Type : WAV");
  EXPECT_EQ(display.lbBitrate, "Bitrate : 352 kbps");
  EXPECT_EQ(display.lbChannel, "Channels : Mono");
  EXPECT_EQ(display.lbSample, "Sample Rate : 22050");
  EXPECT_EQ(display.lbLength, "Length : 183456 ms");
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(model.MarkBegin, 0);
  EXPECT_EQ(model.MarkEnd, 0);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 0 ms");
  EXPECT_EQ(display.lbEndPos, "End Pos : 0 ms");
  EXPECT_EQ(display.lbLenExport, "Length : 0 ms");
  EXPECT_EQ(display.TrackButtonLeft, 16);
  EXPECT_EQ(display.selectionWidth, 0);
}

TEST_F(MainWindowModelTest, OpeningInSecondsModeShowsTheZeroClockForms) {
  SetSecondsMode(true);
  OpenFile(100000);
  model.CurPos = 40000;
  model.ShowPosition();
  model.tbMarkendClick();
  OpenFile(183456);
  EXPECT_EQ(display.lbLength, "Length : 00:03:03");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 00:00:00");
  EXPECT_EQ(display.lbBeginPos, "Begin Pos : 00:00:00");
  EXPECT_EQ(display.lbEndPos, "End Pos : 00:00:00");
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
}

// A WAV whose data chunk is empty is accepted with length 0. Its position
// reads zero and the handle sits at the left end, not where the previous
// file had them.
TEST_F(MainWindowModelTest, OpeningAFileOfLengthZeroShowsTheZeroPosition) {
  for (const bool useSecond : {false, true}) {
    SetSecondsMode(useSecond);
    OpenFile(340000);
    model.CurPos = 50000;
    model.ShowPosition();
    ASSERT_EQ(display.TrackButtonLeft, 66);
    OpenFile(0, "/music/empty.wav");
    EXPECT_EQ(model.CurPos, 0);
    EXPECT_EQ(display.lbCurPos, useSecond ? "Current Pos : 00:00:00" : "Current Pos : 0 ms");
    EXPECT_EQ(display.TrackButtonLeft, 16);
    EXPECT_EQ(display.lbFileName, "File Name : empty.wav");
  }
}

TEST_F(MainWindowModelTest, ARefusedFileKeepsTheLabelsAndPositions) {
  OpenFile(100000);
  model.CurPos = 40000;
  model.ShowPosition();
  model.tbMarkendClick();
  model.SetFileProbe([](const std::string&, AudioFileInfo&, Dialogs& dialogs) {
    dialogs.ShowMessage("We can only accept mp3 and wav file", "Error", MessageIcon::None);
    return false;
  });
  model.OpenDroppedFiles({"/tmp/a.ogg", "/tmp/b.mp3"});
  EXPECT_EQ(model.FileName, "/music/song.mp3");
  EXPECT_EQ(model.FileInfo, Mp3Info(100000));
  EXPECT_EQ(display.lbFileName, "File Name : song.mp3");
  EXPECT_EQ(model.CurPos, 40000);
  EXPECT_EQ(model.MarkEnd, 40000);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(MainWindowModelTest, OpeningStopsPlaybackFirstAndDoesNotRestart) {
  OpenFile(100000);
  playback.playing = true;
  OpenFile(50000);
  EXPECT_EQ(playback.stops, 1);
  EXPECT_TRUE(playback.starts.empty());
}

TEST_F(MainWindowModelTest, OpenDialogUsesTheAudioFilterAndCancelChangesNothing) {
  OpenFile(100000);
  dialogs.openAnswers = {std::nullopt};
  model.tbOpenFileClick();
  EXPECT_EQ(dialogs.openFilters, (std::vector<std::string>{"Mp3/Wav File|*.mp3;*.wav"}));
  EXPECT_EQ(model.FileName, "/music/song.mp3");
  dialogs.openAnswers = {"/music/other.mp3"};
  model.WMKeyDown('L');
  EXPECT_EQ(model.FileName, "/music/other.mp3");
  EXPECT_EQ(display.lbFileName, "File Name : other.mp3");
}

TEST_F(MainWindowModelTest, CommandLineOpensOnlyTheFirstArgument) {
  OpenFile(100000);
  model.OpenCommandLineFile({"/a/first.mp3", "/a/second.mp3"});
  EXPECT_EQ(model.FileName, "/a/first.mp3");
  model.OpenCommandLineFile({});
  EXPECT_EQ(model.FileName, "/a/first.mp3");
}

TEST_F(MainWindowModelTest, WithoutAProbeOpeningIsSwitchedOff) {
  EXPECT_FALSE(model.CanOpenFiles());
  model.tbOpenFileClick();
  model.OpenCommandLineFile({"/a/first.mp3"});
  EXPECT_TRUE(dialogs.openFilters.empty());
  EXPECT_EQ(model.FileName, "");
  EXPECT_EQ(display.lbFileName, "File Name : None");
}

// ---------------------------------------------------------------------------
// Value entry

TEST_F(MainWindowModelTest, NonNumericEntryIsRefusedEverywhere) {
  OpenFile(50000);
  model.CurPos = 1000;
  model.ShowPosition();
  using Command = void (MainWindowModel::*)();
  for (Command command : {&MainWindowModel::lbCurPosClick, &MainWindowModel::lbBeginPosClick,
                          &MainWindowModel::lbEndPosClick, &MainWindowModel::lbLenExportClick}) {
    dialogs.inputAnswers = {"12a"};
    (model.*command)();
  }
  ASSERT_EQ(dialogs.messages.size(), 4u);
  for (const auto& message : dialogs.messages) {
    EXPECT_EQ(message.text, "please just input numbers");
    EXPECT_EQ(message.caption, "Snipola");
    EXPECT_EQ(message.icon, MessageIcon::None);
  }
  EXPECT_EQ(model.CurPos, 1000);
  EXPECT_EQ(model.MarkBegin, 0);
  EXPECT_EQ(model.MarkEnd, 0);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 1000 ms");
}

TEST_F(MainWindowModelTest, CancelChangesNothingAndSaysNothing) {
  OpenFile(50000);
  dialogs.inputAnswers = {std::nullopt};
  model.lbBeginPosClick();
  EXPECT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(model.MarkBegin, 0);
}

// One row per entry: the command, the unit, the file, the state before, what
// the user types, and what the input box offered and the state after.
struct EntryCase {
  const char* name;
  void (MainWindowModel::*command)();
  bool useSecond;
  int32_t lengthMs;
  int32_t curPos, markBegin, markEnd;
  const char* typed;
  const char* prompt;
  const char* offered;
  int32_t expectCurPos, expectBegin, expectEnd;
  std::string MainDisplay::*label;  // the label the command renders
  const char* labelText;            // and what it reads afterwards
  bool refused;
};

void PrintTo(const EntryCase& c, std::ostream* out) { *out << c.name; }

class EntryCommandTest : public MainWindowModelTest,
                         public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryCommandTest, ParsesClampsAndRenders) {
  const EntryCase& c = GetParam();
  if (c.lengthMs > 0) OpenFile(c.lengthMs);
  SetSecondsMode(c.useSecond);
  model.CurPos = c.curPos;
  model.ShowPosition();
  model.MarkBegin = c.markBegin;
  model.MarkEnd = c.markEnd;
  model.ShowSelection();
  // Every label shows the state before the command, so a command that
  // forgets to render its label is caught.
  SetSecondsMode(!c.useSecond);
  SetSecondsMode(c.useSecond);
  dialogs.inputAnswers = {std::string(c.typed)};
  (model.*c.command)();

  ASSERT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_EQ(dialogs.inputs[0].caption, "Input");
  EXPECT_EQ(dialogs.inputs[0].prompt, c.prompt);
  EXPECT_EQ(dialogs.inputs[0].defaultText, c.offered);
  EXPECT_EQ(model.CurPos, c.expectCurPos);
  EXPECT_EQ(model.MarkBegin, c.expectBegin);
  EXPECT_EQ(model.MarkEnd, c.expectEnd);
  if (c.refused) {
    EXPECT_EQ(dialogs.LastMessageText(), "please just input numbers");
  } else {
    EXPECT_TRUE(dialogs.messages.empty());
  }
  EXPECT_EQ(display.*c.label, c.labelText);
}

using M = MainWindowModel;
INSTANTIATE_TEST_SUITE_P(
    Entries, EntryCommandTest,
    ::testing::Values(
        EntryCase{"CurPosMs", &M::lbCurPosClick, false, 50000, 0, 0, 0, "12345",
                  "Current Position(milliseconds)", "0", 12345, 0, 0, &MainDisplay::lbCurPos,
                  "Current Pos : 12345 ms", false},
        EntryCase{"CurPosSeconds", &M::lbCurPosClick, true, 5000000, 3723456, 0, 0, "60",
                  "Current Position(seconds)", "3723", 60000, 0, 0, &MainDisplay::lbCurPos,
                  "Current Pos : 00:01:00", false},
        EntryCase{"CurPosClampedToTheFile", &M::lbCurPosClick, false, 50000, 0, 0, 0, "99999",
                  "Current Position(milliseconds)", "0", 50000, 0, 0, &MainDisplay::lbCurPos,
                  "Current Pos : 50000 ms", false},
        EntryCase{"CurPosNegativeClampedToZero", &M::lbCurPosClick, false, 50000, 100, 0, 0, "-5",
                  "Current Position(milliseconds)", "100", 0, 0, 0, &MainDisplay::lbCurPos,
                  "Current Pos : 0 ms", false},
        EntryCase{"CurPosWithoutAFileIsKeptButNotShown", &M::lbCurPosClick, false, 0, 0, 0, 0, "-5",
                  "Current Position(milliseconds)", "0", -5, 0, 0, &MainDisplay::lbCurPos,
                  "Current Pos : 0 ms", false},
        EntryCase{"CurPosSecondsBeyondThirtyTwoBitsRefused", &M::lbCurPosClick, true, 50000, 1000,
                  0, 0, "2147484", "Current Position(seconds)", "1", 1000, 0, 0,
                  &MainDisplay::lbCurPos, "Current Pos : 00:00:01", true},
        EntryCase{"CurPosSecondsJustInsideThirtyTwoBitsClamps", &M::lbCurPosClick, true, 50000, 0,
                  0, 0, "2147483", "Current Position(seconds)", "0", 50000, 0, 0,
                  &MainDisplay::lbCurPos, "Current Pos : 00:00:50", false},
        EntryCase{"CurPosNumberOutOfRangeRefused", &M::lbCurPosClick, false, 50000, 0, 0,
                  0, "2147483648", "Current Position(milliseconds)", "0", 0, 0, 0,
                  &MainDisplay::lbCurPos, "Current Pos : 0 ms", true},
        EntryCase{"BeginMs", &M::lbBeginPosClick, false, 50000, 0, 0, 30000, "12000",
                  "Mark Begin Position(milliseconds)", "0", 0, 12000, 30000,
                  &MainDisplay::lbBeginPos, "Begin Pos : 12000 ms", false},
        EntryCase{"BeginNegativeBecomesZero", &M::lbBeginPosClick, false, 50000, 0, 7000, 0,
                  "-5000", "Mark Begin Position(milliseconds)", "7000", 0, 0, 0,
                  &MainDisplay::lbBeginPos, "Begin Pos : 0 ms", false},
        EntryCase{"BeginSeconds", &M::lbBeginPosClick, true, 50000, 0, 7999, 0, "20",
                  "Mark Begin Position(seconds)", "7", 0, 20000, 0, &MainDisplay::lbBeginPos,
                  "Begin Pos : 00:00:20", false},
        EntryCase{"BeginWithoutAFileIsZero", &M::lbBeginPosClick, false, 0, 0, 300, 0, "20",
                  "Mark Begin Position(milliseconds)", "300", 0, 0, 0, &MainDisplay::lbBeginPos,
                  "Begin Pos : 0 ms", false},
        EntryCase{"EndMsClamped", &M::lbEndPosClick, false, 50000, 0, 0, 0, "70000",
                  "Mark End Position(milliseconds)", "0", 0, 0, 50000, &MainDisplay::lbEndPos,
                  "End Pos : 50000 ms", false},
        EntryCase{"EndSecondsHugeClampsInsteadOfWrapping", &M::lbEndPosClick, true, 50000, 0, 0,
                  0, "2147483647", "Mark End Position(seconds)", "0", 0, 0, 50000,
                  &MainDisplay::lbEndPos, "End Pos : 00:00:50", false},
        EntryCase{"EndBeforeBeginShowsZeroLength", &M::lbEndPosClick, false, 50000, 0, 20000, 30000,
                  "10000", "Mark End Position(milliseconds)", "30000", 0, 20000, 10000,
                  &MainDisplay::lbLenExport, "Length : 0 ms", false},
        EntryCase{"LengthSecondsClampedToTheFile", &M::lbLenExportClick, true, 50000, 0, 10000, 0,
                  "90", "Mark Length(seconds)", "0", 0, 10000, 50000, &MainDisplay::lbEndPos,
                  "End Pos : 00:00:50", false},
        EntryCase{"LengthMsOffersTheMarkedLength", &M::lbLenExportClick, false, 50000, 0, 10000,
                  25000, "5000", "Mark Length(milliseconds)", "15000", 0, 10000, 15000,
                  &MainDisplay::lbLenExport, "Length : 5000 ms", false},
        EntryCase{"LengthOffersZeroForCrossedMarks", &M::lbLenExportClick, true, 50000, 0, 30000,
                  10000, "5", "Mark Length(seconds)", "0", 0, 30000, 35000,
                  &MainDisplay::lbLenExport, "Length : 00:00:05", false},
        EntryCase{"LengthNegativeGivesAnEmptyPiece", &M::lbLenExportClick, false, 50000, 0, 10000,
                  20000, "-3000", "Mark Length(milliseconds)", "10000", 0, 10000, 7000,
                  &MainDisplay::lbLenExport, "Length : 0 ms", false},
        EntryCase{"LengthBeginPlusHugeValueClampsInsteadOfWrapping", &M::lbLenExportClick, false,
                  50000, 0, 40000, 0, "2147483647", "Mark Length(milliseconds)", "0", 0, 40000,
                  50000, &MainDisplay::lbEndPos, "End Pos : 50000 ms", false},
        EntryCase{"LengthFractionRefused", &M::lbLenExportClick, true, 50000, 0, 10000, 20000,
                  "1.5", "Mark Length(seconds)", "10", 0, 10000, 20000, &MainDisplay::lbLenExport,
                  "Length : 00:00:10", true}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });
