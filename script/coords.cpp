// Coordinate arithmetic of the mouse commands, free of the platform.
#include "script/coords.h"

namespace script {

int ToAbsolute(long long pixel, int size) {
  if (size <= 0) return 0;
  // 64-bit product: pixel * 65536 overflows 32 bits beyond 32767 pixels.
  long long scaled = pixel * 65536;
  // Division truncates toward zero, which already rounds a negative quotient
  // up; only a positive one needs size - 1 added.
  if (scaled > 0) scaled += size - 1;
  long long result = scaled / size;
  if (result > 0x7FFFFFFF) return 0x7FFFFFFF;
  if (result < -0x7FFFFFFF) return -0x7FFFFFFF;
  return static_cast<int>(result);
}

Point ScriptToAbsolute(Point script, Point origin, Point screen) {
  Point p;
  p.x = ToAbsolute(static_cast<long long>(script.x) + origin.x, screen.x);
  p.y = ToAbsolute(static_cast<long long>(script.y) + origin.y, screen.y);
  return p;
}

Point ScreenToScript(Point cursor, Point origin) {
  Point p;
  p.x = cursor.x - origin.x;
  p.y = cursor.y - origin.y;
  return p;
}

}  // namespace script
