// SPDX-License-Identifier: GPL-3.0-or-later
// The export dialog's wiring on the offscreen platform: Go's checks and their order, the save
// dialog, the export look, closing, "Lossless" and re-entry while exporting. Answers come from
// ScriptedDialogs; the rules: export_options_test; the main window's command: tests/app.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QTest>
#include <QtWidgets>
#include <algorithm>
#include <filesystem>

#include "audio/mp3io.h"
#include "export/widgets/tfm_export.h"
#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "ui/transparent_button.h"

namespace {

class ExportDialog : public ::testing::Test {
 protected:
  void SetUp() override { TestApplication(); }
  // A shown dialog over a real 2-second 44100 Hz stereo WAV, marks 500..1500.
  std::unique_ptr<Tfmexport> Open() {
    WriteWavFile(sourcePath, 44100, 2, MakeTestSignal(44100 * 2, 2, 44100));
    auto dialog = std::make_unique<Tfmexport>(dialogs);
    dialog->FileInfo = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 2000);
    std::tie(dialog->MarkBegin, dialog->MarkEnd) = std::tuple(500, 1500);
    dialog->SourceFileName = sourcePath;
    dialog->show();
    return dialog;
  }
  static bool InExportLook(const Tfmexport& d) {
    return !d.progressbar->isHidden() && d.tbok->isHidden() && !d.GroupBox1->isEnabled();
  }
  static void ClickCross(Tfmexport& d) {
    QTest::mousePress(d.Image1, Qt::LeftButton, {}, {225, 10});
  }
  TempDir dir;
  ScriptedDialogs dialogs;
  std::string sourcePath = dir.File("source.wav");
};

TEST_F(ExportDialog, BadFadeBoxesAndNothingToExportStopGoBeforeTheSaveDialog) {
  const std::array<const char*, 4> rows[] = {
      {"", "x", "Please input number in the fade-in and fade-out second editbox.", "Error"},
      {"1", "99999999999", "'99999999999' is not a valid integer value.", "Snipola"}};
  for (const auto& [fadeIn, fadeOut, message, caption] : rows) {
    auto d = Open();
    dialogs.messages.clear();
    d->Edit1->setText(fadeIn), d->Edit2->setText(fadeOut);
    d->tbokClick();
    ASSERT_EQ(dialogs.messages.size(), 1u) << fadeOut;
    EXPECT_TRUE(dialogs.messages[0].text == message && dialogs.messages[0].caption == caption);
    EXPECT_TRUE(dialogs.saveFilters.empty() && d->isVisible() && !InExportLook(*d));
  }
  auto d = Open();
  d->MarkBegin = 0, d->MarkEnd = 2000;  // the whole file: nothing lies outside the marks
  d->cbExportUnmarked->setChecked(true);
  d->tbokClick();
  EXPECT_EQ(dialogs.LastMessageText(), std::string(kNothingUnmarkedText) + ".");
  EXPECT_TRUE(dialogs.saveFilters.empty() && !InExportLook(*d));
}

TEST_F(ExportDialog, ReshowByTheWindowSystemKeepsChoicesAndExportUnmarkedClearsTheFades) {
  auto d = Open();
  EXPECT_TRUE(d->windowFlags().testFlag(Qt::WindowStaysOnTopHint));  // never under the analyzer
  d->rbwav->setChecked(true), d->cbBitrate->setCurrentIndex(5);
  QShowEvent reshown;  // after minimising: no new opening of the dialog
  QSpontaneKeyEvent::setSpontaneous(&reshown);
  static_cast<QObject*>(d.get())->event(&reshown);  // sendEvent would clear the flag
  EXPECT_TRUE(d->rbwav->isChecked() && d->cbBitrate->currentIndex() == 5);
  d->cbfadein->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);
  EXPECT_FALSE(d->cbfadein->isChecked());
  d->cbfadeout->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);  // unchecking clears them too
  EXPECT_FALSE(d->cbExportUnmarked->isChecked() || d->cbfadeout->isChecked());
}

TEST_F(ExportDialog, GoExportsInTheChosenFormatUnderTheTypedOrAddedExtensionButNotOverTheSource) {
  auto d = Open();
  QApplication::setActiveWindow(d.get());
  d->rbmp3->setFocus();
  QStringList chain;  // Tab reaches every control, ✓ and ✕ too
  for (int tab = 0; tab < 9; ++tab) {
    chain << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(chain.join(" ").toStdString(),
            "rbmp3 cbBitrate cbExportUnmarked cbfadein Edit1 cbfadeout Edit2 tbok tbcancel");
  QTest::keyClick(d->Edit1, Qt::Key_Return);  // Enter is Go; the save dialog cancelled
  EXPECT_TRUE(dialogs.saveFilters.size() == 1u && !InExportLook(*d));
  WriteText(dir.File("typed.wav"), "old");
  dialogs.saveAnswers = {dir.File("typed.wav"), dir.File("typed.wav")};
  d->tbokClick();  // an existing file: No keeps it, and the dialog ready
  EXPECT_TRUE(ReadText(dir.File("typed.wav")) == "old" && !InExportLook(*d) && d->isVisible());
  dialogs.confirmAnswers = {true};
  d->tbokClick();  // Yes, MP3 chosen: an MP3 frame, not "RIFF"
  EXPECT_EQ(ReadFileBytes(dir.File("typed.wav")).at(0), 0xFF);
  EXPECT_EQ(dialogs.confirms.size(), 2u);
  auto e = Open();
  e->rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("piece"));
  e->tbokClick();
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav")).size(), 46u + 44100u * 4);  // 500..1500 ms
  EXPECT_TRUE(e->result() == QDialog::Accepted && !e->isVisible() && dialogs.messages.empty());
  const std::string mp3 = "Mp3 File(*.mp3)|*.mp3 source (piece).mp3",
                    wav = "Wav File(*.wav)|*.wav source (piece).wav";
  EXPECT_EQ(dialogs.saveFilters, (std::vector<std::string>{mp3, mp3, mp3, wav}));  // as chosen
  auto f = Open();
  std::filesystem::create_symlink(sourcePath, dir.path() / "link.wav");
  dialogs.saveAnswers.push_back(dir.File("link.wav"));
  f->tbokClick();  // refused: the dialog is ready for another try
  EXPECT_TRUE(dialogs.LastMessageText() == "Can't overwrite the origin file" && !InExportLook(*f));
  ClickCross(*f);
  EXPECT_FALSE(f->isVisible());
  auto g = Open();
  QTest::mouseClick(g->tbcancel, Qt::LeftButton);
  EXPECT_FALSE(g->isVisible());
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
  d.cbBitrate->setCurrentIndex(1);
  EXPECT_FALSE(d.cbExportUnmarked->isEnabled() || d.Edit2->isEnabled() || d.cbfadein->isChecked());
  d.rbwav->setChecked(true);  // WAV has no lossless route
  EXPECT_TRUE(d.cbExportUnmarked->isEnabled() && d.Edit2->isEnabled());
  d.rbmp3->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("cut"));
  d.tbokClick();
  ASSERT_EQ(d.result(), QDialog::Accepted) << dialogs.LastMessageText();
  const auto in = ReadFileBytes(d.SourceFileName), out = ReadFileBytes(dir.File("cut.mp3"));
  EXPECT_NE(std::search(out.begin(), out.end(), in.begin() + 5000, in.begin() + 5500), out.end());
}

// While exporting Go does nothing and Esc (like ✕ and the cross) stops the export: no file, and
// the dialog ready again.
TEST_F(ExportDialog, WhileExportingGoDoesNothingAndEscCancels) {
  MemoryExportSource source(MakeTestSignal(44100, 2, 44100), 2, 4096);
  Tfmexport d(dialogs, &source);
  d.FileInfo = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 1000);
  d.MarkEnd = 1000;
  d.show();
  d.rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("out.wav"));
  bool checked = false;
  QTimer::singleShot(0, &d, [&] {  // run by the export's message pump
    checked = d.Exporting && InExportLook(d) && d.tbcancel->isVisible();
    d.tbokClick(), QTest::keyClick(&d, Qt::Key_Escape);
    checked = checked && d.isVisible();
  });
  d.tbokClick();
  EXPECT_TRUE(checked && dialogs.saveFilters.size() == 1u);  // the second Go did nothing
  EXPECT_TRUE(d.isVisible() && !InExportLook(d) && dialogs.messages.empty());
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

}  // namespace
