#include "package/writer.h"

#include <gtest/gtest.h>

#include "package/file_info.h"
#include "package/package_reader.h"
#include "setup_fixture.h"

namespace {

std::string StubImage(size_t size) {
  std::string s(size, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  s[0x100] = 'P';
  s[0x101] = 'E';
  for (size_t i = 0x200; i < size; ++i) s[i] = char(i * 31 + 7);
  return s;
}

// Text-like bytes that compress, or noise that does not.
std::string Payload(size_t size, bool noise) {
  std::string s(size, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245 + 12345;
    s[i] = noise ? char(x >> 16) : "lorem ipsum dolor sit amet\n"[(i + (x >> 28)) % 27];
  }
  return s;
}

struct Built {
  std::string stub;
  std::vector<std::string> data;
  std::vector<std::unique_ptr<MemorySource>> sources;
  PackagePlan plan;
  MemorySinks sinks;
  std::vector<WrittenVolume> volumes;
  std::string error;

  Built(size_t stubSize = 0x400) : stub(StubImage(stubSize)) {
    plan.strings_block = "\x02\x01" "English\x01" "Charset=0\x01" "\x02";
    plan.options_block = "|http://|.info|.exe||0|";
  }
  void Add(const std::string& name, uint32_t stamp, std::string bytes) {
    data.push_back(std::move(bytes));
    names.push_back(name);
    stamps.push_back(stamp);
  }
  bool Write() {
    sources.clear();
    stubSource.reset(stub.empty() ? nullptr : new MemorySource(stub));
    plan.stub = stubSource.get();
    plan.files.clear();
    for (size_t i = 0; i < data.size(); ++i) {
      sources.emplace_back(new MemorySource(data[i]));
      plan.files.push_back({names[i], stamps[i], sources.back().get()});
    }
    return WritePackage(plan, &sinks, nullptr, &volumes, &error);
  }
  // Extracts from the written files as the stub would find them on disk.
  ExtractResult Extract(MemoryTarget* target, RecordingHost* host = nullptr) {
    MemoryVolumes disk;
    for (const auto& v : sinks.bytes)
      disk.files[VolumeFileName("setup.exe", v.first, plan.spanned_cd)] = v.second;
    ExtractRequest request;
    request.source = plan.spanned_cd ? "setup.exe.001" : "setup.exe";
    return ::Extract(request, &disk, target, host);
  }

  std::vector<std::string> names;
  std::vector<uint32_t> stamps;
  std::unique_ptr<MemorySource> stubSource;
};

Trailer TrailerOf(const std::string& file) {
  MemorySource src(file);
  return ReadTrailer(src);
}

TEST(Writer, SingleFileRoundTrip) {
  struct Case {
    Compression compression;
    uint32_t chunkSize;
    bool packageEnd;
    int expectedChunks;  // 8-byte engine, 100000-byte file, empty file
  } cases[] = {
      {Compression::kZlib, 4u << 20, false, 3},
      {Compression::kStored, 4u << 20, false, 3},
      {Compression::kZlib, 30000, true, 1 + 4 + 1},  // split over consecutive chunks
      {Compression::kStored, 1, false, 8 + 100000 + 1},
  };
  for (const auto& c : cases) {
    Built b;
    b.Add("Engine.exe* /LANG=EN", 0x58A16000, "MZengine");
    b.Add("00000#data.txt", 0x58A16001, Payload(100000, false));
    b.Add("00001#empty", 0, "");
    b.plan.compression = c.compression;
    b.plan.chunk_size = c.chunkSize;
    b.plan.package_end_in_stub = c.packageEnd;
    b.plan.trailer.Flags = layout::kShowActivityBar | layout::kMultiVolume;  // MultiVolume is the writer's
    b.plan.trailer.reserved20[3] = 0x77;
    b.plan.trailer.MakeAgentCopy = 1;
    ASSERT_TRUE(b.Write()) << b.error;
    ASSERT_EQ(b.sinks.bytes.size(), 1u);
    const std::string& file = b.sinks.bytes[1];
    MemorySource src(file);
    TGFileInfo info(src);
    Trailer t = info.trailer();
    EXPECT_TRUE(t.HasPackage());
    EXPECT_EQ(t.BlocksOffset, uint32_t(b.stub.size()));
    EXPECT_EQ(t.FilesCount, 3u);
    EXPECT_EQ(t.PackageVersion, 2);
    EXPECT_EQ(t.Flags, layout::kShowActivityBar);
    EXPECT_EQ(t.reserved20[3], 0x77);
    EXPECT_EQ(t.MakeAgentCopy, 1);
    EXPECT_EQ(t.SpaceRequired[0], 100008u);
    EXPECT_EQ(t.Checksum, layout::kNoChecksum);  // over 51200 bytes
    EXPECT_EQ(info.strings_block(), b.plan.strings_block);
    EXPECT_EQ(info.options_block(), b.plan.options_block);
    EXPECT_EQ(PackageEnd(src), c.packageEnd ? int64_t(file.size()) : 0);
    EXPECT_EQ(file.compare(0x200, b.stub.size() - 0x200, b.stub, 0x200, std::string::npos), 0);

    MemoryTarget target;
    RecordingHost host;
    ExtractResult r = b.Extract(&target, &host);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.engine_head, "Engine.exe* /LANG=EN");
    EXPECT_EQ(r.chunks, c.expectedChunks);
    EXPECT_EQ(target.files["Engine.exe"], b.data[0]);
    EXPECT_EQ(target.files["00000#data.txt"], b.data[1]);
    EXPECT_EQ(target.files["00001#empty"], "");
    EXPECT_EQ(target.stamps["00000#data.txt"], 0x58A16001u);
    for (const ChunkReport& chunk : host.chunks)
      if (!chunk.header_block)
        EXPECT_EQ(chunk.length > 0, c.compression == Compression::kZlib);
  }
}

TEST(Writer, PackageEndLetsSignatureBytesFollow) {
  Built b;
  b.Add("Engine.exe*", 0, "engine");
  b.plan.package_end_in_stub = true;
  ASSERT_TRUE(b.Write()) << b.error;
  std::string file = b.sinks.bytes[1] + std::string(5000, '\x30');  // appended signature
  MemoryVolumes disk;
  disk.files["setup.exe"] = file;
  MemoryTarget target;
  ExtractRequest request;
  request.source = "setup.exe";
  ExtractResult r = Extract(request, &disk, &target, nullptr);
  ASSERT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(target.files["Engine.exe"], "engine");
}

TEST(Writer, SmallFilesCarryTheirChecksum) {
  // Without a stub image the file stays under 51200 bytes and is summed.
  struct Case {
    bool stub;
    bool packageEnd;
  } cases[] = {{false, false}, {true, false}, {true, true}};
  for (const auto& c : cases) {
    Built b(c.stub ? 0x300 : 0);
    b.Add("Engine.exe*", 0, Payload(3000, true));
    b.plan.package_end_in_stub = c.packageEnd;
    ASSERT_TRUE(b.Write()) << b.error;
    std::string file = b.sinks.bytes[1];
    MemorySource src(file);
    Trailer t = TrailerOf(file);
    EXPECT_NE(t.Checksum, layout::kNoChecksum);
    EXPECT_EQ(FileChecksum(src, 74), t.Checksum);
    MemoryTarget target;
    EXPECT_TRUE(b.Extract(&target).ok);

    // One flipped byte in the package is caught.
    b.sinks.bytes[1][file.size() - 600] ^= 0x10;
    MemoryTarget again;
    ExtractResult r = b.Extract(&again);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("checksum"), std::string::npos);
  }
}

TEST(Writer, MultiVolumeSet) {
  Built b(0x400);
  b.Add("Engine.exe*", 0, Payload(5000, false));
  b.Add("00000#noise.bin", 0, Payload(40000, true));
  b.Add("00001#text.txt", 0, Payload(30000, false));
  b.plan.volume_size = 16000;
  ASSERT_TRUE(b.Write()) << b.error;
  ASSERT_GE(b.sinks.bytes.size(), 3u);
  int last = b.sinks.bytes.rbegin()->first;
  for (const auto& v : b.sinks.bytes) {
    SCOPED_TRACE(v.first);
    const std::string& file = v.second;
    EXPECT_LE(file.size(), 16000u);
    Trailer t = TrailerOf(file);
    EXPECT_TRUE(t.HasPackage());
    EXPECT_EQ(t.MultiVolume(), v.first != last);
    EXPECT_EQ(t.FilesCount, 3u);
    MemorySource src(file);
    EXPECT_EQ(IsExecutable(src), v.first == 1);  // only the first has the stub
    EXPECT_EQ(t.BlocksOffset, v.first == 1 ? 0x400u : 0u);
    EXPECT_EQ(FileChecksum(src, 74), t.Checksum);  // each is summed: all are small
    TGFileInfo info(src);
    EXPECT_EQ(info.options_block(), b.plan.options_block);  // blocks in every volume
  }
  MemoryTarget target;
  RecordingHost host;
  ExtractResult r = b.Extract(&target, &host);
  ASSERT_TRUE(r.ok) << r.reason;
  EXPECT_TRUE(host.prompts.empty());
  for (size_t i = 0; i < b.data.size(); ++i)
    EXPECT_EQ(target.files[i == 0 ? "Engine.exe" : b.names[i]], b.data[i]) << b.names[i];
}

TEST(Writer, SpannedCdSet) {
  Built b;
  b.Add("Engine.exe*", 0, Payload(20000, true));
  b.plan.spanned_cd = true;
  b.plan.volume_size = 12000;
  ASSERT_TRUE(b.Write()) << b.error;
  ASSERT_GE(b.sinks.bytes.size(), 3u);  // launcher, .001, .002
  Trailer launcher = TrailerOf(b.sinks.bytes[0]);
  EXPECT_TRUE(launcher.SpannedCd());
  EXPECT_FALSE(launcher.MultiVolume());
  EXPECT_EQ(b.sinks.bytes[0].size(), b.stub.size() + 4 + b.plan.strings_block.size() + 4 +
                                         b.plan.options_block.size() + 74);  // no chunks
  Trailer first = TrailerOf(b.sinks.bytes[1]);
  EXPECT_FALSE(first.SpannedCd());
  EXPECT_TRUE(first.MultiVolume());
  MemorySource data1(b.sinks.bytes[1]);
  EXPECT_TRUE(IsExecutable(data1));  // ".001" carries the stub image for the agent file
  MemoryTarget target;
  ExtractResult r = b.Extract(&target);
  ASSERT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(target.files["Engine.exe"], b.data[0]);
}

TEST(Writer, DownloadBlockMakesVersionThree) {
  Built b;
  b.plan.has_download_block = true;
  b.plan.download_block = "|http://example.test/|real.exe|0|tok|123|";
  b.plan.trailer.WebDownload = 1;
  ASSERT_TRUE(b.Write()) << b.error;
  MemorySource src(b.sinks.bytes[1]);
  TGFileInfo info(src);
  EXPECT_EQ(info.trailer().PackageVersion, 3);
  EXPECT_EQ(info.download_block(), b.plan.download_block);
  EXPECT_TRUE(info.WebDownload());
  MemoryTarget target;
  EXPECT_TRUE(b.Extract(&target).ok);  // the third block is skipped, not read as a file
  EXPECT_TRUE(target.files.empty());
}

TEST(Writer, RefusesBadPlans) {
  struct Case {
    const char* what;
    void (*change)(Built*);
    const char* message;
  } cases[] = {
      {"stub without PE", [](Built* b) { b->stub[0x100] = 'X'; }, "not an executable"},
      {"stub with a package end", [](Built* b) { b->stub[0xFC] = 1; }, "0xF8"},
      {"chunk size 0", [](Built* b) { b->plan.chunk_size = 0; }, "chunk size"},
      {"zlib level 10", [](Built* b) { b->plan.level = 10; }, "level"},
      {"volume smaller than the stub", [](Built* b) { b->plan.volume_size = 1000; }, "volume size"},
      {"volume without room for a chunk",
       [](Built* b) {
         b->plan.volume_size = int64_t(b->stub.size() + 8 + b->plan.strings_block.size() +
                                       b->plan.options_block.size() + 74 + 10);
       },
       "no room"},
  };
  for (const auto& c : cases) {
    Built b;
    b.Add("Engine.exe*", 0, "x");
    c.change(&b);
    EXPECT_FALSE(b.Write()) << c.what;
    EXPECT_NE(b.error.find(c.message), std::string::npos) << c.what << ": " << b.error;
  }
}

TEST(Writer, SpaceRequiredPerClusterSize) {
  uint32_t out[layout::kClusterSlots];
  ComputeSpaceRequired({0, 1, 512, 513, 4096}, out);
  EXPECT_EQ(out[0], 0u + 1 + 512 + 513 + 4096);
  EXPECT_EQ(out[1], 0u + 512 + 512 + 1024 + 4096);   // 512-byte clusters
  EXPECT_EQ(out[4], 0u + 4096 + 4096 + 4096 + 4096);  // 4096
  EXPECT_EQ(out[8], 4u * 65536);                       // 65536; an empty file takes none
  // Above 32 bits the total is stored as 0xFFFFFFFF, per slot.
  ComputeSpaceRequired({0xFFFFF000u, 0x1000}, out);  // exactly 2^32
  EXPECT_EQ(out[0], 0xFFFFFFFFu);
  ComputeSpaceRequired({uint64_t(5) << 30}, out);
  for (uint32_t v : out) EXPECT_EQ(v, 0xFFFFFFFFu);
  ComputeSpaceRequired({0xFFFFFE00u}, out);
  EXPECT_EQ(out[0], 0xFFFFFE00u);
  EXPECT_EQ(out[1], 0xFFFFFE00u);
  EXPECT_EQ(out[2], 0xFFFFFFFFu);  // rounds up to 2^32 on 1024-byte clusters
}

TEST(Writer, VolumeFileNamesMatchTheReaderRule) {
  EXPECT_EQ(VolumeFileName("out.exe", 1, false), "out.exe");
  EXPECT_EQ(VolumeFileName("out.exe", 2, false), VolumePath("out.exe", 2));
  EXPECT_EQ(VolumeFileName("out.exe", 0, true), "out.exe");
  EXPECT_EQ(VolumeFileName("out.exe", 1, true), "out.exe.001");
  EXPECT_EQ(VolumeFileName("out.exe", 2, true), VolumePath("out.exe.001", 2));
}

}  // namespace
