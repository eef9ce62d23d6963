// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's file-dialog filters and message boxes behind the dialog seam.
#include "ui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "support/widget_app.h"

TEST(QtNameFilter, ExtensionsMatchInAnyLetterCaseAndFiltersAreJoined) {
  EXPECT_EQ(QtNameFilter("Mp3/Wav File|*.mp3;*.wav"), "Mp3/Wav File (*.[mM][pP]3 *.[wW][aA][vV])");
  EXPECT_EQ(QtNameFilter("MP3|*.mp3|WAV|*.wav"), "MP3 (*.[mM][pP]3);;WAV (*.[wW][aA][vV])");
}

// Paths and typed text that look like markup are shown as they are.
TEST(QtDialogs, MessageTextIsShownAsPlainText) {
  TestApplication();
  QtDialogs dialogs;
  QString shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      auto* label = box->findChild<QLabel*>("qt_msgbox_label");
      shown = label && label->textFormat() == Qt::PlainText ? label->text() : "not plain text";
      box->done(QMessageBox::Ok);
    }
  });
  poll.start(10);
  dialogs.ShowMessage("Unable to write to /tmp/a<b>b&lt;.ini.", "Snipola", MessageIcon::Error);
  EXPECT_EQ(shown, "Unable to write to /tmp/a<b>b&lt;.ini.");
}
