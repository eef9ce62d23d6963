// The export dialog's "Lossless" item (after "As Origin" for an MP3 source): while it is chosen
// with MP3 the fades and "Export unmarked" are unchecked and disabled.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "export/widgets/tfm_export.h"
#include "support/scripted_dialogs.h"
#include "support/widget_app.h"

TEST(LosslessDialog, DisablesFadesAndExportUnmarked) {
  TestApplication();
  ScriptedDialogs dialogs;
  Tfmexport d(dialogs);
  d.FileInfo = {AudioFileInfo::kTypeMp3, 44100, 2, 128, 2000};
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
}
