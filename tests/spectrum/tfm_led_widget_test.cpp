// The analyzer window's pictures, pixel by pixel, on the offscreen platform:
// the background, the unlit LED matrix, bars at telling heights, the window's
// copy of the picture, its release on close, and dragging.
// The expected pixels are worked out here from the window's layout (frame,
// bevel, dot pitch, bar columns, 2-pixel colour segments counted from the
// bottom), independently of how the picture is drawn.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include "spectrum/led.h"
#include "spectrum/led_colors.h"
#include "spectrum/widgets/led_picture.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/spectrum_blocks.h"
#include "support/widget_app.h"

namespace {

QRgb Rgb(const LedRgb& c) { return qRgb(c.red, c.green, c.blue); }

// The background picture as its layout describes it.
QRgb BackgroundAt(int x, int y) {
  if (x == 0 || x == 128 || y == 0 || y == 43) return qRgb(49, 48, 49);
  if (x == 127 && y == 1) return qRgb(34, 34, 34);
  if (x == 1 && y == 42) return qRgb(65, 64, 65);
  if (x == 127 && y == 42) return qRgb(132, 132, 132);
  if (y == 1) return qRgb(12, 12, 12);
  if (x == 1) return qRgb(23, 22, 23);
  if (x == 127) return qRgb(89, 89, 89);
  if (y == 42) return qRgb(126, 125, 126);
  return qRgb(0, 0, 0);
}

// Dots are 2 x 2 on a 3-pixel horizontal, 4-pixel vertical pitch from (2, 3).
bool IsDotPixel(int x, int y) {
  return x >= 2 && x <= 126 && (x - 2) % 3 != 2 && y >= 3 && y <= 40 && (y - 3) % 4 < 2;
}

QRgb GridAt(int x, int y) { return IsDotPixel(x, y) ? Rgb(LedOffColor) : BackgroundAt(x, y); }

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
  for (int y = 0; y < 44; ++y) {
    for (int x = 0; x < 129; ++x) {
      const QRgb want = expected(x, y);
      const QRgb got = image.pixel(x, y) | 0xFF000000u;
      if (got != want && ++mismatches <= 10)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " " << got;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Bars cover their columns from the bottom in 2-pixel colour segments;
// requests outside the field are drawn at its edges or not at all.
TEST(LedPicture, BarsCoverTheirColumnsFromTheBottom) {
  TestApplication();
  const struct {
    int band, heightPx, drawnPx;
  } rows[] = {{0, 1, 1},  {7, 3, 3},   {20, 40, 40}, {3, 99, 40},
              {3, -5, 0}, {21, 40, 0}, {-1, 40, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "band " << row.band << " height " << row.heightPx);
    LedPicture picture(MakeLedBackground());
    picture.DrawLedGrid();
    picture.PaintBar(row.band, row.heightPx);
    ExpectImage(picture.image(), [&](int x, int y) { return BarAt(row.band, row.drawnPx, x, y); });
  }
}

class AnalyzerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SettleSpectrum();
    window_ = std::make_unique<TfmLed>();
    fmLed = window_.get();
  }
  // The window's picture and what it shows on screen.
  void ExpectShown(const std::function<QRgb(int, int)>& expected) {
    ASSERT_NE(window_->OffscreenPicture(), nullptr);
    ExpectImage(window_->OffscreenPicture()->image(), expected);
    ExpectImage(window_->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
  }
  std::unique_ptr<TfmLed> window_;
};

TEST_F(AnalyzerWindow, DrawsAnalysedBlocksAndClearDisplayEmptiesThePicture) {
  EXPECT_EQ(window_->size(), QSize(129, 44));
  EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(window_->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window_->windowTitle(), "Spectrum Analyzer");
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
  // Analysis goes on while the picture is gone; nothing is drawn.
  Feed(ToneBlock(40, 32767));
  window_->ClearDisplay();
  EXPECT_EQ(window_->OffscreenPicture(), nullptr);
  window_->show();
  ExpectShown(GridAt);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(window_->OffscreenPicture()->image().pixel(50, 2), Rgb(BarColors[19]));
  window_.reset();
  EXPECT_EQ(CurrentLedDisplay(), nullptr);
  EXPECT_EQ(fmLed, nullptr);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(BarLevel[8], 37);
}

// The offscreen platform has no window move of its own, so this drives the
// fallback in which the window follows the pointer until the release.
TEST_F(AnalyzerWindow, DraggingFromAnyPointMovesTheWindowWithThePointer) {
  if (QGuiApplication::platformName() != "offscreen")
    GTEST_SKIP() << "needs the offscreen platform";
  window_->move(300, 200);
  window_->show();
  const QPoint start = window_->mapToGlobal(QPoint(100, 30));
  const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button,
                        Qt::MouseButtons held) {
    QMouseEvent event(type, window_->mapFromGlobal(global), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &event);
  };
  send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, start + QPoint(40, -25), Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, start + QPoint(40, -25), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window_->pos(), QPoint(340, 175));
  send(QEvent::MouseMove, start + QPoint(50, -15), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(window_->pos(), QPoint(340, 175));
}

}  // namespace
