// SPDX-License-Identifier: GPL-3.0-or-later
// Where things go on the screen: the docked analyzer, a dragged window, the
// caption glyphs (bounds exclusive), the track bar's handle and selection
// (halves rounded to even), and the display platform chosen for a session.
#include <gtest/gtest.h>

#include "app/analyzer_dock.h"
#include "app/caption_areas.h"
#include "app/display_platform.h"
#include "app/track_geometry.h"
#include "ui/window_drag.h"

TEST(AnalyzerDock, SitsCentredOnTheMainWindowsTopEdgeOrBelowAtTheTopOfTheScreen) {
  // 400 / 2 - 129 / 2 = 200 - 64 (integer halves).
  EXPECT_EQ(DockedAnalyzerPosition(100, 300, 400, 129, 44, 0, 510), (DockPosition{236, 256}));
  EXPECT_EQ(DockedAnalyzerPosition(10, 54, 401, 130, 44, 10, 264), (DockPosition{145, 10}));
  EXPECT_EQ(DockedAnalyzerPosition(10, 53, 401, 130, 44, 10, 263), (DockPosition{145, 263}));
}

// A drag moves the window by exactly the pointer's way, under X11 too.
TEST(WindowDrag, MovesByExactlyTheDragAndOnlyWaylandMovesItsWindows) {
  WindowDrag drag;
  drag.Press({500, 420}, {440, 407});
  EXPECT_EQ(drag.TargetFor({550, 450}), QPoint(490, 437));
  for (const auto& [name, system] :
       {std::pair{"wayland", true}, {"wayland-egl", true}, {"xcb", false}, {"offscreen", false}})
    EXPECT_EQ(WindowSystemMovesWindows(QString::fromLatin1(name)), system) << name;
}

TEST(CaptionAreas, GlyphBoundsAreExclusive) {
  using A = CaptionArea;
  const std::tuple<int, int, A> kPoints[] = {
      {342, 5, A::None}, {343, 5, A::About},    {351, 5, A::About}, {352, 5, A::None},
      {356, 0, A::Help}, {379, 5, A::Minimize}, {391, 5, A::Close}, {348, 20, A::None}};
  for (const auto& [x, y, area] : kPoints)
    EXPECT_EQ(MainCaptionAreaAt(x, y, 400), area) << x << "," << y;
  for (const A area : {A::About, A::Help, A::Minimize, A::Close}) {  // 9 pixels from the left
    const int left = CaptionAreaLeft(area, 400);
    EXPECT_EQ(MainCaptionAreaAt(left, 5, 400), area);
    EXPECT_EQ(MainCaptionAreaAt(left + 8, 5, 400), area);
    EXPECT_NE(MainCaptionAreaAt(left - 1, 5, 400), area);
    EXPECT_NE(MainCaptionAreaAt(left + 9, 5, 400), area);
  }
}

TEST(TrackGeometry, TheHandleRoundsHalfPixelsToEvenAndMapsBack) {
  constexpr int kMin = kTrackBarLeft, kMax = kTrackBarLeft + kTrackBarWidth - kTrackButtonWidth;
  // 1.5 px rounds up to 2, 2.5 px down to 2, 3.5 px up to 4.
  const std::tuple<int32_t, int32_t, int> kPlaces[] = {
      {1500, 340000, 18},    {2500, 340000, 18}, {3500, 340000, 20},         {0, 340000, 16},
      {340000, 340000, 356}, {1, 1, 356},        {INT32_MAX, INT32_MAX, 356}};
  for (const auto& [positionMs, lengthMs, left] : kPlaces) {
    EXPECT_EQ(HandleLeftForPosition(positionMs, lengthMs, kMin, kMax), left) << positionMs;
  }
  EXPECT_EQ(PositionForHandleLeft(66, 340000, kMin, kMax), 50000);
  EXPECT_EQ(PositionForHandleLeft(356, INT32_MAX, kMin, kMax), INT32_MAX);
  EXPECT_EQ(PositionForHandleLeft(17, 1000, kMin, kMax), 3);  // 2.94 ms
  // The selection bar runs between handle centres rounded separately: begin
  // at 2.5 px rounds to 2, the 1.5 px width rounds to 2.
  const auto bar = SelectionBarFor(2500, 4000, 340000, kMin, kMax, kTrackButtonWidth);
  EXPECT_EQ(std::pair(bar.left, bar.width), std::pair(16 + 2 + 15, 2));
}

// XWayland on a Wayland session with an X display, unless the user chose.
TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandUnlessTheUserChose) {
  EXPECT_STREQ(DisplayPlatformOverride("wayland-0", ":0", nullptr), "xcb");
  EXPECT_STREQ(DisplayPlatformOverride("wayland-0", ":0", ""), "xcb");
  EXPECT_EQ(DisplayPlatformOverride("wayland-0", ":0", "wayland"), nullptr);
  EXPECT_EQ(DisplayPlatformOverride("", ":0", nullptr), nullptr);
}
