// The trace device: the diagnostic text outlet every subsystem writes its
// step-by-step lines to. Nothing here ever fails visibly or changes what the
// caller does next.
//
// Text goes through a 128-byte buffer. A line end is CR LF. The buffered text
// (a "chunk") is delivered when the buffer is full and at the end of every
// line, so a chunk is never longer than 128 bytes and a line of 300 characters
// arrives as 128, 128 and 44 + CR LF.
//
// In Windows builds each chunk goes, by the build's debug output mode, to a
// debug viewer window (class ".VDebug.") and/or to a trace file (see
// trace_win32.h). In native builds chunks are dropped unless a sink is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Receives one chunk: `size` bytes, 1..TraceWriter::kBufferSize.
using TraceChunkSink = void (*)(const char* chunk, size_t size, void* context);

// The buffering of the device, apart from any process-wide state. Not
// thread-safe by itself; the process-wide device serialises its use.
class TraceWriter {
 public:
  static constexpr size_t kBufferSize = 128;

  constexpr TraceWriter(TraceChunkSink sink, void* context)
      : sink_(sink), context_(context), buffer_{} {}
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // Appends bytes, delivering every time the buffer fills.
  void Write(const char* data, size_t size);
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  // Appends CR LF and delivers what is buffered.
  void EndLine();
  // Delivers what is buffered (nothing when empty). The buffer is empty
  // before the sink runs, so a sink that writes to this writer again cannot
  // corrupt it.
  void Flush();

 private:
  TraceChunkSink sink_;
  void* context_;
  char buffer_[kBufferSize];
  size_t used_ = 0;
};

// Replaces every CR LF, lone CR and lone LF (and every NUL) by CR LF, so text
// stored in the trace file has CR LF line ends only.
std::string NormaliseLineEnds(const std::string& text);

// ---- The process-wide device ----

// Creates the lock, registers the viewer message and installs the device.
// Called once at process start; later calls do nothing. The functions below
// start the device themselves if nobody has yet.
void TraceDeviceStart();

// Writes text without a line end; delivered once the buffer fills or a line
// ends.
void TraceWrite(const std::string& text);
// Writes text and a line end: one whole line, not interleaved with the lines
// of other threads.
void TraceLine(const std::string& text);
// The current process id in decimal (no padding), then text and a line end.
// Callers' texts begin with a blank: "1234 ==== STUB START ====> ...".
void TracePidLine(const std::string& text);
// Records a caught failure as " --- where (detail) --- error".
void TraceException(const std::string& where, const std::string& detail,
                    const std::string& error);
// "[a]  [b]  [c]  [d]" as one line.
void TraceColumns(const std::string& a, const std::string& b, const std::string& c,
                  const std::string& d);

// Sends every chunk of the process-wide device to `sink` instead of the
// platform's outlets; nullptr restores them. For tests and for native tools
// that want to show the trace.
void SetTraceChunkSink(TraceChunkSink sink, void* context);

// The screen's vertical logical pixels per inch, asked once and kept (a kept
// 0 counts as not yet asked). Native builds have no screen and answer 96, the
// Windows default.
int ScreenPixelsPerInch();
