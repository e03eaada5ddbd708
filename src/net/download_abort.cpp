#include "net/download_abort.h"

namespace {
bool g_abort = false;
}  // namespace

void SetDownloadAbort(bool abort) { g_abort = abort; }
bool DownloadAborted() { return g_abort; }
