// SPDX-License-Identifier: GPL-3.0-or-later
// The analyzer window's pictures pixel by pixel (expected pixels worked out from the
// layout, independently of the drawing) and its release on close, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "spectrum/led.h"
#include "spectrum/led_colors.h"
#include "spectrum/widgets/led_picture.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/spectrum_blocks.h"
#include "support/widget_app.h"

namespace {

QRgb Rgb(const LedRgb& c) { return qRgb(c.red, c.green, c.blue); }
// Dots are 2 x 2 on a 3-pixel horizontal, 4-pixel vertical pitch from (2, 3).
bool IsDotPixel(int x, int y) {
  return x >= 2 && x <= 126 && (x - 2) % 3 != 2 && y >= 3 && y <= 40 && (y - 3) % 4 < 2;
}
QRgb GridAt(int x, int y) {
  static const QImage background = MakeLedBackground();
  return IsDotPixel(x, y) ? Rgb(LedOffColor) : background.pixel(x, y) | 0xFF000000u;
}

// The picture with a bar of `heightPx` in `band` on the grid. Pixel p counted
// from the bottom (y = 41 is p = 1) has the colour of segment (p - 1) / 2.
QRgb BarAt(int band, int heightPx, int x, int y) {
  const int left = 6 * band + 2, fromBottom = 42 - y;
  if (x < left || x > left + 4 || fromBottom < 1 || fromBottom > heightPx) return GridAt(x, y);
  return Rgb(BarColors[(fromBottom - 1) / 2]);
}

void ExpectImage(const QImage& image, const std::function<QRgb(int, int)>& expected) {
  ASSERT_EQ(image.size(), QSize(129, 44));
  int mismatches = 0;
  for (int y = 0; y < 44; ++y)
    for (int x = 0; x < 129; ++x)
      if ((image.pixel(x, y) | 0xFF000000u) != expected(x, y) && ++mismatches <= 10)
        ADD_FAILURE() << "pixel " << x << "," << y;
  EXPECT_EQ(mismatches, 0);
}

class AnalyzerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SettleSpectrum();
    window_ = std::make_unique<TfmLed>();
    fmLed = window_.get();
  }
  void ExpectShown(const std::function<QRgb(int, int)>& expected) {
    ASSERT_NE(window_->OffscreenPicture(), nullptr);
    ExpectImage(window_->OffscreenPicture()->image(), expected);
    ExpectImage(window_->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
  }
  std::unique_ptr<TfmLed> window_;
};

TEST_F(AnalyzerWindow, DrawsAnalysedBlocksAndClearDisplayEmptiesThePicture) {
  EXPECT_EQ(CurrentLedDisplay(), window_.get());
  window_->show();
  ExpectShown(GridAt);
  Feed(ToneBlock(40, 32767));  // bin 40: band 8 at full height
  ExpectShown([](int x, int y) { return BarAt(8, 40, x, y); });
  window_->ClearDisplay();
  ExpectShown(GridAt);
  EXPECT_EQ(BarLevel[8], 37);  // clearing the picture keeps the heights
}

TEST_F(AnalyzerWindow, CloseReleasesThePictureShowRebuildsItAndDestroyStopsTheDrawing) {
  window_->show();
  Feed(ToneBlock(40, 32767));
  window_->close();
  EXPECT_EQ(window_->OffscreenPicture(), nullptr);
  Feed(ToneBlock(40, 32767));  // analysed, drawn nowhere
  window_->ClearDisplay();
  window_->show();
  ExpectShown(GridAt);
  window_.reset();
  EXPECT_TRUE(CurrentLedDisplay() == nullptr && fmLed == nullptr);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(BarLevel[8], 37);
}

}  // namespace
