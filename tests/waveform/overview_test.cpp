// SPDX-License-Identifier: GPL-3.0-or-later
// The overview of real files through WaveformModel: a file replacing a running
// overview, damaged files that show what can be read; the detail strip by a scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "audio/mp3io.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "waveform/waveform_model.h"

namespace {

constexpr int kRate = 44100;

// A damaged MP3 replaces a running overview of a long WAV: none of the WAV's
// columns may land in it, and the readable part is shown.
TEST(OverviewTest, DamagedFilesShowWhatCanBeReadAndReplaceARunningOverview) {
  EnsureCoreApplication();
  TempDir dir;
  ScriptedDialogs dialogs;
  WaveformModel model(100, 50);
  model.SetActive(true);
  const auto open = [&](const std::string& path, const AudioFileInfo& info) {
    model.OpenFile(path, info);
    EXPECT_TRUE(WaitUntil([&] { return !model.OverviewRunning(); }, 20000));
    return std::count_if(model.Overview().begin(), model.Overview().end(),
                         [](const ColumnPeak& peak) { return peak.filled; });
  };
  const std::string whole = dir.File("whole.mp3");
  ASSERT_TRUE(WriteMp3File(whole, MakeTestSignal(4 * kRate, 2, kRate), kRate, 2));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(whole, info, dialogs));
  // Cut off after 60 % of its bytes, as when truncated after being opened.
  std::vector<uint8_t> bytes = ReadFileBytes(whole);
  const std::string cut = dir.File("cut.mp3");
  std::ofstream(cut, std::ios::binary)
      .write(reinterpret_cast<char*>(bytes.data()), bytes.size() * 6 / 10);
  const std::string wav = dir.File("long.wav");
  WriteWavFile(wav, kRate, 2, MakeTestSignal(60 * kRate, 2, kRate));
  model.OpenFile(wav, {AudioFileInfo::kTypeWav, kRate, 2, 1411, 60000, SampleIndex(60 * kRate)});
  const auto filled = open(cut, info);
  EXPECT_TRUE(filled > 40 && filled < 70) << filled;
  EXPECT_GT(model.Overview()[10].max, 15000);
  WriteText(dir.File("garbage.mp3"), std::string(100000, '\x5a'));
  EXPECT_EQ(open(dir.File("garbage.mp3"), info), 0);
  // The detail strip reads an MP3 by its scan, as far as the scan has decoded and no further.
  auto scan = std::make_shared<Mp3ScanIndex>();
  scan->SetFrameIndex({}, 0, false);
  scan->SetDecodedFrames(kRate);
  model.OpenFile(whole, info, scan);
  model.SetPosition(500);
  EXPECT_GT(model.DetailValidEnd(), model.DetailValidFirst());
  model.SetPosition(3000);
  EXPECT_EQ(model.DetailValidEnd(), model.DetailValidFirst());
}

}  // namespace
