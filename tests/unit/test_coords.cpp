// Tests of the mouse commands' coordinate arithmetic.
#include <gtest/gtest.h>

#include "script/coords.h"

namespace {

using script::Point;

// The system maps an absolute value back to a pixel by truncation.
int BackToPixel(int absolute, int size) {
  return static_cast<int>(static_cast<long long>(absolute) * size / 65536);
}

TEST(CoordsTest, ScriptPositionsAreRelativeToTheWindowAndRoundedUp) {
  // LeftClick, 10, 20 with the window at (100, 50) on a 1024 x 768 screen:
  // 110 * 65536 / 1024 is exact; 70 * 65536 / 768 = 5973.33 becomes 5974.
  Point script = {10, 20};
  Point origin = {100, 50};
  Point screen = {1024, 768};
  Point a = script::ScriptToAbsolute(script, origin, screen);
  EXPECT_EQ(7040, a.x);
  EXPECT_EQ(5974, a.y);
  EXPECT_EQ(110, BackToPixel(a.x, 1024));
  EXPECT_EQ(70, BackToPixel(a.y, 768));
  EXPECT_EQ(0, script::ToAbsolute(0, 768));
  EXPECT_EQ(65536, script::ToAbsolute(1024, 1024));
}

TEST(CoordsTest, EveryPixelMapsBackToItself) {
  const int sizes[] = {640, 768, 800, 1024, 1080, 1366, 1920, 2560};
  for (int size : sizes) {
    for (int pixel = 0; pixel < size; ++pixel) {
      ASSERT_EQ(pixel, BackToPixel(script::ToAbsolute(pixel, size), size)) << pixel << " of " << size;
    }
  }
}

TEST(CoordsTest, OffScreenAndDegenerateInput) {
  // Left of the screen stays negative and is rounded up toward zero too.
  EXPECT_EQ(-64, script::ToAbsolute(-1, 1024));
  EXPECT_EQ(-85, script::ToAbsolute(-1, 768));
  Point script = {-150, 0};
  Point origin = {100, 0};
  Point screen = {1024, 768};
  EXPECT_EQ(-3200, script::ScriptToAbsolute(script, origin, screen).x);
  // Huge script numbers neither overflow nor wrap around to the other side.
  Point far = {2147483647, -2147483647};
  Point a = script::ScriptToAbsolute(far, origin, screen);
  EXPECT_GT(a.x, 0);
  EXPECT_LT(a.y, 0);
  // A screen without size gives 0 instead of a division by zero.
  EXPECT_EQ(0, script::ToAbsolute(500, 0));
}

TEST(CoordsTest, CursorPositionsAreReadBackRelativeToTheWindow) {
  Point origin = {100, 50};
  Point left_of = {88, 60};
  Point p = script::ScreenToScript(left_of, origin);
  EXPECT_EQ(-12, p.x);
  EXPECT_EQ(10, p.y);
}

}  // namespace
