// The Win32 outlets of the trace device (see trace.h) and the debug-viewer
// protocol they speak:
//   - a viewer owns a top-level window of class ".VDebug." and registers the
//     window message ".V_DebugMsg.";
//   - for each chunk the writer adds a global atom whose name is the chunk,
//     sends (synchronously) the message to the viewer with wParam = the debug
//     channel (1) and lParam = the atom, and deletes the atom when the send
//     returns; the viewer reads the text with GlobalGetAtomName meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kDebugViewerClass[] = ".VDebug.";
inline constexpr char kDebugMessageName[] = ".V_DebugMsg.";
inline constexpr uintptr_t kDebugChannel = 1;
inline constexpr char kTraceFilePath[] = "C:\\ProgramData\\_vdebug.txt";

// Where trace text goes, by debug output mode:
//   0 the debug viewer (what the stub is built with), 1 the trace file,
//   2 both, 3 and above neither.
// The process uses the mode it was built with (DEBUG_OUTPUT_MODE, default 0).
uint8_t BuildDebugOutputMode();

// The id of ".V_DebugMsg.", registered when the device starts.
unsigned DebugMessageId();

// Dispatches one chunk by `mode`: for modes 1 and 2 appends it, line ends
// normalised to CR LF, to `traceFile` (created when missing, opened with full
// sharing otherwise); for modes 0 and 2 hands it, exactly as given, to the
// viewer window if there is one. A chunk holding a NUL ends there. Failures
// are dropped silently.
void DispatchTraceChunk(const char* chunk, size_t size, uint8_t mode, const char* traceFile);
