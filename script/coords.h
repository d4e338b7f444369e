// Mouse positions: from a script position (relative to the foreground
// window's outer top-left corner) to the mouse-event absolute range and back.
#ifndef KESTRO_SCRIPT_COORDS_H
#define KESTRO_SCRIPT_COORDS_H

namespace script {

// A point in screen pixels.
struct Point {
  int x;
  int y;
};

// Scales one screen coordinate to the absolute range, where 0 to 65536 spans
// size pixels. The quotient is rounded up, so that the system's mapping back
// (absolute * size / 65536, truncated) lands on the very pixel named; exact
// quotients are unchanged (110 on 1024 gives 7040). Coordinates left of or
// above the screen stay negative; results beyond the int range are clamped.
// A size of 0 or less gives 0.
int ToAbsolute(long long pixel, int size);

// The absolute position of a script position: origin is the foreground
// window's outer top-left corner in screen pixels, screen the desktop's size.
Point ScriptToAbsolute(Point script, Point origin, Point screen);

// The script position of a cursor position: cursor minus origin.
Point ScreenToScript(Point cursor, Point origin);

}  // namespace script

#endif
