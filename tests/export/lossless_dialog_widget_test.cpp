// The export dialog's "Lossless" item: offered after "As Origin" for an MP3
// source, it unchecks and disables the fades and "Export unmarked" while it
// is chosen with MP3, and Go then copies the source's frames.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "audio/mp3io.h"
#include "export/widgets/tfm_export.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"

TEST(LosslessDialog, DisablesFadesAndCopiesTheFrames) {
  TestApplication();
  TempDir dir;
  ScriptedDialogs dialogs;
  const std::string source = dir.File("source.mp3");
  ASSERT_TRUE(WriteMp3File(source, MakeTestSignal(44100, 2, 44100), 44100, 2));
  Tfmexport d(dialogs);
  ASSERT_TRUE(GetAudioFileInfo(source, d.FileInfo, dialogs));
  d.SourceFileName = source;
  d.MarkBegin = 100;
  d.MarkEnd = 900;
  d.show();
  d.cbfadein->setChecked(true);
  ASSERT_EQ(d.cbBitrate->itemText(1), "Lossless");
  const auto optionsEnabled = [&] {
    return std::vector<bool>{d.cbExportUnmarked->isEnabled(), d.cbfadein->isEnabled(),
                             d.cbfadeout->isEnabled(), d.Edit1->isEnabled(), d.Edit2->isEnabled()};
  };
  d.cbBitrate->setCurrentIndex(1);
  EXPECT_EQ(optionsEnabled(), std::vector<bool>(5, false));
  EXPECT_FALSE(d.cbfadein->isChecked());
  d.rbwav->setChecked(true);
  EXPECT_EQ(optionsEnabled(), std::vector<bool>(5, true));
  d.rbmp3->setChecked(true);
  EXPECT_EQ(optionsEnabled(), std::vector<bool>(5, false));

  dialogs.saveAnswers.push_back(dir.File("cut"));
  d.tbokClick();
  ASSERT_EQ(d.result(), QDialog::Accepted) << dialogs.LastMessageText();
  // Bytes from the middle of the source's frames are in the cut as they were.
  const auto in = ReadFileBytes(source);
  const auto out = ReadFileBytes(dir.File("cut.mp3"));
  const auto middle = in.begin() + static_cast<ptrdiff_t>(in.size() / 2);
  EXPECT_NE(std::search(out.begin(), out.end(), middle, middle + 1000), out.end());
}
