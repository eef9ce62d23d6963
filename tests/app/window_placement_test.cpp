#include <gtest/gtest.h>

#include "app/analyzer_dock.h"
#include "app/caption_areas.h"

TEST(AnalyzerDock, SitsCentredOnTheMainWindowsTopEdge) {
  // 400 / 2 - 129 / 2 = 200 - 64 (integer halves).
  EXPECT_EQ(DockedAnalyzerPosition(100, 300, 400, 129, 44), (DockPosition{236, 256}));
  EXPECT_EQ(DockedAnalyzerPosition(0, 0, 400, 129, 44), (DockPosition{136, -44}));
  EXPECT_EQ(DockedAnalyzerPosition(-500, -20, 400, 129, 44), (DockPosition{-364, -64}));
  EXPECT_EQ(DockedAnalyzerPosition(10, 10, 401, 130, 44), (DockPosition{145, -34}));
}

struct CaptionCase {
  int x;
  int y;
  CaptionArea area;
};

void PrintTo(const CaptionCase& c, std::ostream* out) { *out << "(" << c.x << ", " << c.y << ")"; }

class CaptionAreaTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionAreaTest, BoundsAreExclusive) {
  EXPECT_EQ(MainCaptionAreaAt(GetParam().x, GetParam().y, 400), GetParam().area)
      << GetParam().x << "," << GetParam().y;
}

INSTANTIATE_TEST_SUITE_P(
    Points, CaptionAreaTest,
    ::testing::Values(
        CaptionCase{342, 5, CaptionArea::None}, CaptionCase{343, 5, CaptionArea::About},
        CaptionCase{348, 5, CaptionArea::About}, CaptionCase{351, 5, CaptionArea::About},
        CaptionCase{352, 5, CaptionArea::None}, CaptionCase{355, 5, CaptionArea::None},
        CaptionCase{356, 0, CaptionArea::Help}, CaptionCase{364, 19, CaptionArea::Help},
        CaptionCase{365, 5, CaptionArea::None}, CaptionCase{370, 5, CaptionArea::None},
        CaptionCase{371, 5, CaptionArea::Minimize}, CaptionCase{379, 5, CaptionArea::Minimize},
        CaptionCase{380, 5, CaptionArea::None}, CaptionCase{383, 5, CaptionArea::Close},
        CaptionCase{391, 5, CaptionArea::Close}, CaptionCase{392, 5, CaptionArea::None},
        CaptionCase{348, 20, CaptionArea::None}, CaptionCase{387, 100, CaptionArea::None},
        CaptionCase{100, 5, CaptionArea::None}));
