// SPDX-License-Identifier: GPL-3.0-or-later
// What the skin's own controls paint, pixel for pixel where the skin says so.
#include <gtest/gtest.h>

#include <QImage>

#include "support/widget_app.h"
#include "ui/image_list.h"
#include "ui/skin_group_box.h"
#include "ui/transparent_button.h"

namespace {

QImage Painted(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A button shows its face; held down, the same face one pixel lower and to the right.
TEST(SkinPaint, AButtonShowsItsFaceAndSinksWhenHeld) {
  TestApplication();
  const QImage face = ImageListFace(3).toImage().convertToFormat(QImage::Format_ARGB32);
  TTransparentButton button(nullptr, 3, "Play");
  const QImage up = Painted(button);
  button.setDown(true);
  const QImage down = Painted(button);
  int opaque = 0, upMatches = 0, downMatches = 0;
  for (int y = 0; y + 1 < face.height(); ++y) {
    for (int x = 0; x + 1 < face.width(); ++x) {
      if (qAlpha(face.pixel(x, y)) != 255) continue;
      ++opaque;
      upMatches += up.pixel(x, y) == face.pixel(x, y);
      downMatches += down.pixel(x + 1, y + 1) == face.pixel(x, y);
    }
  }
  EXPECT_GT(opaque, 20);
  EXPECT_EQ(upMatches, opaque);
  EXPECT_EQ(downMatches, opaque);
}

// The etched frame: a dark line outside, a light one inside it, on the skin's fill.
TEST(SkinPaint, AGroupBoxDrawsAnEtchedFrame) {
  TestApplication();
  SkinGroupBox box(" Origin File Info ", nullptr);
  box.resize(200, 80);
  const QImage image = Painted(box);
  EXPECT_EQ(QColor(image.pixel(0, 60)), QColor(24, 24, 24));
  EXPECT_EQ(QColor(image.pixel(1, 60)), QColor(104, 104, 104));
  EXPECT_EQ(QColor(image.pixel(100, 60)), SkinGroupBox::kFill);
}

}  // namespace
