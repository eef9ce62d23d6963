// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: fresh, modal and centred over the main window on every
// request; its areas (bounds exclusive): cross, address with the hand, Go.
#include "app/widgets/tfm_about.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "app/about_areas.h"
#include "support/widget_app.h"
#include "ui/image_control.h"
#include "ui/transparent_button.h"

TEST(AboutBox, EveryRequestShowsAFreshModalBoxCentredOverTheMainWindow) {
  TestApplication();
  QWidget mainWindow;
  mainWindow.setGeometry(300, 200, 400, 210);
  for (int round = 0; round < 2; ++round) {
    bool checked = false;
    QTimer::singleShot(0, [&checked] {
      checked = true;
      EXPECT_TRUE(fmAbout->isModal());
      EXPECT_EQ(fmAbout->geometry(), QRect(380, 245, 240, 120));
      EXPECT_EQ(fmAbout->Image1->Picture().size(), QSize(240, 120));
      fmAbout->move(0, 0);  // dragged away: the next box is centred again
      QTest::mousePress(fmAbout->Image1, Qt::LeftButton, {}, {230, 10});
    });
    QTimer stuck;  // a box that failed to close fails the test instead of hanging it
    stuck.callOnTimeout([] { ADD_FAILURE() << "still open", fmAbout->reject(); });
    stuck.start(3000);
    RunAboutBox(&mainWindow, {});
    EXPECT_TRUE(checked);  // the box waited for the checks above
    EXPECT_EQ(fmAbout, nullptr);
  }
}

TEST(AboutBox, PressesAndThePointerFollowTheAreas) {
  TestApplication();
  std::vector<QString> opened;
  TfmAbout box([&opened](const QString& target) { opened.push_back(target); });
  box.show();
  for (const QPoint at : {QPoint(20, 66), QPoint(21, 75), QPoint(140, 70), QPoint(232, 10),
                          QPoint(21, 66), QPoint(139, 74)}) {
    const bool link = at == QPoint(21, 66) || at == QPoint(139, 74);
    QTest::mouseClick(box.Image1, Qt::LeftButton, {}, at);
    QTest::mouseMove(box.Image1, at);
    EXPECT_EQ(box.cursor().shape(), link ? Qt::PointingHandCursor : Qt::ArrowCursor) << at.x();
  }
  EXPECT_EQ(opened, std::vector<QString>(2, kAboutWebAddress));
  ASSERT_TRUE(box.isVisible());
  QTest::mouseClick(box.TransparentButton3, Qt::LeftButton);  // Go
  EXPECT_FALSE(box.isVisible());
}
