// Apart from the other text helpers so that only its users link the screen
// query of the trace device.
#include <windows.h>

#include "env/text.h"

int ScreenPixelsPerInch();  // support/trace.h

int PointsToPixels(int points) { return MulDiv(points, ScreenPixelsPerInch(), 72); }
