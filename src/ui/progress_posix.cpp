#include "ui/progress.h"

// Native builds have no window messages to dispatch.
void PlatformProgressPump(int64_t) {}
