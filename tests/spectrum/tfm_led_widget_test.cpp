// The analyzer window's pictures, pixel by pixel, on the offscreen platform:
// the background, the unlit LED matrix, bars at telling heights, the window's
// copy of the picture, the release of the picture on close, and dragging.
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

// The colour of a bar of `heightPx` in `band` at (x, y), or nothing (0) when
// the bar does not cover that pixel. Pixel p counted from the bottom (y = 41
// is p = 1) has the colour of segment (p - 1) / 2.
QRgb BarAt(int band, int heightPx, int x, int y) {
  const int left = 6 * band + 2;
  if (x < left || x > left + 4) return 0;
  const int fromBottom = 42 - y;
  if (fromBottom < 1 || fromBottom > heightPx) return 0;
  return Rgb(BarColors[(fromBottom - 1) / 2]);
}

void ExpectImage(const QImage& image, const std::function<QRgb(int, int)>& expected) {
  ASSERT_EQ(image.size(), QSize(129, 44));
  int mismatches = 0;
  for (int y = 0; y < 44; ++y) {
    for (int x = 0; x < 129; ++x) {
      const QRgb want = expected(x, y);
      const QRgb got = image.pixel(x, y) | 0xFF000000u;
      if (got != want && ++mismatches <= 10) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected "
                      << want;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(LedPicture, BackgroundAndTheUnlitGridOf420Dots) {
  TestApplication();
  ExpectImage(MakeLedBackground(), BackgroundAt);
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  ExpectImage(picture.image(), GridAt);
  int dotPixels = 0;
  for (int y = 0; y < 44; ++y) {
    for (int x = 0; x < 129; ++x) dotPixels += picture.image().pixel(x, y) == Rgb(LedOffColor);
  }
  EXPECT_EQ(dotPixels, 420 * 4);
}

// Bars cover their columns from the bottom in 2-pixel colour segments;
// requests outside the field are drawn at its edges or not at all.
TEST(LedPicture, BarsCoverTheirColumnsFromTheBottom) {
  TestApplication();
  const struct {
    int band, heightPx, drawnPx;
  } rows[] = {{0, 1, 1}, {7, 2, 2}, {7, 3, 3}, {7, 40, 40}, {20, 40, 40},
              {3, 99, 40}, {3, -5, 0}, {21, 40, 0}, {-1, 40, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "band " << row.band << " height " << row.heightPx);
    LedPicture picture(MakeLedBackground());
    picture.DrawLedGrid();
    picture.PaintBar(row.band, row.heightPx);
    ExpectImage(picture.image(), [&](int x, int y) {
      const QRgb bar = BarAt(row.band, row.drawnPx, x, y);
      return bar != 0 ? bar : GridAt(x, y);
    });
  }
}

// --- The window ---

class AnalyzerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SettleSpectrum();
    window_ = std::make_unique<TfmLed>();
    fmLed = window_.get();
  }
  void TearDown() override { window_.reset(); }

  QImage Shown() { return window_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  std::unique_ptr<TfmLed> window_;
};

TEST_F(AnalyzerWindow, IsABorderlessAlwaysOnTopWindowOf129By44) {
  EXPECT_EQ(window_->size(), QSize(129, 44));
  EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(window_->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window_->windowTitle(), "Spectrum Analyzer");
}

TEST_F(AnalyzerWindow, StartsWithTheEmptyMatrixAndShowsItsPicture) {
  ASSERT_NE(window_->OffscreenPicture(), nullptr);
  ExpectImage(window_->OffscreenPicture()->image(), GridAt);
  window_->show();
  ExpectImage(Shown(), GridAt);
}

TEST_F(AnalyzerWindow, AnAnalysedBlockIsDrawnAndClearDisplayEmptiesIt) {
  EXPECT_EQ(CurrentLedDisplay(), window_.get());
  window_->show();
  Feed(ToneBlock(40, 32767));  // bin 40: band 8 at full height
  auto toneBar = [](int x, int y) {
    const QRgb bar = BarAt(8, 40, x, y);
    return bar != 0 ? bar : GridAt(x, y);
  };
  ExpectImage(window_->OffscreenPicture()->image(), toneBar);
  ExpectImage(Shown(), toneBar);

  window_->ClearDisplay();
  ExpectImage(window_->OffscreenPicture()->image(), GridAt);
  ExpectImage(Shown(), GridAt);
  EXPECT_EQ(BarLevel[8], 37);  // clearing the picture keeps the heights
}

TEST_F(AnalyzerWindow, CloseReleasesThePictureAndShowingAgainRebuildsIt) {
  window_->show();
  Feed(ToneBlock(40, 32767));
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(window_->OffscreenPicture(), nullptr);

  // Analysis goes on while the picture is gone; nothing is drawn.
  Feed(ToneBlock(40, 32767));
  window_->ClearDisplay();
  EXPECT_EQ(window_->OffscreenPicture(), nullptr);

  window_->show();
  ASSERT_NE(window_->OffscreenPicture(), nullptr);
  ExpectImage(window_->OffscreenPicture()->image(), GridAt);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(window_->OffscreenPicture()->image().pixel(50, 2), Rgb(BarColors[19]));
}

TEST_F(AnalyzerWindow, DestroyingTheWindowStopsTheDrawing) {
  window_.reset();
  EXPECT_EQ(CurrentLedDisplay(), nullptr);
  EXPECT_EQ(fmLed, nullptr);
  Feed(ToneBlock(40, 32767));
  EXPECT_EQ(BarLevel[8], 37);
}

// The offscreen platform has no window move of its own, so this drives the
// fallback in which the window follows the pointer.
TEST_F(AnalyzerWindow, DraggingFromAnyPointMovesTheWindowWithThePointer) {
  if (QGuiApplication::platformName() != "offscreen")
    GTEST_SKIP() << "needs the offscreen platform";
  window_->move(300, 200);
  window_->show();
  const QPoint grip(100, 30);
  const QPoint start = window_->mapToGlobal(grip);
  QMouseEvent press(QEvent::MouseButtonPress, grip, start, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &press);
  const QPoint end = start + QPoint(40, -25);
  QMouseEvent move(QEvent::MouseMove, window_->mapFromGlobal(end), end, Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &move);
  QMouseEvent release(QEvent::MouseButtonRelease, window_->mapFromGlobal(end), end, Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &release);
  EXPECT_EQ(window_->pos(), QPoint(340, 175));

  // After the release, moving the pointer leaves the window where it was dropped.
  const QPoint later = end + QPoint(10, 10);
  QMouseEvent hover(QEvent::MouseMove, window_->mapFromGlobal(later), later, Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &hover);
  EXPECT_EQ(window_->pos(), QPoint(340, 175));
}

}  // namespace
