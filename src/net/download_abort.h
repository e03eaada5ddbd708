// The process-wide download abort flag: the stub window sets it when a close
// is asked for and when it goes away; a caller clears it before it starts a
// download, and the download loop stops at its next chunk once it is set.
#pragma once

void SetDownloadAbort(bool abort);
bool DownloadAborted();

// Releases the WinINet library once no download can run any more (the end of
// the stub window's message loop). Windows builds only.
void UnloadWinINet();
