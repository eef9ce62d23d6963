// The export dialog's "Lossless" item (after "As Origin" for an MP3 source): while it is chosen
// with MP3 the fades and "Export unmarked" are unchecked and disabled, and Go copies the frames.
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

TEST(LosslessDialog, DisablesFadesAndExportUnmarkedAndGoCopiesTheFrames) {
  TestApplication();
  ScriptedDialogs dialogs;
  TempDir dir;
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
  d.cbBitrate->setCurrentIndex(0);
  EXPECT_EQ(enabled(), std::vector<bool>(5, true));
  d.cbBitrate->setCurrentIndex(1);
  dialogs.saveAnswers.push_back(dir.File("cut"));
  d.tbokClick();
  ASSERT_EQ(d.result(), QDialog::Accepted) << dialogs.LastMessageText();
  const auto in = ReadFileBytes(d.SourceFileName), out = ReadFileBytes(dir.File("cut.mp3"));
  const auto middle = in.begin() + static_cast<ptrdiff_t>(in.size() / 2);  // a copied frame's bytes
  EXPECT_NE(std::search(out.begin(), out.end(), middle, middle + 500), out.end());
}
