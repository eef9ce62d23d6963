// SPDX-License-Identifier: GPL-3.0-or-later
// The split dialog's wiring on the offscreen platform: what is typed makes the
// model's pieces and points, Go hands the model's job to the runner with the
// progress display, problems and cancel go through their channels. The rules:
// split_model_test.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>

#include "split/widgets/tfm_split.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"
#include "ui/transparent_button.h"

namespace {

TEST(SplitDialog, BuildsTheJobTheModelSaysAndShowsItsProgress) {
  TestApplication();
  TempDir dir;
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, 8000, 1, 10000);
  info.LengthFrames = SampleIndex(80000);
  ScriptedDialogs dialogs;
  std::vector<int64_t> shown;
  TfmSplit d(dialogs, dir.File("song.wav"), info, nullptr, [&](std::vector<SampleIndex> points) {
    shown.clear();
    for (const SampleIndex p : points) shown.push_back(p.Frame());
  });
  std::optional<SplitJob> ran;
  std::string during;
  d.SetRunner([&](const SplitJob& job, SplitHost& host, Dialogs&) {
    ran = job;
    host.SetPiece(2, 3, 50);
    during = d.lbPiece->text().toStdString() + (d.progressbar->isVisible() ? " bar" : "") +
             (d.tbok->isVisible() ? " go" : "");
    return false;
  });
  d.show();
  for (QLineEdit* edit : d.findChildren<QLineEdit*>()) {
    if (edit->parent() != d.twPieces->viewport()) {
      EXPECT_FALSE(edit->accessibleName().isEmpty()) << edit->objectName().toStdString();
    }
  }

  QTest::keyClicks(d.edParts, "0");  // "20": typing chooses the source
  EXPECT_TRUE(d.rbParts->isChecked());
  EXPECT_EQ(d.twPieces->rowCount(), 20);
  QTest::keyClicks(d.edTimes, "0:02 0:05");
  EXPECT_EQ(d.lbStatus->text(), "3 pieces");
  ASSERT_EQ(d.twPieces->rowCount(), 3);
  EXPECT_EQ(d.twPieces->item(1, 1)->text() + d.twPieces->item(1, 3)->text(), "0:02.0000:03.000");
  EXPECT_EQ(shown, (std::vector<int64_t>{16000, 40000}));
  d.twPieces->item(1, 4)->setText("Middle");
  EXPECT_EQ(d.edTemplate->placeholderText().toStdString(), kTitledNameTemplate);
  d.rbwav->setChecked(true);
  d.cbfadeout->setChecked(true);
  d.Edit2->setText("2");
  d.edFolder->setText(QString::fromStdString(dir.path().string()));
  QTest::keyClick(&d, Qt::Key_Return);
  ASSERT_TRUE(ran);
  std::string problem;
  const std::optional<SplitJob> expected = d.Model().Job(problem);
  ASSERT_TRUE(expected) << problem;
  EXPECT_EQ(ran->Sheet.Pieces, expected->Sheet.Pieces);
  EXPECT_EQ(ran->Sheet.Pieces[1].Title, "Middle");
  EXPECT_TRUE(ran->Route == ExportRoute::Wav && ran->FadeOut && ran->FadeOutSeconds == 2 &&
              !ran->FadeIn && ran->Folder == dir.path().string());
  EXPECT_EQ(during, "Piece 2 of 3 bar");
  // A failed split leaves the dialog ready for another try.
  EXPECT_TRUE(d.isVisible() && d.tbok->isVisible() && !d.progressbar->isVisible());

  // A problem is shown through the seam and nothing runs.
  ran.reset();
  d.edFolder->clear();
  d.tbokClick();
  EXPECT_FALSE(ran);
  EXPECT_EQ(dialogs.LastMessageText(), kNoFolderMessage);

  // Esc while splitting asks the split to stop; the dialog stays.
  d.edFolder->setText(QString::fromStdString(dir.path().string()));
  bool cancelled = false;
  d.SetRunner([&](const SplitJob&, SplitHost& host, Dialogs&) {
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    cancelled = host.CancelRequested();
    return false;
  });
  d.tbokClick();
  EXPECT_TRUE(cancelled && d.isVisible());
  d.SetRunner([](const SplitJob&, SplitHost&, Dialogs&) { return true; });
  d.tbokClick();
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

}  // namespace
