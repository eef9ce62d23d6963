// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's wiring: buttons, menu items, keys, mouse and window events
// reach their commands; settings, analyzer, drops and the export dialog.
#include "app/widgets/tfm_main.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <functional>

#include "app/help_file.h"
#include "app/main_playback.h"
#include "app/named_refusal.h"
#include "app/settings.h"
#include "audio/mp3io.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/core_application.h"
#include "support/fake_wave_out.h"
#include "support/mp3_maker.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "waveform/waveform_model.h"

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, QPoint global) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), Qt::LeftButton, held,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

// Press at `local`, move the pointer from `from` to `to` on the screen, release.
void Drag(QWidget* target, QPoint local, QPoint from, QPoint to) {
  SendMouse(target, QEvent::MouseButtonPress, local, from);
  SendMouse(target, QEvent::MouseMove, local, to);
  SendMouse(target, QEvent::MouseButtonRelease, local, to);
}

// Records the model's starts ("start@end") and stops.
class FakePlayback : public PlaybackHooks {
 public:
  bool playing = false;
  std::string calls;
  bool Playing() const override { return playing; }
  void StartPlayback(const std::string&, const AudioFileInfo&, uint32_t startMs,
                     int32_t endMs) override {
    calls += std::to_string(startMs) + "@" + std::to_string(endMs) + " ";
  }
  void StopPlayback() override { calls += "stop "; }
};

class TfmMainTest : public ::testing::Test {
 protected:
  TfmMainTest() { TestApplication(); }
  ~TfmMainTest() override { window.reset(), fmLed = nullptr; }
  void Create(const std::string& ini = "[Set]\nPresentWithSecond=0\n", QStringList args = {}) {
    WriteText(dir.File("set.ini"), ini);
    const auto path = [&](const char* name) { return QString::fromStdString(dir.File(name)); };
    window = std::make_unique<TfmMain>(
        dialogs, TfmMain::Options{path("snipola"), path("set.ini"), args, path("index.html")});
    window->SetShellOpen([this](const QString& target) {
      opened.push_back(target);
      return opened.size() > 1;  // the first time no program opens it
    });
    window->Model().SetFileProbe(&ProbeNamingRefusal);
  }
  template <typename T = QWidget>
  T* Child(const char* name) {
    auto* child = window->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QString Label(const char* name) { return Child<QLabel>(name)->text(); }
  QAction* Item(const char* name) { return window->PopupMenu1()->findChild<QAction*>(name); }
  std::string Marks() {
    const MainWindowModel& m = window->Model();
    return std::to_string(m.CurPos) + " " + std::to_string(m.MarkBegin) + "-" +
           std::to_string(m.MarkEnd);
  }
  std::string WriteWav(const std::string& name, int32_t lengthMs, int rate = 44100) {
    WriteWavFile(dir.File(name), rate, 2, MakeTestSignal(lengthMs * rate / 1000, 2, rate));
    return dir.File(name);
  }
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<TfmMain> window;
  std::vector<QString> opened;
};

}  // namespace

// Each image button and its menu twin leave the same position, marks, playback calls, open
// dialogs and exports. Export stops playback (it reads the same stream), then gets file and marks.
TEST_F(TfmMainTest, EveryButtonAndItsMenuTwinRunTheirCommand) {
  Create();
  FakePlayback playback;
  window->Model().SetPlayback(&playback);
  int exports = 0;
  const std::string wav = WriteWav("a.wav", 10000, 8000);
  window->SetExportDialogRunner([&](QWidget* owner, const std::string& fileName,
                                    const AudioFileInfo& info, int32_t beginMs, int32_t endMs,
                                    Dialogs&, const std::function<void()>& stopPlayback,
                                    std::shared_ptr<Mp3ScanIndex>) {
    stopPlayback();
    exports += owner == window.get() && fileName == wav && info.LengthMs == 10000 &&
               beginMs == 2000 && endMs == 4000;
    return false;
  });
  ASSERT_TRUE(window->Model().LoadFile(wav));
  const auto run = [&](const std::function<void()>& trigger) {
    MainWindowModel& m = window->Model();
    m.CurPos = 3000, m.MarkBegin = 2000, m.MarkEnd = 4000;
    playback.calls.clear(), dialogs.openFilters.clear(), exports = 0;
    playback.playing = true;  // so that Stop has something to stop
    dialogs.openAnswers = {std::nullopt};
    trigger();
    return Marks() + " " + playback.calls + std::to_string(dialogs.openFilters.size()) +
           std::to_string(exports);
  };
  const struct {
    const char *button, *item, *after;
  } kRows[] = {{"tbOpenFile", "OpenFile1", "3000 2000-4000 10"},
               {"tbJumpBegin", "Jumptobegin1", "0 2000-4000 0@0 00"},
               {"tbPlay", "Play1", "3000 2000-4000 3000@10000 00"},
               {"tbPause", "Pause1", "3000 2000-4000 stop 00"},
               {"tbStop", "Stop1", "0 2000-4000 stop 00"},
               {"tbJumpend", "JumptoEnd1", "10000 2000-4000 stop 00"},
               {"tbMarkbegin", "Markasbegin1", "3000 3000-4000 00"},
               {"tbMarkend", "Markasend1", "3000 2000-3000 00"},
               {"tbMarkall", "MarkAll1", "3000 0-10000 00"},
               {"tbJumpmarkbegin", "Jumptomarkbegin1", "2000 2000-4000 2000@10000 00"},
               {"tbPlayselected", "Playmarked1", "3000 2000-4000 3000@4000 00"},
               {"tbJumpmarkend", "Jumptomarkend1", "4000 2000-4000 stop 00"},
               {"tbExport", "Exportselected1", "0 2000-4000 stop 01"}};
  for (const auto& row : kRows) {
    EXPECT_EQ(run([&] { QTest::mouseClick(Child(row.button), Qt::LeftButton); }), row.after)
        << row.button;
    ASSERT_NE(Item(row.item), nullptr) << row.item;
    EXPECT_EQ(run([&] { Item(row.item)->trigger(); }), row.after) << row.item;
  }
  window->Model().SetPlayback(nullptr);
}

// K and "Split into pieces ..." open the split dialog for the opened file; the points it shows
// reach the selection bar and the waveform until it closes.
TEST_F(TfmMainTest, KAndItsMenuItemOpenTheSplitDialogWhosePointsAreDrawn) {
  Create();
  const std::string wav = WriteWav("a.wav", 10000, 8000);
  ASSERT_TRUE(window->Model().LoadFile(wav));
  int opened = 0;
  std::vector<SampleIndex> onWave;
  std::vector<int> onBar;
  window->SetSplitDialogRunner([&](QWidget* owner, const std::string& fileName,
                                   const AudioFileInfo& info, Dialogs&,
                                   const std::function<void(std::vector<SampleIndex>)>& showPoints,
                                   std::shared_ptr<Mp3ScanIndex>) {
    opened += owner == window.get() && fileName == wav && info.LengthFrames.Frame() == 80000;
    showPoints({SampleIndex(40000)});
    onWave = window->WaveModel().SplitPoints();
    onBar = window->Model().Display().splitPointXs;
    showPoints({});
    return false;
  });
  QTest::keyClick(window.get(), Qt::Key_K);
  EXPECT_EQ(Item("Splitintopieces1")->text(), "Split into pieces ...\tK");
  Item("Splitintopieces1")->trigger();
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(onWave, std::vector<SampleIndex>{SampleIndex(40000)});
  EXPECT_EQ(onBar, std::vector<int>{16 + 170 + 15});
  EXPECT_TRUE(window->WaveModel().SplitPoints().empty());
}

// Advanced items, keys (Shift or Ctrl, not Alt; also after the unit switch took the focus),
// labels, the handle, the title strip and its glyphs.
TEST_F(TfmMainTest, AdvancedItemsKeysLabelsAndTheMouseReachTheirCommands) {
  Create();
  int abouts = 0;
  window->SetAboutCommand([&abouts] { ++abouts; });
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("a.wav", 340000, 1000)));
  window->show();
  dialogs.inputAnswers = {"2500", "1", "2", "3", "40000"};
  for (const char* item : {"SetMarkLengthusingEnteringValue1", "SetCurrentPosition1",
                           "SetMarkBeginPosition1", "SetMarkEndPosition1"})
    Item(item)->trigger();
  EXPECT_EQ(Marks(), "1 2-3");
  QTest::mouseClick(Child("lbCurPos"), Qt::LeftButton);
  Item("movecurrentposition10000millisecondsless1")->trigger();
  Item("PressPtomovecurrentposition10000millisecondsmore1")->trigger();
  Item("PressTtomovecurrentposition1millisecondsless1")->trigger();
  QTest::keyClick(window.get(), Qt::Key_P);
  QTest::keyClick(window.get(), Qt::Key_B, Qt::ShiftModifier);
  QTest::keyClick(window.get(), Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(Marks(), "44999 49999-3");
  QApplication::setActiveWindow(window.get());
  QTest::mouseClick(Child<QCheckBox>("cbUseSecond"), Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), Child("GroupBox1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
  EXPECT_EQ(Label("lbCurPos"), "Current Pos : 00:00:54");
  QWidget* handle = Child("imTrackButton");
  Drag(handle, {15, 7}, {500, 300}, {550, 300});
  EXPECT_EQ(handle->x(), 16 + 55 + 50);
  EXPECT_EQ(Label("lbCurPos"), "Current Pos : 00:01:45");
  window->move(100, 100);
  QWidget* image = Child("Image1");
  Drag(image, {100, 5}, {200, 105}, {230, 125});
  EXPECT_EQ(window->pos(), QPoint(130, 120));
  for (const QPoint glyph : {QPoint(348, 5), QPoint(360, 5), QPoint(375, 5)}) {
    SendMouse(image, QEvent::MouseButtonPress, glyph, glyph);
    SendMouse(image, QEvent::MouseButtonRelease, glyph, glyph);
  }
  QAccessibleInterface* about = QAccessible::queryAccessibleInterface(Child("glyphAbout"));
  EXPECT_EQ(about->text(QAccessible::Name), "About");  // a screen reader's press
  about->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(WaitUntil([&abouts] { return abouts == 2; }, 2000));  // an animated click
  EXPECT_EQ(opened, (std::vector<QString>{QString::fromStdString(dir.File("index.html"))}));
  EXPECT_EQ(dialogs.LastMessageText(), NoHelpOpenerText(dir.File("index.html")));
  EXPECT_TRUE(window->isMinimized());
}

// Tab runs through the buttons, value lines and check boxes, where the window's keys keep their
// meaning and Space presses; the menu keys open the popup; a screen reader sees named buttons,
// the value lines as buttons and the track as a slider at the position.
TEST_F(TfmMainTest, KeyboardAndScreenReaderReachEveryControl) {
  Create();
  ASSERT_TRUE(window->Model().LoadFile(WriteWav("a.wav", 10000, 8000)));
  window->show();
  QApplication::setActiveWindow(window.get());
  EXPECT_EQ(window->windowTitle(), "a.wav \u2014 Snipola");
  const auto accessible = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
  QStringList chain;
  Child("tbOpenFile")->setFocus(Qt::TabFocusReason);
  for (int tab = 0; tab < 20; ++tab) {
    QWidget* at = QApplication::focusWidget();
    chain << at->objectName() + ":" + accessible(at)->text(QAccessible::Name) +
                 (accessible(at)->role() == QAccessible::CheckBox ? "" : ":" + at->toolTip());
    QTest::keyClick(at, Qt::Key_Tab);
  }
  EXPECT_EQ(chain.join(" ").toStdString(),
            "tbOpenFile:Open File:Open File (L) tbJumpBegin:Go to begin:Go to begin "
            "tbPlay:Play:Play (Enter) tbPause:Pause:Pause (Enter) tbStop:Stop:Stop "
            "tbJumpend:Go to end:Go to end tbMarkbegin:Mark as begin:Mark as begin (B) "
            "tbMarkend:Mark as end:Mark as end (N) tbMarkall:Mark all:Mark all (A) "
            "tbJumpmarkbegin:Go to mark begin:Go to mark begin (Up) "
            "tbPlayselected:Play mark:Play mark tbJumpmarkend:Go to mark end:Go to mark end (Down) "
            "tbExport:Cut out:Cut out (S) lbCurPos:Current Pos : 0 ms: "
            "lbBeginPos:Begin Pos : 0 ms: lbEndPos:End Pos : 0 ms: lbLenExport:Length : 0 ms: "
            "cbUseSecond:Represent with second cbShowSpec:Show Spectrum analyzer "
            "tbOpenFile:Open File:Open File (L)");
  EXPECT_EQ(accessible(Child("lbEndPos"))->role(), QAccessible::Button);
  EXPECT_EQ(Item("Markasbegin1")->text(), "Mark as begin\tB");
  QTest::keyClick(Child("cbUseSecond"), Qt::Key_Right);  // a nudge, not the next control
  QTest::keyClick(Child("tbMarkbegin"), Qt::Key_B);
  QTest::keyClick(Child("lbEndPos"), Qt::Key_Space);  // the value entry, here cancelled
  accessible(Child("lbCurPos"))
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(dialogs.inputs.size(), 2u);  // by Space and by the screen reader's press
  QTest::keyClick(Child("tbMarkend"), Qt::Key_Space);
  EXPECT_EQ(Marks(), "5000 5000-5000");
  QAccessibleInterface* track = accessible(Child("imTrackBar"));
  EXPECT_EQ(track->role(), QAccessible::Slider);
  EXPECT_EQ(track->valueInterface()->currentValue(), 5000);
  EXPECT_EQ(track->valueInterface()->maximumValue(), 10000);
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
    QTest::keyClick(Child("tbStop"), key, modifiers);
    EXPECT_TRUE(window->PopupMenu1()->isVisible()) << key;
    EXPECT_EQ(window->PopupMenu1()->palette().color(QPalette::Window), QColor(50, 50, 50));
    window->PopupMenu1()->hide();
  }
}

// Settings come and go with the window; the analyzer docks and minimises with it and is fed by
// playback; an MP3 opens while another plays (the probe needs the decoder's only stream, so the
// open stops playback first); Exit ends a running scan; a termination signal closes every window.
TEST_F(TfmMainTest, SettingsAnalyzerPlaybackAndScanComeAndGoWithTheWindow) {
  Create("[Set]\nPresentWithSecond=0\nShowSpec=0\n");
  TfmLed led;
  fmLed = &led;
  auto* device = new FakeWaveOut;
  window->PlugPlayback(std::unique_ptr<FakeWaveOut>(device));
  ASSERT_TRUE(window->Model().LoadFile(CachedMp3(44100, 2, 3 * 44100).path));
  window->show();
  EXPECT_FALSE(led.isVisible());
  window->move(300, 400);
  EXPECT_EQ(led.pos(), QPoint(300 + 200 - 64, 400 - 44));
  QTest::mouseClick(Child<QCheckBox>("cbShowSpec"), Qt::LeftButton);
  EXPECT_TRUE(Item("ShowSpectrumanalyzer1")->isChecked());
  window->windowHandle()->showMinimized();
  QApplication::processEvents();
  EXPECT_FALSE(led.isVisible());
  led.setWindowState(Qt::WindowMinimized);  // as a window manager minimising the whole family
  window->windowHandle()->showNormal();
  QApplication::processEvents();
  EXPECT_TRUE(led.isVisible() && !led.isMinimized()) << "shown minimised: takes the window down";
  ASSERT_NE(led.OffscreenPicture(), nullptr);
  const QImage empty = led.OffscreenPicture()->image();
  window->Model().tbPlayClick();
  device->PlayNext();
  device->PlayNext();
  EXPECT_NE(led.OffscreenPicture()->image(), empty) << "no bars after two blocks";
  ASSERT_TRUE(window->Model().LoadFile(CachedMp3(22050, 1, 22050).path));
  EXPECT_EQ(led.OffscreenPicture()->image(), empty);
  window->Model().tbPlayClick();
  device->playedBytes.clear();
  device->PlayAll();
  EXPECT_EQ(device->playedBytes.size(), 22050u * 2);
  EXPECT_EQ(Label("lbCurPos"), "Current Pos : 1000 ms");
  window->Model().tbPlayClick();  // from the end: from 0
  device->PlayNext();
  Item("Representwithsecond1")->trigger();
  EXPECT_TRUE(Child<QCheckBox>("cbUseSecond")->isChecked());
  // 200 encodes joined: playing while the scan runs, and Exit ends the scan, measuring nothing.
  const std::vector<uint8_t> part = ReadFileBytes(CachedMp3(22050, 1, 22050).path);
  std::vector<uint8_t> joined;
  for (int i = 0; i < 200; ++i) joined.insert(joined.end(), part.begin(), part.end());
  WriteBytesToFile(dir.File("joined.mp3"), joined);
  window->PlugScan();
  ASSERT_TRUE(window->Model().LoadFile(dir.File("joined.mp3")));
  const std::shared_ptr<Mp3ScanIndex> scan = window->Model().Scan();
  window->Model().tbPlayClick();
  device->PlayNext();
  EXPECT_TRUE(device->IsOpen());
  window->Exit1Click();
  EXPECT_TRUE(scan->Ended());
  EXPECT_FALSE(scan->FinishedFacts().has_value());
  QWidget other;  // as a running export's dialog: closed first, which cancels the export
  other.show();
  window->Terminate();  // a termination signal
  EXPECT_FALSE(other.isVisible() || window->isVisible());
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(window->Model().CurPos, 0);
  dialogs.SetFolder("/music/last");  // as a chosen file leaves it
  window.reset();
  EXPECT_EQ(LoadSettings(dir.File("set.ini")), (DisplaySettings{true, true}));
  EXPECT_EQ(LoadLastFolder(dir.File("set.ini")), "/music/last");
}

TEST_F(TfmMainTest, FilesOpenByDropAndCommandLineAndNamesShowAsPlainText) {
  const std::string first = WriteWav("a<b>&lt;.wav", 1000, 8000);
  Create("", {QString::fromStdString(dir.File("gone.mp3"))});
  window->show();
  QApplication::processEvents();  // a missing file: its name and why, over the shown window
  EXPECT_EQ(dialogs.LastMessageText(),
            "Error while open mp3 file\ngone.mp3: No such file or directory");
  dialogs.messages.clear();
  Create("", {QString::fromStdString(first), "second.wav"});
  window->show();
  EXPECT_EQ(Label("lbFileName"), "File Name : None");
  QApplication::processEvents();
  EXPECT_EQ(Label("lbFileName"), "File Name : a<b>&lt;.wav");
  EXPECT_EQ(Child<QLabel>("lbFileName")->textFormat(), Qt::PlainText);
  QMimeData mime;
  mime.setUrls({QUrl("https://example.org/x.wav")});
  const auto enters = [&] {
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(window.get(), &enter);
    return enter.isAccepted();
  };
  EXPECT_FALSE(enters());
  const std::string longName = WriteWav("b with a name too long for its line.wav", 2000, 11025);
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(longName)),
                QUrl::fromLocalFile(QString::fromStdString(first))});
  EXPECT_TRUE(enters());
  QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(Label("lbSample"), "Sample Rate : 11025");
  EXPECT_TRUE(Label("lbFileName").startsWith("File Name : b with") &&
              Label("lbFileName").endsWith(u'\u2026'));  // cut short, the whole path a tool tip
  EXPECT_EQ(Child("lbFileName")->toolTip().toStdString(), longName);
  EXPECT_TRUE(dialogs.messages.empty());
}
