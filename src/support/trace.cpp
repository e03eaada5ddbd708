#include "support/trace.h"

#include <cstring>

#include "support/trace_platform.h"

void TraceWriter::Write(const char* data, size_t size) {
  while (size > 0) {
    size_t n = kBufferSize - used_;
    if (n > size) n = size;
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
    if (used_ == kBufferSize) Flush();
  }
}

void TraceWriter::EndLine() {
  Write("\r\n", 2);
  Flush();
}

void TraceWriter::Flush() {
  if (used_ == 0) return;
  char chunk[kBufferSize];
  size_t n = used_;
  std::memcpy(chunk, buffer_, n);
  used_ = 0;
  if (sink_) sink_(chunk, n, context_);
}

std::string NormaliseLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n' || c == '\0') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

TraceChunkSink g_sink = nullptr;
void* g_sinkContext = nullptr;

void DeliverChunk(const char* chunk, size_t size, void*) {
  if (g_sink) {
    g_sink(chunk, size, g_sinkContext);
  } else {
    TracePlatformDeliver(chunk, size);
  }
}

// Constant-initialised, so tracing from other static constructors is safe.
TraceWriter g_device(DeliverChunk, nullptr);
TraceWriter& Device() { return g_device; }

// Holds the device's lock for one whole write, so a line is delivered as one
// run of chunks even when several threads trace.
class DeviceLock {
 public:
  DeviceLock() {
    TraceDeviceStart();
    TracePlatformLock();
  }
  ~DeviceLock() { TracePlatformUnlock(); }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
};

}  // namespace

void TraceDeviceStart() { TracePlatformStart(); }

void TraceWrite(const std::string& text) {
  DeviceLock lock;
  Device().Write(text);
}

void TraceLine(const std::string& text) {
  DeviceLock lock;
  Device().Write(text);
  Device().EndLine();
}

void TracePidLine(const std::string& text) {
  TraceLine(std::to_string(TracePlatformProcessId()) + text);
}

void TraceException(const std::string& where, const std::string& detail,
                    const std::string& error) {
  TraceLine(" --- " + where + " (" + detail + ") --- " + error);
}

void TraceColumns(const std::string& a, const std::string& b, const std::string& c,
                  const std::string& d) {
  TraceLine("[" + a + "]  [" + b + "]  [" + c + "]  [" + d + "]");
}

void SetTraceChunkSink(TraceChunkSink sink, void* context) {
  DeviceLock lock;
  Device().Flush();
  g_sink = sink;
  g_sinkContext = context;
}
