// Where the analyzer docks above the main window, and which caption glyph a
// point of the title strip falls on (bounds exclusive).
#include <gtest/gtest.h>

#include "app/analyzer_dock.h"
#include "app/caption_areas.h"

TEST(AnalyzerDock, SitsCentredOnTheMainWindowsTopEdge) {
  // 400 / 2 - 129 / 2 = 200 - 64 (integer halves).
  EXPECT_EQ(DockedAnalyzerPosition(100, 300, 400, 129, 44), (DockPosition{236, 256}));
  EXPECT_EQ(DockedAnalyzerPosition(10, 10, 401, 130, 44), (DockPosition{145, -34}));
}

TEST(CaptionAreas, GlyphBoundsAreExclusive) {
  using A = CaptionArea;
  const std::tuple<int, int, A> kPoints[] = {
      {342, 5, A::None}, {343, 5, A::About},    {351, 5, A::About}, {352, 5, A::None},
      {356, 0, A::Help}, {379, 5, A::Minimize}, {391, 5, A::Close}, {348, 20, A::None}};
  for (const auto& [x, y, area] : kPoints)
    EXPECT_EQ(MainCaptionAreaAt(x, y, 400), area) << x << "," << y;
}
