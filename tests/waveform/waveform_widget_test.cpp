// SPDX-License-Identifier: GPL-3.0-or-later
// The waveform window in the running main window, with a real short file.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <cmath>

#include "app/key_table.h"
#include "app/widgets/tfm_main.h"
#include "audio/mp3io.h"
#include "support/core_application.h"
#include "support/fake_wave_out.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "waveform/waveform_model.h"
#include "waveform/widgets/tfm_wave.h"

// One run: V shows the window (off by default), set.ini keeps it; it hangs
// under the main window; silent half flat, loud half tall; a click at 75 %
// seeks there and restarts playback; the detail strip stays centred.
TEST(WaveformWidgetTest, DocksDrawsSeeksAndFollowsThePosition) {
  TestApplication();
  TempDir dir;
  ScriptedDialogs dialogs;
  const auto path = [&](const char* name) { return QString::fromStdString(dir.File(name)); };
  auto window = std::make_unique<TfmMain>(
      dialogs, TfmMain::Options{path("snipola"), path("set.ini"), {}, {}});
  window->Model().SetFileProbe(&GetAudioFileInfo);
  // 2 s of stereo: 1 s of silence, then a loud 441 Hz tone.
  std::vector<int16_t> samples(4 * 44100, 0);
  for (size_t i = 2 * 44100; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(30000 * std::sin(i / 2 * 2 * M_PI / 100));
  WriteWavFile(dir.File("half.wav"), 44100, 2, samples);
  ASSERT_TRUE(window->Model().LoadFile(dir.File("half.wav")));
  window->show();
  TfmWave* waveWindow = window->Wave();
  EXPECT_FALSE(waveWindow->isVisible()) << "off by default";
  window->Model().WMKeyDown('V');
  EXPECT_TRUE(waveWindow->isVisible() &&
              window->PopupMenu1()->findChild<QAction*>("ShowWaveform1")->isChecked());
  for (const QPoint to : {QPoint(100, 120), QPoint(37, 300)}) {
    window->move(to);
    EXPECT_EQ(waveWindow->pos(), to + QPoint(0, 210));
    EXPECT_EQ(waveWindow->width(), window->width());
  }
  ASSERT_TRUE(WaitUntil([&] { return !window->WaveModel().OverviewRunning(); }, 20000));
  const QImage picture = waveWindow->grab().toImage();
  const auto waveHeight = [&](int column) {
    int height = 0;
    for (int y = TfmWave::kOverviewTop; y < TfmWave::kOverviewTop + TfmWave::kOverviewHeight; ++y)
      height += picture.pixelColor(TfmWave::kStripLeft + column, y) == QColor(57, 182, 16);
    return height;
  };
  for (int column : {10, 100, 180}) EXPECT_LE(waveHeight(column), 2) << column;
  for (int column : {200, 300, 380}) EXPECT_GE(waveHeight(column), 48) << column;
  // 75 % of the strip's 384 columns is column 288: 1500 of the 2000 ms.
  const QPointF at(TfmWave::kStripLeft + 288, TfmWave::kOverviewTop + 20);
  QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
  auto* played = new FakeWaveOut;
  window->PlugPlayback(std::unique_ptr<FakeWaveOut>(played));
  window->Model().WMKeyDown(kVirtualKeyReturn);  // playing from 0
  QApplication::sendEvent(waveWindow, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, {});
  QApplication::sendEvent(waveWindow, &release);
  EXPECT_EQ(window->Model().CurPos, 1500);
  EXPECT_EQ(played->opens, 2) << "playback restarts at the click";
  window->Model().WMKeyDown(kVirtualKeyReturn);  // stops
  // A drag from column 288 to column 96 (500 ms) marks the piece between them; the position stays.
  const QPointF to(TfmWave::kStripLeft + 96, TfmWave::kOverviewTop + 20);
  QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, {});
  QMouseEvent dropped(QEvent::MouseButtonRelease, to, to, Qt::LeftButton, Qt::NoButton, {});
  for (QMouseEvent* event : {&press, &move, &dropped}) QApplication::sendEvent(waveWindow, event);
  EXPECT_EQ(std::to_string(window->Model().MarkBegin) + "-" +
                std::to_string(window->Model().MarkEnd) + " " +
                std::to_string(window->Model().CurPos),
            "500-1500 1500");
  const WaveformModel& wave = window->WaveModel();
  // The overview column of a position's sample (88200 frames in 384 columns); the end is past all.
  EXPECT_EQ(
      std::vector({wave.OverviewXForMs(0), wave.OverviewXForMs(1499), wave.OverviewXForMs(2000)}),
      std::vector({0, 287, 384}));
  for (const char key : {'Y', 'T', 'U'}) {
    const int64_t firstBefore = wave.Detail().firstFrame;
    const int32_t before = window->Model().CurPos;
    window->Model().WMKeyDown(key);
    const int32_t now = window->Model().CurPos;
    ASSERT_NE(now, before);
    EXPECT_EQ(wave.PositionMs(), now);
    EXPECT_NEAR(wave.DetailXForMs(now), TfmWave::kStripWidth / 2.0, 0.5) << key;
    EXPECT_EQ(wave.PositionForDetailX(wave.DetailXForMs(now)), now);  // a drag's pixel, back
    EXPECT_NEAR(static_cast<double>(wave.Detail().firstFrame - firstBefore), (now - before) * 44.1,
                1.0);
  }
  // A quarter second after the position the strip holds the loud tone.
  EXPECT_GT(wave.DetailPeaks()[TfmWave::kStripWidth * 3 / 4].max, 20000);
  window.reset();
  EXPECT_NE(ReadText(dir.File("set.ini")).find("ShowWave=1"), std::string::npos);
}
