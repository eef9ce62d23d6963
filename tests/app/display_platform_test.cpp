// The platform choice: XWayland on a Wayland session with an X display,
// unless the user has chosen a platform; nothing to choose elsewhere.
#include "app/display_platform.h"

#include <gtest/gtest.h>

#include <string>

TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandUnlessTheUserChose) {
  struct Row {
    const char* wayland;
    const char* x11;
    const char* qt;
    const char* expected;
  };
  const Row rows[] = {
      {"wayland-0", ":0", nullptr, "xcb"},     {"wayland-0", ":0", "", "xcb"},
      {"wayland-0", ":0", "wayland", nullptr}, {"wayland-0", nullptr, nullptr, nullptr},
      {"wayland-0", "", nullptr, nullptr},     {nullptr, ":0", nullptr, nullptr},
      {"", ":0", nullptr, nullptr},
  };
  for (const Row& row : rows) {
    const char* chosen = DisplayPlatformOverride(row.wayland, row.x11, row.qt);
    EXPECT_EQ(chosen ? std::string(chosen) : "-", row.expected ? std::string(row.expected) : "-")
        << (row.wayland ? row.wayland : "null") << " / " << (row.x11 ? row.x11 : "null") << " / "
        << (row.qt ? row.qt : "null");
  }
}
