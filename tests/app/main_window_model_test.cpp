// The main window's model without widgets or a device: positions, marks and
// bar, the play commands' decisions (what is handed to the engine), jumps,
// nudges, keys, the drag, the unit switch, opening files and value entry.
#include "app/main_window_model.h"

#include <gtest/gtest.h>

#include "app/key_table.h"
#include "spectrum/led.h"
#include "support/scripted_dialogs.h"

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
  void StopPlayback() override { calls += "stop ", playing = false; }
};

class FakeView : public MainWindowView {
 public:
  bool visible = false;
  bool analyzerExists = false;
  std::optional<bool> analyzerVisible;
  int groupBoxFocus = 0;
  void DisplayChanged() override {}
  bool WindowVisible() const override { return visible; }
  void FocusGroupBox1() override { ++groupBoxFocus; }
  bool AnalyzerExists() const override { return analyzerExists; }
  void SetAnalyzerVisible(bool shown) override { analyzerVisible = shown; }
};

class MainWindowModelTest : public ::testing::Test {
 protected:
  MainWindowModelTest() { model.SetView(&view), model.SetPlayback(&playback); }
  void OpenFile(int32_t lengthMs, const std::string& path = "/music/song.mp3") {
    model.SetFileProbe([lengthMs](const std::string&, AudioFileInfo& info, Dialogs&) {
      info = {AudioFileInfo::kTypeMp3, 44100, 2, 128, lengthMs};
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
  // The marks' labels and the bar: "Begin Pos : .. | End Pos : .. | Length : .. | left+width".
  std::string Selection() const {
    return display.lbBeginPos + " | " + display.lbEndPos + " | " + display.lbLenExport + " | " +
           std::to_string(display.selectionLeft) + "+" + std::to_string(display.selectionWidth);
  }
  ScriptedDialogs dialogs;
  FakeView view;
  FakePlayback playback;
  MainWindowModel model{dialogs};
  const MainDisplay& display = model.Display();
};

}  // namespace

// The settings decide the check boxes, the menu marks and the analysis; the
// analyzer toggle shows or hides the analyzer only once that window exists.
TEST_F(MainWindowModelTest, SettingsAndTheAnalyzerToggle) {
  model.ApplySettings(DisplaySettings{});
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_FALSE(display.ShowSpectrumanalyzer1Checked || ShowAnalyzerFlag());
  EXPECT_EQ(display.lbLenExport, "Length : 00:00:00");
  model.ApplySettings(DisplaySettings{false, true});
  EXPECT_TRUE(display.ShowSpectrumanalyzer1Checked && ShowAnalyzerFlag());
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  model.SetShowSpecChecked(false);
  EXPECT_TRUE(model.ShowSpec);
  EXPECT_FALSE(view.analyzerVisible.has_value());  // no analyzer window yet
  view.analyzerExists = true;
  model.ShowSpectrumanalyzer1Click();
  EXPECT_EQ(view.analyzerVisible, true);
  model.ShowSpectrumanalyzer1Click();
  EXPECT_FALSE(display.cbShowSpecChecked || display.ShowSpectrumanalyzer1Checked);
  EXPECT_FALSE(ShowAnalyzerFlag());
  EXPECT_EQ(view.analyzerVisible, false);
}

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
  EXPECT_EQ(model.CurPos, 0);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  Marks(10000, 20000);
  EXPECT_EQ(Selection(), "Begin Pos : 10000 ms | End Pos : 20000 ms | Length : 10000 ms | 41+10");
  At(30000);
  model.tbMarkbeginClick();  // crossed: the bar keeps its left edge
  EXPECT_EQ(Selection(), "Begin Pos : 30000 ms | End Pos : 20000 ms | Length : 0 ms | 41+0");
  model.tbMarkallClick();
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 340000 ms | Length : 340000 ms | 31+340");
}

TEST_F(MainWindowModelTest, PlayPauseAndStop) {
  OpenFile(60000);
  At(60000);
  model.tbPlayClick();  // from the end: from 0
  At(1234);
  model.tbPauseClick();  // playing: stops
  model.tbStopClick();   // stopped: keeps the position
  EXPECT_EQ(model.CurPos, 1234);
  model.tbPauseClick();
  Marks(1000, 2000);
  model.tbPlayselectedClick();
  model.WMKeyDown(kVirtualKeyReturn);
  model.tbPauseClick();  // after Play selected still to the end of the file
  model.tbStopClick();   // playing: stops and rewinds
  EXPECT_EQ(display.lbCurPos, "Current Pos : 0 ms");
  EXPECT_EQ(playback.calls, "0@60000 stop 1234@60000 1000@2000 stop 1000@60000 stop ");
}

TEST_F(MainWindowModelTest, PlaySelectedStartsInsideTheMarksOrAtTheirBegin) {
  OpenFile(60000);
  Marks(1000, 2000);
  for (const int32_t curPos : {1500, 1999, 2000, 2500, 500}) {
    At(curPos);
    model.tbPlayselectedClick();
  }
  EXPECT_EQ(playback.calls, "1500@2000 1999@2000 1000@2000 1000@2000 1000@2000 ");
  EXPECT_EQ(display.lbCurPos, "Current Pos : 1000 ms");
  Marks(3000, 3000);
  model.tbPlayselectedClick();
  Marks(5000, 4000);
  model.tbPlayselectedClick();
  EXPECT_EQ(model.PlayEndMs, 2000);
  EXPECT_EQ(playback.calls.size(), 50u) << "empty or crossed marks play nothing";
}

// Jumps while playing are the window's button table; stopped they only move.
TEST_F(MainWindowModelTest, JumpsWhileStoppedOnlyMoveAndNoEnginePlaysNothing) {
  OpenFile(60000);
  Marks(12345, 30000);
  model.tbJumpmarkbeginClick();
  model.tbJumpendClick();
  EXPECT_EQ(model.CurPos, 60000);
  model.SetPlayback(nullptr);
  model.WMKeyDown(kVirtualKeyReturn);
  EXPECT_EQ(playback.calls, "");
  EXPECT_FALSE(model.Playing());
}

TEST_F(MainWindowModelTest, NudgesClampWithoutWrappingAndRestartAtTheHandlePixel) {
  std::string positions;
  model.WMKeyDown('P');  // no file: stays 0
  positions += std::to_string(model.CurPos);
  OpenFile(30000);
  for (int i = 0; i < 4; ++i) {
    model.WMKeyDown('P');
    positions += ' ' + std::to_string(model.CurPos);
  }
  model.CurPos = 500;
  model.WMKeyDown(VirtualKeyForNudgeTag(1));  // W: -1000
  EXPECT_EQ(positions + " " + std::to_string(model.CurPos), "0 10000 20000 30000 30000 0");
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

TEST_F(MainWindowModelTest, KeysRunTheirCommands) {
  OpenFile(60000);
  int exports = 0;
  model.SetExportCommand([&exports] { ++exports; });
  std::string positions;
  model.CurPos = 7000;
  model.WMKeyDown('B');
  model.CurPos = 9000;
  for (int key : {int{'N'}, kVirtualKeyUp, kVirtualKeyDown, kVirtualKeyLeft, int{'S'}, int{'b'}}) {
    model.WMKeyDown(key);  // 'b' is no virtual-key code of the table
    positions += std::to_string(model.CurPos) + " ";
  }
  EXPECT_EQ(positions + Selection(),
            "9000 7000 9000 4000 4000 4000 Begin Pos : 7000 ms | End Pos : 9000 ms | "
            "Length : 2000 ms | 71+11");
  model.WMKeyDown('A');
  EXPECT_EQ(model.MarkEnd, 60000);
  EXPECT_EQ(exports, 1);
}

TEST_F(MainWindowModelTest, DragFollowsThePointerIgnoresPlaybackAndRestartsOnRelease) {
  model.CurPos = 1234;  // without a file the handle moves, the position stays
  model.imTrackButtonMouseDown(0);
  model.imTrackButtonMouseMove(40);
  model.imTrackButtonMouseUp();
  EXPECT_EQ(display.TrackButtonLeft, 56);
  EXPECT_EQ(model.CurPos, 1234);
  OpenFile(340000);
  model.imTrackButtonMouseMove(5000);  // no press: nothing
  EXPECT_EQ(display.TrackButtonLeft, 16);
  Playing(340000);
  model.imTrackButtonMouseDown(100);
  model.imTrackButtonMouseMove(5000);
  EXPECT_EQ(model.CurPos, 340000);
  model.imTrackButtonMouseMove(-5000);
  EXPECT_EQ(display.TrackButtonLeft, 16);
  model.imTrackButtonMouseMove(200);  // Left 116: 100000 ms
  model.PlayedTo(7000);               // the engine moves CurPos, the display stays
  EXPECT_EQ(display.lbCurPos, "Current Pos : 100000 ms");
  model.imTrackButtonMouseUp();
  EXPECT_EQ(playback.calls, "100000@340000 ");
  model.PlayedTo(7000);
  EXPECT_EQ(display.lbCurPos, "Current Pos : 7000 ms");
}

TEST_F(MainWindowModelTest, UnitSwitchRendersEveryLabelWithoutClampingAndMovesTheFocus) {
  OpenFile(183456);
  Marks(61000, 3723);
  view.visible = true;
  model.SetUseSecondChecked(true);
  EXPECT_TRUE(display.Representwithsecond1Checked);
  EXPECT_EQ(display.lbLength + " | " + display.lbCurPos + " | " + Selection(),
            "Length : 00:03:03 | Current Pos : 00:00:03 | Begin Pos : 00:01:01 | "
            "End Pos : 00:00:03 | Length : 00:00:00 | 31+0");
  EXPECT_EQ(view.groupBoxFocus, 1);
  model.Representwithsecond1Click();
  EXPECT_FALSE(display.cbUseSecondChecked);
  EXPECT_EQ(display.lbEndPos, "End Pos : 3723 ms");
}

TEST_F(MainWindowModelTest, OpeningStopsPlaybackFillsTheLabelsAndResetsPositionAndMarks) {
  OpenFile(100000);
  Marks(20000, 40000);
  playback.playing = true;
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs&) {
    info = {AudioFileInfo::kTypeWav, 22050, 1, 352, 183456};
    return true;
  });
  model.LoadFile("/home/me/long name.wav");
  EXPECT_EQ(playback.calls, "stop ");
  EXPECT_EQ(display.lbFileName + " | " + display.lbFileType + " | " + display.lbBitrate + " | " +
                display.lbChannel + " | " + display.lbSample + " | " + display.lbCurPos,
            "File Name : long name.wav | File Type : WAV | Bitrate : 352 kbps | "
            "Channels : Mono | Sample Rate : 22050 | Current Pos : 0 ms");
  EXPECT_EQ(Selection(), "Begin Pos : 0 ms | End Pos : 0 ms | Length : 0 ms | 99+0");
  // An empty file (length 0) shows the zero position, not the last file's.
  model.SetUseSecondChecked(true);
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
  model.SetFileProbe([](const std::string&, AudioFileInfo& info, Dialogs&) {
    info = AudioFileInfo{};
    return false;
  });
  model.OpenDroppedFiles({"/tmp/a.ogg", "/tmp/b.mp3"});
  EXPECT_EQ(model.FileName + " " + display.lbFileName, "/music/song.mp3 File Name : song.mp3");
  EXPECT_EQ(model.FileInfo.LengthMs, 340000);
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
  EXPECT_EQ(dialogs.openFilters.back(), "Mp3/Wav File|*.mp3;*.wav");
  EXPECT_EQ(display.lbFileName, "File Name : other.mp3");
  model.OpenCommandLineFile({"/a/first.mp3", "/a/second.mp3"});
  model.OpenCommandLineFile({});
  EXPECT_EQ(model.FileName, "/a/first.mp3");
}

// Value entry: the command, seconds or not, the file's length, CurPos and the
// marks before, the typed text (null: Cancel), the prompt's unit, the offered
// text, and after it CurPos, the marks and the four position labels' values
// ("" when the text is refused, null after Cancel: nothing may change).
struct EntryCase {
  void (MainWindowModel::*command)();
  bool useSecond;
  int32_t lengthMs, curPos, markBegin, markEnd;
  const char *typed, *unit, *offered, *after;
};

class EntryCommandTest : public MainWindowModelTest,
                         public ::testing::WithParamInterface<EntryCase> {
 protected:
  std::string State() const {
    std::string state = std::to_string(model.CurPos) + " " + std::to_string(model.MarkBegin) + "-" +
                        std::to_string(model.MarkEnd);
    for (const std::string* label :
         {&display.lbCurPos, &display.lbBeginPos, &display.lbEndPos, &display.lbLenExport}) {
      state += std::string(label == &display.lbCurPos ? " " : "|") +
               label->substr(label->find(" : ") + 3);
    }
    return state;
  }
};

TEST_P(EntryCommandTest, ParsesClampsAndRenders) {
  const EntryCase& c = GetParam();
  if (c.lengthMs > 0) OpenFile(c.lengthMs);
  At(c.curPos);
  model.MarkBegin = c.markBegin;
  model.MarkEnd = c.markEnd;
  // Every label shows the state before, so a label the command forgets is seen.
  model.SetUseSecondChecked(!c.useSecond);
  model.SetUseSecondChecked(c.useSecond);
  const std::string before = State();
  dialogs.inputAnswers = {c.typed ? std::optional<std::string>(c.typed) : std::nullopt};
  (model.*c.command)();
  ASSERT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_EQ(dialogs.inputs[0].caption, "Input");
  EXPECT_EQ(dialogs.inputs[0].prompt.substr(dialogs.inputs[0].prompt.find('(')), c.unit);
  EXPECT_EQ(dialogs.inputs[0].defaultText, c.offered);
  const bool refused = c.after != nullptr && *c.after == '\0';
  EXPECT_EQ(State(), c.after && !refused ? c.after : before);
  ASSERT_EQ(dialogs.messages.size(), refused ? 1u : 0u);
  if (refused) {
    EXPECT_EQ(dialogs.messages[0].text + dialogs.messages[0].caption,
              "please just input numbersSnipola");
  }
}

using M = MainWindowModel;
constexpr const char* kS = "(seconds)";
constexpr const char* kMs = "(milliseconds)";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Entries, EntryCommandTest, ::testing::Values(
    EntryCase{&M::lbCurPosClick, true, 5000000, 3723456, 0, 0, "60", kS, "3723",
              "60000 0-0 00:01:00|00:00:00|00:00:00|00:00:00"},
    EntryCase{&M::lbCurPosClick, false, 0, 0, 0, 0, "-5", kMs, "0", "-5 0-0 0 ms|0 ms|0 ms|0 ms"},
    EntryCase{&M::lbCurPosClick, true, 50000, 1000, 0, 0, "2147484", kS, "1", ""},
    EntryCase{&M::lbCurPosClick, true, 50000, 0, 0, 0, "2147483", kS, "0",
              "50000 0-0 00:00:50|00:00:00|00:00:00|00:00:00"},
    EntryCase{&M::lbBeginPosClick, false, 50000, 0, 7000, 9000, "-5000", kMs, "7000",
              "0 0-9000 0 ms|0 ms|9000 ms|9000 ms"},
    EntryCase{&M::lbBeginPosClick, false, 50000, 0, 0, 0, nullptr, kMs, "0", nullptr},
    EntryCase{&M::lbBeginPosClick, true, 0, 0, 300, 0, "20", kS, "0",
              "0 0-0 00:00:00|00:00:00|00:00:00|00:00:00"},
    EntryCase{&M::lbEndPosClick, true, 50000, 0, 0, 0, "2147483647", kS, "0",
              "0 0-50000 00:00:00|00:00:00|00:00:50|00:00:50"},
    EntryCase{&M::lbEndPosClick, false, 50000, 0, 20000, 30000, "10000", kMs, "30000",
              "0 20000-10000 0 ms|20000 ms|10000 ms|0 ms"},
    EntryCase{&M::lbLenExportClick, false, 50000, 0, 10000, 25000, "5000", kMs, "15000",
              "0 10000-15000 0 ms|10000 ms|15000 ms|5000 ms"},
    EntryCase{&M::lbLenExportClick, true, 50000, 0, 30000, 10000, "5", kS, "0",
              "0 30000-35000 00:00:00|00:00:30|00:00:35|00:00:05"},
    EntryCase{&M::lbLenExportClick, false, 50000, 0, 40000, 0, "2147483647", kMs, "0",
              "0 40000-50000 0 ms|40000 ms|50000 ms|10000 ms"}));
// clang-format on
