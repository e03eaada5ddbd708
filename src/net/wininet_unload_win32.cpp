#include "net/download_abort.h"

#include "support/trace.h"

// The HTTP client binds WinINet; until it exists there is nothing to release.
void UnloadWinINet() { TracePidLine(" UnloadWinINet() --- not built yet"); }
