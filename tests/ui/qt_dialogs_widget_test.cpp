#include "ui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include "support/widget_app.h"
#include "ui/image_list.h"

TEST(QtNameFilter, MatchesTheExtensionsInAnyLetterCase) {
  const QString filter = QtNameFilter("Mp3/Wav File|*.mp3;*.wav");
  EXPECT_EQ(filter, "Mp3/Wav File (*.[mM][pP]3 *.[wW][aA][vV])");
  const QStringList patterns = {"*.[mM][pP]3", "*.[wW][aA][vV]"};
  for (const char* name : {"a.mp3", "b.MP3", "c.Mp3", "d.wav", "e.WaV"}) {
    bool matched = false;
    for (const QString& pattern : patterns) {
      matched |= QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                     .match(name)
                     .hasMatch();
    }
    EXPECT_TRUE(matched) << name;
  }
}

TEST(QtNameFilter, SeveralFiltersAreJoined) {
  EXPECT_EQ(QtNameFilter("MP3|*.mp3|WAV|*.wav"), "MP3 (*.[mM][pP]3);;WAV (*.[wW][aA][vV])");
}

TEST(ImageList, HasFourteenDistinctTwentyPixelFaces) {
  TestApplication();
  std::vector<QImage> faces;
  for (int i = 0; i < kImageListCount; ++i) {
    const QPixmap face = ImageListFace(i);
    ASSERT_EQ(face.size(), QSize(20, 20)) << i;
    faces.push_back(face.toImage());
  }
  for (int i = 0; i < kImageListCount; ++i) {
    for (int j = i + 1; j < kImageListCount; ++j) EXPECT_NE(faces[i], faces[j]) << i << "/" << j;
  }
  EXPECT_TRUE(ImageListFace(14).isNull());
  EXPECT_TRUE(ImageListFace(-1).isNull());
}

// Messages carry paths and typed text, which may look like markup; the box
// shows them as they are.
TEST(QtDialogs, MessageTextIsShownAsPlainText) {
  TestApplication();
  QtDialogs dialogs;
  std::optional<Qt::TextFormat> format;
  QString shown;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
      format = label->textFormat();
      shown = label->text();
    }
    box->done(QMessageBox::Ok);
  });
  poll.start();
  dialogs.ShowMessage("Unable to write to /tmp/a<b>b&lt;.ini.", "Snipola", MessageIcon::Error);
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(*format, Qt::PlainText);
  EXPECT_EQ(shown, "Unable to write to /tmp/a<b>b&lt;.ini.");
}
