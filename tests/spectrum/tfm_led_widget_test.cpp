// The analyzer window's pictures, pixel by pixel, on the offscreen platform:
// the background, the unlit LED matrix, bars of every height, the window's
// copy of the picture, the release of the picture on close, and dragging.
// The expected pixels are worked out here from the window's layout (frame,
// bevel, dot pitch, bar columns, 2-pixel colour segments counted from the
// bottom), independently of how the picture is drawn.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <ostream>
#include <set>

#include "spectrum/led.h"
#include "spectrum/led_colors.h"
#include "spectrum/widgets/led_picture.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/spectrum_blocks.h"

namespace {

class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "spectrum_tfm_led_widget_test";
    static char* argv[] = {name, nullptr};
    // The pictures are compared pixel by pixel and need no real screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

const auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplication);

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

TEST(LedBackground, FrameBevelCornersAndBlackFieldHaveTheirColours) {
  ExpectImage(MakeLedBackground(), BackgroundAt);
}

TEST(LedPictureGrid, ShowsAll420DotsInTheUnlitColourOnTheBackground) {
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  ExpectImage(picture.image(), GridAt);

  int dotPixels = 0;
  for (int y = 0; y < 44; ++y)
    for (int x = 0; x < 129; ++x) dotPixels += picture.image().pixel(x, y) == Rgb(LedOffColor);
  EXPECT_EQ(dotPixels, 420 * 4);
  EXPECT_EQ(picture.image().pixel(126, 40), qRgb(24, 24, 41));
}

struct BarCase {
  int band;
  int heightPx;
  friend void PrintTo(const BarCase& c, std::ostream* out) {
    *out << "band " << c.band << ", height " << c.heightPx;
  }
};

class LedPictureBar : public ::testing::TestWithParam<BarCase> {};

TEST_P(LedPictureBar, CoversItsColumnsFromTheBottomInTwoPixelColourSegments) {
  const auto [band, heightPx] = GetParam();
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  picture.PaintBar(band, heightPx);
  ExpectImage(picture.image(), [&](int x, int y) {
    const QRgb bar = BarAt(band, heightPx, x, y);
    return bar != 0 ? bar : GridAt(x, y);
  });
}

std::vector<BarCase> AllHeightsAndBandEdges() {
  std::vector<BarCase> cases;
  for (int h = 0; h <= 40; ++h) cases.push_back({7, h});
  for (int band : {0, 1, 19, 20}) cases.push_back({band, 40});
  cases.push_back({20, 1});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Heights, LedPictureBar, ::testing::ValuesIn(AllHeightsAndBandEdges()),
                         [](const auto& info) {
                           return "band" + std::to_string(info.param.band) + "_height" +
                                  std::to_string(info.param.heightPx);
                         });

TEST(LedPictureBarShape, FullBarReachesFromRow2To41WithAll20Colours) {
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  picture.PaintBar(5, 40);
  std::set<QRgb> colours;
  for (int y = 2; y <= 41; ++y) {
    for (int x = 32; x <= 36; ++x) colours.insert(picture.image().pixel(x, y));
  }
  EXPECT_EQ(colours.size(), 20u);
  EXPECT_EQ(picture.image().pixel(32, 41), qRgb(24, 134, 8));
  EXPECT_EQ(picture.image().pixel(32, 22), qRgb(189, 223, 41));
  EXPECT_EQ(picture.image().pixel(36, 2), qRgb(214, 89, 0));
  EXPECT_EQ(picture.image().pixel(34, 1), qRgb(12, 12, 12));
}

TEST(LedPictureBarShape, BarOfOneIsOneRowAtTheBottom) {
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  picture.PaintBar(0, 1);
  for (int x = 2; x <= 6; ++x) {
    EXPECT_EQ(picture.image().pixel(x, 41), qRgb(24, 134, 8));
    EXPECT_EQ(picture.image().pixel(x, 40), GridAt(x, 40));
  }
}

TEST(LedPictureBarShape, Band20EndsAtTheLastBlackColumn) {
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  picture.PaintBar(20, 40);
  EXPECT_EQ(picture.image().pixel(122, 30), picture.image().pixel(126, 30));
  EXPECT_EQ(picture.image().pixel(126, 41), Rgb(BarColors[0]));
  EXPECT_EQ(picture.image().pixel(127, 41), qRgb(89, 89, 89));
  EXPECT_EQ(picture.image().pixel(121, 41), qRgb(0, 0, 0));
}

TEST(LedPictureBarShape, OutOfRangeRequestsStayInsideTheField) {
  LedPicture picture(MakeLedBackground());
  picture.DrawLedGrid();
  picture.PaintBar(21, 40);
  picture.PaintBar(-1, 40);
  picture.PaintBar(3, -5);
  ExpectImage(picture.image(), GridAt);
  picture.PaintBar(3, 99);
  ExpectImage(picture.image(), [](int x, int y) {
    const QRgb bar = BarAt(3, 40, x, y);
    return bar != 0 ? bar : GridAt(x, y);
  });
}

// --- The window ---

class AnalyzerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
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
