// The about box: a fresh, modal box centred over the main window on every
// request, closed at once by a press on its cross or a click on Go, dragged
// by the rest of its strip, and the web address handed to the opener with the
// hand pointer over it, with exclusive bounds.
#include "app/widgets/tfm_about.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "app/about_areas.h"
#include "support/widget_app.h"
#include "ui/image_control.h"
#include "ui/transparent_button.h"

namespace {

void Press(QWidget* target, QPoint at) {
  QTest::mousePress(target, Qt::LeftButton, {}, at);
}

}  // namespace

TEST(AboutBox, EveryRequestShowsAFreshModalBoxCentredOverTheMainWindow) {
  TestApplication();
  QWidget mainWindow;
  mainWindow.setGeometry(300, 200, 400, 210);
  for (int round = 0; round < 2; ++round) {
    QTimer::singleShot(0, [] {
      ASSERT_NE(fmAbout, nullptr);
      EXPECT_TRUE(fmAbout->isModal());
      EXPECT_EQ(fmAbout->geometry(), QRect(380, 245, 240, 120));
      EXPECT_EQ(fmAbout->Image1->Picture().size(), QSize(240, 120));
      fmAbout->move(0, 0);  // dragged away: the next box is centred again
      Press(fmAbout->Image1, {230, 10});  // closes on the press, no release needed
    });
    QTimer stuck;  // a box that failed to close fails the test instead of hanging it
    stuck.callOnTimeout([] {
      ADD_FAILURE() << "the about box stayed open";
      fmAbout->reject();
    });
    stuck.start(3000);
    RunAboutBox(&mainWindow, {});
    EXPECT_EQ(fmAbout, nullptr);
  }
}

TEST(AboutBox, PressesActOnTheirAreasWithExclusiveBounds) {
  TestApplication();
  std::vector<QString> opened;
  TfmAbout box([&opened](const QString& target) { opened.push_back(target); });
  box.show();
  for (const QPoint at : {QPoint(20, 66), QPoint(21, 75), QPoint(140, 70), QPoint(232, 10)}) {
    Press(box.Image1, at);
    QTest::mouseRelease(box.Image1, Qt::LeftButton, {}, at);
  }
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(box.isVisible());
  Press(box.Image1, {21, 66});
  ASSERT_EQ(opened, std::vector<QString>{kAboutWebAddress});
  EXPECT_TRUE(box.isVisible());
  Press(box.Image1, {225, 19});
  EXPECT_FALSE(box.isVisible());
}

TEST(AboutBox, TheHandShowsOnlyOverTheAddress) {
  TestApplication();
  TfmAbout box({});
  box.show();
  const std::pair<QPoint, Qt::CursorShape> rows[] = {
      {{21, 66}, Qt::PointingHandCursor}, {{139, 74}, Qt::PointingHandCursor},
      {{21, 65}, Qt::ArrowCursor},        {{60, 75}, Qt::ArrowCursor},
      {{20, 70}, Qt::ArrowCursor},
  };
  for (const auto& [at, shape] : rows) {
    QTest::mouseMove(box.Image1, at);
    EXPECT_EQ(box.cursor().shape(), shape) << at.x() << "," << at.y();
  }
}

TEST(AboutBox, GoShowsItsLitFaceUnderThePointerAndCloses) {
  TestApplication();
  TfmAbout box({});
  box.show();
  TTransparentButton* go = box.TransparentButton3;
  EXPECT_EQ(go->geometry(), QRect(193, 85, 20, 20));
  EXPECT_EQ(go->toolTip(), "Go");
  EXPECT_EQ(go->ImageIndex(), 10);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(go, &enter);
  EXPECT_EQ(go->ImageIndex(), 11);
  QTest::mouseClick(go, Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());
}
