// XWayland on a Wayland session with an X display, unless the user chose.
#include "app/display_platform.h"

#include <gtest/gtest.h>

TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandUnlessTheUserChose) {
  EXPECT_STREQ(DisplayPlatformOverride("wayland-0", ":0", nullptr), "xcb");
  EXPECT_STREQ(DisplayPlatformOverride("wayland-0", ":0", ""), "xcb");
  EXPECT_EQ(DisplayPlatformOverride("wayland-0", ":0", "wayland"), nullptr);
  EXPECT_EQ(DisplayPlatformOverride("", ":0", nullptr), nullptr);
}
