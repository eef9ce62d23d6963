// The export dialog's wiring on the offscreen platform: Go's checks and their
// order, the save dialog, the export look, closing, "Lossless", re-entry while
// exporting, and the main window's export command. Answers come from
// ScriptedDialogs; the rules themselves are tested in export_options_test.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QShowEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "audio/mp3io.h"
#include "export/widgets/export_command.h"
#include "export/widgets/tfm_export.h"
#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "ui/transparent_button.h"

namespace {

AudioFileInfo Wav(int rate, int channels = 2, int lengthMs = 2000) {
  return MakeInfo(AudioFileInfo::kTypeWav, rate, channels, lengthMs, 192);
}

class ExportDialog : public ::testing::Test {
 protected:
  void SetUp() override { TestApplication(); }
  // A shown dialog over a real 2-second 44100 Hz stereo WAV, marks 500..1500.
  std::unique_ptr<Tfmexport> Open() {
    WriteWavFile(sourcePath, 44100, 2, MakeTestSignal(44100 * 2, 2, 44100));
    auto dialog = std::make_unique<Tfmexport>(dialogs);
    dialog->FileInfo = Wav(44100);
    dialog->MarkBegin = 500;
    dialog->MarkEnd = 1500;
    dialog->SourceFileName = sourcePath;
    dialog->show();
    return dialog;
  }
  static bool InExportLook(const Tfmexport& d) {
    return !d.progressbar->isHidden() && d.tbok->isHidden() && !d.GroupBox1->isEnabled();
  }
  static void ClickCross(Tfmexport& d) {
    QTest::mousePress(d.Image1, Qt::LeftButton, {}, QPoint(225, 10));
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  std::string sourcePath = dir.File("source.wav");
};

TEST_F(ExportDialog, BadFadeBoxesStopGoBeforeTheSaveDialogDigitsCheckedFirst) {
  const char* digitsOnly = "Please input number in the fade-in and fade-out second editbox.";
  const struct {
    const char *fadeIn, *fadeOut, *message, *caption;
  } rows[] = {{"-1", "1", digitsOnly, "Error"},
              {"", "x", digitsOnly, "Error"},  // both boxes' digits before any conversion
              {"1", "99999999999", "'99999999999' is not a valid integer value.", "Snipola"}};
  for (const auto& row : rows) {
    auto d = Open();
    dialogs.messages.clear();
    d->Edit1->setText(row.fadeIn);
    d->Edit2->setText(row.fadeOut);
    d->tbokClick();
    ASSERT_EQ(dialogs.messages.size(), 1u) << row.fadeOut;
    EXPECT_EQ(dialogs.messages[0].text, row.message);
    EXPECT_EQ(dialogs.messages[0].caption, row.caption);
    EXPECT_TRUE(dialogs.saveFilters.empty());
    EXPECT_TRUE(d->isVisible() && !InExportLook(*d));
  }
}

TEST_F(ExportDialog, ReshowByTheWindowSystemKeepsChoicesAndExportUnmarkedClearsTheFades) {
  auto d = Open();
  d->rbwav->setChecked(true);
  d->cbBitrate->setCurrentIndex(5);
  QShowEvent reshown;  // after minimising: no new opening of the dialog
  QSpontaneKeyEvent::setSpontaneous(&reshown);
  static_cast<QObject*>(d.get())->event(&reshown);  // sendEvent would clear the flag
  EXPECT_TRUE(d->rbwav->isChecked());
  EXPECT_EQ(d->cbBitrate->currentIndex(), 5);
  d->cbfadein->setChecked(true);
  d->cbfadeout->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);
  EXPECT_FALSE(d->cbfadein->isChecked() || d->cbfadeout->isChecked());
  d->cbfadein->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);  // unchecking clears them too
  EXPECT_FALSE(d->cbExportUnmarked->isChecked() || d->cbfadein->isChecked());
}

TEST_F(ExportDialog, GoExportsInTheChosenFormatUnderTheTypedOrAddedExtension) {
  auto d = Open();
  EXPECT_TRUE(d->rbmp3->isChecked() && !d->cbExportUnmarked->isChecked());
  d->tbokClick();  // the save dialog cancelled: nothing changes
  EXPECT_FALSE(InExportLook(*d));
  dialogs.saveAnswers.push_back(dir.File("typed.wav"));
  d->tbokClick();  // MP3 chosen: an MP3 frame, not "RIFF"
  EXPECT_EQ(ReadFileBytes(dir.File("typed.wav")).at(0), 0xFF);
  auto e = Open();
  e->rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("piece"));
  e->tbokClick();
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav")).size(), 46u + 44100u * 4);  // 500..1500 ms
  EXPECT_TRUE(e->result() == QDialog::Accepted && !e->isVisible() && dialogs.messages.empty());
  const std::string mp3 = "Mp3 File(*.mp3)|*.mp3", wav = "Wav File(*.wav)|*.wav";
  EXPECT_EQ(dialogs.saveFilters, (std::vector<std::string>{mp3, mp3, wav}));
  auto f = Open();
  QTest::mouseClick(f->tbcancel, Qt::LeftButton);
  EXPECT_FALSE(f->isVisible());
}

TEST_F(ExportDialog, RefusedTargetLeavesTheDialogInItsExportLookAndOnlyTheCrossCloses) {
  auto d = Open();
  const auto before = ReadFileBytes(sourcePath);
  std::filesystem::create_symlink(sourcePath, dir.path() / "link.wav");
  dialogs.saveAnswers.push_back(dir.File("link.wav"));
  d->tbokClick();
  EXPECT_EQ(dialogs.LastMessageText(), "Can't overwrite the origin file");
  EXPECT_TRUE(InExportLook(*d) && d->isVisible() && ReadFileBytes(sourcePath) == before);
  ClickCross(*d);
  EXPECT_FALSE(d->isVisible());
}

TEST_F(ExportDialog, LosslessDisablesFadesAndUnmarkedWithMp3AndGoCopiesTheFrames) {
  Tfmexport d(dialogs);
  d.SourceFileName = dir.File("source.mp3");
  ASSERT_TRUE(WriteMp3File(d.SourceFileName, MakeTestSignal(44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(GetAudioFileInfo(d.SourceFileName, d.FileInfo, dialogs));
  d.MarkEnd = 900;
  d.show();
  d.cbfadein->setChecked(true);
  ASSERT_EQ(d.cbBitrate->itemText(1), "Lossless");
  const auto enabled = [&] {
    return std::vector<bool>{d.cbExportUnmarked->isEnabled(), d.cbfadein->isEnabled(),
                             d.cbfadeout->isEnabled(), d.Edit1->isEnabled(), d.Edit2->isEnabled()};
  };
  d.cbBitrate->setCurrentIndex(1);
  EXPECT_EQ(enabled(), std::vector<bool>(5, false));
  EXPECT_FALSE(d.cbfadein->isChecked());
  d.rbwav->setChecked(true);
  EXPECT_EQ(enabled(), std::vector<bool>(5, true));
  d.rbmp3->setChecked(true);
  EXPECT_EQ(enabled(), std::vector<bool>(5, false));
  dialogs.saveAnswers.push_back(dir.File("cut"));
  d.tbokClick();
  ASSERT_EQ(d.result(), QDialog::Accepted) << dialogs.LastMessageText();
  const auto in = ReadFileBytes(d.SourceFileName), out = ReadFileBytes(dir.File("cut.mp3"));
  const auto middle = in.begin() + static_cast<ptrdiff_t>(in.size() / 2);  // a copied frame's bytes
  EXPECT_NE(std::search(out.begin(), out.end(), middle, middle + 500), out.end());
}

TEST_F(ExportDialog, WhileExportingGoCancelAndTheCloseCrossDoNothing) {
  // The export's message pump runs the timer, so the test acts mid-export.
  MemoryExportSource source(MakeTestSignal(44100, 2, 44100), 2, 44100, 4096);
  Tfmexport d(dialogs, &source);
  d.FileInfo = Wav(44100, 2, 1000);
  d.MarkEnd = 1000;
  d.SourceFileName = dir.File("memory.wav");
  d.show();
  d.rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("out.wav"));
  bool checked = false;
  QTimer::singleShot(0, &d, [&] {
    EXPECT_TRUE(d.Exporting && InExportLook(d));
    d.tbcancelClick();
    ClickCross(d);
    d.tbokClick();
    d.reject();
    EXPECT_TRUE(d.isVisible());
    checked = true;
  });
  d.tbokClick();
  EXPECT_TRUE(checked);
  EXPECT_EQ(dialogs.saveFilters.size(), 1u);  // the second Go did nothing
  EXPECT_EQ(d.progressbar->value(), 100);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(ReadFileBytes(dir.File("out.wav")).size(), 46u + 44100u * 4);
}

TEST_F(ExportDialog, ExportCommandNeedsAFileAndAPieceThenStopsPlaybackAndRunsAFreshDialog) {
  int stops = 0;
  const auto stop = [&] { ++stops; };
  EXPECT_FALSE(RunExportDialog(nullptr, "", Wav(44100), 0, 1000, dialogs, stop));
  EXPECT_FALSE(RunExportDialog(nullptr, "a.wav", Wav(44100), 1000, 1000, dialogs, stop));
  EXPECT_EQ(stops, 0);
  const std::string source = dir.File("s.wav");
  WriteWavFile(source, 22050, 1, MakeTestSignal(22050, 1, 22050));
  QTimer::singleShot(0, [&] {
    auto* seen = qobject_cast<Tfmexport*>(QApplication::activeModalWidget());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->SourceFileName, source);
    EXPECT_EQ(seen->cbBitrate->currentText(), "128");
    seen->rbwav->setChecked(true);
    dialogs.saveAnswers.push_back(dir.File("cut"));
    seen->tbokClick();
  });
  EXPECT_TRUE(RunExportDialog(nullptr, source, Wav(22050, 1, 1000), 100, 600, dialogs, stop));
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(ReadFileBytes(dir.File("cut.wav")).size(), 46u + 11025u * 2);  // the marks came along
}

}  // namespace
