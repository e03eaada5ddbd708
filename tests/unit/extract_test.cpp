#include "setup/extract.h"

#include <gtest/gtest.h>

#include <cstring>

#include "package/agent_file.h"
#include "package/file_info.h"
#include "package/package_reader.h"
#include "setup_fixture.h"

namespace {

struct Job {
  MemoryVolumes volumes;
  MemoryTarget target;
  RecordingHost host;
  ExtractRequest request;
  ExtractResult result;

  explicit Job(const std::string& setup, const std::string& path = "C:\\in\\setup.exe") {
    request.source = path;
    volumes.files[path] = setup;
    host.volumes = &volumes;
  }
  ExtractResult& Go() {
    result = Extract(request, &volumes, &target, &host);
    return result;
  }
};

std::string OneVolume(const std::string& chunks, uint8_t flags = 0) {
  RawVolume v;
  v.chunks = chunks;
  v.flags = flags;
  return MakeVolume(v);
}

TEST(Extract, EngineHeadAndNameRules) {
  struct Case {
    std::string head;
    std::string file;        // name written
    std::string engineHead;  // after the run
  } cases[] = {
      {"|Engine.exe*|0|", "Engine.exe", "Engine.exe*"},
      {"|Engine.exe* /LANG=EN /Q|0|", "Engine.exe", "Engine.exe* /LANG=EN /Q"},
      {"|00000#readme.txt|0|", "00000#readme.txt", ""},
      // A "*" outside the name field makes the whole head the engine head.
      {"|a.dll|12*|", "a.dll", "|a.dll|12*|"},
  };
  for (const auto& c : cases) {
    Job run(OneVolume(ZlibChunk(Content(c.head, "bytes"))));
    ASSERT_TRUE(run.Go().ok) << c.head << ": " << run.result.reason;
    EXPECT_EQ(run.result.engine_head, c.engineHead) << c.head;
    ASSERT_EQ(run.target.files.count(c.file), 1u) << c.head;
    EXPECT_EQ(run.target.files[c.file], "bytes") << c.head;
  }
}

TEST(Extract, ChunkKindsAndAppending) {
  // zlib and stored chunks of one file append in order; an empty chunk, an
  // empty head and a zero-length chunk write nothing; stamps apply when set.
  std::string binary(300, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = char(i * 7);
  std::string chunks = ZlibChunk(Content("|00000#a.bin|1234567|", binary.substr(0, 100))) +
                       StoredChunk(Content("|00000#a.bin|1234567|", binary.substr(100))) +
                       StoredChunk("") +                       // L = 0
                       ZlibChunk(Content("", "headless")) +    // empty head
                       StoredChunk(Content("|00001#empty|0|", "")) +
                       ZlibChunk(Content("|00002#x|junk|", "x"));
  Job run(OneVolume(chunks));
  ASSERT_TRUE(run.Go().ok) << run.result.reason;
  EXPECT_EQ(run.target.files.size(), 3u);
  EXPECT_EQ(run.target.files["00000#a.bin"], binary);
  EXPECT_EQ(run.target.files["00001#empty"], "");
  EXPECT_EQ(run.target.files["00002#x"], "x");
  EXPECT_EQ(run.target.stamps["00000#a.bin"], 1234567u);
  EXPECT_EQ(run.target.stamps.count("00002#x"), 0u);  // a non-number keeps the time
  EXPECT_EQ(run.result.files, 3);
  EXPECT_EQ(run.result.chunks, 6);
  EXPECT_EQ(run.host.steps, 3);  // once per new file, not per chunk
  EXPECT_TRUE(run.result.engine_head.empty());
}

TEST(Extract, NoChunksAndNoSource) {
  Job run(OneVolume(""));
  EXPECT_TRUE(run.Go().ok);
  EXPECT_TRUE(run.result.engine_head.empty());
  EXPECT_TRUE(run.target.files.empty());

  Job missing("");
  missing.volumes.files.clear();
  EXPECT_FALSE(missing.Go().ok);
  EXPECT_NE(missing.result.reason.find("cannot find"), std::string::npos);
}

TEST(Extract, WrongMagicReadsNothing) {
  std::string setup = OneVolume(ZlibChunk(Content("|Engine.exe*|0|", "x")));
  setup[setup.size() - 74 + layout::kOffMagic] ^= 1;
  Job run(setup);
  EXPECT_TRUE(run.Go().ok);  // the checksum test passed (1234)
  EXPECT_EQ(run.result.volumes_without_package, 1);
  EXPECT_TRUE(run.target.files.empty());
  EXPECT_TRUE(run.result.engine_head.empty());
}

TEST(Extract, UnsafeNamesStopBeforeWritingAnything) {
  const char* names[] = {"..\\evil.exe", "sub/file", "C:evil", "file:stream", "..",
                         "...",          ". .",      "",       "   ",         "*params"};
  for (const char* name : names) {
    std::string chunks = ZlibChunk(Content("|Engine.exe*|0|", "e")) +
                         ZlibChunk(Content(std::string("|") + name + "|0|", "bad")) +
                         ZlibChunk(Content("|00001#later|0|", "later"));
    Job run(OneVolume(chunks));
    EXPECT_FALSE(run.Go().ok) << name;
    EXPECT_NE(run.result.reason.find("unsafe file name"), std::string::npos) << name;
    EXPECT_EQ(run.target.files.size(), 1u) << name;  // only the engine, before it
    EXPECT_EQ(run.target.files.count("later"), 0u) << name;
  }
  std::string why;
  EXPECT_TRUE(IsSafeFileName("00000#My File.txt", &why));
  EXPECT_TRUE(IsSafeFileName("..name", &why));
  EXPECT_TRUE(IsSafeFileName("a..b", &why));
}

TEST(Extract, BadChunksStopWithOkFalse) {
  std::string good = ZlibChunk(Content("|00000#a|0|", "first"));
  std::string z = Zlib(Content("|00001#b|0|", std::string(5000, 'q')));
  std::string corrupt = z;
  corrupt[z.size() / 2] ^= 0x55;
  std::string badAdler = z;
  badAdler[z.size() - 1] ^= 1;
  struct Case {
    const char* what;
    std::string chunk;
    const char* reason;
  } cases[] = {
      {"length past the data end", U32Bytes(1000000) + "abc", "runs past"},
      {"stored length past the data end", U32Bytes(uint32_t(-1000000)) + "abc", "runs past"},
      {"smallest i32", U32Bytes(0x80000000u), "runs past"},
      {"corrupt deflate data", U32Bytes(uint32_t(corrupt.size())) + corrupt, "do not inflate"},
      {"wrong Adler-32", U32Bytes(uint32_t(badAdler.size())) + badAdler, "do not inflate"},
      {"stream cut short", U32Bytes(uint32_t(z.size() - 10)) + z.substr(0, z.size() - 10),
       "end before"},
      {"head without NUL over 32 KiB", StoredChunk(std::string(40000, 'h')), "head"},
  };
  for (const auto& c : cases) {
    Job run(OneVolume(good + c.chunk));
    EXPECT_FALSE(run.Go().ok) << c.what;
    EXPECT_NE(run.result.reason.find(c.reason), std::string::npos)
        << c.what << ": " << run.result.reason;
    EXPECT_EQ(run.target.files["00000#a"], "first") << c.what;
  }
}

TEST(Extract, ShortHeadWithoutNulMakesAnEmptyFile) {
  Job run(OneVolume(StoredChunk("|00000#nohead|0|")));
  ASSERT_TRUE(run.Go().ok) << run.result.reason;
  ASSERT_EQ(run.target.files.count("00000#nohead"), 1u);
  EXPECT_EQ(run.target.files["00000#nohead"], "");
}

TEST(Extract, InflatesAndWritesInBoundedPieces) {
  // 8 MiB of one byte inflate from a few KiB: nothing may be held whole.
  std::string big(8 << 20, 'z');
  Job run(OneVolume(ZlibChunk(Content("|00000#big|0|", big))));
  ASSERT_TRUE(run.Go().ok) << run.result.reason;
  EXPECT_EQ(run.target.files["00000#big"].size(), big.size());
  EXPECT_LE(run.target.largest_write, size_t(256 * 1024));  // the write piece, not the file
}

TEST(Extract, WriteFailureIsReportedAndExtractionGoesOn) {
  std::string chunks = ZlibChunk(Content("|00000#locked|0|", "12345")) +
                       ZlibChunk(Content("|00001#fine|0|", "ok"));
  Job run(OneVolume(chunks));
  run.target.refuse = {"00000#locked"};
  ASSERT_TRUE(run.Go().ok);
  EXPECT_EQ(run.result.save_failures, 1);
  ASSERT_EQ(run.host.failures.size(), 1u);
  EXPECT_EQ(run.host.failures[0].path, "DEST\\00000#locked");
  EXPECT_EQ(run.host.failures[0].data_size, 5);
  EXPECT_EQ(run.target.files["00001#fine"], "ok");
}

TEST(Extract, VolumePaths) {
  struct Case {
    std::string source;
    int k;
    std::string path;
  } cases[] = {
      {"C:\\in\\setup.exe", 2, "C:\\in\\setup.exe.002"},
      {"C:\\in\\setup.exe.001", 2, "C:\\in\\setup.exe.002"},
      {"setup.exe.001", 12, "setup.exe.012"},
      {"setup.exe", 1000, "setup.exe.1000"},
      {"x.001.001", 3, "x.001.003"},
      {"setup.EXE.0012", 2, "setup.EXE.0012.002"},
  };
  for (const auto& c : cases) EXPECT_EQ(VolumePath(c.source, c.k), c.path) << c.source;
}

// A three-volume set: the first with the stub image, then two bare volumes,
// each summed (they are small) and all but the last marked MultiVolume.
struct ThreeVolumes {
  std::string v1, v2, v3;
  ThreeVolumes() {
    RawVolume a;
    a.chunks = ZlibChunk(Content("|Engine.exe*|0|", "engine")) +
               ZlibChunk(Content("|00000#big|0|", "part1-"));
    a.flags = layout::kMultiVolume;
    a.files = 2;
    v1 = MakeVolume(a);
    RawVolume b;
    b.stub = 0;
    b.chunks = StoredChunk(Content("|00000#big|0|", "part2-"));
    b.flags = layout::kMultiVolume;
    v2 = Summed(MakeVolume(b));
    RawVolume c;
    c.stub = 0;
    c.chunks = ZlibChunk(Content("|00000#big|0|", "part3"));
    v3 = Summed(MakeVolume(c));
  }
  static std::string Summed(std::string v) {
    MemorySource src(v);
    uint32_t sum = FileChecksum(src, 74);
    std::string field = U32Bytes(sum);
    v.replace(v.size() - 74 + layout::kOffChecksum, 4, field);
    return v;
  }
};

TEST(Extract, MultiVolumeAllPresentAsksNothing) {
  ThreeVolumes set;
  Job run(set.v1);
  run.volumes.files["C:\\in\\setup.exe.002"] = set.v2;
  run.volumes.files["C:\\in\\setup.exe.003"] = set.v3;
  ASSERT_TRUE(run.Go().ok) << run.result.reason;
  EXPECT_EQ(run.target.files["00000#big"], "part1-part2-part3");
  EXPECT_EQ(run.result.engine_head, "Engine.exe*");
  EXPECT_TRUE(run.host.prompts.empty());
  EXPECT_TRUE(run.host.ejected.empty());
  EXPECT_EQ(run.host.steps, 2 + 2);  // two files, two volume changes
  EXPECT_EQ(run.host.maximum, 2);
  EXPECT_EQ(run.result.volumes_read, 3);
}

TEST(Extract, MultiVolumePromptsForMissingVolumes) {
  ThreeVolumes set;
  {  // Volume 2 missing: OK after it was put in place.
    Job run(set.v1);
    run.request.prompt_text = "Insert disk <disk_num> of <DISK_NUM>";
    run.volumes.files["C:\\in\\setup.exe.003"] = set.v3;
    run.host.answers = {true};
    run.host.on_ok["C:\\in\\setup.exe.002"] = set.v2;
    ASSERT_TRUE(run.Go().ok) << run.result.reason;
    ASSERT_EQ(run.host.prompts.size(), 1u);
    EXPECT_EQ(run.host.prompts[0], "Insert disk 2 of 2");
    EXPECT_EQ(run.host.ejected, std::vector<std::string>{"C:\\in\\setup.exe.002"});
    EXPECT_EQ(run.target.files["00000#big"], "part1-part2-part3");
  }
  {  // Cancel: the engine head is cleared so that nothing is launched.
    Job run(set.v1);
    run.host.answers = {false};
    run.Go();
    EXPECT_TRUE(run.result.cancelled);
    EXPECT_EQ(run.result.missing_volume, "C:\\in\\setup.exe.002");
    EXPECT_TRUE(run.result.engine_head.empty());
    EXPECT_EQ(run.target.files["00000#big"], "part1-");
  }
  {  // Force prompt: asked although present; OK goes on.
    Job run(set.v1);
    run.request.force_prompt = true;
    run.volumes.files["C:\\in\\setup.exe.002"] = set.v2;
    run.volumes.files["C:\\in\\setup.exe.003"] = set.v3;
    run.host.answers = {true, true};
    ASSERT_TRUE(run.Go().ok);
    EXPECT_EQ(run.host.prompts.size(), 2u);
    EXPECT_EQ(run.target.files["00000#big"], "part1-part2-part3");
  }
}

TEST(Extract, ChecksumOfEachVolume) {
  ThreeVolumes set;
  std::string bad = set.v2;
  bad[10] ^= 1;  // inside the header blocks: only the checksum can tell
  Job run(set.v1);
  run.volumes.files["C:\\in\\setup.exe.002"] = bad;
  run.volumes.files["C:\\in\\setup.exe.003"] = set.v3;
  EXPECT_FALSE(run.Go().ok);
  EXPECT_NE(run.result.reason.find("checksum"), std::string::npos);
  EXPECT_EQ(run.target.files["00000#big"], "part1-");  // earlier volumes stay
}

TEST(Extract, AgentFileFromTheFirstVolume) {
  RawVolume v;
  v.blocks = {"", "|http://x/|upd.info|Agent.exe|tok|0|"};
  v.chunks = ZlibChunk(Content("|Engine.exe*|0|", "e"));
  std::string setup = MakeVolume(v);
  MemorySource src(setup);
  TGFileInfo info(src);
  std::string expected;
  ASSERT_TRUE(ComposeAgentFile(src, info.blocks_end(), info.trailer(), &expected));

  struct Case {
    const char* source;
    const char* agentName;
    bool written;
    bool ok;
  } cases[] = {
      {"C:\\in\\setup.exe", "Agent.exe", true, true},
      {"C:\\in\\SETUP.EXE.001", "sub\\Agent.exe", true, true},  // folder dropped
      {"C:\\in\\setup.bin", "Agent.exe", false, true},
      {"C:\\in\\setup.exe", "", false, true},
      {"C:\\in\\setup.exe", "C:Agent.exe", false, false},
  };
  for (const auto& c : cases) {
    Job run(setup, c.source);
    run.request.agent_file_name = c.agentName;
    EXPECT_EQ(run.Go().ok, c.ok) << c.source << " " << c.agentName;
    EXPECT_EQ(run.target.files.count("Agent.exe"), c.written ? 1u : 0u) << c.source;
    if (c.written) {
      EXPECT_EQ(run.target.files["Agent.exe"], expected);
      EXPECT_EQ(run.result.agent_file, "DEST\\Agent.exe");
    }
  }
}

// A volume of more than 4 GiB whose header blocks and chunks lie beyond the
// 4 GiB mark; only the bytes around them exist, the rest reads as zeros.
class SparseSource : public ByteSource {
 public:
  SparseSource(int64_t base, std::string tail) : base_(base), tail_(std::move(tail)) {}
  int64_t Size() const override { return base_ + int64_t(tail_.size()); }
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override {
    if (offset < 0 || offset >= Size()) return 0;
    n = size_t(std::min<int64_t>(int64_t(n), Size() - offset));
    auto* out = static_cast<char*>(buffer);
    for (size_t i = 0; i < n; ++i) {
      int64_t at = offset + int64_t(i);
      out[i] = at >= base_ ? tail_[size_t(at - base_)] : Head(at);
    }
    return n;
  }
  std::string head = std::string(0x200, '\0');

 private:
  char Head(int64_t at) const { return at < int64_t(head.size()) ? head[size_t(at)] : 0; }
  int64_t base_;
  std::string tail_;
};

class SparseVolumes : public VolumeSource {
 public:
  std::unique_ptr<SparseSource> source;
  bool Exists(const std::string&) override { return true; }
  std::unique_ptr<ByteSource> Open(const std::string&) override {
    auto* copy = new SparseSource(*source);
    return std::unique_ptr<ByteSource>(copy);
  }
};

TEST(Extract, VolumesBeyondFourGiB) {
  // BlocksOffset just below 4 GiB: the first file chunk straddles the mark and
  // the rest lie past it; a package end over 4 GiB (high half 1) is followed
  // by bytes that are not part of the package.
  const int64_t blocks = 0xFFFFFF00;
  std::string file1(200 * 1024, 'a');
  std::string tail = U32Bytes(0) + U32Bytes(5) + "|x|0|" +
                     StoredChunk(Content("|00000#straddles|0|", file1)) +
                     ZlibChunk(Content("|00001#beyond|0|", "past 4 GiB"));
  Trailer t;
  t.PackageVersion = 2;
  t.BlocksOffset = uint32_t(blocks);
  t.Magic = layout::kMagic;
  t.Checksum = layout::kNoChecksum;
  t.TrailerSize = 74;
  uint8_t bytes[74];
  EncodeTrailer(t, bytes);
  tail.append(reinterpret_cast<char*>(bytes), 74);
  const int64_t packageEnd = blocks + int64_t(tail.size());
  ASSERT_GT(packageEnd, int64_t(1) << 32);
  tail += std::string(3000, '\x55');  // a signature, say

  SparseVolumes volumes;
  volumes.source.reset(new SparseSource(blocks, tail));
  std::string& head = volumes.source->head;
  head[0] = 'M';
  head[1] = 'Z';
  head[0x100] = 'P';
  head[0x101] = 'E';
  std::memcpy(&head[0xF8], U32Bytes(uint32_t(packageEnd >> 32)).data(), 4);
  std::memcpy(&head[0xFC], U32Bytes(uint32_t(packageEnd)).data(), 4);

  MemoryTarget target;
  RecordingHost host;
  ExtractRequest request;
  request.source = "big.bin";
  ExtractResult r = Extract(request, &volumes, &target, &host);
  ASSERT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(target.files["00000#straddles"], file1);
  EXPECT_EQ(target.files["00001#beyond"], "past 4 GiB");
  EXPECT_NE(std::find(host.traces.begin(), host.traces.end(), "FileLen=" + std::to_string(packageEnd)),
            host.traces.end());
}

}  // namespace
