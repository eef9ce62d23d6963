#include "app/widgets/tfm_main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cmath>
#include <fstream>
#include <memory>

#include "app/main_playback.h"
#include "app/settings.h"
#include "audio/mp3io.h"
#include "spectrum/led.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/fake_wave_out.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "ui/transparent_button.h"

namespace {

// Sends one mouse event with an explicit screen position, the way the window
// system delivers it while a button is held.
void SendMouse(QWidget* target, QEvent::Type type, QPoint local, QPoint global,
               Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

class TfmMainTest : public ::testing::Test {
 protected:
  TfmMainTest() { TestApplication(); }

  ~TfmMainTest() override {
    window.reset();
    fmLed = nullptr;
    led.reset();
  }

  // Creates the window with set.ini holding `ini` (no file when empty).
  void Create(const std::string& ini = "", QStringList arguments = {}) {
    if (!ini.empty()) std::ofstream(dir.File("set.ini")) << ini;
    TfmMain::Options options;
    options.executablePath = QString::fromStdString(dir.File("snipola"));
    options.settingsPath = QString::fromStdString(dir.File("set.ini"));
    options.arguments = std::move(arguments);
    options.helpFile = QString::fromStdString(dir.File("index.html"));
    window = std::make_unique<TfmMain>(dialogs, options);
    window->SetShellOpen([this](const QString& target) { opened.push_back(target); });
  }

  void CreateAnalyzer() {
    led = std::make_unique<TfmLed>();
    fmLed = led.get();
  }

  template <typename T = QWidget>
  T* Child(const char* name) {
    auto* child = window->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  QString LabelText(const char* name) { return Child<QLabel>(name)->text(); }

  QAction* MenuItem(const char* name) { return window->PopupMenu1()->findChild<QAction*>(name); }

  void OpenFakeFile(int32_t lengthMs) {
    window->Model().SetFileProbe([lengthMs](const std::string&, AudioFileInfo& info, Dialogs&) {
      info = {AudioFileInfo::kTypeMp3, 44100, 2, 128, lengthMs};
      return true;
    });
    window->Model().LoadFile("/music/song.mp3");
  }

  // Plays through a scripted device from now on.
  FakeWaveOut* PlugFakeDevice() {
    auto fake = std::make_unique<FakeWaveOut>();
    FakeWaveOut* device = fake.get();
    window->PlugPlayback(std::move(fake));
    return device;
  }

  // A stereo 44100 Hz WAV of the test signal, lengthMs long.
  std::string WriteWav(const std::string& name, int32_t lengthMs, int rate = 44100) {
    const std::string path = dir.File(name);
    const auto frames = static_cast<uint32_t>(int64_t{lengthMs} * rate / 1000);
    WriteWavFile(path, rate, 2, MakeTestSignal(frames, 2, rate));
    return path;
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<TfmLed> led;
  std::unique_ptr<TfmMain> window;
  std::vector<QString> opened;
};

}  // namespace

TEST_F(TfmMainTest, IsABorderless400By210WindowInArial) {
  Create();
  EXPECT_EQ(window->size(), QSize(400, 210));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->font().family(), "Arial");
  EXPECT_EQ(window->font().pixelSize(), 11);
  EXPECT_EQ(Child("Image1")->geometry(), QRect(0, 0, 400, 210));
}

TEST_F(TfmMainTest, GroupBoxesAndLabelsSitAtTheirPlaces) {
  Create("[Set]\nPresentWithSecond=0\n");
  EXPECT_EQ(Child<QGroupBox>("GroupBox1")->geometry(), QRect(16, 76, 177, 121));
  EXPECT_EQ(Child<QGroupBox>("GroupBox1")->title(), " Origin File Info ");
  EXPECT_EQ(Child<QGroupBox>("GroupBox2")->geometry(), QRect(208, 76, 177, 121));
  EXPECT_EQ(Child<QGroupBox>("GroupBox2")->title(), " Export Piece Info ");
  struct Expected {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;
  };
  const Expected labels[] = {
      {"lbFileName", "GroupBox1", {16, 19, 137, 14}, "File Name : None"},
      {"lbFileType", "GroupBox1", {16, 35, 137, 14}, "File Type : MP3"},
      {"lbBitrate", "GroupBox1", {16, 51, 137, 14}, "Bitrate : 128 kbps"},
      {"lbChannel", "GroupBox1", {16, 67, 137, 14}, "Channels : Stereo"},
      {"lbSample", "GroupBox1", {16, 83, 137, 14}, "Sample Rate : 44100"},
      {"lbLength", "GroupBox1", {16, 99, 137, 14}, "Length : 0 ms"},
      {"lbCurPos", "GroupBox2", {16, 16, 137, 14}, "Current Pos : 0 ms"},
      {"lbBeginPos", "GroupBox2", {16, 32, 137, 14}, "Begin Pos : 0 ms"},
      {"lbEndPos", "GroupBox2", {16, 48, 137, 14}, "End Pos : 0 ms"},
      {"lbLenExport", "GroupBox2", {16, 64, 137, 14}, "Length : 0 ms"},
  };
  for (const auto& expected : labels) {
    auto* label = Child<QLabel>(expected.name);
    EXPECT_EQ(label->parentWidget()->objectName(), expected.parent) << expected.name;
    EXPECT_EQ(label->geometry(), expected.geometry) << expected.name;
    EXPECT_EQ(label->text(), expected.text) << expected.name;
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(192, 192, 192));
  }
  for (const char* name : {"lbCurPos", "lbBeginPos", "lbEndPos", "lbLenExport"}) {
    EXPECT_EQ(Child(name)->cursor().shape(), Qt::PointingHandCursor) << name;
  }
  auto* unit = Child<QCheckBox>("cbUseSecond");
  EXPECT_EQ(unit->geometry(), QRect(16, 80, 153, 17));
  EXPECT_EQ(unit->text(), "Represent with second");
  EXPECT_EQ(unit->focusPolicy(), Qt::NoFocus);
  auto* spec = Child<QCheckBox>("cbShowSpec");
  EXPECT_EQ(spec->geometry(), QRect(16, 96, 153, 17));
  EXPECT_EQ(spec->text(), "Show Spectrum analyzer");
}

TEST_F(TfmMainTest, ImageButtonsHaveTheirPlacesHintsAndFaces) {
  Create();
  struct Expected {
    const char* name;
    QRect geometry;
    const char* hint;
    int face;
  };
  const Expected buttons[] = {
      {"tbOpenFile", {17, 56, 20, 17}, "Open File", 0},
      {"tbJumpBegin", {65, 53, 20, 20}, "Go to begin", 1},
      {"tbPlay", {89, 53, 20, 20}, "Play", 2},
      {"tbPause", {113, 53, 20, 20}, "Pause", 3},
      {"tbStop", {137, 53, 20, 20}, "Stop", 4},
      {"tbJumpend", {161, 53, 20, 20}, "Go to end", 5},
      {"tbMarkbegin", {201, 53, 20, 20}, "Mark as begin", 6},
      {"tbMarkend", {225, 53, 20, 20}, "Mark as end", 7},
      {"tbMarkall", {249, 53, 20, 20}, "Mark all", 8},
      {"tbJumpmarkbegin", {273, 53, 20, 20}, "Go to mark begin", 1},
      {"tbPlayselected", {297, 53, 20, 20}, "Play mark", 2},
      {"tbJumpmarkend", {321, 53, 20, 20}, "Go to mark end", 5},
      {"tbExport", {361, 53, 20, 20}, "Cut out", 9},
  };
  for (const auto& expected : buttons) {
    auto* button = Child<TTransparentButton>(expected.name);
    EXPECT_EQ(button->geometry(), expected.geometry) << expected.name;
    EXPECT_EQ(button->toolTip(), expected.hint) << expected.name;
    EXPECT_EQ(button->ImageIndex(), expected.face) << expected.name;
  }
  EXPECT_EQ(Child("imTrackBar")->geometry(), QRect(16, 32, 370, 15));
  EXPECT_EQ(Child("imTrackButton")->geometry(), QRect(16, 32, 30, 15));
  EXPECT_EQ(Child("imTrackButton")->toolTip(), "Drag to seek");
  EXPECT_EQ(Child("imSelection")->height(), 2);
  EXPECT_EQ(Child("imSelection")->width(), 0);
}

TEST_F(TfmMainTest, MarkButtonsRunTheirCommands) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(340000);
  window->Model().CurPos = 10000;
  QTest::mouseClick(Child("tbMarkbegin"), Qt::LeftButton);
  window->Model().CurPos = 20000;
  QTest::mouseClick(Child("tbMarkend"), Qt::LeftButton);
  EXPECT_EQ(LabelText("lbBeginPos"), "Begin Pos : 10000 ms");
  EXPECT_EQ(LabelText("lbLenExport"), "Length : 10000 ms");
  EXPECT_EQ(Child("imSelection")->geometry(), QRect(41, 28, 10, 2));
  QTest::mouseClick(Child("tbJumpmarkend"), Qt::LeftButton);
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 20000 ms");
  EXPECT_EQ(Child("imTrackButton")->x(), 36);
  QTest::mouseClick(Child("tbMarkall"), Qt::LeftButton);
  EXPECT_EQ(LabelText("lbEndPos"), "End Pos : 340000 ms");
}

// The captions of a menu's items, "-" for a separator, one per line.
std::string Captions(const QMenu* menu) {
  QStringList captions;
  for (QAction* action : menu->actions()) {
    captions << (action->isSeparator() ? QString("-") : action->text());
  }
  return captions.join(u'\n').toStdString();
}

TEST_F(TfmMainTest, PopupMenuHoldsEveryCommandInOrder) {
  Create();
  EXPECT_EQ(Captions(window->PopupMenu1()),
            "Open file ...\n-\nJump to begin\nPlay\nPause\nStop\nJump to end\n-\n"
            "Mark as begin\nMark as end\nSelect all\nJump to mark begin\nPlay selected\n"
            "Jump to mark end\nAdvanced\n-\nExport selected ...\n-\n"
            "Represent with second\nShow spectrum analyzer\nShow waveform\n-\nAbout ...\nHelp ...\n-\n"
            "Minimize\nExit");
  auto* advanced = window->PopupMenu1()->findChild<QMenu*>("Advanced1");
  ASSERT_NE(advanced, nullptr);
  EXPECT_EQ(Captions(advanced),
            "Set Current Position using Entering Value\n"
            "Set Mark-Begin Position using Entering Value\n"
            "Set Mark-End Position using Entering Value\n"
            "Set Mark-Length using Entering Value\n-\n"
            "Press Q - to move current position 10,000 milliseconds less\n"
            "Press W - to move current position 1,000 milliseconds less\n"
            "Press E - to move current position 100 milliseconds less\n"
            "Press R - to move current position 10 milliseconds less\n"
            "Press T - to move current position 1 milliseconds less\n-\n"
            "Press Y - to move current position 1 milliseconds more\n"
            "Press U - to move current position 10 milliseconds more\n"
            "Press I - to move current position 100 milliseconds more\n"
            "Press O - to move current position 1,000 milliseconds more\n"
            "Press P - to move current position 10,000 milliseconds more");
}

// Each nudge item moves the position as its key does.
TEST_F(TfmMainTest, NudgeItemsActAsTheirKeys) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(100000);
  const struct {
    const char* item;
    int32_t deltaMs;
  } kItems[] = {
      {"movecurrentposition10000millisecondsless1", -10000},
      {"movecurrentposition1000millisecondsless1", -1000},
      {"PressEtomovecurrentposition100millisecondsless1", -100},
      {"PressRtomovecurrentposition10millisecondsless1", -10},
      {"PressTtomovecurrentposition1millisecondsless1", -1},
      {"PressYtomovecurrentposition1millisecondsmore1", 1},
      {"PressUtomovecurrentposition10millisecondsmore1", 10},
      {"PressItomovecurrentposition100millisecondsmore1", 100},
      {"PressOtomovecurrentposition1000millisecondsmore1", 1000},
      {"PressPtomovecurrentposition10000millisecondsmore1", 10000},
  };
  for (const auto& item : kItems) {
    window->Model().CurPos = 50000;
    ASSERT_NE(MenuItem(item.item), nullptr) << item.item;
    MenuItem(item.item)->trigger();
    EXPECT_EQ(window->Model().CurPos, 50000 + item.deltaMs) << item.item;
  }
  window->Model().CurPos = 500;
  MenuItem("movecurrentposition1000millisecondsless1")->trigger();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 0 ms");
}

TEST_F(TfmMainTest, MenuItemsRunTheCommandsOfTheirButtons) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(100000);
  window->Model().CurPos = 30000;
  MenuItem("Markasbegin1")->trigger();
  window->Model().CurPos = 40000;
  MenuItem("Markasend1")->trigger();
  EXPECT_EQ(LabelText("lbLenExport"), "Length : 10000 ms");
  MenuItem("Jumptomarkbegin1")->trigger();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 30000 ms");
  MenuItem("Jumptomarkend1")->trigger();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 40000 ms");
  MenuItem("JumptoEnd1")->trigger();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 100000 ms");
  MenuItem("Jumptobegin1")->trigger();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 0 ms");
  MenuItem("MarkAll1")->trigger();
  EXPECT_EQ(LabelText("lbLenExport"), "Length : 100000 ms");
  dialogs.inputAnswers = {"2500"};
  MenuItem("SetMarkLengthusingEnteringValue1")->trigger();
  ASSERT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_EQ(LabelText("lbEndPos"), "End Pos : 2500 ms");
  dialogs.openAnswers = {std::nullopt};
  MenuItem("OpenFile1")->trigger();
  EXPECT_EQ(dialogs.openFilters.size(), 1u);
  int exports = 0;
  window->Model().SetExportCommand([&exports] { ++exports; });
  MenuItem("Exportselected1")->trigger();
  EXPECT_EQ(exports, 1);
}

TEST_F(TfmMainTest, PlayCommandsReachTheEngineFromButtonsAndMenu) {
  Create("[Set]\nPresentWithSecond=0\n");
  FakeWaveOut* device = PlugFakeDevice();
  window->Model().SetFileProbe(&GetAudioFileInfo);
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("clip.wav", 20000)));
  window->show();
  QTest::mouseClick(Child("tbPlay"), Qt::LeftButton);
  ASSERT_TRUE(window->Model().Playing());
  device->PlayNext();
  // 8192 bytes of 44100 Hz stereo are 2048 frames: 46.44 ms, shown as 46.
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 46 ms");
  device->PlayAll(200);
  EXPECT_EQ(Child("imTrackButton")->x(), 16 + std::lround(340.0 * window->Model().CurPos / 20000));
  QTest::mouseClick(Child("tbPause"), Qt::LeftButton);
  EXPECT_FALSE(window->Model().Playing());
  const int32_t pausedAt = window->Model().CurPos;
  EXPECT_GT(pausedAt, 0);
  MenuItem("Pause1")->trigger();
  EXPECT_TRUE(window->Model().Playing());
  MenuItem("Stop1")->trigger();
  EXPECT_FALSE(window->Model().Playing());
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 0 ms");
  MenuItem("Play1")->trigger();
  EXPECT_TRUE(window->Model().Playing());
  QTest::mouseClick(Child("tbStop"), Qt::LeftButton);
  EXPECT_FALSE(window->Model().Playing());
  window->Model().CurPos = 1000;
  window->Model().tbMarkbeginClick();
  window->Model().CurPos = 2000;
  window->Model().tbMarkendClick();
  MenuItem("Playmarked1")->trigger();
  EXPECT_EQ(window->Playback()->Engine().PlayEndMs(), 2000);
  device->PlayAll();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 2000 ms");
  QTest::mouseClick(Child("tbPlayselected"), Qt::LeftButton);
  EXPECT_TRUE(window->Model().Playing());
  EXPECT_EQ(window->Playback()->Engine().SamplesPlayed(), 44100u);
}

TEST_F(TfmMainTest, ClosingWhilePlayingStopsPlaybackFirst) {
  Create("[Set]\nPresentWithSecond=0\n");
  FakeWaveOut* device = PlugFakeDevice();
  window->Model().SetFileProbe(&GetAudioFileInfo);
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("clip.wav", 5000)));
  window->show();
  window->Model().tbPlayClick();
  device->PlayNext();
  window->close();
  EXPECT_FALSE(window->Model().Playing());
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(window->Model().CurPos, 0);
}

TEST_F(TfmMainTest, FirstStartIsInSecondsModeWithTheAnalyzerHidden) {
  Create();
  EXPECT_TRUE(Child<QCheckBox>("cbUseSecond")->isChecked());
  EXPECT_TRUE(MenuItem("Representwithsecond1")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("cbShowSpec")->isChecked());
  EXPECT_FALSE(MenuItem("ShowSpectrumanalyzer1")->isChecked());
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 00:00:00");
  CreateAnalyzer();
  window->show();
  EXPECT_FALSE(led->isVisible());
}

TEST_F(TfmMainTest, StoredSettingsShowMillisecondsAndTheAnalyzer) {
  Create("[Set]\nPresentWithSecond=0\nShowSpec=1\n");
  CreateAnalyzer();
  window->show();
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 0 ms");
  EXPECT_TRUE(led->isVisible());
  EXPECT_TRUE(MenuItem("ShowSpectrumanalyzer1")->isChecked());
}

TEST_F(TfmMainTest, ToggleCheckBoxesAndMenuTwinsStayInStep) {
  Create("[Set]\nPresentWithSecond=0\nShowSpec=0\n");
  CreateAnalyzer();
  window->show();
  auto* unit = Child<QCheckBox>("cbUseSecond");
  auto* spec = Child<QCheckBox>("cbShowSpec");
  QTest::mouseClick(unit, Qt::LeftButton);
  EXPECT_TRUE(unit->isChecked());
  EXPECT_TRUE(MenuItem("Representwithsecond1")->isChecked());
  EXPECT_EQ(LabelText("lbLenExport"), "Length : 00:00:00");
  MenuItem("Representwithsecond1")->trigger();
  EXPECT_FALSE(unit->isChecked());
  EXPECT_FALSE(MenuItem("Representwithsecond1")->isChecked());
  EXPECT_EQ(LabelText("lbLenExport"), "Length : 0 ms");

  MenuItem("ShowSpectrumanalyzer1")->trigger();
  EXPECT_TRUE(spec->isChecked());
  EXPECT_TRUE(MenuItem("ShowSpectrumanalyzer1")->isChecked());
  EXPECT_TRUE(led->isVisible());
  MenuItem("ShowSpectrumanalyzer1")->trigger();
  EXPECT_FALSE(spec->isChecked());
  EXPECT_FALSE(MenuItem("ShowSpectrumanalyzer1")->isChecked());
  EXPECT_FALSE(led->isVisible());
  QTest::mouseClick(spec, Qt::LeftButton);
  EXPECT_TRUE(MenuItem("ShowSpectrumanalyzer1")->isChecked());
  EXPECT_TRUE(led->isVisible());
}

TEST_F(TfmMainTest, SettingsAreSavedWhenTheWindowIsDestroyed) {
  Create("[Set]\nPresentWithSecond=0\nShowSpec=0\n");
  CreateAnalyzer();
  window->show();
  MenuItem("ShowSpectrumanalyzer1")->trigger();
  MenuItem("Representwithsecond1")->trigger();
  window.reset();
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, true}));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TfmMainTest, AnalyzerStaysDockedAboveTheMovingWindow) {
  Create();
  CreateAnalyzer();
  window->show();
  window->move(300, 400);
  EXPECT_EQ(led->pos(), QPoint(300 + 200 - 64, 400 - 44));
  led->hide();
  window->move(-50, 100);
  EXPECT_EQ(led->pos(), QPoint(-50 + 136, 56));
}

TEST_F(TfmMainTest, DraggingTheTitleStripMovesTheWindowOneToOne) {
  Create();
  window->show();
  window->move(100, 100);
  QWidget* image = Child("Image1");
  SendMouse(image, QEvent::MouseButtonPress, {100, 5}, {200, 105});
  SendMouse(image, QEvent::MouseMove, {100, 5}, {230, 125});
  EXPECT_EQ(window->pos(), QPoint(130, 120));
  SendMouse(image, QEvent::MouseButtonRelease, {100, 5}, {230, 125});
  // Below the strip nothing drags.
  SendMouse(image, QEvent::MouseButtonPress, {100, 25}, {230, 145});
  SendMouse(image, QEvent::MouseMove, {100, 25}, {260, 165});
  SendMouse(image, QEvent::MouseButtonRelease, {100, 25}, {260, 165});
  EXPECT_EQ(window->pos(), QPoint(130, 120));
}

TEST_F(TfmMainTest, CaptionGlyphsActOnRelease) {
  Create();
  int abouts = 0;
  window->SetAboutCommand([&abouts] { ++abouts; });
  window->show();
  QWidget* image = Child("Image1");
  const auto click = [image](int x, int y) {
    SendMouse(image, QEvent::MouseButtonPress, {x, y}, {x, y});
    SendMouse(image, QEvent::MouseButtonRelease, {x, y}, {x, y});
  };
  click(348, 5);
  EXPECT_EQ(abouts, 1);
  click(342, 5);
  click(352, 5);
  click(348, 20);
  EXPECT_EQ(abouts, 1);
  click(360, 5);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toStdString(), dir.File("index.html"));
  click(375, 5);
  EXPECT_TRUE(window->isMinimized());
  window->showNormal();
  click(387, 5);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(TfmMainTest, MinimizeTakesTheAnalyzerAlongAndRestoreBringsItBack) {
  Create("[Set]\nShowSpec=1\n");
  CreateAnalyzer();
  window->show();
  ASSERT_TRUE(led->isVisible());
  MenuItem("Minimize1")->trigger();
  EXPECT_TRUE(window->isMinimized());
  EXPECT_FALSE(led->isVisible());
  window->showNormal();
  EXPECT_TRUE(led->isVisible());
  // Minimised by the window manager (taskbar, a key), not by the program.
  window->windowHandle()->showMinimized();
  QApplication::processEvents();
  EXPECT_FALSE(led->isVisible());
  window->windowHandle()->showNormal();
  QApplication::processEvents();
  EXPECT_TRUE(led->isVisible());
}

TEST_F(TfmMainTest, ExitClosesTheWindow) {
  Create();
  window->show();
  MenuItem("Exit1")->trigger();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(TfmMainTest, KeysReachTheKeyTableWhateverShiftOrCtrlSay) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(30000);
  window->show();
  QTest::keyClick(window.get(), Qt::Key_P);
  QTest::keyClick(window.get(), Qt::Key_P);
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 20000 ms");
  QTest::keyClick(window.get(), Qt::Key_B, Qt::ShiftModifier);
  EXPECT_EQ(LabelText("lbBeginPos"), "Begin Pos : 20000 ms");
  QTest::keyClick(window.get(), Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(window->Model().CurPos, 15000);
  // Alt combinations are system keys.
  QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(window->Model().MarkEnd, 0);
}

TEST_F(TfmMainTest, KeysStillActAfterTheUnitSwitchMovedTheFocus) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(30000);
  window->show();
  QApplication::setActiveWindow(window.get());
  QTest::mouseClick(Child<QCheckBox>("cbUseSecond"), Qt::LeftButton);
  ASSERT_TRUE(window->Model().UseSecond);
  ASSERT_EQ(QApplication::focusWidget(), Child("GroupBox1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
  EXPECT_EQ(window->Model().CurPos, 10000);
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 00:00:10");
}

TEST_F(TfmMainTest, ARightClickOnTheSkinOpensThePopupMenu) {
  Create();
  window->show();
  QWidget* image = Child("Image1");
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(200, 150),
                          image->mapToGlobal(QPoint(200, 150)));
  QApplication::sendEvent(image, &event);
  EXPECT_TRUE(window->PopupMenu1()->isVisible());
  window->PopupMenu1()->hide();
}

TEST_F(TfmMainTest, DraggingTheHandleSeeks) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(340000);
  window->show();
  QWidget* handle = Child("imTrackButton");
  SendMouse(handle, QEvent::MouseButtonPress, {15, 7}, {500, 300});
  SendMouse(handle, QEvent::MouseMove, {15, 7}, {550, 300});
  EXPECT_EQ(handle->x(), 66);
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 50000 ms");
  SendMouse(handle, QEvent::MouseMove, {15, 7}, {5000, 300});
  EXPECT_EQ(handle->x(), 356);
  SendMouse(handle, QEvent::MouseButtonRelease, {15, 7}, {5000, 300});
  EXPECT_EQ(window->Model().CurPos, 340000);
}

TEST_F(TfmMainTest, ClickingAPositionLabelAsksForAValue) {
  Create("[Set]\nPresentWithSecond=0\n");
  OpenFakeFile(50000);
  dialogs.inputAnswers = {"12345"};
  QTest::mouseClick(Child("lbCurPos"), Qt::LeftButton);
  ASSERT_EQ(dialogs.inputs.size(), 1u);
  EXPECT_EQ(dialogs.inputs[0].prompt, "Current Position(milliseconds)");
  EXPECT_EQ(LabelText("lbCurPos"), "Current Pos : 12345 ms");
}

TEST_F(TfmMainTest, UnwritableSettingsAreReportedAtDestruction) {
  std::ofstream(dir.File("blocker")) << "x";
  TfmMain::Options options;
  options.executablePath = QString::fromStdString(dir.File("snipola"));
  options.settingsPath = QString::fromStdString(dir.File("blocker") + "/set.ini");
  window = std::make_unique<TfmMain>(dialogs, options);
  window.reset();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Unable to write to " + dir.File("blocker") + "/set.ini.");
  EXPECT_EQ(dialogs.messages[0].caption, "Snipola");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

// ---------------------------------------------------------------------------
// Opening files the three ways, with the program's probe

TEST_F(TfmMainTest, DroppingThreeFilesOpensTheFirst) {
  Create("[Set]\nPresentWithSecond=0\n");
  window->Model().SetFileProbe(&GetAudioFileInfo);
  window->show();
  const std::string first = WriteWav("first.wav", 1000, 8000);
  const std::string second = WriteWav("second.wav", 2000, 11025);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(second)),
                QUrl("https://example.org/third.wav")});
  QDragEnterEvent enter(QPoint(200, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
  QDropEvent drop(QPointF(200, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(window->Model().FileName, first);
  EXPECT_EQ(LabelText("lbFileName"), "File Name : first.wav");
  EXPECT_EQ(LabelText("lbSample"), "Sample Rate : 8000");
  EXPECT_EQ(LabelText("lbLength"), "Length : 1000 ms");
  EXPECT_TRUE(dialogs.messages.empty());
}

// File names may hold characters that look like markup; the label shows them
// as they are, like a label made for plain text with the same text.
TEST_F(TfmMainTest, AFileNameThatLooksLikeMarkupIsShownAsItIs) {
  Create("[Set]\nPresentWithSecond=0\n");
  window->Model().SetFileProbe(&GetAudioFileInfo);
  window->show();
  const std::string path = WriteWav("a<b>b&lt;.wav", 1000, 8000);
  ASSERT_TRUE(window->Model().LoadFile(path));
  auto* shown = Child<QLabel>("lbFileName");
  ASSERT_EQ(shown->text(), "File Name : a<b>b&lt;.wav");
  QLabel plain(shown->parentWidget());
  plain.setTextFormat(Qt::PlainText);
  plain.setAlignment(shown->alignment());
  plain.setGeometry(shown->geometry());
  plain.setText(shown->text());
  EXPECT_TRUE(shown->grab().toImage() == plain.grab().toImage()) << "rendered as markup";
}

TEST_F(TfmMainTest, ADropWithoutLocalFilesIsRefused) {
  Create();
  window->Model().SetFileProbe(&GetAudioFileInfo);
  QMimeData mime;
  mime.setUrls({QUrl("https://example.org/song.mp3")});
  QDragEnterEvent enter(QPoint(200, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(TfmMainTest, TheFirstCommandLineArgumentOpensAtTheFirstShow) {
  const std::string first = WriteWav("first.wav", 1500, 22050);
  const std::string second = WriteWav("second.wav", 2500);
  Create("[Set]\nPresentWithSecond=0\n",
         {QString::fromStdString(first), QString::fromStdString(second)});
  window->Model().SetFileProbe(&GetAudioFileInfo);
  EXPECT_EQ(LabelText("lbFileName"), "File Name : None");
  window->show();
  EXPECT_EQ(window->Model().FileName, first);
  EXPECT_EQ(LabelText("lbFileName"), "File Name : first.wav");
  EXPECT_EQ(LabelText("lbSample"), "Sample Rate : 22050");
  EXPECT_EQ(LabelText("lbLength"), "Length : 1500 ms");
  window->hide();
  window->show();
  EXPECT_EQ(window->Model().FileName, first);
}

TEST_F(TfmMainTest, ACommandLineFileThatCannotBeOpenedIsReportedAndNothingOpens) {
  const std::string text = dir.File("notes.txt");
  std::ofstream(text) << "hello";
  Create("", {QString::fromStdString(text)});
  window->Model().SetFileProbe(&GetAudioFileInfo);
  window->show();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "We can only accept mp3 and wav file");
  EXPECT_EQ(window->Model().FileName, "");
  EXPECT_EQ(LabelText("lbFileName"), "File Name : None");
}

// ---------------------------------------------------------------------------
// The analyzer

TEST_F(TfmMainTest, TheAnalysisSwitchFollowsTheSettingTheCheckBoxAndTheMenu) {
  SetShowAnalyzerFlag(true);
  Create("[Set]\nShowSpec=0\n");
  EXPECT_FALSE(ShowAnalyzerFlag());
  CreateAnalyzer();
  window->show();
  QTest::mouseClick(Child<QCheckBox>("cbShowSpec"), Qt::LeftButton);
  EXPECT_TRUE(ShowAnalyzerFlag());
  EXPECT_TRUE(led->isVisible());
  MenuItem("ShowSpectrumanalyzer1")->trigger();
  EXPECT_FALSE(ShowAnalyzerFlag());
  EXPECT_FALSE(led->isVisible());
  MenuItem("ShowSpectrumanalyzer1")->trigger();
  EXPECT_TRUE(ShowAnalyzerFlag());
  window.reset();
  SetShowAnalyzerFlag(false);
  Create();
  EXPECT_TRUE(ShowAnalyzerFlag()) << "the saved setting comes back";
}

TEST_F(TfmMainTest, PlayingDrawsBarsAndStoppingClearsThem) {
  Create("[Set]\nPresentWithSecond=0\nShowSpec=1\n");
  CreateAnalyzer();
  FakeWaveOut* device = PlugFakeDevice();
  window->Model().SetFileProbe(&GetAudioFileInfo);
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("clip.wav", 5000)));
  window->show();
  LedPicture empty(MakeLedBackground());
  empty.DrawLedGrid();
  ASSERT_NE(led->OffscreenPicture(), nullptr);
  EXPECT_EQ(led->OffscreenPicture()->image(), empty.image());

  QTest::mouseClick(Child("tbPlay"), Qt::LeftButton);
  device->PlayNext();
  device->PlayNext();
  EXPECT_NE(led->OffscreenPicture()->image(), empty.image()) << "no bars after two blocks";
  QTest::mouseClick(Child("tbStop"), Qt::LeftButton);
  EXPECT_EQ(led->OffscreenPicture()->image(), empty.image());
}

// ---------------------------------------------------------------------------
// The export command

TEST_F(TfmMainTest, ExportDoesNothingWithoutAFileOrWithCrossedMarks) {
  Create("[Set]\nPresentWithSecond=0\n");
  FakeWaveOut* device = PlugFakeDevice();
  window->show();
  // The program's own dialog runner: should it ever open the dialog here, the
  // dialog is closed again at once and the test fails instead of waiting.
  bool dialogShown = false;
  QTimer watchdog;
  watchdog.setInterval(20);
  QObject::connect(&watchdog, &QTimer::timeout, [&dialogShown] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      dialogShown = true;
      modal->close();
    }
  });
  watchdog.start();

  QTest::keyClick(window.get(), Qt::Key_S);
  QTest::mouseClick(Child("tbExport"), Qt::LeftButton);

  window->Model().SetFileProbe(&GetAudioFileInfo);
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("clip.wav", 5000)));
  window->Model().CurPos = 2000;
  window->Model().tbMarkbeginClick();
  window->Model().CurPos = 1000;
  window->Model().tbMarkendClick();
  window->Model().tbPlayClick();
  ASSERT_TRUE(window->Model().Playing());
  QTest::keyClick(window.get(), Qt::Key_S);
  MenuItem("Exportselected1")->trigger();
  EXPECT_TRUE(window->Model().Playing()) << "an export that cannot start stops nothing";
  EXPECT_EQ(device->resets, 0);
  EXPECT_FALSE(dialogShown);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TfmMainTest, ExportStopsPlaybackThenShowsTheDialogWithTheFileAndMarks) {
  Create("[Set]\nPresentWithSecond=0\n");
  FakeWaveOut* device = PlugFakeDevice();
  struct Call {
    QWidget* owner;
    std::string fileName;
    AudioFileInfo info;
    int32_t markBeginMs;
    int32_t markEndMs;
    bool playingAfterStop;
    int32_t curPosAfterStop;
  };
  std::vector<Call> calls;
  window->SetExportDialogRunner([&](QWidget* owner, const std::string& fileName,
                                    const AudioFileInfo& info, int32_t markBeginMs,
                                    int32_t markEndMs, Dialogs&,
                                    const std::function<void()>& stopPlayback) {
    stopPlayback();
    calls.push_back({owner, fileName, info, markBeginMs, markEndMs, window->Model().Playing(),
                     window->Model().CurPos});
    return false;
  });
  window->Model().SetFileProbe(&GetAudioFileInfo);
  const std::string clip = WriteWav("clip.wav", 5000);
  ASSERT_TRUE(window->Model().LoadFile(clip));
  window->show();
  window->Model().CurPos = 1000;
  window->Model().tbMarkbeginClick();
  window->Model().CurPos = 3000;
  window->Model().tbMarkendClick();
  window->Model().tbPlayselectedClick();
  device->PlayNext();
  ASSERT_TRUE(window->Model().Playing());

  QTest::mouseClick(Child("tbExport"), Qt::LeftButton);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].owner, window.get());
  EXPECT_EQ(calls[0].fileName, clip);
  EXPECT_EQ(calls[0].info, window->Model().FileInfo);
  EXPECT_EQ(calls[0].markBeginMs, 1000);
  EXPECT_EQ(calls[0].markEndMs, 3000);
  EXPECT_FALSE(calls[0].playingAfterStop);
  EXPECT_EQ(calls[0].curPosAfterStop, 0);
  EXPECT_FALSE(device->IsOpen());

  QTest::keyClick(window.get(), Qt::Key_S);
  MenuItem("Exportselected1")->trigger();
  EXPECT_EQ(calls.size(), 3u);
}
