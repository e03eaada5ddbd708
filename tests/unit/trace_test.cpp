#include "support/trace.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

void Collect(const char* chunk, size_t size, void* context) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(chunk, size);
}

struct ChunkCase {
  const char* name;
  std::vector<std::string> lines;  // each written, then a line end
  std::vector<std::string> chunks;
};

TEST(TraceWriter, DeliversFullBuffersAndEveryLineEnd) {
  const std::string a128(128, 'a'), b128(128, 'b'), c44(44, 'c');
  const ChunkCase cases[] = {
      {"line of 300", {a128 + b128 + c44}, {a128, b128, c44 + "\r\n"}},
      {"empty line", {""}, {"\r\n"}},
      {"exactly one buffer", {a128}, {a128, "\r\n"}},
      // The line end straddles the buffer boundary.
      {"127 then line end", {a128.substr(1)}, {a128.substr(1) + "\r", "\n"}},
      {"two short lines", {"x", "yz"}, {"x\r\n", "yz\r\n"}},
  };
  for (const ChunkCase& c : cases) {
    std::vector<std::string> got;
    TraceWriter writer(Collect, &got);
    for (const std::string& line : c.lines) {
      writer.Write(line);
      writer.EndLine();
    }
    EXPECT_EQ(got, c.chunks) << c.name;
  }
}

TEST(TraceWriter, HoldsTextUntilTheBufferFillsOrTheLineEnds) {
  std::vector<std::string> got;
  TraceWriter writer(Collect, &got);
  writer.Write("pid");
  writer.Write(" text");
  EXPECT_TRUE(got.empty());
  writer.Write(std::string(130, 'z'));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "pid text" + std::string(120, 'z'));
  writer.EndLine();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], "zzzzzzzzzz\r\n");
  writer.Flush();  // nothing buffered: nothing delivered
  EXPECT_EQ(got.size(), 2u);
}

// A sink that writes to the device it is called from (as a window procedure
// that runs during the viewer's send may) gets an empty buffer, not a
// half-delivered one.
struct Reentrant {
  TraceWriter* writer = nullptr;
  std::vector<std::string> chunks;
  bool nested = false;
};
void ReenterOnce(const char* chunk, size_t size, void* context) {
  auto* r = static_cast<Reentrant*>(context);
  r->chunks.emplace_back(chunk, size);
  if (!r->nested) {
    r->nested = true;
    r->writer->Write("inner");
    r->writer->EndLine();
  }
}
TEST(TraceWriter, SinkMayWriteAgain) {
  Reentrant r;
  TraceWriter writer(ReenterOnce, &r);
  r.writer = &writer;
  writer.Write("outer");
  writer.EndLine();
  writer.Write("next");
  writer.EndLine();
  EXPECT_EQ(r.chunks, (std::vector<std::string>{"outer\r\n", "inner\r\n", "next\r\n"}));
}

TEST(NormaliseLineEnds, EveryLineEndBecomesCrLf) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd"},
      {"\n\r", "\r\n\r\n"},
      {"\r\r\n\n", "\r\n\r\n\r\n"},
      {"x\r", "x\r\n"},
      {std::string("a\0b", 3), "a\r\nb"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseLineEnds(c.in), c.out) << c.in;
}

// The process-wide device, with its outlets replaced by a collecting sink.
class TraceDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    TraceDeviceStart();
    SetTraceChunkSink(Collect, &chunks_);
  }
  void TearDown() override { SetTraceChunkSink(nullptr, nullptr); }
  std::string Text() const {
    std::string all;
    for (const std::string& c : chunks_) all += c;
    return all;
  }
  std::vector<std::string> chunks_;
};

TEST_F(TraceDevice, FormatsItsLines) {
  TraceException("YieldX", "", "Access denied");
  TraceException("Utils.GetExeVersion()", "C:\\a.exe", "not found");
  TraceColumns("QueryValue", "C:\\a.exe", "\\StringFileInfo", "1.0");
  TraceWrite("part ");
  TraceLine("whole");
  EXPECT_EQ(Text(),
            " --- YieldX () --- Access denied\r\n"
            " --- Utils.GetExeVersion() (C:\\a.exe) --- not found\r\n"
            "[QueryValue]  [C:\\a.exe]  [\\StringFileInfo]  [1.0]\r\n"
            "part whole\r\n");
}

TEST_F(TraceDevice, PidLineBeginsWithTheUnpaddedProcessId) {
  TracePidLine(" ==== STUB START ====> ");
  const std::string text = Text();
  const std::string tail = " ==== STUB START ====> \r\n";
  ASSERT_GT(text.size(), tail.size());
  const std::string pid = text.substr(0, text.size() - tail.size());
  EXPECT_EQ(text.substr(pid.size()), tail);
  EXPECT_NE(pid[0], '0');
  EXPECT_EQ(pid.find_first_not_of("0123456789"), std::string::npos) << pid;
}

TEST_F(TraceDevice, SettingASinkDeliversWhatWasBufferedFirst) {
  TraceWrite("held");
  std::vector<std::string> later;
  SetTraceChunkSink(Collect, &later);
  TraceLine("");
  EXPECT_EQ(chunks_, std::vector<std::string>{"held"});
  EXPECT_EQ(later, std::vector<std::string>{"\r\n"});
}

TEST_F(TraceDevice, LinesOfThreadsDoNotInterleave) {
  auto writeLines = [](char c) {
    for (int i = 0; i < 40; ++i) TraceLine(std::string(200, c));
  };
  std::thread a(writeLines, 'a'), b(writeLines, 'b');
  a.join();
  b.join();
  const std::string text = Text();
  size_t lines = 0;
  for (size_t start = 0; start < text.size(); ++lines) {
    size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    ASSERT_EQ(line, std::string(200, line[0])) << "line " << lines;
    start = end + 2;
  }
  EXPECT_EQ(lines, 80u);
}

}  // namespace
