// The export dialog's "Lossless" item: offered after "As Origin" for an MP3
// source, it unchecks and disables the fades and "Export unmarked" while it
// is chosen with MP3, and Go exports the marked piece's exact samples.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "audio/mp3io.h"
#include "audio/mpg123_decoder.h"
#include "base/rounding.h"
#include "export/widgets/tfm_export.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "support/widget_app.h"

namespace {

std::vector<int16_t> Decode(const std::string& path) {
  Mpg123Decoder decoder;
  EXPECT_TRUE(decoder.Open(path));
  std::vector<int16_t> pcm;
  uint8_t block[8192];
  size_t bytes = 0;
  while (decoder.Decode(block, sizeof block, bytes) == Mpg123Decoder::DecodeStatus::Block) {
    pcm.insert(pcm.end(), reinterpret_cast<int16_t*>(block),
               reinterpret_cast<int16_t*>(block) + bytes / 2);
  }
  return pcm;
}

TEST(LosslessDialog, DisablesFadesAndExportsTheExactPiece) {
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
    return d.cbExportUnmarked->isEnabled() && d.cbfadein->isEnabled() &&
           d.cbfadeout->isEnabled() && d.Edit1->isEnabled() && d.Edit2->isEnabled();
  };
  d.cbBitrate->setCurrentIndex(1);
  EXPECT_FALSE(d.cbExportUnmarked->isEnabled() || d.cbfadein->isEnabled() ||
               d.cbfadeout->isEnabled() || d.Edit1->isEnabled() || d.Edit2->isEnabled());
  EXPECT_FALSE(d.cbfadein->isChecked());
  d.rbwav->setChecked(true);
  EXPECT_TRUE(optionsEnabled());
  d.rbmp3->setChecked(true);
  EXPECT_FALSE(optionsEnabled());

  dialogs.saveAnswers.push_back(dir.File("cut"));
  d.tbokClick();
  ASSERT_EQ(d.result(), QDialog::Accepted) << dialogs.LastMessageText();
  const auto whole = Decode(source);
  const auto cut = Decode(dir.File("cut.mp3"));
  const auto begin = whole.begin() + MsToFrames(100, 44100) * 2;
  ASSERT_EQ(static_cast<int64_t>(cut.size()), MsToFrames(800, 44100) * 2);
  EXPECT_TRUE(std::equal(cut.begin(), cut.end(), begin));
}

}  // namespace
