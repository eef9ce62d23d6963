// The export dialog on the offscreen platform: its controls, the bitrate
// list, Go's checks and messages in order, the export look, closing, and the
// main window's export command. Dialog answers come from ScriptedDialogs.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QShowEvent>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "export/widgets/export_command.h"
#include "export/widgets/tfm_export.h"
#include "support/export_fakes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "ui/transparent_button.h"

namespace fs = std::filesystem;

namespace {

AudioFileInfo Source(int type, int rate, int channels = 2, int lengthMs = 2000) {
  return MakeInfo(type, rate, channels, lengthMs, 192);
}

class ExportDialog : public ::testing::Test {
 protected:
  void SetUp() override { TestApplication(); }
  // A dialog over a real 2-second WAV source, shown (FormShow has run).
  std::unique_ptr<Tfmexport> Open(const AudioFileInfo& info = Source(AudioFileInfo::kTypeWav,
                                                                     44100)) {
    sourcePath = dir.File("source.wav");
    WriteWavFile(
        sourcePath, info.SampleRate, info.Channels,
        MakeTestSignal(static_cast<uint32_t>(info.SampleRate) * 2, info.Channels, info.SampleRate));
    auto dialog = std::make_unique<Tfmexport>(dialogs);
    dialog->FileInfo = info;
    dialog->MarkBegin = 500;
    dialog->MarkEnd = 1500;
    dialog->SourceFileName = sourcePath;
    dialog->show();
    return dialog;
  }

  static bool Fresh(const Tfmexport& d) {
    return d.progressbar->isHidden() && !d.tbok->isHidden() && !d.tbcancel->isHidden() &&
           d.GroupBox1->isEnabled();
  }
  static bool InExportLook(const Tfmexport& d) {
    return !d.progressbar->isHidden() && d.tbok->isHidden() && d.tbcancel->isHidden() &&
           !d.GroupBox1->isEnabled() && d.rbmp3->isEnabled() && d.cbBitrate->isEnabled();
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  std::string sourcePath;
};

TEST_F(ExportDialog, OpensFreshWithMp3ChosenAndNoOptionChecked) {
  auto d = Open();
  EXPECT_EQ(d->size(), QSize(240, 200));
  EXPECT_TRUE(d->rbmp3->isChecked());
  EXPECT_FALSE(d->cbExportUnmarked->isChecked() || d->cbfadein->isChecked() ||
               d->cbfadeout->isChecked());
  EXPECT_EQ(d->Edit1->text(), "1");
  EXPECT_EQ(d->Edit2->text(), "1");
  EXPECT_EQ(d->tbok->ImageIndex(), 10);
  EXPECT_EQ(d->tbcancel->ImageIndex(), 12);
  EXPECT_TRUE(Fresh(*d));
}

TEST_F(ExportDialog, WindowSystemReshowingTheDialogKeepsTheUsersChoices) {
  // The window system shows a window again on its own (after it was
  // minimised or its desktop switched away): that is no new opening of the
  // dialog, so the user's format and bitrate stay chosen.
  auto d = Open(Source(AudioFileInfo::kTypeMp3, 44100));
  d->rbwav->setChecked(true);
  d->cbBitrate->setCurrentIndex(5);
  QShowEvent reshown;
  QSpontaneKeyEvent::setSpontaneous(&reshown);
  // Delivered straight to the dialog: sendEvent would clear the flag.
  static_cast<QObject*>(d.get())->event(&reshown);
  EXPECT_TRUE(d->rbwav->isChecked());
  EXPECT_EQ(d->cbBitrate->currentIndex(), 5);
  EXPECT_EQ(d->cbBitrate->count(), 15);
}

TEST_F(ExportDialog, ExportUnmarkedClickedTwiceLeavesBothFadesUnchecked) {
  auto d = Open();
  d->cbfadein->setChecked(true);
  d->cbfadeout->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);
  EXPECT_FALSE(d->cbfadein->isChecked());
  d->cbfadein->setChecked(true);
  QTest::mouseClick(d->cbExportUnmarked, Qt::LeftButton);
  EXPECT_FALSE(d->cbExportUnmarked->isChecked());
  EXPECT_FALSE(d->cbfadein->isChecked());
  EXPECT_FALSE(d->cbfadeout->isChecked());
}

TEST_F(ExportDialog, CloseCrossAndCancelCloseUnlessExporting) {
  auto d = Open();
  d->Exporting = true;
  QTest::mousePress(d->Image1, Qt::LeftButton, {}, QPoint(225, 10));
  QTest::mouseRelease(d->Image1, Qt::LeftButton, {}, QPoint(225, 10));
  d->tbcancelClick();
  EXPECT_TRUE(d->isVisible());
  d->Exporting = false;
  for (QPoint outside : {QPoint(220, 10), QPoint(232, 10), QPoint(225, 20)}) {
    QTest::mousePress(d->Image1, Qt::LeftButton, {}, outside);  // bounds are exclusive
    QTest::mouseRelease(d->Image1, Qt::LeftButton, {}, outside);
    EXPECT_TRUE(d->isVisible());
  }
  QTest::mousePress(d->Image1, Qt::LeftButton, {}, QPoint(221, 19));
  EXPECT_FALSE(d->isVisible());
  auto e = Open();
  QTest::mouseClick(e->tbcancel, Qt::LeftButton);
  EXPECT_FALSE(e->isVisible());
}

struct FadeBoxCase {
  const char* name;
  const char* fadeIn;
  const char* fadeOut;
  const char* message;
  const char* caption;
};

class GoChecks : public ExportDialog, public ::testing::WithParamInterface<FadeBoxCase> {};

TEST_P(GoChecks, BadFadeBoxesStopGoBeforeTheSaveDialog) {
  auto d = Open();
  d->Edit1->setText(GetParam().fadeIn);
  d->Edit2->setText(GetParam().fadeOut);
  d->tbokClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, GetParam().message);
  EXPECT_EQ(dialogs.messages[0].caption, GetParam().caption);
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  EXPECT_TRUE(dialogs.saveFilters.empty());
  EXPECT_TRUE(Fresh(*d));
  EXPECT_TRUE(d->isVisible());
}

const char* kDigitsOnly = "Please input number in the fade-in and fade-out second editbox.";

INSTANTIATE_TEST_SUITE_P(
    Boxes, GoChecks,
    ::testing::Values(FadeBoxCase{"MinusSign", "-1", "1", kDigitsOnly, "Error"},
                      FadeBoxCase{"DigitCheckBeforeConversion", "", "x", kDigitsOnly, "Error"},
                      FadeBoxCase{"TooLarge", "1", "99999999999",
                                  "'99999999999' is not a valid integer value.", "Snipola"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportDialog, LeadingZerosAreAcceptedAndCancellingTheSaveDialogKeepsItFresh) {
  auto d = Open();
  d->Edit1->setText("007");
  d->tbokClick();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.saveFilters, std::vector<std::string>{"Mp3 File(*.mp3)|*.mp3"});
  EXPECT_EQ(d->FadeInSeconds, 7);
  EXPECT_TRUE(Fresh(*d));
  d->rbwav->setChecked(true);
  d->tbokClick();
  EXPECT_EQ(dialogs.saveFilters.back(), "Wav File(*.wav)|*.wav");
}

TEST_F(ExportDialog, WavExportGetsItsExtensionAndClosesTheDialog) {
  auto d = Open();
  d->rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("piece"));
  d->tbokClick();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(d->OutFileName, dir.File("piece.wav"));
  EXPECT_EQ(ReadFileBytes(dir.File("piece.wav")).size(), 46u + 44100u * 4);
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_FALSE(d->isVisible());
  EXPECT_FALSE(d->Exporting);
}

TEST_F(ExportDialog, TypedExtensionStaysAndReceivesTheChosenFormat) {
  auto d = Open();
  dialogs.saveAnswers.push_back(dir.File("piece.wav"));
  d->tbokClick();  // MP3 selected
  const auto bytes = ReadFileBytes(dir.File("piece.wav"));
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);  // an MP3 frame, not "RIFF"
  EXPECT_FALSE(d->isVisible());
}

TEST_F(ExportDialog, TheSourceItselfIsRefusedAndTheDialogStaysInItsExportLook) {
  auto d = Open();
  const auto before = ReadFileBytes(sourcePath);
  fs::create_symlink(sourcePath, dir.path() / "link.wav");
  dialogs.saveAnswers.push_back(dir.File("link.wav"));
  d->tbokClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Can't overwrite the origin file");
  EXPECT_EQ(dialogs.messages[0].caption, "Error");
  EXPECT_TRUE(InExportLook(*d));
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(ReadFileBytes(sourcePath), before);
  // Only the close cross leads on; it works because no export is running.
  QTest::mousePress(d->Image1, Qt::LeftButton, {}, QPoint(225, 10));
  EXPECT_FALSE(d->isVisible());
}

TEST_F(ExportDialog, EncoderRefusalIsReportedWithoutClosingAndKeepsTheOldTarget) {
  auto d = Open(Source(AudioFileInfo::kTypeWav, 96000));
  const std::string target = dir.File("old.mp3");
  WriteWavFile(target, 8000, 1, std::vector<int16_t>(10, 3));
  const auto before = ReadFileBytes(target);
  dialogs.saveAnswers.push_back(target);
  d->tbokClick();
  EXPECT_EQ(dialogs.LastMessageText(), "Can't start the MP3 encoder.");
  EXPECT_TRUE(InExportLook(*d));
  EXPECT_TRUE(d->isVisible());
  EXPECT_FALSE(d->Exporting);
  EXPECT_EQ(ReadFileBytes(target), before);
}

TEST_F(ExportDialog, WhileExportingGoCancelAndTheCloseCrossDoNothing) {
  // A source that answers slowly lets the test act from inside the export's
  // message pump.
  MemoryExportSource source(MakeTestSignal(44100, 2, 44100), 2, 44100, 4096);
  Tfmexport d(dialogs, &source);
  d.FileInfo = Source(AudioFileInfo::kTypeWav, 44100, 2, 1000);
  d.MarkBegin = 0;
  d.MarkEnd = 1000;
  d.SourceFileName = dir.File("memory.wav");
  d.show();
  d.rbwav->setChecked(true);
  dialogs.saveAnswers.push_back(dir.File("out.wav"));
  bool checked = false;
  QTimer::singleShot(0, &d, [&] {
    EXPECT_TRUE(d.Exporting);
    EXPECT_TRUE(InExportLook(d));
    d.tbcancelClick();
    QTest::mousePress(d.Image1, Qt::LeftButton, {}, QPoint(225, 10));
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

TEST_F(ExportDialog, ExportCommandDoesNothingWithoutAFileOrAPiece) {
  int stops = 0;
  const auto stop = [&] { ++stops; };
  const AudioFileInfo info = Source(AudioFileInfo::kTypeWav, 44100);
  EXPECT_FALSE(RunExportDialog(nullptr, "", info, 0, 1000, dialogs, stop));
  EXPECT_FALSE(RunExportDialog(nullptr, "a.wav", info, 1000, 1000, dialogs, stop));
  EXPECT_FALSE(RunExportDialog(nullptr, "a.wav", info, 1000, -5, dialogs, stop));
  EXPECT_EQ(stops, 0);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ExportDialog, ExportCommandStopsPlaybackAndRunsAFreshDialogWithCopies) {
  const std::string source = dir.File("s.wav");
  WriteWavFile(source, 22050, 1, MakeTestSignal(22050, 1, 22050));
  int stops = 0;
  Tfmexport* seen = nullptr;
  QTimer::singleShot(0, [&] {
    seen = qobject_cast<Tfmexport*>(QApplication::activeModalWidget());
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->SourceFileName, source);
    EXPECT_EQ(seen->MarkBegin, 100);
    EXPECT_EQ(seen->MarkEnd, 600);
    EXPECT_EQ(seen->cbBitrate->currentText(), "128");
    seen->rbwav->setChecked(true);
    dialogs.saveAnswers.push_back(dir.File("cut"));
    seen->tbokClick();
  });
  EXPECT_TRUE(RunExportDialog(nullptr, source, Source(AudioFileInfo::kTypeWav, 22050, 1, 1000), 100,
                              600, dialogs, [&] { ++stops; }));
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(ReadFileBytes(dir.File("cut.wav")).size(), 46u + 11025u * 2);
}

}  // namespace
