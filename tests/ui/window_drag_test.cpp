#include "ui/window_drag.h"

#include <gtest/gtest.h>

TEST(WindowDrag, WindowFollowsThePointerFromWhereItWasGrabbed) {
  WindowDrag drag;
  drag.Press({500, 300}, {100, 200});
  EXPECT_TRUE(drag.DraggingWindow);
  EXPECT_EQ(drag.TargetFor({500, 300}), QPoint(100, 200));
  EXPECT_EQ(drag.TargetFor({450, 320}), QPoint(50, 220));
  EXPECT_EQ(drag.TargetFor({-100, -50}), QPoint(-500, -150));
  drag.Release();
  EXPECT_FALSE(drag.DraggingWindow);
}
